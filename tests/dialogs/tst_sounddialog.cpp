#include "dialogs/SoundDialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

class tst_sounddialog : public QObject {
    Q_OBJECT

    // Picks an entry as the user does (the preview reacts to user choices only).
    static void choose(QComboBox *list, int entry)
    {
        list->setCurrentIndex(entry);
        emit list->activated(entry);
    }

private slots:
    void entriesAndSounds()
    {
        // tag, entry, sound: both lists end with the seven general sounds.
        const int cases[][3] = {{0, 0, 1},   {0, 2, 3},   {0, 3, 201}, {0, 9, 207},
                                {1, 7, 108}, {1, 8, 201}, {1, 14, 207}};
        for (const auto &[tag, entry, id] : cases) {
            QCOMPARE(SoundDialog::soundForEntry(tag, entry), id);
            QCOMPARE(SoundDialog::entryForSound(tag, id), entry);
        }
        std::array<int, 2> shot{1, 101};
        SoundDialog dlg(shot);
        const auto *water = dlg.findChild<QComboBox *>("ComboBox_WaterSound");
        const auto *ship = dlg.findChild<QComboBox *>("ComboBox_ShipSound");
        QVERIFY(water->count() == 10 && water->itemText(3) == QStringLiteral("Allgemein (1)"));
        QVERIFY(ship->count() == 15 && ship->itemText(7) == QStringLiteral("Treffer (8)"));
    }

    // Choosing previews (forced); OK stores, Esc does not; opening selects the stored sounds
    // silently. Ids a damaged settings file may hold name no entry: no selection, OK keeps them.
    void chooseStoreAndReopen()
    {
        std::array<int, 2> shot{5, 150};
        QList<int> played;
        SoundDialog dlg(shot);
        auto *water = dlg.findChild<QComboBox *>("ComboBox_WaterSound"),
             *ship = dlg.findChild<QComboBox *>("ComboBox_ShipSound");
        QObject::connect(&dlg, &SoundDialog::previewRequested, [&](int id) { played.append(id); });
        dlg.show();
        QVERIFY(water->currentIndex() == -1 && ship->currentIndex() == -1);
        dlg.findChild<QPushButton *>("Button_OK")->click();
        QCOMPARE(shot, (std::array<int, 2>{5, 150}));
        dlg.show();
        choose(ship, 8); // Allgemein (1)
        QTest::mouseClick(dlg.findChild<QPushButton *>("Button_OK"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(shot, (std::array<int, 2>{5, 201}));

        ship->setCurrentIndex(0); // a stale selection must not survive
        dlg.show();
        QCOMPARE(ship->currentIndex(), 8);
        choose(water, 9); // Allgemein (7)
        dlg.findChild<QPushButton *>("Button_OK")->click();
        QCOMPARE(shot, (std::array<int, 2>{207, 201}));
        dlg.show();
        QCOMPARE(water->currentIndex(), 9);
        choose(water, 5);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(shot, (std::array<int, 2>{207, 201}));
        QCOMPARE(played, (QList<int>{201, 207, 203}));
    }
};

QTEST_MAIN(tst_sounddialog)
#include "tst_sounddialog.moc"
