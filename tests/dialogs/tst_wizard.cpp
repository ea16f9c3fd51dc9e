#include "dialogs/NewGameWizard.h"
#include "game/Texts.h"
#include "support/GameTestAccess.h"
#include "support/RecordingEffects.h"
#include "support/WhenModal.h"

#include <QtTest>
#include <QtWidgets>

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

// The wizard on an engine whose settings hold the names "Anna" and "Bert" and a time of 4.
struct Fixture {
    RecordingEffects fx;
    ScriptedRandom rng;
    ManualClock clock;
    Game game{fx, rng, clock};
    NewGameWizard w{game};
    GameState &st = GameTestAccess::state(game);
    Fixture() { st.RecentNames = {"Anna", "Bert"}, st.ChangingTime = 4; }
    void toPage(int mode)
    {
        w.show();
        click(mode == 1 ? w.RadioButton_TwoAtOne : mode == 2 ? w.RadioButton_TwoAtTwo : w.RadioButton_PCMode);
        click(w.Button_Forward);
    }
};

struct Page { // one page's fields, and whether "Weiter" allows them
    int mode;             // 1: two at one PC, 2: network, 3: computer
    QString name1, name2; // name2: second player, or the host address of a guest
    bool client, forward;
};

Q_DECLARE_METATYPE(Page)

// The host listens; a guest connects, and once signed in "Zurück" asks first.
static void networkPage(bool client)
{
    Fixture f;
    f.st.PlayerNames = {"x", "y"}; // the last game's, forgotten when the wizard opens
    QSignalSpy listen(&f.w, &NewGameWizard::M2OpenServer), connectTo(&f.w, &NewGameWizard::M2OpenClient),
        closeSocket(&f.w, &NewGameWizard::M2CloseSocket);
    f.toPage(2);
    type(f.w.Edit_M2Player, "Nina");
    if (client) {
        click(f.w.RadioButton_M2Client);
        type(f.w.Edit_M2IP, "spielhost");
    }
    click(f.w.Button_Forward);
    QVERIFY(listen.count() == !client && connectTo.count() == client && f.st.LocalPlayer == client);
    QVERIFY(f.w.Label_M2IPState->text() == Texts::WizardText(client ? 5 : 2) &&
            (!client || connectTo.at(0).at(0) == "spielhost"));
    QVERIFY(f.st.PlayerNames[client] == "Nina" && f.st.RecentNames[0] == "Nina" && f.st.PlayerNames[!client] == "");
    QVERIFY(!f.w.Edit_M2Player->isEnabled() && !f.w.Button_Forward->isEnabled());
    // The host's start and cancel: see the whole-window game over the network.
    if (!client)
        return;
    f.st.PlayerNames[0] = "Host"; // signed in
    QString text;
    AnswerMessageBox("&Nein", [&](QMessageBox *box) { text = box->text(); });
    click(f.w.Button_Back);
    QCOMPARE(text, "Soll die Verbindung getrennt werden?");
    QVERIFY(f.w.CurrentPageName() == "Mode2" && closeSocket.isEmpty());
    AnswerMessageBox("&Ja");
    click(f.w.Button_Back);
    QVERIFY(closeSocket.count() == 1 && closeSocket.at(0).at(0) == 1 && f.w.CurrentPageName() == "Standard");
    QVERIFY(f.st.PlayerNames[0].isEmpty() && !GameTestAccess::animationTimer(f.game).isEnabled()); // "Zurück" is no close
    f.w.hide(), f.w.show();
    QVERIFY(f.w.RadioButton_M2Client->isChecked() && f.w.Edit_M2IP->text() == "spielhost");
}

// The new-game wizard driven through its real controls.
class tst_wizard : public QObject {
    Q_OBJECT
private slots:
    void init() { WhenModalMisses() = 0; }
    void cleanup() { QCOMPARE(WhenModalMisses(), 0); }

    void enablingRules_data()
    {
        QTest::addColumn<Page>("p");
        QTest::newRow("two names") << Page{1, "Anna", "Bert", false, true};
        QTest::newRow("same name") << Page{1, "Anna", "Anna", false, false};
        QTest::newRow("differ only in case") << Page{1, "Anna", "anna", false, true};
        QTest::newRow("first empty") << Page{1, "", "Bert", false, false};
        QTest::newRow("second empty") << Page{1, "Anna", "", false, false};
        QTest::newRow("computer: no name") << Page{3, "", "", false, false};
        QTest::newRow("computer: a name") << Page{3, "Carla", "", false, true};
        QTest::newRow("host with a name") << Page{2, "Anna", "", false, true};
        QTest::newRow("host without a name") << Page{2, "", "", false, false};
        QTest::newRow("guest without address") << Page{2, "Anna", "", true, false};
        QTest::newRow("guest with address") << Page{2, "Anna", "10.0.0.2", true, true};
    }
    // The rules of "Weiter"; "Zurück" then starts over with the stored values.
    void enablingRules()
    {
        QFETCH(Page, p);
        Fixture f;
        f.toPage(p.mode);
        QCOMPARE(f.w.CurrentPageName(), QStringLiteral("Mode%1").arg(p.mode));
        QVERIFY(f.w.Button_Back->isEnabled() && f.w.Button_Forward->isEnabled()); // the stored names will do
        if (p.mode == 2) {
            type(f.w.Edit_M2Player, p.name1);
            click(p.client ? f.w.RadioButton_M2Client : f.w.RadioButton_M2Host);
            type(f.w.Edit_M2IP, p.name2);
            QVERIFY(f.w.Edit_M2IP->isEnabled() == p.client && f.w.Label_M2IP->isEnabled() == p.client);
        } else {
            type(f.w.Edit_M1Player2, p.name2); // the page's own rules come last
            type(p.mode == 3 ? f.w.Edit_M3Player : f.w.Edit_M1Player1, p.name1);
        }
        QCOMPARE(f.w.Button_Forward->isEnabled(), p.forward);
        click(f.w.Button_Back);
        QVERIFY(f.w.CurrentPageName() == "Standard" && !f.w.Button_Forward->isEnabled() && !f.w.Button_Back->isEnabled());
        QVERIFY(!f.w.RadioButton_TwoAtOne->isChecked() && !f.w.RadioButton_TwoAtTwo->isChecked() &&
                !f.w.RadioButton_PCMode->isChecked() && f.w.Edit_M1Player1->text() == "Anna" &&
                f.w.Edit_M2Player->text() == "Anna" && f.w.Edit_M3Player->text() == "Anna" &&
                f.w.Edit_M1Player2->text() == "Bert");
    }

    // Two at one PC, then against the computer: names, times ("Wechselzeit" shows one less than
    // the stored ChangingTime, "Denkzeit" shows it as it is) and the start.
    void commitsTheChoices()
    {
        Fixture f;
        f.rng.push(1); // player 1 places first
        f.toPage(1);
        QCOMPARE(f.w.SpinEdit_ChangingTime->value(), 3);
        type(f.w.Edit_M1Player1, "Maximiliane Mustermann");
        f.w.SpinEdit_ChangingTime->setValue(5);
        QCOMPARE(f.w.Label_Time1->text(), "Sekunden");
        click(f.w.Button_Forward);
        QVERIFY(f.st.ChangingTime == 6 && f.w.result() == QDialog::Accepted && !GameTestAccess::animationTimer(f.game).isEnabled());
        QVERIFY(f.st.PlayerNames == f.st.RecentNames && f.st.PlayerNames[0] == "Maximilian");
        QCOMPARE(f.fx.log.last(3).join('|'), "status Bert, klicken Sie auf die Felder, an denen Ihre Schiffe "
                                             "positioniert sein sollen.|draw present|info");

        f.st.GamePhase = gpNoGame;
        f.toPage(3);
        QVERIFY(f.w.SpinEdit_ChangingTime->value() == 5 && f.w.SpinEdit_ComputerTime->value() == 6);
        type(f.w.Edit_M3Player, "Zoe");
        f.w.SpinEdit_ComputerTime->setValue(1);
        QCOMPARE(f.w.Label_Time2->text(), "Sekunde");
        click(f.w.Button_Forward);
        QVERIFY(f.st.ChangingTime == 1 && GameTestAccess::computerTimer(f.game).interval() == 1000 && f.st.GamePhase == gpPlacing1);
        QVERIFY(Game::isCompleteFleet(Game::countShips(f.st.PlayField[1], 0)));
        QCOMPARE(f.st.PlayerNames, (std::array<QString, 2>{"Zoe", "Computer"}));
        QCOMPARE(f.st.RecentNames, (std::array<QString, 2>{"Zoe", "Bert"})); // the computer is never remembered
        f.st.GamePhase = gpNoGame;
        f.w.show();
        QCOMPARE(f.w.SpinEdit_ChangingTime->value(), 1); // clamped at its minimum
    }

    void hostListens() { networkPage(false); }
    void guestConnectsAndGoesBack() { networkPage(true); }
};

QTEST_MAIN(tst_wizard)
#include "tst_wizard.moc"
