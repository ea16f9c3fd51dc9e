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
    template <class T = QAbstractButton> T *c(const char *name) { return w.findChild<T *>(name); }
    QAbstractButton *forward = c("Button_Forward"), *back = c("Button_Back");
    QLineEdit *name1 = c<QLineEdit>("Edit_M1Player1"), *name2 = c<QLineEdit>("Edit_M1Player2"),
              *netName = c<QLineEdit>("Edit_M2Player"), *address = c<QLineEdit>("Edit_M2IP"),
              *soloName = c<QLineEdit>("Edit_M3Player");
    QSpinBox *time1 = c<QSpinBox>("SpinEdit_ChangingTime"), *time2 = c<QSpinBox>("SpinEdit_ComputerTime");
    Fixture() { st.recentNames = {"Anna", "Bert"}, st.changingTime = 4; }
    void toPage(int mode)
    {
        w.show();
        click(c(std::array{"", "RadioButton_TwoAtOne", "RadioButton_TwoAtTwo", "RadioButton_PCMode"}[mode]));
        click(forward);
    }
};

struct Page {             // one page's fields, and whether "Weiter" allows them
    int mode;             // 1: two at one PC, 2: network, 3: computer
    QString name1, name2; // name2: second player, or the host address of a guest
    bool client, forward;
};

Q_DECLARE_METATYPE(Page)

// The host listens; a guest connects, and once signed in "Zurück" asks first.
static void networkPage(bool client)
{
    Fixture f;
    f.st.playerNames = {"x", "y"}; // the last game's, forgotten when the wizard opens
    QSignalSpy listen(&f.w, &NewGameWizard::listenRequested),
        connectTo(&f.w, &NewGameWizard::connectRequested), closeSocket(&f.w, &NewGameWizard::closeRequested);
    f.toPage(2);
    type(f.netName, "Nina");
    if (client) {
        click(f.c("RadioButton_M2Client"));
        type(f.address, "spielhost");
    }
    click(f.forward);
    QVERIFY(listen.count() == !client && connectTo.count() == client && f.st.localPlayer == client &&
            f.c<QLabel>("Label_M2IPState")->text() == Texts::WizardText(client ? 5 : 2) &&
            (!client || connectTo.at(0).at(0) == "spielhost"));
    QVERIFY(f.st.playerNames[client] == "Nina" && f.st.recentNames[0] == "Nina" && !f.forward->isEnabled() &&
            f.st.playerNames[!client] == "" && !f.netName->isEnabled());
    // The host's start and cancel: see the whole-window game over the network.
    if (!client)
        return;
    f.st.playerNames[0] = "Host"; // signed in
    QString text;
    AnswerMessageBox("&Nein", [&](QMessageBox *box) { text = box->text(); });
    click(f.back);
    QCOMPARE(text, "Soll die Verbindung getrennt werden?");
    QVERIFY(f.w.currentPageName() == "Mode2" && closeSocket.isEmpty());
    AnswerMessageBox("&Ja");
    click(f.back);
    QVERIFY(closeSocket.count() == 1 && closeSocket.at(0).at(0) == 1 && f.w.currentPageName() == "Standard");
    QVERIFY(f.st.playerNames[0].isEmpty() &&
            !GameTestAccess::animationTimer(f.game).isEnabled()); // "Zurück" is no close
    f.w.hide(), f.w.show();
    QVERIFY(f.c("RadioButton_M2Client")->isChecked() && f.address->text() == "spielhost");
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
        QCOMPARE(f.w.currentPageName(), QStringLiteral("Mode%1").arg(p.mode));
        QVERIFY(f.back->isEnabled() && f.forward->isEnabled()); // the stored names will do
        if (p.mode == 2) {
            type(f.netName, p.name1);
            click(f.c(p.client ? "RadioButton_M2Client" : "RadioButton_M2Host"));
            type(f.address, p.name2);
            QVERIFY(f.address->isEnabled() == p.client && f.c<QLabel>("Label_M2IP")->isEnabled() == p.client);
        } else {
            type(f.name2, p.name2); // the page's own rules come last
            type(p.mode == 3 ? f.soloName : f.name1, p.name1);
        }
        QCOMPARE(f.forward->isEnabled(), p.forward);
        click(f.back);
        QVERIFY(f.w.currentPageName() == "Standard" && !f.forward->isEnabled() && !f.back->isEnabled());
        QVERIFY(!f.c("RadioButton_TwoAtOne")->isChecked() && !f.c("RadioButton_TwoAtTwo")->isChecked() &&
                !f.c("RadioButton_PCMode")->isChecked() && f.name1->text() == "Anna" &&
                f.netName->text() == "Anna" && f.soloName->text() == "Anna" && f.name2->text() == "Bert");
    }

    // Two at one PC, then against the computer: names, times ("Wechselzeit" shows one less than
    // the stored changingTime, "Denkzeit" shows it as it is) and the start.
    void commitsTheChoices()
    {
        Fixture f;
        f.rng.push(1); // player 1 places first
        f.toPage(1);
        QCOMPARE(f.time1->value(), 3);
        type(f.name1, "Maximiliane Mustermann");
        f.time1->setValue(5);
        QCOMPARE(f.c<QLabel>("Label_Time1")->text(), "Sekunden");
        click(f.forward);
        QVERIFY(f.st.changingTime == 6 && f.w.result() == QDialog::Accepted &&
                !GameTestAccess::animationTimer(f.game).isEnabled() && f.st.playerNames == f.st.recentNames &&
                f.st.playerNames[0] == "Maximilian");
        QCOMPARE(f.fx.log.last(3).join('|'), "status Bert, klicken Sie auf die Felder, an denen Ihre Schiffe "
                                             "positioniert sein sollen.|draw present|info");

        f.st.gamePhase = gpNoGame;
        f.toPage(3);
        QVERIFY(f.time1->value() == 5 && f.time2->value() == 6);
        type(f.soloName, "Zoe");
        f.time2->setValue(1);
        QCOMPARE(f.c<QLabel>("Label_Time2")->text(), "Sekunde");
        click(f.forward);
        QVERIFY(Game::isCompleteFleet(Game::countShips(f.st.playField[1], 0)) && f.st.changingTime == 1 &&
                GameTestAccess::computerTimer(f.game).interval() == 1000 && f.st.gamePhase == gpPlacing1);
        QCOMPARE(f.st.playerNames, (std::array<QString, 2>{"Zoe", "Computer"}));
        QCOMPARE(f.st.recentNames, (std::array<QString, 2>{"Zoe", "Bert"})); // never the computer
        f.st.gamePhase = gpNoGame;
        f.w.show();
        QCOMPARE(f.time1->value(), 1); // clamped at its minimum
    }

    void hostListens() { networkPage(false); }

    void gamesFound_data()
    {
        QTest::addColumn<QString>("how"); // how the guest takes the second entry
        QTest::newRow("double click") << "double click";
        QTest::newRow("selected, then Enter") << "Enter";
    }
    // A guest's choice among the games found fills the address; a double click or Enter joins.
    // Nothing connects before, and the note of an empty list is no choice.
    void gamesFound()
    {
        QFETCH(QString, how);
        Fixture f;
        QSignalSpy left(&f.w, &NewGameWizard::networkPageLeft),
            connectTo(&f.w, &NewGameWizard::connectRequested);
        f.toPage(2);
        click(f.c("RadioButton_M2Client"));
        auto *list = f.c<QListWidget>("List_M2Games");
        const auto doubleClick = [list] {
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                               list->visualItemRect(list->item(0)).center());
        };
        QVERIFY(list->isVisible() && !f.c<QLabel>("Label_M2Addresses")->isVisible());
        f.w.showFoundGames({}, "keine");
        doubleClick();
        QVERIFY(list->item(0)->text() == "keine" && f.address->text().isEmpty() && connectTo.isEmpty());
        f.w.showFoundGames({{"Anna (auf a)", "10.0.0.1"}, {"Bert (auf b)", "fe80::1%d0"}}, "keine");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        f.w.showFoundGames({{"Bert (auf b)", "fe80::1%d0"}}, "keine"); // Anna goes, Bert stays chosen
        QVERIFY(f.address->text() == "fe80::1%d0" && connectTo.isEmpty() && list->item(0)->isSelected());
        if (how == "double click")
            doubleClick();
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(connectTo.value(0).value(0).toString(), "fe80::1%d0");
        QVERIFY(connectTo.count() == 1 && f.st.hostAddress == connectTo.at(0).at(0) && !list->isEnabled());
        f.w.reject();
        QCOMPARE(left.count(), 1);
    }
    void guestConnectsAndGoesBack() { networkPage(true); }
};

QTEST_MAIN(tst_wizard)
#include "tst_wizard.moc"
