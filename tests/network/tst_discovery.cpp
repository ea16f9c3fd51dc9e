#include "NetTestSupport.h"
#include "app/mainwindow/NetLink.h"
#include "dialogs/NewGameWizard.h"
#include "game/Format.h"
#include "opponents/AvahiConnection.h"
#include "opponents/GameAnnouncement.h"
#include "opponents/GameBrowser.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QProcess>
#include <QtTest>
#include <QtWidgets>

// Games on the local network with a real avahi-daemon in in-private-network.sh, else without one.

namespace {

const QString Searching = u"Noch keine Spiele im lokalen Netzwerk gefunden."_s;
constexpr int kFound = 10000; // ms; an entry comes within a second or two

const bool InPrivateNetwork = qEnvironmentVariableIsSet("KW_PRIVATE_NETWORK");

// One program's window side of a network game: its wizard and NetLink.
struct Program {
    QWidget window;
    RecordingEffects fx;
    ScriptedRandom rng;
    ManualClock clock;
    Game game{fx, rng, clock};
    NewGameWizard wizard{game, &window};
    NetLink link{window, game, wizard};
    QListWidget *list = wizard.findChild<QListWidget *>("List_M2Games");

    template <class T = QAbstractButton> T *c(const char *name) { return wizard.findChild<T *>(name); }
    void openNetworkPage(const QString &name, bool host)
    {
        wizard.show();
        c("RadioButton_TwoAtTwo")->setChecked(true);
        c("Button_Forward")->click();
        c<QLineEdit>("Edit_M2Player")->setText(name);
        c(host ? "RadioButton_M2Host" : "RadioButton_M2Client")->setChecked(true);
        if (host)
            c("Button_Forward")->click();
    }
    QStringList listed() const
    {
        QStringList texts;
        for (const QListWidgetItem *item : list->findItems({}, Qt::MatchContains))
            texts << item->text();
        return texts;
    }
};

const QString Host = QHostInfo::localHostName();
const auto entry = [](const QString &name) { return FormatText(u"%s (auf %s)"_s, {name, Host}); };

// This program as a host of its own, to be killed, or as a flood of games with
// names of 63 bytes, one of them renamed every 20 ms.
int RunHelper(const QString &what, const QString &value)
{
    static AvahiConnection avahi;
    static std::vector<std::unique_ptr<GameAnnouncement>> games;
    static QTimer change;
    for (int i = 0; what == u"flood"_s && i < value.toInt(); ++i)
        (*games.emplace(games.end(), new GameAnnouncement(avahi)))
            ->announce(u"%1"_s.arg(i, 63, 10, QChar(u'x')), 5998, {});
    QObject::connect(&change, &QTimer::timeout, [turn = 0]() mutable {
        const QString name = QString::number(++turn).leftJustified(63, QChar(u'y'));
        games[turn % games.size()]->announce(name, 5998, {});
    });
    if (!games.empty())
        change.start(20);
    else
        (new Program)->openNetworkPage(value, true);
    return qApp->exec();
}

// Stops or starts the private network's daemon and returns once it has.
bool SetDaemonRunning(bool running)
{
    if (running ? QProcess::execute(u"sh"_s, {u"-c"_s, qEnvironmentVariable("KW_AVAHI_START")}) != 0
                : QProcess::execute(u"avahi-daemon"_s, {u"-k"_s}) != 0)
        return false;
    return QTest::qWaitFor([&] { return (QProcess::execute(u"avahi-daemon"_s, {u"-c"_s}) == 0) == running; },
                           kFound);
}

} // namespace

class tst_discovery : public QObject {
    Q_OBJECT
    void start(const QString &program, const QStringList &arguments)
    {
        (new QProcess(this))->start(program, arguments);
    }

private slots:
    void cleanup()
    {
        for (QProcess *helper : findChildren<QProcess *>())
            helper->kill(), helper->waitForFinished(), delete helper;
    }
    void init()
    {
        if (!InPrivateNetwork && QString::fromUtf8(QTest::currentTestFunction()) != u"withoutTheService"_s)
            QSKIP("needs a private network with avahi-daemon (in-private-network.sh)");
    }

    void announcedUntilTheHostStops_data()
    {
        QTest::addColumn<QString>("stop");
        QTest::newRow("a guest joins") << u"join"_s;
        QTest::newRow("the host cancels") << u"cancel"_s;
        QTest::newRow("the host is killed") << u"kill"_s;
    }
    // The host's game is listed while it listens; choosing it fills the
    // address, a double click joins.
    void announcedUntilTheHostStops()
    {
        QFETCH(QString, stop);
        Program guest;
        guest.openNetworkPage(u"Gus"_s, false);
        QTRY_COMPARE(guest.listed(), QStringList{Searching});
        std::unique_ptr<Program> host;
        QElapsedTimer sinceListening;
        if (stop == u"kill"_s)
            start(QCoreApplication::applicationFilePath(), {u"host"_s, u"Anna"_s});
        else
            (host = std::make_unique<Program>())->openNetworkPage(u"Anna"_s, true);
        sinceListening.start();
        QTRY_COMPARE_WITH_TIMEOUT(guest.listed(), QStringList{entry(u"Anna"_s)}, kFound);
        qInfo("listed %lld ms after the host began to listen", qint64(sinceListening.elapsed()));
        const QPoint anna = guest.list->visualItemRect(guest.list->item(0)).center();
        QTest::mouseClick(guest.list->viewport(), Qt::LeftButton, {}, anna);
        QVERIFY(!QHostAddress(guest.c<QLineEdit>("Edit_M2IP")->text()).isNull()); // the address resolved
        if (stop == u"join"_s) {
            QTest::mouseDClick(guest.list->viewport(), Qt::LeftButton, {}, anna);
            QTRY_COMPARE(host->game.st.playerNames[1], u"Gus"_s);
        } else if (stop == u"cancel"_s) {
            const QString own = host->c<QLabel>("Label_M2Addresses")->text(); // IPv4 first, no link-local
            QVERIFY2(
                own.startsWith("Dieser Computer: " + Host + " – 10.77.0.") && own.count(u"fd77::"_s) == 2 &&
                    own.indexOf(u"fd77::"_s) > own.lastIndexOf(u"10.77.0."_s) && !own.contains(u"fe80"_s),
                qPrintable(own));
            host->c("Button_Cancel")->click();
        } else {
            findChild<QProcess *>()->kill(); // SIGKILL
        }
        QTRY_COMPARE_WITH_TIMEOUT(guest.listed(), QStringList{Searching}, kFound);
    }

    // Games of other programs come and go; a clash of names gets the platform's other name.
    void listFollowsTheNetwork()
    {
        Program guest;
        guest.openNetworkPage(u"Gus"_s, false);
        for (const QString &name : {u"Anna"_s, u"B\tB"_s, u"Carl"_s})
            start(u"avahi-publish"_s, {u"-s"_s, name, u"_kielwanz._tcp"_s, u"5998"_s});
        start(u"avahi-publish"_s, {u"-s"_s, u"Dora"_s, u"_kielwanz._tcp"_s, u"6001"_s}); // not joinable
        QTRY_COMPARE_WITH_TIMEOUT(guest.listed().size(), 3, kFound);
        Program host;
        host.openNetworkPage(u"Anna"_s, true);
        const QStringList all{entry(u"Anna"_s), entry(u"Anna #2"_s), entry(u"B\u2409B"_s), entry(u"Carl"_s)};
        QTRY_COMPARE_WITH_TIMEOUT(guest.listed(), all, kFound);
        findChild<QProcess *>()->kill(); // the first: Anna
        QTRY_COMPARE_WITH_TIMEOUT(guest.listed(), all.mid(1), kFound);
    }

    // IPv4 and IPv6 (with an interface's scope too) from the entry chosen to a finished game.
    void wholeGameByAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("the entry found") << QString();
        QTest::newRow("IPv6") << u"fd77::1"_s;
        QHostAddress linkLocal;
        for (const QNetworkAddressEntry &e : QNetworkInterface::interfaceFromName(u"d0"_s).addressEntries())
            if (e.ip().isLinkLocal() && e.ip().protocol() == QAbstractSocket::IPv6Protocol)
                linkLocal = e.ip();
        QTest::newRow("IPv6 link-local") << linkLocal.toString();
    }
    void wholeGameByAddress()
    {
        QFETCH(QString, address);
        NetSide host(0, u"Hanna"_s, 11), guest(1, u"Gustav"_s, 22);
        AvahiConnection avahi;
        GameAnnouncement announcement(avahi);
        GameBrowser browser(avahi);
        host.net.listen();
        announcement.announce(u"Hanna"_s, host.net.listeningPort(), {});
        browser.start();
        QTRY_COMPARE_WITH_TIMEOUT(browser.games().value(0).name, u"Hanna"_s, kFound);
        guest.net.connectTo(address.isEmpty() ? browser.games().first().address : address);
        QVERIFY(QTest::qWaitFor([&] { return !host.st.playerNames[1].isEmpty(); }, kWait));
        PlayOverSockets(host, guest);
        QVERIFY(host.st.gamePhase == gpFinished && Agreement(host.st) == Agreement(guest.st));
    }

    // Hundreds of games, names of 63 bytes, constant changes: the list stays
    // at its 50 entries and the wizard keeps answering.
    void floodOfGames()
    {
        Program guest;
        guest.openNetworkPage(u"Gus"_s, false);
        QElapsedTimer beat; // how long the event loop is away at worst
        qint64 longest = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { longest = std::max(longest, beat.restart()); });
        beat.start(), ticker.start(10);
        start(QCoreApplication::applicationFilePath(),
              {u"flood"_s, qEnvironmentVariable("KW_FLOOD", u"400"_s)});
        QTRY_COMPARE_WITH_TIMEOUT(guest.listed().size(), GameBrowser::MaxListed, 60000);
        QSignalSpy updates(guest.list->model(), &QAbstractItemModel::modelReset);
        QVERIFY(QTest::qWaitFor(
            [&] { return guest.listed().size() > GameBrowser::MaxListed || updates.size() >= 3; }, 60000));
        QVERIFY(guest.listed().size() <= GameBrowser::MaxListed); // fewer for a moment while games go
        qInfo("longest pause of the event loop in the flood: %lld ms", longest);
        // The daemon loses part of the goodbyes of hundreds of games that end
        // at once and keeps those names until their records expire (75 min):
        // the tests that follow get a fresh one.
        cleanup();
        QVERIFY(SetDaemonRunning(false) && SetDaemonRunning(true));
    }

    // Without the daemon (or without any system bus) the list says so at once, nothing is logged,
    // and the host listens as before.
    void withoutTheService()
    {
        QTest::failOnWarning(QRegularExpression(u"^(?!This plugin does not support)"_s)); // offscreen's own
        const QStringList unavailable{u"Die automatische Suche ist nicht verfügbar."_s};
        Program before; // when the daemon stops, and when it is back
        before.openNetworkPage(u"Gus"_s, false);
        if (InPrivateNetwork) {
            QTRY_COMPARE(before.listed(), QStringList{Searching});
            QVERIFY(SetDaemonRunning(false));
            QTRY_COMPARE(before.listed(), unavailable);
        }
        Program guest, host; // the bus is not asked to start the daemon, which would take long
        guest.openNetworkPage(u"Gus"_s, false);
        QTRY_COMPARE(guest.listed(), unavailable);
        host.link.session().setPort(0); // games over the network: see the main window's tests, without a bus
        host.openNetworkPage(u"Anna"_s, true);
        QCOMPARE(host.link.session().link(), NetSession::Link::Listening);
        if (!InPrivateNetwork)
            return;
        QVERIFY(SetDaemonRunning(true));
        before.c("Button_Back")->click(); // the page opened again finds the daemon back
        before.openNetworkPage(u"Gus"_s, false);
        QTRY_COMPARE_WITH_TIMEOUT(before.listed(), QStringList{Searching}, kFound);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && (argv[1] == "host"_L1 || argv[1] == "flood"_L1))
        return RunHelper(QString::fromUtf8(argv[1]), QString::fromUtf8(argv[2]));
    tst_discovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_discovery.moc"
