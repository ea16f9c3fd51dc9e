#pragma once

// A real HTTP server on loopback for the update tests: runs
// tests/update/update_server.py on a free port, serving the files of a
// temporary folder. Header-only so that every update test can include it.

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

class UpdateTestServer {
public:
    // With a certificate and its key the server speaks https.
    explicit UpdateTestServer(const QString &cert = {}, const QString &key = {})
    {
        QStringList args{QStringLiteral(KW_TEST_DIR "/update_server.py"), dir_.path()};
        if (!cert.isEmpty())
            args << cert << key;
        https_ = !cert.isEmpty();
        process_.setProgram(QStringLiteral("python3"));
        process_.setArguments(args);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(10000))
            port_ = process_.readLine().trimmed().toInt();
    }
    ~UpdateTestServer()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }

    bool running() const { return port_ > 0; }
    int port() const { return port_; }
    QString root() const { return dir_.path(); }
    QString base() const
    {
        return QStringLiteral("%1://127.0.0.1:%2/")
            .arg(https_ ? QStringLiteral("https") : QStringLiteral("http"))
            .arg(port_);
    }

    void put(const QString &name, const QByteArray &content) const
    {
        const QString path = dir_.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    void setRoutes(const QJsonObject &routes) const
    {
        put(QStringLiteral("routes.json"), QJsonDocument(routes).toJson());
    }
    // Lines "<path> <Host header>" of every request so far.
    QStringList requests() const
    {
        QFile f(dir_.filePath(QStringLiteral("requests.log")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    // A loopback port on which nobody listens.
    static int closedPort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const int port = probe.serverPort();
        probe.close();
        return port;
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
    bool https_ = false;
};
