// Two main windows with their wizards in one process play over loopback.

#include "support/GameTestAccess.h"
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

namespace {

struct Window {
    QTemporaryDir dir;
    ManualClock clock;
    ScriptedRandom rng;
    TForm1 form{&clock, &rng, nullptr, dir.filePath(QStringLiteral("Settings.ini"))};
    TForm2 *wizard = new TForm2(form.game(), &form);

    explicit Window(unsigned seed) : rng({}, seed)
    {
        form.setWizard(wizard);
        form.show();
    }
    GameState &st() { return GameTestAccess::state(form.game()); }
    // The wizard's network page, shown without its modal loop.
    void openNetworkPage(const QString &name, bool host, const QString &address = {})
    {
        wizard->show();
        wizard->RadioButton_TwoAtTwo->setChecked(true);
        wizard->Button_Forward->click();
        wizard->Edit_M2Player->setText(name);
        (host ? wizard->RadioButton_M2Host : wizard->RadioButton_M2Client)->setChecked(true);
        wizard->Edit_M2IP->setText(address);
        wizard->Button_Forward->click();
    }
    bool waitFor(const std::function<bool()> &condition) { return QTest::qWaitFor(condition, 5000); }
};

QString wizardText(int i, const QString &name = {})
{
    return FormatText(Texts::WizardText(i), {name, name});
}

} // namespace

class tst_netwindows : public QObject {
    Q_OBJECT
private slots:
    void init() { WhenModalMisses() = 0; }
    void cleanup() { QCOMPARE(WhenModalMisses(), 0); }

    void playThroughTheWindows()
    {
        Window host(3);
        auto guest = std::make_unique<Window>(4);
        host.form.net().setPort(0);
        host.openNetworkPage(QStringLiteral("Hanna"), true);
        QCOMPARE(host.wizard->Label_M2IPState->text(), wizardText(2));
        QVERIFY(!host.wizard->Edit_M2Player->isEnabled());
        guest->form.net().setPort(host.form.net().listeningPort());
        guest->openNetworkPage(QStringLiteral("<b>Gus</b>"), false, QStringLiteral("127.0.0.1"));
        QVERIFY(host.waitFor([&] { return host.wizard->Button_Forward->isEnabled(); }));
        // A peer's name is shown as it is, never as markup.
        QCOMPARE(host.wizard->Label_M2IPState->textFormat(), Qt::PlainText);
        QCOMPARE(host.form.Label_Info->textFormat(), Qt::PlainText);
        QCOMPARE(host.wizard->Label_M2IPState->text(), wizardText(3, QStringLiteral("<b>Gus</b>")));
        QVERIFY(guest->waitFor([&] {
            return guest->wizard->Label_M2IPState->text() == wizardText(1, QStringLiteral("Hanna"));
        }));
        QVERIFY(!guest->wizard->Button_Forward->isEnabled());

        // The host starts; both place and the host's draw lets it begin.
        host.wizard->Button_Forward->click();
        QVERIFY(!host.wizard->isVisible());
        QVERIFY(guest->waitFor([&] { return !guest->wizard->isVisible(); }));
        QCOMPARE(guest->st().GamePhase, gpPlacing1);
        host.form.MenuItem_SetShipsAutomatically->trigger();
        host.rng.push(0);
        host.form.FormKeyPress(13);
        guest->form.MenuItem_SetShipsAutomatically->trigger();
        guest->form.FormKeyPress(13);
        QVERIFY(host.waitFor(
            [&] { return host.st().GamePhase == gpFiring && guest->st().GamePhase == gpFiring; }));
        QCOMPARE(host.st().PlayField, guest->st().PlayField);

        host.form.DXDrawMouseDown(Qt::LeftButton, 480 + 40 * 4 + 20, 80 + 40 * 4 + 20);
        QVERIFY(guest->waitFor([&] { return guest->st().Tries[0] == 1; }));
        QCOMPARE(guest->st().ControlField[0], host.st().ControlField[0]);
        QCOMPARE(guest->st().CurrentPlayer, host.st().CurrentPlayer);

        // The guest's program ends: the host says so and shows the title.
        QString message;
        AnswerMessageBox(QStringLiteral("OK"), [&](QMessageBox *box) {
            message = box->windowTitle() + u'|' + box->text() + u'|' +
                      QString::number(box->buttons().size()) +
                      (box->textFormat() == Qt::PlainText ? "" : "|rich");
        });
        guest.reset();
        QVERIFY(host.waitFor([&] { return host.st().GamePhase == gpNoGame; }));
        QCOMPARE(message,
                 QStringLiteral("Verbindung getrennt|Die Verbindung zu <b>Gus</b> wurde getrennt.|1"));
        QCOMPARE(host.form.Label_Info->text(), Texts::InfoText(0));

        // Leaving the wizard while listening closes the socket without a question.
        host.openNetworkPage(QStringLiteral("Hanna"), true);
        QCOMPARE(host.form.net().link(), NetSession::Link::Listening);
        host.wizard->Button_Cancel->click();
        QVERIFY(!host.wizard->isVisible());
        QCOMPARE(host.form.net().link(), NetSession::Link::Idle);
    }
};

QTEST_MAIN(tst_netwindows)
#include "tst_netwindows.moc"
