#include "dialogs/TForm4.h"
#include "dialogs/TLxColorComboBox.h"
#include "game/Game.h"
#include "support/RecordingEffects.h"

#include <QLabel>
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
    // Labels end 7 pixels left of their boxes and are never cut off, whatever
    // the face; with room enough the designed geometry stands.
    void labelsFitTheirFace_data()
    {
        QTest::addColumn<int>("points");
        QTest::newRow("8 pt") << 8;
        QTest::newRow("14 pt") << 14;
    }
    void labelsFitTheirFace()
    {
        QFETCH(int, points);
        Fixture f;
        QFont font = f.form.font();
        font.setPointSize(points);
        f.form.setFont(font);
        const QLabel *labels[3] = {f.form.Label2, f.form.Label3, f.form.Label4};
        for (int i = 0; i < 3; ++i) {
            QVERIFY(labels[i]->x() >= 0);
            QVERIFY(labels[i]->width() >= labels[i]->sizeHint().width());
            QCOMPARE(labels[i]->geometry().right() + 1 + 7, f.box(i + 1)->x());
            QCOMPARE(f.box(i + 1)->y(), 52 + 32 * i);
        }
        QCOMPARE(f.form.width(), f.box(1)->geometry().right() + 1 + 8);
        QCOMPARE(f.form.height(), 185);
        if (labels[2]->sizeHint().width() <= 145) {
            QCOMPARE(f.box(1)->x(), 160);
            QCOMPARE(f.form.width(), 345);
        }
    }

    void opensWithStoredColours()
    {
        Fixture f;
        f.form.show();
        QCOMPARE(f.box(1)->currentText(), QStringLiteral("Dunkelblau"));
        QCOMPARE(f.box(2)->currentText(), QStringLiteral("Gelb"));
        QCOMPARE(f.box(3)->currentText(), QStringLiteral("Dunkelgrau"));
        f.form.close();
    }

    void unlistedColourSurvivesOk()
    {
        Fixture f;
        f.game.st.GamePhase = gpFiring;
        f.game.st.CellColors[1] = 0x123456;
        f.form.show();
        QCOMPARE(f.box(1)->currentText(), QStringLiteral("Andere Farbe"));
        QCOMPARE(f.box(1)->CustomColor(), ColorRef(0x123456));
        QTest::mouseClick(f.form.Button_OK, Qt::LeftButton);
        QCOMPARE(f.game.st.CellColors[1], ColorRef(0x123456));
        QCOMPARE(f.redraws(), 0);
        QCOMPARE(f.form.result(), int(QDialog::Accepted));
    }

    void redrawRule_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<bool>("countdown");
        QTest::addColumn<bool>("change");
        QTest::addColumn<int>("redraws");
        QTest::newRow("firing, changed") << int(gpFiring) << false << true << 1;
        QTest::newRow("firing, unchanged") << int(gpFiring) << false << false << 0;
        QTest::newRow("placing 1, changed") << int(gpPlacing1) << false << true << 1;
        QTest::newRow("placed 2, changed") << int(gpPlaced2) << false << true << 1;
        QTest::newRow("title picture") << int(gpNoGame) << false << true << 0;
        QTest::newRow("finished") << int(gpFinished) << false << true << 0;
        QTest::newRow("countdown running") << int(gpFiring) << true << true << 0;
    }
    void redrawRule()
    {
        QFETCH(int, phase);
        QFETCH(bool, countdown);
        QFETCH(bool, change);
        QFETCH(int, redraws);
        Fixture f;
        f.game.st.GamePhase = phase;
        if (countdown)
            f.game.DXTimer.enable();
        f.form.show();
        if (change) {
            f.box(1)->setFocus();
            QTest::keyClick(f.box(1), Qt::Key_Down); // Dunkelblau -> Blau
            QCOMPARE(f.box(1)->currentText(), QStringLiteral("Blau"));
        }
        f.fx.clear();
        QTest::mouseClick(f.form.Button_OK, Qt::LeftButton);
        QVERIFY(!f.form.isVisible());
        QCOMPARE(f.game.st.CellColors[1], change ? ColorRef(0xFF0000) : ColorRef(0x800000));
        QCOMPARE(f.game.st.CellColors[2], ColorRef(0x00FFFF));
        QCOMPARE(f.game.st.CellColors[3], ColorRef(0x808080));
        QCOMPARE(f.redraws(), redraws);
        if (redraws)
            QCOMPARE(f.fx.only(QStringLiteral("draw")), QStringList{QStringLiteral("draw present")});
    }

    void abandonedChangesAreForgotten_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Abbrechen") << "cancel";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("close box") << "close";
    }
    void abandonedChangesAreForgotten()
    {
        QFETCH(QString, how);
        Fixture f;
        f.game.st.GamePhase = gpFiring;
        f.form.show();
        f.box(3)->setFocus();
        QTest::keyClick(f.box(3), Qt::Key_Home);
        QCOMPARE(f.box(3)->currentText(), QStringLiteral("Schwarz"));
        if (how == QLatin1String("cancel"))
            QTest::mouseClick(f.form.Button_Cancel, Qt::LeftButton);
        else if (how == QLatin1String("esc"))
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
