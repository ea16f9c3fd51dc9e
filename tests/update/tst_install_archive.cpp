// Unpacking real archives at the installation step: a normal update, hostile
// and damaged archives (refused or contained, never anything written outside
// the unpacking folder), stale files of an earlier update, and signatures.

#include "InstallTestSupport.h"
#include "update/install/PrepareInstall.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

using namespace UpdateInstall;
using namespace InstallTest;

using Entries = QList<ZipEntry>;
Q_DECLARE_METATYPE(Entries)

namespace {

const QByteArray Script = "echo Beginn\n: %s\n: %s\ncp -f %skielwanz %skielwanz\n";

QByteArray noise(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (char &c : data)
        c = char('a' + random.bounded(26));
    return data;
}

} // namespace

class TestInstallArchive : public QObject {
    Q_OBJECT

    QTemporaryDir scratch; // archives built by the _data functions
    std::unique_ptr<QTemporaryDir> root;
    QString programFolder, tempDir, outside;
    // Unique names in the shared temporary folder that an escape would hit.
    const QString escapeName = "kielwanz-escape-" + QUuid::createUuid().toString(QUuid::Id128);

    QByteArray zipBytes(const Entries &entries, bool store = false)
    {
        const QString path = scratch.filePath(QUuid::createUuid().toString(QUuid::Id128) + ".zip");
        if (!WriteZip(path, entries, store))
            qFatal("cannot write a test archive");
        return ReadAll(path);
    }

    InstallRequest request(const QByteArray &archive) const
    {
        InstallRequest r;
        r.ArchivePath = tempDir + "Brackwen.zip";
        r.ProgramFolder = programFolder;
        r.ProgramFile = programFolder + "kielwanz";
        r.TempDir = tempDir;
        r.PublicKey.clear();
        if (!WriteAll(r.ArchivePath, archive))
            qFatal("cannot place the archive");
        return r;
    }

    QStringList unpacked() const
    {
        return QDir(InstallFolder(tempDir))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    }

    QMap<QString, QByteArray> outsideSnapshot() const
    {
        return Snapshot(root->path(), {QDir::cleanPath(InstallFolder(tempDir)), tempDir + "Brackwen.zip"});
    }

private slots:
    void initTestCase() { QVERIFY(scratch.isValid()); }

    void init()
    {
        root = std::make_unique<QTemporaryDir>();
        QVERIFY(root->isValid());
        programFolder = root->path() + "/prog/";
        tempDir = root->path() + "/user/tmp/";
        outside = root->path() + "/outside/";
        for (const QString &folder : {programFolder, tempDir, outside})
            QVERIFY(QDir().mkpath(folder));
        QVERIFY(WriteAll(programFolder + "kielwanz", "alt"));
        QVERIFY(WriteAll(outside + "target", "unberührt"));
    }

    void cleanup()
    {
        QVERIFY(!QFileInfo::exists(QDir::tempPath() + "/" + escapeName));
        QVERIFY(!QFileInfo::exists("/" + escapeName));
    }

    void unpacksOrRefuses_data()
    {
        QTest::addColumn<QByteArray>("archive");
        QTest::addColumn<qint64>("maxEntries");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<PrepareError>("error");
        QTest::addColumn<QStringList>("files");

        const qint64 entries = UnzipLimits().MaxEntries;
        const qint64 bytes = UnzipLimits().MaxTotalBytes;
        const ZipEntry script{"Update.bat", Script};
        const QStringList scriptAnd{"Update.bat", "evil.txt"};
        const QByteArray escape = escapeName.toUtf8();
        auto contained = [&](const char *row, const QByteArray &name) {
            QTest::newRow(row) << zipBytes({script, {name, "böse"}}) << entries << bytes << PrepareError::None
                               << scriptAnd;
        };
        auto hostile = [&](const char *row, const ZipEntry &entry) {
            QTest::newRow(row) << zipBytes({script, entry}) << entries << bytes
                               << PrepareError::ArchiveHostile << QStringList();
        };

        QTest::newRow("normal update")
            << zipBytes({script,
                         {"kielwanz", "#!/bin/sh\n", 0100755},
                         {"daten/", "", 040755},
                         {"daten/karte.txt", noise(100000, 1)}})
            << entries << bytes << PrepareError::None << QStringList{"Update.bat", "karte.txt", "kielwanz"};
        QTest::newRow("stored entries") << zipBytes({script, {"a/b/c/evil.txt", "x"}}, true) << entries
                                        << bytes << PrepareError::None << scriptAnd;
        contained("dot-dot", "../../evil.txt");
        contained("backslash dot-dot", "..\\..\\evil.txt");
        contained("absolute", "/etc/evil.txt");
        contained("drive letter", "C:\\Windows\\evil.txt");
        contained("drive relative", "C:evil.txt");
        contained("mixed", "/..\\../x/..//evil.txt");
        QTest::newRow("dot-dot to the shared temporary folder")
            << zipBytes({script, {"../../../../../../../../../../../../tmp/" + escape, "x"}}) << entries
            << bytes << PrepareError::None << QStringList{"Update.bat", escapeName};
        QTest::newRow("absolute into the root")
            << zipBytes({script, {"/" + escape, "x"}}) << entries << bytes << PrepareError::None
            << QStringList{"Update.bat", escapeName};
        QTest::newRow("same bare name twice, first wins")
            << zipBytes({script, {"a/evil.txt", "erste"}, {"b/evil.txt", "zweite"}}) << entries << bytes
            << PrepareError::None << scriptAnd;

        hostile("ends in dot-dot", {"daten/..", "x"});
        hostile("only dot", {"daten/.", "x"});
        hostile("link", {"link", "/etc/passwd", 0120777});
        hostile("link as the script", {"Update.bat", "../../outside/target", 0120777});
        QTest::newRow("device is a plain file") << zipBytes({script, {"/dev/evil.txt", "x", 0020644}})
                                                << entries << bytes << PrepareError::None << scriptAnd;
        QTest::newRow("fifo is a plain file") << zipBytes({script, {"evil.txt", "x", 0010644}}) << entries
                                              << bytes << PrepareError::None << scriptAnd;
        hostile("line break in a name", {"evil\n.txt", "x"});
        hostile("name too long", {QByteArray(300, 'a'), "x"});

        Entries seven{script};
        for (int i = 0; i < 6; ++i)
            seven += ZipEntry{"f" + QByteArray::number(i), "x"};
        QTest::newRow("too many entries")
            << zipBytes(seven) << qint64(5) << bytes << PrepareError::ArchiveTooLarge << QStringList();
        QTest::newRow("inflates beyond the limit")
            << zipBytes({script, {"nullen", QByteArray(4 << 20, '\0')}}) << entries << qint64(1 << 20)
            << PrepareError::ArchiveTooLarge << QStringList();
        QTest::newRow("together beyond the limit")
            << zipBytes({script, {"a", noise(600000, 2)}, {"b", noise(600000, 3)}}) << entries
            << qint64(1 << 20) << PrepareError::ArchiveTooLarge << QStringList();
        QTest::newRow("huge declared size")
            << WithDeclaredSize(zipBytes({script, {"gross", noise(1000, 4)}}), 0xF0000000u) << entries
            << bytes << PrepareError::ArchiveTooLarge << QStringList();
        QTest::newRow("declared smaller than its data")
            << WithDeclaredSize(zipBytes({{"Update.bat", noise(100000, 5)}}), 10) << entries << bytes
            << PrepareError::ArchiveDamaged << QStringList();

        const QByteArray good = zipBytes({script, {"daten", noise(60000, 6)}});
        QByteArray corrupt = good;
        for (qsizetype i = good.size() / 2; i < good.size() / 2 + 16; ++i)
            corrupt[i] = char(corrupt[i] ^ 0x5a);
        QTest::newRow("corrupt data")
            << corrupt << entries << bytes << PrepareError::ArchiveDamaged << QStringList();
        QTest::newRow("truncated") << good.left(good.size() / 2) << entries << bytes
                                   << PrepareError::ArchiveDamaged << QStringList();
        QTest::newRow("no archive at all")
            << noise(5000, 7) << entries << bytes << PrepareError::ArchiveDamaged << QStringList();
        QTest::newRow("empty file") << QByteArray() << entries << bytes << PrepareError::ArchiveDamaged
                                    << QStringList();
    }

    void unpacksOrRefuses()
    {
        QFETCH(QByteArray, archive);
        QFETCH(qint64, maxEntries);
        QFETCH(qint64, maxBytes);
        QFETCH(PrepareError, error);
        QFETCH(QStringList, files);

        InstallRequest r = request(archive);
        r.Limits.MaxEntries = maxEntries;
        r.Limits.MaxTotalBytes = maxBytes;
        const auto before = outsideSnapshot();
        const PrepareResult result = PrepareInstallation(r);
        QCOMPARE(result.Error, error);
        QCOMPARE(result.prepared(), error == PrepareError::None);
        if (!result.prepared()) {
            QCOMPARE(result.Status, PrepareStatus::PageError);
            QVERIFY(!result.Message.isEmpty());
        }
        files.sort();
        QCOMPARE(unpacked(), files);
        for (const QString &name : files) {
            const QFileInfo file(InstallFolder(tempDir) + name);
            QVERIFY2(file.isFile() && !file.isSymLink(), qPrintable(name));
        }
        QCOMPARE(outsideSnapshot(), before);
        // A refused archive is of no further use; a prepared one is done.
        QVERIFY(!QFileInfo::exists(r.ArchivePath));
    }

    void refusesAnOversizedArchiveUnread()
    {
        InstallRequest r = request(zipBytes({{"Update.bat", Script}, {"daten", noise(5000, 8)}}));
        r.MaxArchiveBytes = 1000;
        const PrepareResult result = PrepareInstallation(r);
        QCOMPARE(result.Error, PrepareError::ArchiveTooLarge);
        QCOMPARE(result.Status, PrepareStatus::PageError);
        QVERIFY(unpacked().isEmpty());
        QVERIFY(!QFileInfo::exists(r.ArchivePath));
    }

    void keepsTheFirstOfTwoNamesAndTheExecutableBit()
    {
        const InstallRequest r = request(zipBytes({{"Update.bat", Script},
                                                   {"neu/kielwanz", "#!/bin/sh\n", 0100755},
                                                   {"alt/kielwanz", "zweite"},
                                                   {"liesmich", "text", 0100666}}));
        QVERIFY(PrepareInstallation(r).prepared());
        const QString folder = InstallFolder(tempDir);
        QCOMPARE(ReadAll(folder + "kielwanz"), QByteArray("#!/bin/sh\n"));
        QVERIFY(QFileInfo(folder + "kielwanz").permissions() & QFile::ExeOwner);
        // Unpacked files are the user's alone, whatever the archive says.
        QCOMPARE(QFileInfo(folder + "liesmich").permissions() &
                     (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup |
                      QFile::ExeOwner),
                 QFile::Permissions());
        QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup),
                 QFile::Permissions());
    }

    void staleFilesNeverSurvive()
    {
        const QString folder = InstallFolder(tempDir);
        QVERIFY(QDir().mkpath(folder + "unter/ordner"));
        QVERIFY(WriteAll(folder + "Update.bat", "echo altes Skript\n"));
        QVERIFY(WriteAll(folder + "alt.txt", "alt"));
        QVERIFY(QFile::link(outside + "target", folder + "verweis"));
        QVERIFY(QFile::link(outside, folder + "ordnerverweis"));

        // An archive without a script must not pick up the old one.
        InstallRequest r = request(zipBytes({{"kielwanz", "neu"}}));
        PrepareResult result = PrepareInstallation(r);
        QCOMPARE(result.Error, PrepareError::ScriptMissing);
        QVERIFY(unpacked().isEmpty());
        QCOMPARE(ReadAll(outside + "target"), QByteArray("unberührt"));

        r = request(zipBytes({{"Update.bat", Script}, {"kielwanz", "neu"}}));
        result = PrepareInstallation(r);
        QVERIFY(result.prepared());
        QCOMPARE(unpacked(), (QStringList{"Update.bat", "kielwanz"}));
        QVERIFY(!ReadAll(result.ScriptPath).contains("altes Skript"));
        QCOMPARE(ReadAll(outside + "target"), QByteArray("unberührt"));
    }

    void unpackingFolderAsLinkIsReplacedNotFollowed()
    {
        QVERIFY(QFile::link(outside, QDir::cleanPath(InstallFolder(tempDir))));
        const auto before = Snapshot(outside);
        const InstallRequest r = request(zipBytes({{"Update.bat", Script}, {"target", "überschrieben"}}));
        QVERIFY(PrepareInstallation(r).prepared());
        QVERIFY(!QFileInfo(QDir::cleanPath(InstallFolder(tempDir))).isSymLink());
        QCOMPARE(Snapshot(outside), before);
    }

    void signatures_data()
    {
        QTest::addColumn<bool>("withKey");
        QTest::addColumn<QString>("signature"); // "<good>", "<other>" are made by the test
        QTest::addColumn<bool>("tamper");
        QTest::addColumn<PrepareError>("error");
        QTest::newRow("correct") << true << "<good>" << false << PrepareError::None;
        QTest::newRow("correct with blanks") << true << " <good> " << false << PrepareError::None;
        QTest::newRow("of another archive") << true << "<other>" << false << PrepareError::SignatureInvalid;
        QTest::newRow("archive changed after signing")
            << true << "<good>" << true << PrepareError::SignatureInvalid;
        QTest::newRow("missing") << true << "" << false << PrepareError::SignatureMissing;
        QTest::newRow("not base64") << true << "kein*base64!" << false << PrepareError::SignatureInvalid;
        QTest::newRow("too short") << true << "AAAA" << false << PrepareError::SignatureInvalid;
        QTest::newRow("no key built in, unsigned") << false << "" << false << PrepareError::None;
        QTest::newRow("no key built in, signature ignored") << false << "AAAA" << false << PrepareError::None;
    }

    void signatures()
    {
        QFETCH(bool, withKey);
        QFETCH(QString, signature);
        QFETCH(bool, tamper);
        QFETCH(PrepareError, error);

        const Pkey key = NewEd25519Key();
        QVERIFY(key);
        QByteArray archive = zipBytes({{"Update.bat", Script}, {"kielwanz", "neu"}});
        signature.replace("<good>", SignBase64(key.get(), archive));
        signature.replace("<other>", SignBase64(key.get(), archive + "x"));
        if (tamper)
            archive[archive.size() - 1] = char(archive.back() ^ 1);
        InstallRequest r = request(archive);
        r.Signature = signature;
        r.PublicKey = withKey ? PublicKeyBase64(key.get()) : QString();
        const PrepareResult result = PrepareInstallation(r);
        QCOMPARE(result.Error, error);
        if (error == PrepareError::None)
            return;
        QCOMPARE(result.Status, PrepareStatus::PageError);
        QVERIFY(result.Message.contains("Sicherheitsgründen"));
        QVERIFY(unpacked().isEmpty());
        QVERIFY(!QFileInfo::exists(r.ArchivePath));
    }

    void unusableBuiltInKeyRefuses_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("not base64") << "###";
        QTest::newRow("wrong length") << QString::fromLatin1(QByteArray(31, 'k').toBase64());
    }

    void unusableBuiltInKeyRefuses()
    {
        QFETCH(QString, key);
        InstallRequest r = request(zipBytes({{"Update.bat", Script}}));
        r.PublicKey = key;
        r.Signature = QString::fromLatin1(QByteArray(64, 's').toBase64());
        QCOMPARE(PrepareInstallation(r).Error, PrepareError::SignatureKeyInvalid);
        QVERIFY(unpacked().isEmpty());
    }

    // The author's tool and the program agree on key and signature format.
    void signUpdateTool()
    {
        if (QStandardPaths::findExecutable("openssl").isEmpty())
            QSKIP("the openssl command line tool is not installed");
        const QString tool = KW_SOURCE_DIR "/tools/sign-update";
        const QString keyFile = scratch.filePath("schluessel.pem");
        QFile::remove(keyFile);
        QProcess run;
        run.start(tool, {"--new-key", keyFile});
        QVERIFY(run.waitForFinished(20000));
        QCOMPARE(run.exitCode(), 0);
        const QString publicKey = QString::fromLatin1(run.readAllStandardOutput()).trimmed();
        QCOMPARE(QFileInfo(keyFile).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());

        const QByteArray archive = zipBytes({{"Update.bat", Script}, {"kielwanz", "neu"}});
        InstallRequest r = request(archive);
        run.start(tool, {r.ArchivePath, keyFile});
        QVERIFY(run.waitForFinished(20000));
        QCOMPARE(run.exitCode(), 0);
        const QString line = QString::fromLatin1(run.readAllStandardOutput()).trimmed();
        QVERIFY2(line.startsWith("Signature="), qPrintable(line));
        r.Signature = line.mid(int(strlen("Signature=")));
        r.PublicKey = publicKey;
        QVERIFY(PrepareInstallation(r).prepared());

        run.start(tool, {"--new-key", keyFile});
        QVERIFY(run.waitForFinished(20000));
        QVERIFY(run.exitCode() != 0); // never overwrites a key
    }
};

QTEST_GUILESS_MAIN(TestInstallArchive)
#include "tst_install_archive.moc"
