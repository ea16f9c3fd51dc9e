#include "support/GameTestAccess.h"
#include "dialogs/ColorDialog.h"
#include "dialogs/ColorComboBox.h"
#include "game/Game.h"
#include "support/RecordingEffects.h"

#include <QPushButton>
#include <QtTest>

using ColorRef = std::uint32_t;

class tst_colordialog : public QObject {
    Q_OBJECT

    struct Fixture {
        RecordingEffects fx;
        ScriptedRandom rng;
        ManualClock clock;
        Game game{fx, rng, clock};
        ColorDialog form{game};
        Fixture()
        {
            GameTestAccess::state(game).cellColors[2] = 0x123456; // unlisted: shown as "Andere Farbe"
            for (int i = 1; i <= 3; ++i)
                box(i)->setColorChooser([](ColorRef, QWidget *) { return std::optional<ColorRef>(); });
        }
        ColorComboBox *box(int i)
        {
            return form.findChild<ColorComboBox *>(QStringLiteral("LxColorComboBox_Color%1").arg(i));
        }
    };

private slots:
    // OK stores the boxes and redraws only on a change while placing or firing without countdown;
    // abandoned changes are forgotten, also when the dialog opens again.
    void closing_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("redraws");
        QTest::newRow("firing, changed") << int(gpFiring) << "OK" << 1;
        QTest::newRow("firing, unchanged") << int(gpFiring) << "OK unchanged" << 0;
        QTest::newRow("placing 1, changed") << int(gpPlacing1) << "OK" << 1;
        QTest::newRow("title picture") << int(gpNoGame) << "OK" << 0;
        QTest::newRow("finished") << int(gpFinished) << "OK" << 0;
        QTest::newRow("countdown running") << int(gpFiring) << "OK countdown" << 0;
        QTest::newRow("Abbrechen") << int(gpFiring) << "Abbrechen" << 0;
    }
    void closing()
    {
        QFETCH(int, phase);
        QFETCH(QString, how);
        QFETCH(int, redraws);
        Fixture f;
        GameTestAccess::state(f.game).gamePhase = GamePhaseT(phase);
        if (how == "OK countdown")
            GameTestAccess::changeOverTimer(f.game).enable();
        f.form.show();
        QCOMPARE(f.box(2)->currentText(), QStringLiteral("Andere Farbe"));
        if (how != "OK unchanged") {
            f.box(1)->setFocus();
            QTest::keyClick(f.box(1), Qt::Key_Down); // only the first box changes
            QCOMPARE(f.box(1)->currentText(), QStringLiteral("Blau"));
        }
        f.fx.clear();
        f.form.findChild<QPushButton *>(how[0] == 'O' ? "Button_OK" : "Button_Cancel")->click();
        QVERIFY(!f.form.isVisible());
        const bool stored = how.startsWith("OK") && how != "OK unchanged";
        QCOMPARE(f.form.result(), int(how.startsWith("OK") ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(f.game.st.cellColors[1], stored ? ColorRef(0xFF0000) : ColorRef(0x800000));
        QCOMPARE(f.game.st.cellColors[2], ColorRef(0x123456));
        QCOMPARE(f.game.st.cellColors[3], ColorRef(0x808080));
        QCOMPARE(f.fx.only(QStringLiteral("draw")), QStringList(redraws, QStringLiteral("draw present")));
        f.form.show();
        QCOMPARE(f.box(1)->currentText(), stored ? QStringLiteral("Blau") : QStringLiteral("Dunkelblau"));
        f.form.close();
    }
};

QTEST_MAIN(tst_colordialog)
#include "tst_colordialog.moc"
