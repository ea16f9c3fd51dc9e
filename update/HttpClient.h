#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <atomic>
#include <memory>
#include <thread>

// The update facility's HTTP client: HTTP/1.0 GET of one address into a file.
// get() starts the transfer on a worker thread and returns at once; progress
// and the end (finished) are reported on the caller's thread. abort()
// stops the transfer at the next block or within a second while the server is
// silent; finished(Aborted) follows.
class HttpClient : public QObject {
    Q_OBJECT
public:
    enum class Result { Ok, Failed, ConnectionFailed, Aborted };

    explicit HttpClient(QObject *parent = nullptr);
    ~HttpClient() override;

    // Base address of the server; requests name paths below it. A redirection
    // moves later requests to the scheme, host and port it led to.
    QUrl baseUrl;
    // Connection time-out, and the longest the server may stay silent during a
    // transfer, in milliseconds.
    int timeoutMs = 10000;
    // A PEM file of the certificates to trust instead of the system's; empty:
    // the system's (the update wizard takes it from its UpdatePlatform).
    QString trustedCertificates;
    // Largest body accepted (0: no limit): an announced longer one is refused
    // before anything is written, a body that runs past it is cut off; either
    // fails the request. An announced length beyond the free space of the
    // file's disk fails it as well.
    qint64 maxBodySize = 0;
    // The longest a whole request may take, in milliseconds (0: no limit);
    // when it is over the request fails.
    int deadlineMs = 0;

    // Address of a path below baseUrl ("Updates.ini", "Updates/x.zip"). Every
    // character outside a plain path is percent-encoded, so a server-supplied
    // name cannot leave the path or add a query.
    QUrl addressOf(const QString &path) const;

    // Starts a GET of baseUrl + path into localFile, created anew (an old file or
    // link of that name is removed first). Its end is always reported later,
    // never from within get(): failure("GET") for a status of 400 or above or
    // a broken transfer, connectionFailed() when no connection could be made,
    // nothing when aborted; then finished() with the result. A transfer that
    // was aborted but has not ended yet is waited for and forgotten when the
    // next one starts; one that still runs makes the new one fail.
    void get(const QString &path, const QString &localFile);
    void abort();
    bool busy() const { return busy_; }

    // The HTTP status of the last response (0 when none arrived).
    long lastStatus() const { return lastStatus_; }

signals:
    // total: the announced length (0 when none), received: bytes so far.
    void progress(qint64 total, qint64 received);
    void failure(const QString &command);
    void connectionFailed();
    void finished(HttpClient::Result result);

public:
    // One running request; shared with the worker thread.
    struct Transfer;
    void postReport(Transfer &t);

private:
    void runWorker(std::shared_ptr<Transfer> t);
    // Ends the request `serial` on the caller's thread: reports `early`, a
    // failure before any transfer began, or the worker's outcome.
    void complete(quint64 serial, Result early);
    void finishEarly(Result result);
    void joinWorker();

    bool busy_ = false;
    quint64 serial_ = 0;
    quint64 earlySerial_ = 0; // the request that failed before it began, if any
    long lastStatus_ = 0;
    std::shared_ptr<Transfer> current_;
    std::thread worker_;
};
