#include "support/GameTestAccess.h"
#include "dialogs/TForm4.h"
#include "dialogs/TLxColorComboBox.h"
#include "game/Game.h"
#include "support/RecordingEffects.h"

#include <QPushButton>
#include <QtTest>

using ColorRef = std::uint32_t;

// The colour dialog driven as a user would: open it, change boxes with the
// keyboard, confirm or abandon.
class tst_colordialog : public QObject {
    Q_OBJECT

    struct Fixture {
        RecordingEffects fx;
        ScriptedRandom rng;
        ManualClock clock;
        Game game{fx, rng, clock};
        TForm4 form{game};
        Fixture()
        {
            GameTestAccess::state(game).CellColors[2] = 0x123456; // unlisted: shown as "Andere Farbe"
            for (int i = 1; i <= 3; ++i)
                box(i)->setColorChooser([](ColorRef, QWidget *) { return std::optional<ColorRef>(); });
        }
        TLxColorComboBox *box(int i)
        {
            return form.findChild<TLxColorComboBox *>(QStringLiteral("LxColorComboBox_Color%1").arg(i));
        }
        int redraws() const { return int(fx.only(QStringLiteral("draw")).size()); }
    };

private slots:
    // OK stores the boxes; the boards are redrawn only if something changed,
    // during a game's placing or firing, with no change-over countdown running.
    void redrawRule_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<int>("how"); // 0: colour changed, 1: unchanged, 2: changed while counting down
        QTest::addColumn<int>("redraws");
        QTest::newRow("firing, changed") << int(gpFiring) << 0 << 1;
        QTest::newRow("firing, unchanged") << int(gpFiring) << 1 << 0;
        QTest::newRow("placing 1, changed") << int(gpPlacing1) << 0 << 1;
        QTest::newRow("title picture") << int(gpNoGame) << 0 << 0;
        QTest::newRow("finished") << int(gpFinished) << 0 << 0;
        QTest::newRow("countdown running") << int(gpFiring) << 2 << 0;
    }
    void redrawRule()
    {
        QFETCH(int, phase);
        QFETCH(int, how);
        QFETCH(int, redraws);
        Fixture f;
        GameTestAccess::state(f.game).GamePhase = GamePhaseT(phase);
        if (how == 2)
            f.game.DXTimer.enable();
        f.form.show();
        QCOMPARE(f.box(2)->currentText(), QStringLiteral("Andere Farbe"));
        if (how != 1) {
            f.box(1)->setFocus();
            QTest::keyClick(f.box(1), Qt::Key_Down); // Dunkelblau -> Blau
        }
        f.fx.clear();
        QTest::mouseClick(f.form.Button_OK, Qt::LeftButton);
        QVERIFY(!f.form.isVisible());
        QCOMPARE(f.form.result(), int(QDialog::Accepted));
        QCOMPARE(f.game.st.CellColors[1], how == 1 ? ColorRef(0x800000) : ColorRef(0xFF0000));
        QCOMPARE(f.game.st.CellColors[2], ColorRef(0x123456));
        QCOMPARE(f.game.st.CellColors[3], ColorRef(0x808080));
        QCOMPARE(f.fx.only(QStringLiteral("draw")), QStringList(redraws, QStringLiteral("draw present")));
    }

    void abandonedChangesAreForgotten_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Abbrechen") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
    }
    void abandonedChangesAreForgotten()
    {
        QFETCH(int, how);
        Fixture f;
        GameTestAccess::state(f.game).GamePhase = gpFiring;
        f.form.show();
        f.box(3)->setFocus();
        QTest::keyClick(f.box(3), Qt::Key_Home);
        QCOMPARE(f.box(3)->currentText(), QStringLiteral("Schwarz"));
        if (how == 0)
            QTest::mouseClick(f.form.Button_Cancel, Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(&f.form, Qt::Key_Escape);
        else
            f.form.close();
        QVERIFY(!f.form.isVisible());
        QCOMPARE(f.form.result(), int(QDialog::Rejected));
        QCOMPARE(f.game.st.CellColors[3], ColorRef(0x808080));
        QCOMPARE(f.redraws(), 0);
        f.form.show();
        QCOMPARE(f.box(3)->currentText(), QStringLiteral("Dunkelgrau"));
        f.form.close();
    }
};

QTEST_MAIN(tst_colordialog)
#include "tst_colordialog.moc"
