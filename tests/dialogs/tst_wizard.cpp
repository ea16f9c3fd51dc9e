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

// The new-game wizard driven through its real controls.
class tst_wizard : public QObject {
    Q_OBJECT

    struct Fixture {
        RecordingEffects fx;
        ScriptedRandom rng;
        ManualClock clock;
        Game game{fx, rng, clock};
        TForm2 wizard{game};
        Fixture()
        {
            game.st.RecentNames = {QStringLiteral("Anna"), QStringLiteral("Bert")};
            game.st.ChangingTime = 4;
        }
    };

    static void click(QAbstractButton *b)
    {
        QVERIFY(b->isVisible());
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    static void type(QLineEdit *e, const QString &text)
    {
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
    }
    static void toPage(Fixture &f, QRadioButton *mode)
    {
        f.wizard.show();
        click(mode);
        click(f.wizard.Button_Forward);
    }

private slots:
    void init() { WhenModalMisses() = 0; }
    void cleanup() { QCOMPARE(WhenModalMisses(), 0); }

    void showResetsAndWaitsForAMode()
    {
        Fixture f;
        f.game.st.PlayerNames = {QStringLiteral("x"), QStringLiteral("y")};
        f.wizard.show();
        QCOMPARE(f.wizard.CurrentPageName(), QStringLiteral("Standard"));
        QVERIFY(!f.wizard.Button_Forward->isEnabled()); // names are stored, still disabled
        QVERIFY(!f.wizard.Button_Back->isEnabled());
        QVERIFY(!f.wizard.RadioButton_TwoAtOne->isChecked());
        QVERIFY(!f.wizard.RadioButton_TwoAtTwo->isChecked());
        QVERIFY(!f.wizard.RadioButton_PCMode->isChecked());
        QVERIFY(f.game.st.PlayerNames[0].isEmpty() && f.game.st.PlayerNames[1].isEmpty());
        QCOMPARE(f.wizard.Edit_M1Player1->text(), QStringLiteral("Anna"));
        QCOMPARE(f.wizard.Edit_M1Player2->text(), QStringLiteral("Bert"));
        QCOMPARE(f.wizard.Edit_M2Player->text(), QStringLiteral("Anna"));
        QCOMPARE(f.wizard.Edit_M3Player->text(), QStringLiteral("Anna"));
        QCOMPARE(f.wizard.Label_M2IPState->text(), Texts::WizardText(0));
        QVERIFY(f.wizard.RadioButton_M2Host->isChecked());
        click(f.wizard.RadioButton_PCMode);
        QVERIFY(f.wizard.Button_Forward->isEnabled());
        QCOMPARE(f.wizard.windowTitle(), QStringLiteral("Neues Spiel"));
        QCOMPARE(f.wizard.size(), QSize(489, 193));
    }

    void twoPlayerNames_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("forward");
        QTest::newRow("two names") << "Anna"
                                   << "Bert" << true;
        QTest::newRow("same name") << "Anna"
                                   << "Anna" << false;
        QTest::newRow("differ only in case") << "Anna"
                                             << "anna" << true;
        QTest::newRow("first empty") << ""
                                     << "Bert" << false;
        QTest::newRow("second empty") << "Anna"
                                      << "" << false;
    }
    void twoPlayerNames()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, forward);
        Fixture f;
        toPage(f, f.wizard.RadioButton_TwoAtOne);
        QCOMPARE(f.wizard.CurrentPageName(), QStringLiteral("Mode1"));
        QVERIFY(f.wizard.Button_Back->isEnabled());
        QVERIFY(f.wizard.Button_Forward->isEnabled()); // the stored names differ
        type(f.wizard.Edit_M1Player1, first);
        type(f.wizard.Edit_M1Player2, second);
        QCOMPARE(f.wizard.Button_Forward->isEnabled(), forward);
        if (!forward)
            return;
        click(f.wizard.Button_Forward);
        QVERIFY(!f.wizard.isVisible());
        QCOMPARE(f.game.st.PlayerNames[0], first);
        QCOMPARE(f.game.st.PlayerNames[1], second);
        QCOMPARE(f.game.st.RecentNames[1], second);
    }

    void namesAreAtMostTenCharacters()
    {
        Fixture f;
        toPage(f, f.wizard.RadioButton_TwoAtOne);
        type(f.wizard.Edit_M1Player1, QStringLiteral("Maximiliane Mustermann"));
        QCOMPARE(f.wizard.Edit_M1Player1->text(), QStringLiteral("Maximilian"));
    }

    void changeOverTimeRoundTrip()
    {
        Fixture f;
        f.rng.push(1); // StartGame draws player 1 to place first
        toPage(f, f.wizard.RadioButton_TwoAtOne);
        QCOMPARE(f.wizard.SpinEdit_ChangingTime->value(), 3); // stored 4
        f.wizard.SpinEdit_ChangingTime->setValue(5);
        QCOMPARE(f.wizard.Label_Time1->text(), QStringLiteral("Sekunden"));
        click(f.wizard.Button_Forward);

        QCOMPARE(f.game.st.ChangingTime, 6);
        QCOMPARE(int(f.game.st.GameMode), int(gmTwoAtOne));
        QCOMPARE(f.game.st.GamePhase, int(gpPlacing1));
        QCOMPARE(f.game.st.CurrentPlayer, 1);
        QCOMPARE(f.wizard.result(), int(QDialog::Accepted));
        // Status line with the first placer's name, then the redraws.
        const QStringList tail = f.fx.log.mid(f.fx.log.size() - 3);
        QCOMPARE(tail, QStringList({QStringLiteral("status Bert, klicken Sie auf die Felder, an denen Ihre "
                                                   "Schiffe positioniert sein sollen."),
                                    QStringLiteral("draw present"), QStringLiteral("info")}));
        QVERIFY(!f.game.DXTimer_Info.Enabled()); // a started game keeps the animation off

        f.game.st.GamePhase = gpNoGame;
        f.wizard.show();
        QCOMPARE(f.wizard.SpinEdit_ChangingTime->value(), 5);
        QCOMPARE(f.wizard.SpinEdit_ComputerTime->value(), 6);
    }

    void thinkingTimeRoundTrip()
    {
        Fixture f;
        toPage(f, f.wizard.RadioButton_PCMode);
        QCOMPARE(f.wizard.CurrentPageName(), QStringLiteral("Mode3"));
        QVERIFY(f.wizard.Button_Forward->isEnabled());
        type(f.wizard.Edit_M3Player, QString());
        QVERIFY(!f.wizard.Button_Forward->isEnabled());
        type(f.wizard.Edit_M3Player, QStringLiteral("Carla"));
        QVERIFY(f.wizard.Button_Forward->isEnabled());
        f.wizard.SpinEdit_ComputerTime->setValue(1);
        QCOMPARE(f.wizard.Label_Time2->text(), QStringLiteral("Sekunde"));
        click(f.wizard.Button_Forward);

        QCOMPARE(f.game.st.ChangingTime, 1);
        QCOMPARE(int(f.game.st.GameMode), int(gmPCMode));
        QCOMPARE(f.game.st.PlayerNames[1], QStringLiteral("Computer"));
        QCOMPARE(f.game.st.RecentNames[0], QStringLiteral("Carla"));
        QCOMPARE(f.game.st.RecentNames[1], QStringLiteral("Bert")); // the computer is never remembered
        QVERIFY(Game::IsCompleteFleet(Game::CountShips(f.game.st.PlayField[1], 0)));
        QCOMPARE(f.game.DXTimer_Computer.Interval(), 1000);
        QCOMPARE(f.fx.status, QStringLiteral("Carla, klicken Sie auf die Felder, an denen Ihre Schiffe "
                                             "positioniert sein sollen."));

        f.game.st.GamePhase = gpNoGame;
        f.wizard.show();
        QCOMPARE(f.wizard.SpinEdit_ChangingTime->value(), 1); // clamped at its minimum
        QCOMPARE(f.wizard.SpinEdit_ComputerTime->value(), 1);
        QCOMPARE(f.wizard.Label_Time1->text(), QStringLiteral("Sekunde"));
        QCOMPARE(f.wizard.Edit_M1Player2->text(), QStringLiteral("Bert"));
    }

    void networkPageRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("client");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("addressEnabled");
        QTest::addColumn<bool>("forward");
        QTest::newRow("host with a name") << "Anna" << false << "" << false << true;
        QTest::newRow("host without a name") << "" << false << "" << false << false;
        QTest::newRow("guest without address") << "Anna" << true << "" << true << false;
        QTest::newRow("guest with address") << "Anna" << true << "10.0.0.2" << true << true;
        QTest::newRow("guest without a name") << "" << true << "10.0.0.2" << true << false;
    }
    void networkPageRules()
    {
        QFETCH(QString, name);
        QFETCH(bool, client);
        QFETCH(QString, address);
        QFETCH(bool, addressEnabled);
        QFETCH(bool, forward);
        Fixture f;
        toPage(f, f.wizard.RadioButton_TwoAtTwo);
        QCOMPARE(f.wizard.CurrentPageName(), QStringLiteral("Mode2"));
        type(f.wizard.Edit_M2Player, name);
        click(client ? f.wizard.RadioButton_M2Client : f.wizard.RadioButton_M2Host);
        type(f.wizard.Edit_M2IP, address);
        QCOMPARE(f.wizard.Edit_M2IP->isEnabled(), addressEnabled);
        QCOMPARE(f.wizard.Label_M2IP->isEnabled(), addressEnabled);
        QCOMPARE(f.wizard.Button_Forward->isEnabled(), forward);

        f.wizard.SetIPCtrlsEnabled(false);
        QVERIFY(!f.wizard.Edit_M2Player->isEnabled());
        QVERIFY(!f.wizard.RadioButton_M2Client->isEnabled());
        QVERIFY(!f.wizard.Edit_M2IP->isEnabled());
        QVERIFY(!f.wizard.Button_Forward->isEnabled());
        f.wizard.SetIPCtrlsEnabled(true);
        QCOMPARE(f.wizard.Button_Forward->isEnabled(), forward);
    }

    void hostStartsListening()
    {
        Fixture f;
        QSignalSpy listen(&f.wizard, &TForm2::M2OpenServer);
        toPage(f, f.wizard.RadioButton_TwoAtTwo);
        click(f.wizard.Button_Forward);
        QCOMPARE(listen.count(), 1);
        QVERIFY(f.wizard.isVisible());
        QCOMPARE(f.wizard.Label_M2IPState->text(), Texts::WizardText(2));
        QCOMPARE(int(f.game.st.GameMode), int(gmTwoAtTwo));
        QCOMPARE(f.game.st.LocalPlayer, 0);
        QCOMPARE(f.game.st.PlayerNames[0], QStringLiteral("Anna"));
        QVERIFY(!f.wizard.Edit_M2Player->isEnabled());
        QVERIFY(!f.wizard.Button_Forward->isEnabled());

        // Cancelling while only listening closes the socket without a question
        // and resumes the title animation.
        QSignalSpy closeSocket(&f.wizard, &TForm2::M2CloseSocket);
        click(f.wizard.Button_Cancel);
        QCOMPARE(closeSocket.count(), 1);
        QCOMPARE(closeSocket.at(0).at(0).toInt(), 0);
        QVERIFY(!f.wizard.isVisible());
        QVERIFY(f.game.DXTimer_Info.Enabled());
    }

    void guestConnects()
    {
        Fixture f;
        QSignalSpy connectTo(&f.wizard, &TForm2::M2OpenClient);
        toPage(f, f.wizard.RadioButton_TwoAtTwo);
        click(f.wizard.RadioButton_M2Client);
        type(f.wizard.Edit_M2IP, QStringLiteral("spielhost"));
        click(f.wizard.Button_Forward);
        QCOMPARE(connectTo.count(), 1);
        QCOMPARE(connectTo.at(0).at(0).toString(), QStringLiteral("spielhost"));
        QCOMPARE(f.game.st.HostAddress, QStringLiteral("spielhost"));
        QCOMPARE(f.game.st.LocalPlayer, 1);
        QCOMPARE(f.game.st.PlayerNames[1], QStringLiteral("Anna"));
        QVERIFY(f.wizard.ConnectRetryArmed);
        QCOMPARE(f.wizard.Label_M2IPState->text(), Texts::WizardText(5));
        QVERIFY(!f.wizard.Edit_M2IP->isEnabled());

        f.game.st.GamePhase = gpNoGame;
        f.wizard.hide();
        f.wizard.show();
        QVERIFY(f.wizard.RadioButton_M2Client->isChecked());
        QCOMPARE(f.wizard.Edit_M2IP->text(), QStringLiteral("spielhost"));
    }

    void hostStartsTheGameOnceTheGuestIsIn()
    {
        Fixture f;
        QSignalSpy start(&f.wizard, &TForm2::M2SendStart);
        toPage(f, f.wizard.RadioButton_TwoAtTwo);
        click(f.wizard.Button_Forward);
        // The guest's name arrives; the network code enables "Weiter".
        f.game.st.PlayerNames[1] = QStringLiteral("Gast");
        f.wizard.Button_Forward->setEnabled(true);
        click(f.wizard.Button_Forward);
        QCOMPARE(start.count(), 1);
        QVERIFY(!f.wizard.isVisible());
        QCOMPARE(f.game.st.GamePhase, int(gpPlacing1));
        QCOMPARE(f.game.st.CurrentPlayer, 0);
        QVERIFY(f.fx.status.startsWith(QStringLiteral("Anna, klicken")));
    }

    void backWithAConnectedPeerAsksFirst()
    {
        Fixture f;
        QSignalSpy closeSocket(&f.wizard, &TForm2::M2CloseSocket);
        toPage(f, f.wizard.RadioButton_TwoAtTwo);
        click(f.wizard.RadioButton_M2Client);
        type(f.wizard.Edit_M2IP, QStringLiteral("10.1.1.1"));
        click(f.wizard.Button_Forward);
        f.game.st.PlayerNames[0] = QStringLiteral("Host"); // signed in

        QString title, text;
        AnswerMessageBox(QStringLiteral("&Nein"), [&](QMessageBox *box) {
            title = box->windowTitle();
            text = box->text();
        });
        click(f.wizard.Button_Back);
        QCOMPARE(title, QStringLiteral("Warnung"));
        QCOMPARE(text, QStringLiteral("Soll die Verbindung getrennt werden?"));
        QCOMPARE(f.wizard.CurrentPageName(), QStringLiteral("Mode2"));
        QCOMPARE(closeSocket.count(), 0);
        QCOMPARE(f.game.st.PlayerNames[0], QStringLiteral("Host"));

        AnswerMessageBox(QStringLiteral("&Ja"));
        click(f.wizard.Button_Back);
        QCOMPARE(closeSocket.count(), 1);
        QCOMPARE(closeSocket.at(0).at(0).toInt(), 1);
        QCOMPARE(f.wizard.CurrentPageName(), QStringLiteral("Standard"));
        QVERIFY(f.game.st.PlayerNames[0].isEmpty());
        QVERIFY(f.wizard.isVisible());
        QVERIFY(!f.game.DXTimer_Info.Enabled()); // "Zurück" is no close
    }

    void backFromAnyPageResets()
    {
        Fixture f;
        toPage(f, f.wizard.RadioButton_TwoAtOne);
        type(f.wizard.Edit_M1Player1, QStringLiteral("Zoe"));
        click(f.wizard.Button_Back);
        QCOMPARE(f.wizard.CurrentPageName(), QStringLiteral("Standard"));
        QCOMPARE(f.wizard.Edit_M1Player1->text(), QStringLiteral("Anna"));
        QVERIFY(!f.wizard.Button_Back->isEnabled());
        QVERIFY(!f.wizard.Button_Forward->isEnabled());
    }

    void escapeCancelsAndResumesTheAnimation()
    {
        Fixture f;
        f.wizard.show();
        QVERIFY(!f.game.DXTimer_Info.Enabled());
        QTest::keyClick(&f.wizard, Qt::Key_Escape);
        QVERIFY(!f.wizard.isVisible());
        QVERIFY(f.game.DXTimer_Info.Enabled());
        QCOMPARE(f.game.st.GamePhase, int(gpNoGame));
    }
};

QTEST_MAIN(tst_wizard)
#include "tst_wizard.moc"
