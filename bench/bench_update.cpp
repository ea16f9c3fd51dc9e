// What a hostile update costs us. Run it under /usr/bin/time -v to see the
// peak memory:
//   bench_update script [MB] [ZIP]
//                              step 5 with an "Update.bat" of MB megabytes
//                              (default 19), which is refused; with ZIP the
//                              archive is only written there (run the
//                              measurement on it as "script ZIP", so that
//                              making it does not count)
//   bench_update get URL       downloads URL with the archive limit
//                              (256 MiB) and prints how far it got, e.g. an
//                              endless body from tests/update/update_server.py
//   bench_update abort URL     starts downloading URL, aborts it at the first
//                              block and prints how long the abort took to
//                              end the transfer (a slow body from the test
//                              server; well under a second is right)

#include "update/HttpClient.h"
#include "update/install/PrepareInstall.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <zip.h>

#include <cstdio>

namespace {

int refuseScript(const QString &sizeOrArchive, const QString &writeTo)
{
    QTemporaryDir dir;
    const QByteArray archive = QFile::encodeName(dir.filePath("Brackwen.zip"));
    const qint64 megabytes = sizeOrArchive.isEmpty() ? 19 : sizeOrArchive.toLongLong();
    qint64 size = 0;
    if (sizeOrArchive.endsWith(u".zip")) {
        QFile::copy(sizeOrArchive, QFile::decodeName(archive));
    } else {
        // Made and dropped before the measured step.
        const QByteArray line = "echo Zeile einer viel zu langen Installationsanweisung\n";
        const QByteArray script = line.repeated(megabytes * 1000000 / line.size());
        size = script.size();
        int error = 0;
        zip_t *zip = zip_open(archive.constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        zip_file_add(zip, "Update.bat", zip_source_buffer(zip, script.constData(), script.size(), 0), 0);
        if (!zip || zip_close(zip) != 0)
            return 2;
        if (!writeTo.isEmpty())
            return QFile::copy(QFile::decodeName(archive), writeTo) ? 0 : 2;
    }
    UpdateInstall::InstallRequest request;
    request.ArchivePath = QFile::decodeName(archive);
    request.ProgramFolder = dir.filePath("bin/");
    request.ProgramFile = dir.filePath("bin/kielwanz");
    request.TempDir = dir.path() + u'/';
    request.PublicKey.clear();
    QElapsedTimer took;
    took.start();
    const UpdateInstall::PrepareResult result = UpdateInstall::PrepareInstallation(request);
    std::printf("script of %lld bytes (0: from the archive given): %s (%lld ms)\n", qlonglong(size),
                result.prepared() ? "prepared" : qPrintable(result.Message), qlonglong(took.elapsed()));
    return result.prepared() ? 1 : 0;
}

int download(const QString &url, bool abortAtFirstBlock)
{
    QTemporaryDir dir;
    HttpClient http;
    const QUrl address(url);
    http.baseUrl = address.resolved(QUrl(QStringLiteral("/")));
    http.maxBodySize = qint64(256) << 20;
    qint64 received = 0;
    QElapsedTimer took;
    took.start();
    QObject::connect(&http, &HttpClient::progress, [&](qint64, qint64 r) {
        received = r;
        if (abortAtFirstBlock && r > 0) {
            abortAtFirstBlock = false;
            took.restart(); // from the abort on
            http.abort();
        }
    });
    HttpClient::Result result = HttpClient::Result::Aborted;
    QObject::connect(&http, &HttpClient::finished, [&](HttpClient::Result r) {
        result = r;
        QCoreApplication::quit();
    });
    http.get(address.path().mid(1), dir.filePath("a.zip"));
    QCoreApplication::exec();
    std::printf("result %d after %lld ms; last report %lld bytes, file %lld bytes\n", int(result),
                qlonglong(took.elapsed()), qlonglong(received),
                qlonglong(QFile(dir.filePath("a.zip")).size()));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == u"script")
        return refuseScript(args.value(2), args.value(3));
    if ((args.value(1) == u"get" || args.value(1) == u"abort") && args.size() > 2)
        return download(args.at(2), args.at(1) == u"abort");
    std::fprintf(stderr, "bench_update script [MB|ZIP] [ZIP] | get URL | abort URL\n");
    return 2;
}
