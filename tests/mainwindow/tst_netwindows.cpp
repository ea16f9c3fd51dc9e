#include "app/mainwindow/TForm1.h"
#include "dialogs/TForm2.h"
#include "game/Format.h"
#include "game/Texts.h"
#include "opponents/NetSession.h"
#include "support/WhenModal.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Two main windows with their wizards in one process play over loopback:
// the wizard's network page, the host's start, fleets and shots through the
// windows' handlers, and the message when a program goes away.

namespace {

constexpr int kWait = 5000;

struct Window {
    QTemporaryDir dir; // the window's settings file
    ManualClock clock;
    ScriptedRandom rng;
    TForm1 form{&clock, &rng, nullptr, dir.filePath(QStringLiteral("Settings.ini"))};
    TForm2 *wizard;

    explicit Window(unsigned seed) : rng({}, seed)
    {
        wizard = new TForm2(form.game(), &form);
        form.setWizard(wizard);
        form.show();
    }
    GameState &st() { return form.game().st; }

    // "Neu" without the modal loop: the wizard's pages are driven by hand.
    void openNetworkPage(const QString &name, bool host, const QString &address = {})
    {
        form.game().AbandonGame();
        wizard->show();
        wizard->RadioButton_TwoAtTwo->setChecked(true);
        wizard->Button_Forward->click();
        QCOMPARE(wizard->CurrentPageName(), QStringLiteral("Mode2"));
        wizard->Edit_M2Player->setText(name);
        (host ? wizard->RadioButton_M2Host : wizard->RadioButton_M2Client)->setChecked(true);
        wizard->Edit_M2IP->setText(address);
        QVERIFY(wizard->Button_Forward->isEnabled());
    }
    void shoot(int x, int y) { form.DXDrawMouseDown(Qt::LeftButton, 480 + 40 * x + 20, 80 + 40 * y + 20); }
};

QString entry(int i, const QString &name = {})
{
    return FormatText(Texts::WizardText(i), {name, name});
}

} // namespace

class tst_netwindows : public QObject {
    Q_OBJECT

    // Host and guest up to the moment the names have crossed.
    static void connectPair(Window &host, Window &guest)
    {
        host.form.net().setPort(0);
        host.openNetworkPage(QStringLiteral("Hanna"), true);
        host.wizard->Button_Forward->click();
        QCOMPARE(host.wizard->Label_M2IPState->text(), entry(2));
        QVERIFY(!host.wizard->Edit_M2Player->isEnabled());
        QCOMPARE(host.form.net().link(), NetSession::Link::Listening);

        guest.form.net().setPort(host.form.net().listeningPort());
        guest.openNetworkPage(QStringLiteral("Gustav"), false, QStringLiteral("127.0.0.1"));
        guest.wizard->Button_Forward->click();
        QVERIFY(QTest::qWaitFor([&] { return host.wizard->Button_Forward->isEnabled(); }, kWait));
        QCOMPARE(host.wizard->Label_M2IPState->text(), entry(3, QStringLiteral("Gustav")));
        QVERIFY(QTest::qWaitFor(
            [&] { return guest.wizard->Label_M2IPState->text() == entry(1, QStringLiteral("Hanna")); },
            kWait));
        QVERIFY(!guest.wizard->Button_Forward->isEnabled());
        QCOMPARE(guest.st().HostAddress, QStringLiteral("127.0.0.1"));
    }

private slots:
    void init() { WhenModalMisses() = 0; }
    void cleanup() { QCOMPARE(WhenModalMisses(), 0); }

    void playThroughTheWindows()
    {
        Window host(3);
        auto guest = std::make_unique<Window>(4);
        connectPair(host, *guest);

        host.wizard->Button_Forward->click(); // start
        QVERIFY(!host.wizard->isVisible());
        QCOMPARE(host.st().GamePhase, gpPlacing1);
        QVERIFY(QTest::qWaitFor([&] { return !guest->wizard->isVisible(); }, kWait));
        QCOMPARE(guest->st().GamePhase, gpPlacing1);
        QCOMPARE(guest->form.Label_Info->text(),
                 QStringLiteral(
                     "Gustav, klicken Sie auf die Felder, an denen Ihre Schiffe positioniert sein sollen."));

        host.form.MenuItem_SetShipsAutomatically->trigger();
        host.rng.push(0); // the host begins
        host.form.FormKeyPress(13);
        guest->form.MenuItem_SetShipsAutomatically->trigger();
        guest->form.FormKeyPress(13);
        QVERIFY(QTest::qWaitFor(
            [&] { return host.st().GamePhase == gpFiring && guest->st().GamePhase == gpFiring; }, kWait));
        QCOMPARE(guest->st().CurrentPlayer, 0);
        QCOMPARE(host.st().PlayField, guest->st().PlayField);

        host.shoot(4, 4);
        QVERIFY(QTest::qWaitFor([&] { return guest->st().Tries[0] == 1; }, kWait));
        QCOMPARE(guest->st().ControlField[0], host.st().ControlField[0]);
        QCOMPARE(guest->st().CurrentPlayer, host.st().CurrentPlayer);

        // The guest's program ends.
        QString caption, text, button;
        AnswerMessageBox(QStringLiteral("OK"), [&](QMessageBox *box) {
            caption = box->windowTitle();
            text = box->text();
            button = box->buttons().size() == 1 ? box->buttons().first()->text() : QString();
        });
        guest.reset();
        QVERIFY(QTest::qWaitFor([&] { return host.st().GamePhase == gpNoGame; }, kWait));
        QCOMPARE(caption, QStringLiteral("Verbindung getrennt"));
        QCOMPARE(text, QStringLiteral("Die Verbindung zu Gustav wurde getrennt."));
        QCOMPARE(button, QStringLiteral("OK"));
        QCOMPARE(host.form.Label_Info->text(), Texts::InfoText(0));
        QVERIFY(host.form.game().DXTimer_Info.Enabled());
    }

    // "Zurück" on the guest's page asks first; "Nein" keeps the connection,
    // "Ja" ends it and the host's page says so and becomes editable.
    void guestGoesBack()
    {
        Window host(5), guest(6);
        connectPair(host, guest);

        QString question;
        AnswerMessageBox(QStringLiteral("&Nein"),
                         [&](QMessageBox *box) { question = box->windowTitle() + u'|' + box->text(); });
        guest.wizard->Button_Back->click();
        QCOMPARE(question, QStringLiteral("Warnung|Soll die Verbindung getrennt werden?"));
        QCOMPARE(guest.wizard->CurrentPageName(), QStringLiteral("Mode2"));
        QCOMPARE(guest.form.net().link(), NetSession::Link::Lobby);

        AnswerMessageBox(QStringLiteral("&Ja"));
        guest.wizard->Button_Back->click();
        QCOMPARE(guest.wizard->CurrentPageName(), QStringLiteral("Standard"));
        QCOMPARE(guest.form.net().link(), NetSession::Link::Idle);
        QVERIFY(QTest::qWaitFor([&] { return host.wizard->Edit_M2Player->isEnabled(); }, kWait));
        QCOMPARE(host.wizard->Label_M2IPState->text(), entry(4, QStringLiteral("Gustav")));
        QVERIFY(host.wizard->Button_Forward->isEnabled()); // may listen again
        QVERIFY(host.st().PlayerNames[1].isEmpty());
    }

    // The host cancels while only listening: no question, nothing open.
    void hostCancelsWhileListening()
    {
        Window host(7);
        host.form.net().setPort(0);
        host.openNetworkPage(QStringLiteral("Hanna"), true);
        host.wizard->Button_Forward->click();
        QCOMPARE(host.form.net().link(), NetSession::Link::Listening);
        host.wizard->Button_Cancel->click();
        QVERIFY(!host.wizard->isVisible());
        QCOMPARE(host.form.net().link(), NetSession::Link::Idle);
        QVERIFY(host.form.game().DXTimer_Info.Enabled());
    }
};

QTEST_MAIN(tst_netwindows)
#include "tst_netwindows.moc"
