#include "UpdateTestServer.h"
#include "update/HttpClient.h"

#include <QtTest>

// The update's HTTP client against a real server on loopback.
class tst_httpclient : public QObject {
    Q_OBJECT

    UpdateTestServer server;
    QTemporaryDir local;

    QByteArray pattern(int size)
    {
        QByteArray b(size, '\0');
        for (int i = 0; i < size; ++i)
            b[i] = char('a' + i % 26);
        return b;
    }
    QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void initTestCase() { QVERIFY2(server.running(), "python3 test server did not start"); }
    void init() { server.setRoutes({}); }

    void getWritesTheBodyAndReportsProgress()
    {
        const QByteArray body = pattern(100000);
        server.put(QStringLiteral("Updates/a.zip"), body);
        HttpClient http;
        http.Host = QUrl(server.base());
        QSignalSpy work(&http, &HttpClient::work);
        QSignalSpy failed(&http, &HttpClient::failure);
        const QString file = local.filePath(QStringLiteral("a.zip"));
        QCOMPARE(http.Get(QStringLiteral("Updates/a.zip"), file), HttpClient::Result::Ok);
        QCOMPARE(readAll(file), body);
        QVERIFY(!work.isEmpty());
        QCOMPARE(work.last().at(0).toLongLong(), qint64(body.size()));
        QCOMPARE(work.last().at(1).toLongLong(), qint64(body.size()));
        QVERIFY(failed.isEmpty());
        QCOMPARE(http.lastStatus(), 200L);
    }

    void failures_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("expected");
        QTest::newRow("404") << false << 404 << int(HttpClient::Result::Failed);
        QTest::newRow("500") << false << 500 << int(HttpClient::Result::Failed);
        QTest::newRow("refused") << true << 0 << int(HttpClient::Result::ConnectionFailed);
    }
    void failures()
    {
        QFETCH(bool, refused);
        QFETCH(int, status);
        QFETCH(int, expected);
        server.setRoutes({{QStringLiteral("/Updates.ini"), QJsonObject{{QStringLiteral("status"), status}}}});
        HttpClient http;
        http.Host = refused ? QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(UpdateTestServer::closedPort()))
                            : QUrl(server.base());
        QSignalSpy failed(&http, &HttpClient::failure);
        QSignalSpy connection(&http, &HttpClient::connectionFailed);
        const QString file = local.filePath(QStringLiteral("list.ini"));
        QCOMPARE(int(http.Get(QStringLiteral("Updates.ini"), file)), expected);
        QCOMPARE(failed.size(), refused ? 0 : 1);
        if (!refused)
            QCOMPARE(failed.first().at(0).toString(), QStringLiteral("GET"));
        QCOMPARE(connection.size(), refused ? 1 : 0);
        // An error page is not taken for the file.
        QCOMPARE(readAll(file), QByteArray());
    }

    void redirectToAnotherPathAndHost()
    {
        server.put(QStringLiteral("moved/Updates.ini"), "[Kielwanz]\r\nDate=01.01.2030\r\n");
        server.put(QStringLiteral("Updates/b.zip"), "zip");
        server.setRoutes({{QStringLiteral("/Updates.ini"),
                           QJsonObject{{QStringLiteral("status"), 302},
                                       {QStringLiteral("location"),
                                        QStringLiteral("http://localhost:{port}/moved/Updates.ini")}}},
                          {QStringLiteral("/other"),
                           QJsonObject{{QStringLiteral("status"), 301},
                                       {QStringLiteral("location"), QStringLiteral("/Updates/b.zip")}}}});
        const qsizetype before = server.requests().size();
        HttpClient http;
        http.Host = QUrl(server.base());
        const QString file = local.filePath(QStringLiteral("r.ini"));
        QCOMPARE(http.Get(QStringLiteral("Updates.ini"), file), HttpClient::Result::Ok);
        QCOMPARE(readAll(file), QByteArray("[Kielwanz]\r\nDate=01.01.2030\r\n"));
        QCOMPARE(http.Host.host(), QStringLiteral("localhost"));
        QCOMPARE(http.Host.port(), server.port());
        // The next request goes to the host the redirection named.
        QCOMPARE(http.Get(QStringLiteral("other"), file), HttpClient::Result::Ok);
        QCOMPARE(readAll(file), QByteArray("zip"));
        const QStringList log = server.requests().mid(before);
        QCOMPARE(log.size(), 4);
        QVERIFY(log.at(0).startsWith(QStringLiteral("/Updates.ini 127.0.0.1:")));
        QVERIFY(log.at(1).startsWith(QStringLiteral("/moved/Updates.ini localhost:")));
        QVERIFY(log.at(2).startsWith(QStringLiteral("/other localhost:")));
        QVERIFY(log.at(3).startsWith(QStringLiteral("/Updates/b.zip localhost:")));
    }

    void abortFromWithinTheReportKeepsTheWindowAlive()
    {
        const QByteArray body = pattern(64 * 1024);
        server.put(QStringLiteral("slow.zip"), body);
        server.setRoutes({{QStringLiteral("/Updates/slow.zip"),
                           QJsonObject{{QStringLiteral("file"), QStringLiteral("slow.zip")},
                                       {QStringLiteral("chunk"), 4096},
                                       {QStringLiteral("delay"), 0.03}}}});
        HttpClient http;
        http.Host = QUrl(server.base());
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(10);
        qint64 lastReceived = 0;
        connect(&http, &HttpClient::work, [&](qint64 total, qint64 received) {
            QCOMPARE(total, qint64(body.size()));
            lastReceived = received;
            if (received >= 16 * 1024)
                http.Abort();
        });
        const QString file = local.filePath(QStringLiteral("slow.zip"));
        QSignalSpy failed(&http, &HttpClient::failure);
        QCOMPARE(http.Get(QStringLiteral("Updates/slow.zip"), file), HttpClient::Result::Aborted);
        QVERIFY(failed.isEmpty());
        QVERIFY(lastReceived < body.size());
        QVERIFY2(ticks > 3, "the event loop did not run during the transfer");
        QVERIFY(readAll(file).size() < body.size());
    }

    void noContentLengthReportsZeroTotal()
    {
        server.put(QStringLiteral("nolen.zip"), pattern(20000));
        server.setRoutes({{QStringLiteral("/Updates/nolen.zip"),
                           QJsonObject{{QStringLiteral("file"), QStringLiteral("nolen.zip")},
                                       {QStringLiteral("chunk"), 5000},
                                       {QStringLiteral("delay"), 0.01},
                                       {QStringLiteral("length"), false}}}});
        HttpClient http;
        http.Host = QUrl(server.base());
        QSignalSpy work(&http, &HttpClient::work);
        const QString file = local.filePath(QStringLiteral("nolen.zip"));
        QCOMPARE(http.Get(QStringLiteral("Updates/nolen.zip"), file), HttpClient::Result::Ok);
        QVERIFY(!work.isEmpty());
        for (const auto &report : work)
            QCOMPARE(report.at(0).toLongLong(), qint64(0));
        QCOMPARE(work.last().at(1).toLongLong(), qint64(20000));
    }

    void oversizedBodyFails()
    {
        server.put(QStringLiteral("Updates.ini"), pattern(5000));
        HttpClient http;
        http.Host = QUrl(server.base());
        http.MaxBodySize = 1000;
        QSignalSpy failed(&http, &HttpClient::failure);
        QCOMPARE(http.Get(QStringLiteral("Updates.ini"), local.filePath(QStringLiteral("big.ini"))),
                 HttpClient::Result::Failed);
        QCOMPARE(failed.size(), 1);
    }

    void httpsChecksCertificates()
    {
        // A self-signed certificate for 127.0.0.1, made for this run.
        const QString cert = local.filePath(QStringLiteral("cert.pem"));
        const QString key = local.filePath(QStringLiteral("key.pem"));
        const int made = QProcess::execute(
            QStringLiteral("openssl"),
            {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
             QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
             QStringLiteral("1"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
             QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
             QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert, QStringLiteral("-batch")});
        if (made != 0)
            QSKIP("openssl could not make a test certificate");
        UpdateTestServer secure(cert, key);
        QVERIFY(secure.running());
        secure.put(QStringLiteral("Updates.ini"), "[Kielwanz]\r\n");
        const QString file = local.filePath(QStringLiteral("tls.ini"));

        HttpClient http;
        http.Host = QUrl(secure.base());
        QSignalSpy connection(&http, &HttpClient::connectionFailed);
        // Not trusted: refused as a failed connection, nothing is fetched.
        QCOMPARE(http.Get(QStringLiteral("Updates.ini"), file), HttpClient::Result::ConnectionFailed);
        QCOMPARE(connection.size(), 1);
        QVERIFY(secure.requests().isEmpty());

        // Trusted: fetched.
        http.CaFile = cert;
        QCOMPARE(http.Get(QStringLiteral("Updates.ini"), file), HttpClient::Result::Ok);
        QCOMPARE(readAll(file), QByteArray("[Kielwanz]\r\n"));

        // A secure server cannot send the client on to a plain address.
        secure.setRoutes(
            {{QStringLiteral("/Updates.ini"),
              QJsonObject{{QStringLiteral("status"), 302},
                          {QStringLiteral("location"), server.base() + QStringLiteral("Updates.ini")}}}});
        const qsizetype plainBefore = server.requests().size();
        QCOMPARE(http.Get(QStringLiteral("Updates.ini"), file), HttpClient::Result::Failed);
        QCOMPARE(server.requests().size(), plainBefore);
        QCOMPARE(http.Host.scheme(), QStringLiteral("https"));
    }

    void manyQuickRequestsInARow()
    {
        // Each wait ends on its own transfer's notice, however quickly the
        // previous one ended.
        server.put(QStringLiteral("tiny"), "x");
        HttpClient http;
        http.Host = QUrl(server.base());
        for (int i = 0; i < 50; ++i)
            QCOMPARE(http.Get(QStringLiteral("tiny"), local.filePath(QStringLiteral("tiny"))),
                     HttpClient::Result::Ok);
    }

    void addressesStayBelowTheBase()
    {
        HttpClient http;
        http.Host = QUrl(QStringLiteral("https://updates.example/kw/"));
        QCOMPARE(http.addressOf(QStringLiteral("Updates/Neue Version?.zip")).toString(QUrl::FullyEncoded),
                 QStringLiteral("https://updates.example/kw/Updates/Neue%20Version%3F.zip"));
        QCOMPARE(http.addressOf(QStringLiteral("Updates/http://evil/x")).host(),
                 QStringLiteral("updates.example"));
    }
};

QTEST_MAIN(tst_httpclient)
#include "tst_httpclient.moc"
