#include "dialogs/TForm2.h"
#include "game/Game.h"
#include "game/Texts.h"
#include "support/RecordingEffects.h"
#include "support/WhenModal.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

namespace {

void click(QAbstractButton *b)
{
    QVERIFY(b->isVisible());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

void type(QLineEdit *e, const QString &text)
{
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClicks(e, text);
}

struct Fixture {
    RecordingEffects fx;
    ScriptedRandom rng;
    ManualClock clock;
    Game game{fx, rng, clock};
    TForm2 w{game};
    Fixture()
    {
        game.st.RecentNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
        game.st.ChangingTime = 4;
    }
    void toPage(QRadioButton *mode)
    {
        w.show();
        click(mode);
        click(w.Button_Forward);
    }
};

// One page's fields: the mode, the texts typed, and whether "Weiter" allows them.
struct Page {
    int mode;             // 1: two at one PC, 2: network, 3: computer
    QString name1, name2; // name2: second player, or the host address of a guest
    bool client;
    bool forward;
};

} // namespace

Q_DECLARE_METATYPE(Page)

// The new-game wizard driven through its real controls.
class tst_wizard : public QObject {
    Q_OBJECT
private slots:
    void init() { WhenModalMisses() = 0; }
    void cleanup() { QCOMPARE(WhenModalMisses(), 0); }

    void showResetsAndBackStartsOver()
    {
        Fixture f;
        f.game.st.PlayerNames = {QStringLiteral("x"), QStringLiteral("y")};
        f.w.show();
        QCOMPARE(f.w.CurrentPageName(), QStringLiteral("Standard"));
        QVERIFY(!f.w.Button_Forward->isEnabled() && !f.w.Button_Back->isEnabled());
        QVERIFY(f.game.st.PlayerNames[0].isEmpty() && f.game.st.PlayerNames[1].isEmpty());
        QCOMPARE(f.w.Edit_M1Player2->text(), QStringLiteral("Bert"));
        QCOMPARE(f.w.Label_M2IPState->text(), Texts::WizardText(0));
        click(f.w.RadioButton_PCMode);
        click(f.w.Button_Forward);
        type(f.w.Edit_M3Player, QStringLiteral("Zoe"));
        click(f.w.Button_Back);
        QCOMPARE(f.w.CurrentPageName(), QStringLiteral("Standard"));
        QCOMPARE(f.w.Edit_M3Player->text(), QStringLiteral("Anna"));
        QVERIFY(!f.w.RadioButton_PCMode->isChecked() && !f.w.Button_Forward->isEnabled());

        // Leaving without a game resumes the title animation.
        QVERIFY(!f.game.DXTimer_Info.Enabled());
        QTest::keyClick(&f.w, Qt::Key_Escape);
        QVERIFY(!f.w.isVisible());
        QVERIFY(f.game.DXTimer_Info.Enabled());
        QCOMPARE(f.game.st.GamePhase, int(gpNoGame));
    }

    void enablingRules_data()
    {
        QTest::addColumn<Page>("p");
        QTest::newRow("two names") << Page{1, "Anna", "Bert", false, true};
        QTest::newRow("same name") << Page{1, "Anna", "Anna", false, false};
        QTest::newRow("differ only in case") << Page{1, "Anna", "anna", false, true};
        QTest::newRow("first empty") << Page{1, "", "Bert", false, false};
        QTest::newRow("second empty") << Page{1, "Anna", "", false, false};
        QTest::newRow("cut at ten") << Page{1, "Maximiliane Mustermann", "Bert", false, true};
        QTest::newRow("computer: no name") << Page{3, "", "", false, false};
        QTest::newRow("computer: a name") << Page{3, "Carla", "", false, true};
        QTest::newRow("host with a name") << Page{2, "Anna", "", false, true};
        QTest::newRow("host without a name") << Page{2, "", "", false, false};
        QTest::newRow("guest without address") << Page{2, "Anna", "", true, false};
        QTest::newRow("guest with address") << Page{2, "Anna", "10.0.0.2", true, true};
        QTest::newRow("guest without a name") << Page{2, "", "10.0.0.2", true, false};
    }
    void enablingRules()
    {
        QFETCH(Page, p);
        Fixture f;
        f.toPage(p.mode == 1   ? f.w.RadioButton_TwoAtOne
                 : p.mode == 2 ? f.w.RadioButton_TwoAtTwo
                               : f.w.RadioButton_PCMode);
        QCOMPARE(f.w.CurrentPageName(), QStringLiteral("Mode%1").arg(p.mode));
        QVERIFY(f.w.Button_Back->isEnabled());
        QVERIFY(f.w.Button_Forward->isEnabled()); // the stored names will do
        if (p.mode == 2) {
            type(f.w.Edit_M2Player, p.name1);
            click(p.client ? f.w.RadioButton_M2Client : f.w.RadioButton_M2Host);
            type(f.w.Edit_M2IP, p.name2);
            QCOMPARE(f.w.Edit_M2IP->isEnabled(), p.client);
            QCOMPARE(f.w.Label_M2IP->isEnabled(), p.client);
            QCOMPARE(f.w.Button_Forward->isEnabled(), p.forward);
            f.w.SetIPCtrlsEnabled(false);
            QVERIFY(!f.w.Edit_M2Player->isEnabled() && !f.w.RadioButton_M2Client->isEnabled());
            QVERIFY(!f.w.Button_Forward->isEnabled());
            f.w.SetIPCtrlsEnabled(true);
            QCOMPARE(f.w.Button_Forward->isEnabled(), p.forward);
            return;
        }
        const bool pc = p.mode == 3;
        type(pc ? f.w.Edit_M3Player : f.w.Edit_M1Player1, p.name1);
        if (!pc)
            type(f.w.Edit_M1Player2, p.name2);
        QCOMPARE(f.w.Button_Forward->isEnabled(), p.forward);
        if (!p.forward)
            return;
        click(f.w.Button_Forward);
        QVERIFY(!f.w.isVisible());
        QCOMPARE(f.game.st.GamePhase, int(gpPlacing1));
        const QString first = p.name1.left(10), second = pc ? QStringLiteral("Computer") : p.name2;
        QCOMPARE(f.game.st.PlayerNames, (std::array<QString, 2>{first, second}));
        // The computer is never remembered.
        QCOMPARE(f.game.st.RecentNames,
                 (std::array<QString, 2>{first, pc ? QStringLiteral("Bert") : second}));
        if (pc)
            QVERIFY(Game::IsCompleteFleet(Game::CountShips(f.game.st.PlayField[1], 0)));
    }

    // "Wechselzeit" shows one less than the stored ChangingTime; "Denkzeit" shows it as it is.
    void timesRoundTrip()
    {
        Fixture f;
        f.rng.push(1); // player 1 places first
        f.toPage(f.w.RadioButton_TwoAtOne);
        QCOMPARE(f.w.SpinEdit_ChangingTime->value(), 3);
        f.w.SpinEdit_ChangingTime->setValue(5);
        QCOMPARE(f.w.Label_Time1->text(), QStringLiteral("Sekunden"));
        click(f.w.Button_Forward);
        QCOMPARE(f.game.st.ChangingTime, 6);
        QCOMPARE(f.w.result(), int(QDialog::Accepted));
        QCOMPARE(f.fx.log.mid(f.fx.log.size() - 3),
                 QStringList({"status Bert, klicken Sie auf die Felder, an denen Ihre Schiffe positioniert "
                              "sein sollen.",
                              "draw present", "info"}));
        QVERIFY(!f.game.DXTimer_Info.Enabled());

        f.game.st.GamePhase = gpNoGame;
        f.toPage(f.w.RadioButton_PCMode);
        QCOMPARE(f.w.SpinEdit_ChangingTime->value(), 5);
        QCOMPARE(f.w.SpinEdit_ComputerTime->value(), 6);
        f.w.SpinEdit_ComputerTime->setValue(1);
        QCOMPARE(f.w.Label_Time2->text(), QStringLiteral("Sekunde"));
        click(f.w.Button_Forward);
        QCOMPARE(f.game.st.ChangingTime, 1);
        QCOMPARE(f.game.DXTimer_Computer.Interval(), 1000);
        f.game.st.GamePhase = gpNoGame;
        f.w.show();
        QCOMPARE(f.w.SpinEdit_ChangingTime->value(), 1); // clamped at its minimum
    }

    void hostListens()
    {
        Fixture f;
        QSignalSpy listen(&f.w, &TForm2::M2OpenServer), start(&f.w, &TForm2::M2SendStart),
            closeSocket(&f.w, &TForm2::M2CloseSocket);
        f.toPage(f.w.RadioButton_TwoAtTwo);
        click(f.w.Button_Forward);
        QCOMPARE(listen.count(), 1);
        QCOMPARE(f.w.Label_M2IPState->text(), Texts::WizardText(2));
        QCOMPARE(f.game.st.LocalPlayer, 0);
        QVERIFY(!f.w.Edit_M2Player->isEnabled() && !f.w.Button_Forward->isEnabled());
        // Cancelling while only listening closes the socket without a question.
        click(f.w.Button_Cancel);
        QCOMPARE(closeSocket.count(), 1);
        QCOMPARE(closeSocket.at(0).at(0).toInt(), 0);
        QVERIFY(f.game.DXTimer_Info.Enabled());

        f.toPage(f.w.RadioButton_TwoAtTwo);
        click(f.w.Button_Forward);
        // The guest's name arrives; the network code enables "Weiter".
        f.game.st.PlayerNames[1] = QStringLiteral("Gast");
        f.w.Button_Forward->setEnabled(true);
        click(f.w.Button_Forward);
        QCOMPARE(start.count(), 1);
        QVERIFY(!f.w.isVisible());
        QCOMPARE(int(f.game.st.GameMode), int(gmTwoAtTwo));
        QCOMPARE(f.game.st.GamePhase, int(gpPlacing1));
        QVERIFY(f.fx.status.startsWith(QStringLiteral("Anna, klicken")));
    }

    // A guest connects; once signed in, "Zurück" asks before it disconnects.
    void guestConnectsAndGoesBack()
    {
        Fixture f;
        QSignalSpy connectTo(&f.w, &TForm2::M2OpenClient), closeSocket(&f.w, &TForm2::M2CloseSocket);
        f.toPage(f.w.RadioButton_TwoAtTwo);
        click(f.w.RadioButton_M2Client);
        type(f.w.Edit_M2IP, QStringLiteral("spielhost"));
        click(f.w.Button_Forward);
        QCOMPARE(connectTo.count(), 1);
        QCOMPARE(connectTo.at(0).at(0).toString(), QStringLiteral("spielhost"));
        QCOMPARE(f.game.st.LocalPlayer, 1);
        QCOMPARE(f.game.st.PlayerNames[1], QStringLiteral("Anna"));
        QCOMPARE(f.w.Label_M2IPState->text(), Texts::WizardText(5));

        f.game.st.PlayerNames[0] = QStringLiteral("Host"); // signed in
        QString text;
        AnswerMessageBox(QStringLiteral("&Nein"), [&](QMessageBox *box) { text = box->text(); });
        click(f.w.Button_Back);
        QCOMPARE(text, QStringLiteral("Soll die Verbindung getrennt werden?"));
        QCOMPARE(f.w.CurrentPageName(), QStringLiteral("Mode2"));
        QCOMPARE(closeSocket.count(), 0);
        AnswerMessageBox(QStringLiteral("&Ja"));
        click(f.w.Button_Back);
        QCOMPARE(closeSocket.count(), 1);
        QCOMPARE(closeSocket.at(0).at(0).toInt(), 1);
        QCOMPARE(f.w.CurrentPageName(), QStringLiteral("Standard"));
        QVERIFY(f.game.st.PlayerNames[0].isEmpty());
        QVERIFY(!f.game.DXTimer_Info.Enabled()); // "Zurück" is no close

        f.w.hide();
        f.w.show();
        QVERIFY(f.w.RadioButton_M2Client->isChecked());
        QCOMPARE(f.w.Edit_M2IP->text(), QStringLiteral("spielhost"));
    }
};

QTEST_MAIN(tst_wizard)
#include "tst_wizard.moc"
