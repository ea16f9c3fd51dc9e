#include "update/HttpClient.h"
#include "update/UpdateLibraries.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/statvfs.h>
#include <unistd.h>

struct HttpClient::Transfer : std::enable_shared_from_this<HttpClient::Transfer> {
    HttpClient *owner = nullptr;
    std::string url;
    std::string redirectProtocols;
    long connectTimeoutMs = 10000;
    long silenceSeconds = 10;
    qint64 maxBody = 0;
    std::string caFile;
    std::FILE *file = nullptr;
    CURL *curl = nullptr;
    quint64 serial = 0;

    std::atomic<bool> abort{false};
    std::atomic<bool> done{false};
    std::atomic<bool> reportPending{false};
    std::atomic<qint64> total{0};
    std::atomic<qint64> received{0};
    bool tooLarge = false;
    bool spaceChecked = false;
    bool writeFailed = false;
    long deadlineMs = 0;

    // Results, written by the worker before `done` is set.
    CURLcode code = CURLE_OK;
    long status = 0;
    long redirects = 0;
    std::string effectiveUrl;

    ~Transfer()
    {
        if (file)
            std::fclose(file);
    }
};

namespace {

// Failures before any answer of the server: no route, refused, name unknown,
// or a TLS peer that could not be trusted.
bool isConnectionError(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
    case CURLE_OPERATION_TIMEDOUT:
        return true;
    default:
        return false;
    }
}

size_t writeBody(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<HttpClient::Transfer *>(user);
    const size_t bytes = size * count;
    if (t->abort)
        return 0;
    long status = 0;
    const UpdateLibraries::Curl &lib = *UpdateLibraries::curl();
    lib.easy_getinfo(t->curl, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400)
        return bytes; // an error page is not the file that was asked for
    curl_off_t length = -1;
    lib.easy_getinfo(t->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (t->received.load() == 0 && !t->spaceChecked) {
        // Before the first byte is written: an announced length beyond the
        // limit or beyond the free space is refused at once.
        t->spaceChecked = true;
        if (t->maxBody > 0 && length > t->maxBody) {
            t->tooLarge = true;
            return 0;
        }
        struct statvfs fs {};
        if (length > 0 && ::fstatvfs(::fileno(t->file), &fs) == 0 &&
            qint64(fs.f_bavail) * qint64(fs.f_frsize) < qint64(length)) {
            t->writeFailed = true; // it could never be written whole
            return 0;
        }
    }
    if (t->maxBody > 0 && t->received.load() + qint64(bytes) > t->maxBody) {
        t->tooLarge = true; // the body runs on past what it announced or past the limit
        return 0;
    }
    if (std::fwrite(data, 1, bytes, t->file) != bytes) {
        t->writeFailed = true;
        return 0;
    }
    t->total = length > 0 ? qint64(length) : 0;
    t->received += qint64(bytes);
    t->owner->postReport(*t);
    return bytes;
}

// Called by libcurl at least once a second even while the server is silent,
// so an abort never waits for the next block.
int checkAbort(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<HttpClient::Transfer *>(user)->abort ? 1 : 0;
}

} // namespace

HttpClient::HttpClient(QObject *parent) : QObject(parent) {}

HttpClient::~HttpClient()
{
    if (current_)
        current_->abort = true;
    if (worker_.joinable())
        worker_.join();
}

QUrl HttpClient::addressOf(const QString &path) const
{
    QString base = baseUrl.toString(QUrl::FullyEncoded | QUrl::RemoveQuery | QUrl::RemoveFragment);
    if (!base.endsWith(u'/'))
        base += u'/';
    return QUrl(base + QString::fromLatin1(QUrl::toPercentEncoding(path, "/")), QUrl::StrictMode);
}

void HttpClient::abort()
{
    if (current_)
        current_->abort = true;
}

void HttpClient::postReport(Transfer &t)
{
    // Reports are coalesced: while one waits for the user-interface thread,
    // later blocks only update the counts it will read.
    if (t.reportPending.exchange(true))
        return;
    std::shared_ptr<Transfer> keep = t.shared_from_this();
    QMetaObject::invokeMethod(
        this,
        [this, keep] {
            keep->reportPending = false;
            emit progress(keep->total.load(), keep->received.load());
        },
        Qt::QueuedConnection);
}

void HttpClient::runWorker(std::shared_ptr<Transfer> t)
{
    // Loaded on the first transfer; get() has made sure it loads.
    const UpdateLibraries::Curl &lib = *UpdateLibraries::curl();
    CURL *curl = lib.easy_init();
    t->curl = curl;
    if (!curl) {
        t->code = CURLE_FAILED_INIT;
    } else {
        lib.easy_setopt(curl, CURLOPT_URL, t->url.c_str());
        lib.easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
        lib.easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        lib.easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        lib.easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        lib.easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
        lib.easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, t->redirectProtocols.c_str());
        lib.easy_setopt(curl, CURLOPT_PROXY, "");
        lib.easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        lib.easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, t->connectTimeoutMs);
        lib.easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        lib.easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, t->silenceSeconds);
        if (t->deadlineMs > 0)
            lib.easy_setopt(curl, CURLOPT_TIMEOUT_MS, t->deadlineMs);
        if (t->maxBody > 0)
            lib.easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(t->maxBody));
        if (!t->caFile.empty())
            lib.easy_setopt(curl, CURLOPT_CAINFO, t->caFile.c_str());
        lib.easy_setopt(curl, CURLOPT_USERAGENT, "Kielwanz-Update/1.0");
        lib.easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
        lib.easy_setopt(curl, CURLOPT_WRITEDATA, t.get());
        lib.easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        lib.easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkAbort);
        lib.easy_setopt(curl, CURLOPT_XFERINFODATA, t.get());
        t->code = lib.easy_perform(curl);
        lib.easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &t->status);
        lib.easy_getinfo(curl, CURLINFO_REDIRECT_COUNT, &t->redirects);
        char *effective = nullptr;
        if (lib.easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
            t->effectiveUrl = effective;
        t->curl = nullptr;
        lib.easy_cleanup(curl);
    }
    t->done = true;
    const quint64 serial = t->serial;
    QMetaObject::invokeMethod(
        this, [this, serial] { complete(serial, Result::Ok); }, Qt::QueuedConnection);
}

void HttpClient::joinWorker()
{
    if (worker_.joinable())
        worker_.join();
    if (current_ && current_->file) {
        std::fclose(current_->file);
        current_->file = nullptr;
    }
    current_.reset();
    busy_ = false;
}

void HttpClient::finishEarly(Result result)
{
    // Reported like every other end: later, on this thread.
    const quint64 serial = ++serial_;
    earlySerial_ = serial;
    QMetaObject::invokeMethod(
        this, [this, serial, result] { complete(serial, result); }, Qt::QueuedConnection);
}

void HttpClient::get(const QString &path, const QString &localFile)
{
    if (busy_ && current_->abort)
        joinWorker(); // an aborted transfer ends within a second; its report is dropped
    if (busy_)
        return finishEarly(Result::Failed);
    if (!UpdateLibraries::curl())
        return finishEarly(Result::Failed);
    const QUrl url = addressOf(path);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return finishEarly(Result::ConnectionFailed);

    auto t = std::make_shared<Transfer>();
    t->owner = this;
    t->serial = ++serial_;
    t->url = url.toString(QUrl::FullyEncoded).toStdString();
    // A server reached securely may not send later requests to a plain address.
    t->redirectProtocols = scheme == u"https" ? "https" : "http,https";
    t->connectTimeoutMs = qMax(1, timeoutMs);
    t->silenceSeconds = qMax(1, (timeoutMs + 999) / 1000);
    t->maxBody = maxBodySize;
    t->deadlineMs = deadlineMs > 0 ? long(deadlineMs) : 0;
    t->caFile = QFile::encodeName(trustedCertificates).toStdString();
    // A new file of our own: whatever stands under the name (a link planted
    // there, an old download) is removed first and never followed or reused.
    const QByteArray fileName = QFile::encodeName(localFile);
    if (::unlink(fileName.constData()) != 0 && errno != ENOENT)
        return finishEarly(Result::Failed);
    const int fd = ::open(fileName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    t->file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!t->file) {
        if (fd >= 0)
            ::close(fd);
        return finishEarly(Result::Failed);
    }

    busy_ = true;
    current_ = t;
    lastStatus_ = 0;
    worker_ = std::thread(&HttpClient::runWorker, this, t);
}

void HttpClient::complete(quint64 serial, Result early)
{
    Result result = early;
    if (serial == earlySerial_) {
        earlySerial_ = 0;
    } else {
        // Only the running transfer's own notice counts: an aborted one that
        // a later get() waited for is gone already.
        if (!current_ || current_->serial != serial)
            return;
        const std::shared_ptr<Transfer> t = current_;
        joinWorker();
        lastStatus_ = t->status;
        if (t->code == CURLE_OK && t->redirects > 0 && !t->effectiveUrl.empty()) {
            const QUrl moved(QString::fromStdString(t->effectiveUrl));
            if (moved.isValid() && !moved.host().isEmpty()) {
                baseUrl.setScheme(moved.scheme());
                baseUrl.setHost(moved.host());
                baseUrl.setPort(moved.port());
            }
        }
        if (t->code == CURLE_OK && t->status >= 200 && t->status < 300)
            result = Result::Ok;
        else if (t->abort && t->code != CURLE_OK)
            result = Result::Aborted;
        else if (t->code != CURLE_OK && t->status == 0 && isConnectionError(t->code))
            result = Result::ConnectionFailed;
        else
            result = Result::Failed;
    }
    if (result == Result::ConnectionFailed)
        emit connectionFailed();
    else if (result == Result::Failed)
        emit failure(QStringLiteral("GET"));
    emit finished(result);
}
