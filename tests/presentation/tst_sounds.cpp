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

} // namespace

class tst_Sounds : public QObject {
    Q_OBJECT

private:
    // Picks an entry as the user does (the preview reacts to user choices only).
    static void choose(QComboBox *list, int entry)
    {
        list->setCurrentIndex(entry);
        emit list->activated(entry);
    }

private slots:
    void switchGatesAllButForcedSounds()
    {
        QList<int> log;
        SoundPlayer player(std::make_unique<RecordingOutput>(log));
        QVERIFY(player.enabled());
        player.PlaySound(1);
        player.setEnabled(false);
        player.PlaySound(101);
        player.PlaySound(301, false);
        player.PlaySound(203, true);
        player.setEnabled(true);
        player.PlaySound(301);
        QCOMPARE(log, (QList<int>{1, 203, 301}));
    }

    void realOutputNeverBlocksOrFails()
    {
        // With or without an audio device, with or without the clips: every
        // call returns at once and nothing is waited for.
        SoundPlayer player;
        player.preload();
        for (int id : {1, 101, 301, 0, 100, 999, 207})
            player.PlaySound(id, true);
        QCoreApplication::processEvents();
        QCOMPARE(SoundPlayer::ResourcePath(102), QString(":/assets/sound_102.wav"));
    }

    void indexMapping_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("id");
        QTest::newRow("Wasser (1)") << 0 << 0 << 1;
        QTest::newRow("Wasser (3)") << 0 << 2 << 3;
        QTest::newRow("water list Allgemein (1)") << 0 << 3 << 201;
        QTest::newRow("water list Allgemein (7)") << 0 << 9 << 207;
        QTest::newRow("Treffer (1)") << 1 << 0 << 101;
        QTest::newRow("Treffer (8)") << 1 << 7 << 108;
        QTest::newRow("ship list Allgemein (1)") << 1 << 8 << 201;
        QTest::newRow("ship list Allgemein (7)") << 1 << 14 << 207;
    }
    void indexMapping()
    {
        QFETCH(int, tag);
        QFETCH(int, entry);
        QFETCH(int, id);
        QCOMPARE(TForm3::SoundForEntry(tag, entry), id);
        QCOMPARE(TForm3::EntryForSound(tag, id), entry);
    }

    void listsAndLayout()
    {
        std::array<int, 2> shot{1, 101};
        TForm3 dlg(shot, {});
        QCOMPARE(dlg.windowTitle(), QString("Sounds"));
        QCOMPARE(dlg.size(), QSize(243, 153));
        QCOMPARE(dlg.ComboBox_WaterSound->count(), 10);
        QCOMPARE(dlg.ComboBox_ShipSound->count(), 15);
        QCOMPARE(dlg.ComboBox_WaterSound->itemText(2), QString("Wasser (3)"));
        QCOMPARE(dlg.ComboBox_WaterSound->itemText(3), QString("Allgemein (1)"));
        QCOMPARE(dlg.ComboBox_ShipSound->itemText(7), QString("Treffer (8)"));
        QCOMPARE(dlg.ComboBox_ShipSound->itemText(14), QString("Allgemein (7)"));
        QCOMPARE(dlg.Label2->text(), QString("&Wasser:"));
        QCOMPARE(dlg.Label2->buddy(), dlg.ComboBox_WaterSound);
        QCOMPARE(dlg.Label3->buddy(), dlg.ComboBox_ShipSound);
        QCOMPARE(dlg.Button_OK->text(), QString("&OK"));
        QCOMPARE(dlg.Button_Cancel->text(), QString("Ab&brechen"));
        QVERIFY(dlg.Button_OK->isDefault());
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

    void okStoresAndReopeningSelectsAgain()
    {
        std::array<int, 2> shot{1, 101};
        QList<int> played;
        TForm3 dlg(shot, [&](int id, bool forced) {
            QVERIFY(forced);
            played.append(id);
        });
        dlg.show();
        QCOMPARE(dlg.ComboBox_WaterSound->currentIndex(), 0);
        QCOMPARE(dlg.ComboBox_ShipSound->currentIndex(), 0);
        QVERIFY(played.isEmpty()); // opening plays nothing

        choose(dlg.ComboBox_ShipSound, 8);  // Allgemein (1)
        choose(dlg.ComboBox_WaterSound, 9); // Allgemein (7)
        QCOMPARE(played, (QList<int>{201, 207}));
        QTest::mouseClick(dlg.Button_OK, Qt::LeftButton);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(shot, (std::array<int, 2>{207, 201}));

        dlg.ComboBox_ShipSound->setCurrentIndex(0); // stale selection must not survive
        dlg.show();
        QCOMPARE(dlg.ComboBox_ShipSound->currentIndex(), 8);
        QCOMPARE(dlg.ComboBox_WaterSound->currentIndex(), 9);
        QCOMPARE(played.size(), 2);
        dlg.close();
    }

    void cancelKeepsTheStoredSounds()
    {
        std::array<int, 2> shot{2, 105};
        int plays = 0;
        TForm3 dlg(shot, [&](int, bool) { ++plays; });
        dlg.show();
        QCOMPARE(dlg.ComboBox_WaterSound->currentIndex(), 1);
        QCOMPARE(dlg.ComboBox_ShipSound->currentIndex(), 4);
        choose(dlg.ComboBox_WaterSound, 5);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(shot, (std::array<int, 2>{2, 105}));
        dlg.show();
        QCOMPARE(dlg.ComboBox_WaterSound->currentIndex(), 1);
        QCOMPARE(plays, 1);
        dlg.close();
    }

    void unknownStoredIdShowsNoSelectionAndIsKept()
    {
        // Ids a damaged settings file may hold: none of them names an entry,
        // and OK without a new choice leaves them as they were.
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
