#include "presentation/SoundPlayer.h"
#include "presentation/TForm3.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

class RecordingOutput : public SoundOutput {
public:
    explicit RecordingOutput(QList<int> &log) : log_(log) {}
    void play(int id) override { log_.append(id); }

private:
    QList<int> &log_;
};

// Picks an entry as the user does (the preview reacts to user choices only).
void choose(QComboBox *list, int entry)
{
    list->setCurrentIndex(entry);
    emit list->activated(entry);
}

} // namespace

class tst_Sounds : public QObject {
    Q_OBJECT
private slots:
    void switchGatesAllButForcedSounds()
    {
        QList<int> log;
        SoundPlayer player(std::make_unique<RecordingOutput>(log));
        player.PlaySound(1);
        player.setEnabled(false);
        player.PlaySound(101);
        player.PlaySound(203, true);
        player.setEnabled(true);
        player.PlaySound(301);
        QCOMPARE(log, (QList<int>{1, 203, 301}));
    }

    void indexMapping()
    {
        // tag, entry, sound: both lists end with the seven general sounds.
        const int cases[][3] = {{0, 0, 1},   {0, 2, 3},   {0, 3, 201}, {0, 9, 207},
                                {1, 7, 108}, {1, 8, 201}, {1, 14, 207}};
        for (const auto &[tag, entry, id] : cases) {
            QCOMPARE(TForm3::SoundForEntry(tag, entry), id);
            QCOMPARE(TForm3::EntryForSound(tag, id), entry);
        }
        std::array<int, 2> shot{1, 101};
        TForm3 dlg(shot, {});
        QCOMPARE(dlg.ComboBox_WaterSound->count(), 10);
        QCOMPARE(dlg.ComboBox_ShipSound->count(), 15);
        QCOMPARE(dlg.ComboBox_WaterSound->itemText(3), QStringLiteral("Allgemein (1)"));
        QCOMPARE(dlg.ComboBox_ShipSound->itemText(7), QStringLiteral("Treffer (8)"));
    }

    void widerFaceGrowsTheDialog()
    {
        // A wide face (as the system's may be) needs more lines for the
        // introduction; nothing may be cut off or overlap.
        std::array<int, 2> shot{1, 101};
        TForm3 dlg(shot, {});
        QFont wide = dlg.font();
        wide.setPointSize(8);
        wide.setLetterSpacing(QFont::PercentageSpacing, 160);
        dlg.setFont(wide);
        QVERIFY(dlg.Label1->heightForWidth(dlg.Label1->width()) <= dlg.Label1->height());
        QVERIFY(dlg.height() > 153);
        QVERIFY(dlg.ComboBox_WaterSound->y() >= dlg.Label1->geometry().bottom());
        QCOMPARE(dlg.height() - dlg.Button_OK->geometry().bottom(), 153 - 145 + 1);
    }

    // Choosing previews the sound; OK stores, and every opening selects the stored sounds.
    void okStoresAndReopeningSelectsAgain()
    {
        std::array<int, 2> shot{1, 101};
        QList<int> played;
        TForm3 dlg(shot, [&](int id, bool forced) { played.append(forced ? id : -id); });
        dlg.show();
        QCOMPARE(dlg.ComboBox_WaterSound->currentIndex(), 0);
        QCOMPARE(dlg.ComboBox_ShipSound->currentIndex(), 0);
        choose(dlg.ComboBox_ShipSound, 8);  // Allgemein (1)
        choose(dlg.ComboBox_WaterSound, 9); // Allgemein (7)
        QCOMPARE(played, (QList<int>{201, 207}));
        QTest::mouseClick(dlg.Button_OK, Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(shot, (std::array<int, 2>{207, 201}));

        dlg.ComboBox_ShipSound->setCurrentIndex(0); // a stale selection must not survive
        dlg.show();
        QCOMPARE(dlg.ComboBox_ShipSound->currentIndex(), 8);
        QCOMPARE(dlg.ComboBox_WaterSound->currentIndex(), 9);
        choose(dlg.ComboBox_WaterSound, 5);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(shot, (std::array<int, 2>{207, 201}));
        dlg.show();
        QCOMPARE(dlg.ComboBox_WaterSound->currentIndex(), 9);
        QCOMPARE(played.size(), 3); // opening plays nothing
        dlg.close();
    }

    void unknownStoredIdShowsNoSelectionAndIsKept()
    {
        // Ids a damaged settings file may hold name no entry; OK without a choice keeps them.
        std::array<int, 2> shot{5, 150};
        TForm3 dlg(shot, {});
        dlg.show();
        QCOMPARE(dlg.ComboBox_WaterSound->currentIndex(), -1);
        QCOMPARE(dlg.ComboBox_ShipSound->currentIndex(), -1);
        choose(dlg.ComboBox_ShipSound, 1);
        dlg.Button_OK->click();
        QCOMPARE(shot, (std::array<int, 2>{5, 102}));
    }
};

QTEST_MAIN(tst_Sounds)
#include "tst_sounds.moc"
