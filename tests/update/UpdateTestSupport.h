#pragma once

// Shared by the update tests: the loopback test server, the system seams
// pointed at a temporary folder, real zip archives and Ed25519 keys.

#include "update/UpdateWizardModel.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <openssl/evp.h>
#include <zip.h>

#include <memory>

inline QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteAll(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

// tests/update/update_server.py on a free loopback port, serving a temporary folder.
class UpdateTestServer {
public:
    explicit UpdateTestServer(const QStringList &certAndKey = {}) : https_(!certAndKey.isEmpty())
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral("python3"),
                       QStringList{QStringLiteral(KW_TEST_DIR "/update_server.py"), dir_.path()} +
                           certAndKey);
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(10000))
            port_ = process_.readLine().trimmed().toInt();
    }
    ~UpdateTestServer()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }

    bool running() const { return port_ > 0; }
    QString base() const
    {
        return QStringLiteral("%1://127.0.0.1:%2/").arg(https_ ? "https" : "http").arg(port_);
    }
    void put(const QString &name, const QByteArray &content) const
    {
        QVERIFY(WriteAll(dir_.filePath(name), content));
    }
    void setRoutes(const QJsonObject &routes) const { put("routes.json", QJsonDocument(routes).toJson()); }
    // "<path> <Host header>" of every request so far.
    QStringList requests() const
    {
        return QString::fromUtf8(ReadAll(dir_.filePath("requests.log"))).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
    bool https_;
};

// The update facility's seams: a program file in a temporary folder, a fixed
// day, scripted answers to its questions and a record of its notices.
struct UpdateTestPlatform {
    struct Record {
        QDate today{2024, 6, 1};
        QStringList answers;   // "Ja" / "Nein", taken in order; "Nein" when none left
        QStringList questions; // every question asked
        QStringList notices;   // "title: text" of every notice
        int beeps = 0;
        QStringList installations; // every installation script started
        bool online = true;
        bool readOnly = false;
    };

    QTemporaryDir dir;
    std::shared_ptr<Record> rec = std::make_shared<Record>();
    UpdatePlatform platform;

    explicit UpdateTestPlatform(const QString &server = {})
    {
        platform.programFilePath = dir.filePath("bin/kielwanz");
        WriteAll(platform.programFilePath, "program");
        QDir(dir.path()).mkpath("tmp");
        platform.arguments = {platform.programFilePath};
        platform.serverAddress = server;
        platform.userSettingsFile = dir.filePath("config/Lx/UpdateSettings.ini");
        platform.machineSettingsFile = dir.filePath("bin/UpdateSettings.ini");
        auto r = rec;
        platform.today = [r] { return r->today; };
        platform.tempDir = [temp = tempDir()] { return temp; };
        platform.internetConnected = [r] { return r->online; };
        platform.onReadOnlyFileSystem = [r](const QString &) { return r->readOnly; };
        platform.confirm = [r](QWidget *, const QString &text, const QString &) {
            r->questions << text;
            return !r->answers.isEmpty() && r->answers.takeFirst() == u"Ja";
        };
        platform.warn = [r](QWidget *, const QString &text, const QString &title) {
            r->notices << title + ": " + text;
        };
        platform.beep = [r] { ++r->beeps; };
        platform.startInstallation = [r](const QString &script, const QString &, int) {
            r->installations << script;
            return true;
        };
    }

    QString tempDir() const { return dir.filePath("tmp/"); }
    QString readSettings(bool user) const { return QString::fromUtf8(ReadAll(platform.settingsFile(user))); }
    void writeSettings(const QString &values, bool user = false) const
    {
        QVERIFY(WriteAll(platform.settingsFile(user), ("[Software\\Lx\\Kielwanz]\r\n" + values).toUtf8()));
    }
};

// The model's private limits shortened, its state read and set where no server, archive or time gets it.
struct UpdateWizardModelTest {
    static void shortenLimits(UpdateWizardModel &m, qint64 maxArchive = qint64(256) << 20)
    {
        m.abortDeleteDelayMs_ = 300, m.checkDeadlineMs_ = 1500, m.maxArchiveSize_ = maxArchive;
    }
    static bool deletionPending(const UpdateWizardModel &m) { return m.partialFileTimer_.isActive(); }
    static void toStep5(UpdateWizardModel &m, bool prepared) { m.step_ = 5, m.installPrepared_ = prepared; }
};

struct ZipEntry {
    QByteArray Name;
    QByteArray Data;
    quint32 UnixMode = 0100644; // type and permission bits as stat() gives them
};

// A real zip archive of `entries`, deflated unless `store`; empty on error.
inline QByteArray ZipBytes(const QList<ZipEntry> &entries, bool store = false)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("a.zip"));
    int error = 0;
    zip_t *archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const ZipEntry &entry : entries) {
        // libzip reads the buffer when the archive is closed, below.
        zip_source_t *source =
            zip_source_buffer(archive, entry.Data.constData(), zip_uint64_t(entry.Data.size()), 0);
        const zip_int64_t index =
            zip_file_add(archive, entry.Name.constData(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0)
            return zip_source_free(source), zip_discard(archive), QByteArray();
        zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                         entry.UnixMode << 16);
        zip_set_file_compression(archive, zip_uint64_t(index), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    return zip_close(archive) == 0 ? ReadAll(dir.filePath("a.zip")) : QByteArray();
}

using Pkey = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

inline QString PublicKeyBase64(EVP_PKEY *key)
{
    unsigned char raw[32];
    size_t length = sizeof raw;
    EVP_PKEY_get_raw_public_key(key, raw, &length);
    return QString::fromLatin1(QByteArray(reinterpret_cast<char *>(raw), qsizetype(length)).toBase64());
}

inline QString SignBase64(EVP_PKEY *key, const QByteArray &data)
{
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    unsigned char signature[64];
    size_t length = sizeof signature;
    EVP_DigestSignInit(ctx, nullptr, nullptr, nullptr, key);
    EVP_DigestSign(ctx, signature, &length, reinterpret_cast<const unsigned char *>(data.constData()),
                   size_t(data.size()));
    EVP_MD_CTX_free(ctx);
    return QString::fromLatin1(QByteArray(reinterpret_cast<char *>(signature), qsizetype(length)).toBase64());
}
