// The installation step on real archives: unpacking (normal, hostile and
// damaged archives, stale files), signatures, the script's substitution, and
// end to end the launcher running the script after the program has ended.

#include "UpdateTestSupport.h"
#include "update/install/InstallScript.h"
#include "update/install/PrepareInstall.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QThread>
#include <QUuid>

#include <sys/stat.h>

using namespace UpdateInstall;

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

// Rewrites every entry's uncompressed size in the local headers and the
// central directory alike, so that the archive stays consistent.
QByteArray withDeclaredSize(QByteArray zip, quint32 size)
{
    for (const auto &[signature, offset] : {std::pair{"PK\x03\x04", 22}, std::pair{"PK\x01\x02", 24}})
        for (qsizetype at = zip.indexOf(signature); at >= 0; at = zip.indexOf(signature, at + 4))
            for (int i = 0; i < 4; ++i)
                zip[at + offset + i] = char(size >> (8 * i));
    return zip;
}

// Every file, folder and link below `root` but those under `skip`, with content or target.
QMap<QString, QByteArray> snapshot(const QString &root, const QStringList &skip = {})
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (std::none_of(skip.begin(), skip.end(), [&](const QString &s) { return path.startsWith(s); }))
            files[path] = info.isSymLink() ? QFile::encodeName(info.symLinkTarget()) : ReadAll(path);
    }
    return files;
}

const char StandInSwitch[] = "--stand-in-program";

// The program's last moments: take the install lock, start the installation
// with it, linger so that a launcher that does not wait would be caught, leave
// a mark, end.
int standInProgram(const QString &script, const QString &log, const QString &doneMark, const QString &lockDir)
{
    InstallLock lock;
    if (lock.tryLock(lockDir) != InstallLock::Outcome::Locked)
        return 5;
    if (!StartInstallation(script, log, lock.fd()))
        return 3;
    lock.release();
    QThread::msleep(500);
    return WriteAll(doneMark, "fertig") ? 0 : 4;
}

} // namespace

class tst_install : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> root;
    QString programFolder, tempDir, outside;
    // A name in the shared temporary folder and in / that an escape would hit.
    const QString escapeName = "kielwanz-escape-" + QUuid::createUuid().toString(QUuid::Id128);

    InstallRequest request(const QByteArray &archive, bool restart = true) const
    {
        InstallRequest r;
        r.ArchivePath = tempDir + "Brackwen.zip";
        r.ProgramFolder = programFolder;
        r.ProgramFile = programFolder + "kielwanz";
        r.TempDir = tempDir;
        r.Restart = restart;
        r.PublicKey.clear();
        if (!WriteAll(r.ArchivePath, archive))
            qFatal("cannot place the archive");
        return r;
    }
    QStringList unpacked() const
    {
        return QDir(InstallFolder(tempDir))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    }

private slots:
    void init()
    {
        root = std::make_unique<QTemporaryDir>();
        // Blanks, an umlaut, quotes, "$", backquotes, a backslash and "%s": all a shell or a template could
        // trip over. Running any of it would leave a file "PWN" behind.
        programFolder = root->path() + "/Programme/Kiel wanz ü 'neu' $HOME \"x\" 100%s `touch PWN` \\/";
        tempDir = root->path() + "/tmp ü $(touch PWN) 'q' \"d\" \\ */";
        outside = root->path() + "/outside/";
        QVERIFY(QDir().mkpath(tempDir));
        QVERIFY(WriteAll(programFolder + "kielwanz", "alt"));
        QVERIFY(WriteAll(outside + "target", "unberührt"));
    }
    void cleanup()
    {
        QVERIFY(!QFileInfo::exists(root->filePath("PWN")) &&
                !QFileInfo::exists(tempDir + "Installation/PWN"));
        QVERIFY(!QFileInfo::exists(QDir::tempPath() + "/" + escapeName));
        QVERIFY(!QFileInfo::exists("/" + escapeName));
    }

    void unpacksOrRefuses_data()
    {
        QTest::addColumn<QByteArray>("archive");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<PrepareError>("error");
        QTest::addColumn<QStringList>("files");
        const ZipEntry script{"Update.bat", Script};
        const QByteArray escape = escapeName.toUtf8();
        auto row = [](const char *name, const QByteArray &zip, PrepareError error, const QStringList &files,
                      const char *limit = "") {
            QTest::newRow(name) << zip << QString(limit) << error << files;
        };
        auto contained = [&](const char *name, const QByteArray &entry, const QString &file) {
            row(name, ZipBytes({script, {entry, "böse"}}), PrepareError::None, {"Update.bat", file});
        };
        auto hostile = [&](const char *name, const ZipEntry &entry) {
            row(name, ZipBytes({script, entry}), PrepareError::ArchiveHostile, {});
        };
        // The first of two entries with one bare name wins, with its executable bit.
        row("normal update",
            ZipBytes({script,
                      {"neu/kielwanz", "#!/bin/sh\n", 0104777},
                      {"nurlesen", "x", 0100444},
                      {"alt/kielwanz", "zweite", 0100666},
                      {"daten/", "", 040755},
                      {"daten/karte.txt", noise(100000, 1)}},
                     true),
            PrepareError::None, {"Update.bat", "karte.txt", "kielwanz", "nurlesen"});
        contained("dot-dot to the shared temporary folder", "../../../../../../../../../../tmp/" + escape,
                  escapeName);
        contained("absolute into the root", "/" + escape, escapeName);
        contained("drive letter, backslashes", "C:\\..\\..\\evil.txt", "evil.txt");
        hostile("ends in dot-dot", {"daten/..", "x"});
        hostile("link", {"link", "/etc/passwd", 0120777});
        hostile("link as the script", {"Update.bat", "../../outside/target", 0120777});
        hostile("line break in a name", {"evil\n.txt", "x"});
        QList<ZipEntry> seven{script};
        for (int i = 0; i < 6; ++i)
            seven += ZipEntry{"f" + QByteArray::number(i), "x"};
        row("too many entries", ZipBytes(seven), PrepareError::ArchiveTooLarge, {}, "entries");
        row("inflates beyond the limit", ZipBytes({script, {"nullen", QByteArray(4 << 20, '\0')}}),
            PrepareError::ArchiveTooLarge, {}, "bytes");
        row("archive beyond the limit", ZipBytes({script, {"daten", noise(5000, 2)}}),
            PrepareError::ArchiveTooLarge, {}, "archive");
        row("huge declared size",
            withDeclaredSize(ZipBytes({script, {"gross", noise(1000, 3)}}), 0xF0000000u),
            PrepareError::ArchiveTooLarge, {});
        row("declared smaller than its data",
            withDeclaredSize(ZipBytes({{"Update.bat", noise(100000, 4)}}), 10), PrepareError::ArchiveDamaged,
            {});
        const QByteArray good = ZipBytes({script, {"daten", noise(60000, 5)}});
        QByteArray corrupt = good;
        for (qsizetype i = good.size() / 2; i < good.size() / 2 + 16; ++i)
            corrupt[i] = char(corrupt[i] ^ 0x5a);
        row("corrupt data", corrupt, PrepareError::ArchiveDamaged, {});
        row("truncated", good.left(good.size() / 2), PrepareError::ArchiveDamaged, {});
        row("no archive at all", noise(5000, 6), PrepareError::ArchiveDamaged, {});
    }
    void unpacksOrRefuses()
    {
        QFETCH(QByteArray, archive);
        QFETCH(QString, limit);
        QFETCH(PrepareError, error);
        QFETCH(QStringList, files);
        const mode_t umaskBefore = ::umask(022);
        const auto restoreUmask = qScopeGuard([&] { ::umask(umaskBefore); });
        InstallRequest r = request(archive);
        r.Limits.MaxEntries = limit == u"entries" ? 5 : r.Limits.MaxEntries;
        r.Limits.MaxTotalBytes = limit == u"bytes" ? 1 << 20 : r.Limits.MaxTotalBytes;
        r.MaxArchiveBytes = limit == u"archive" ? 1000 : r.MaxArchiveBytes;
        const QString folder = InstallFolder(tempDir);
        const QStringList skip{QDir::cleanPath(folder), r.ArchivePath};
        const auto before = snapshot(root->path(), skip);
        const PrepareResult result = PrepareInstallation(r);
        QCOMPARE(result.Error, error);
        QCOMPARE(result.Status,
                 error == PrepareError::None ? PrepareStatus::Prepared : PrepareStatus::PageError);
        QCOMPARE(result.Message.isEmpty(), error == PrepareError::None);
        QCOMPARE(unpacked(), files);
        for (const QString &name : files) {
            // Plain files with the archive's permission bits under the umask (022 here), never more.
            const QFileInfo file(folder + name);
            QVERIFY2(file.isFile() && !file.isSymLink(), qPrintable(name));
            struct stat st {};
            QVERIFY(::stat(QFile::encodeName(file.filePath()).constData(), &st) == 0);
            const int expected = name == u"kielwanz" ? 0755 : name == u"nurlesen" ? 0444 : 0644;
            QCOMPARE(int(st.st_mode & 07777), expected);
        }
        if (files.contains("kielwanz"))
            QCOMPARE(ReadAll(folder + "kielwanz"), "#!/bin/sh\n");
        QCOMPARE(snapshot(root->path(), skip), before);
        QVERIFY(!QFileInfo::exists(r.ArchivePath)); // refused: of no further use; prepared: done
    }

    void staleFilesNeverSurvive()
    {
        const QString folder = InstallFolder(tempDir);
        QVERIFY(WriteAll(folder + "unter/ordner/alt", "alt"));
        QVERIFY(WriteAll(folder + "Update.bat", "echo altes Skript\n"));
        QVERIFY(QFile::link(outside + "target", folder + "verweis"));
        QVERIFY(QFile::link(outside, folder + "ordnerverweis"));
        // An archive without a script must not pick up the old one.
        PrepareResult result = PrepareInstallation(request(ZipBytes({{"kielwanz", "neu"}})));
        QCOMPARE(result.Status, PrepareStatus::MessageBox);
        QCOMPARE(result.Error, PrepareError::ScriptMissing);
        QCOMPARE(result.Message, "Datei " + folder + "Update.bat kann nicht geöffnet werden");
        QVERIFY(unpacked().isEmpty());
        // The unpacking folder replaced by a link: replaced, not followed.
        QVERIFY(QDir(folder).removeRecursively() && QFile::link(outside, QDir::cleanPath(folder)));
        result =
            PrepareInstallation(request(ZipBytes({{"Update.bat", Script}, {"target", "überschrieben"}})));
        QVERIFY(result.prepared());
        QCOMPARE(unpacked(), (QStringList{"Update.bat", "target"}));
        QVERIFY(!ReadAll(result.ScriptPath).contains("altes Skript"));
        QCOMPARE(snapshot(outside), (QMap<QString, QByteArray>{{outside + "target", "unberührt"}}));
    }

    void signatures_data()
    {
        QTest::addColumn<QString>("key");       // "<key>": the test's public key
        QTest::addColumn<QString>("signature"); // "<good>", "<other>": made by the test
        QTest::addColumn<bool>("tamper");
        QTest::addColumn<QString>("offeredAs"); // program and date of the list; signed: Kielwanz 14.03.2025
        QTest::addColumn<PrepareError>("error");
        auto row = [](const char *name, const QString &key, const char *signature, bool tamper,
                      const char *offeredAs, PrepareError error) {
            QTest::newRow(name) << key << QString(signature) << tamper << QString(offeredAs) << error;
        };
        const char *signedAs = "Kielwanz 14.03.2025";
        row("correct", "<key>", " <good> ", false, signedAs, PrepareError::None);
        row("blanks around the date", "<key>", "<good>", false, "Kielwanz  14.03.2025 ", PrepareError::None);
        row("old archive under a newer date", "<key>", "<good>", false, "Kielwanz 15.03.2025",
            PrepareError::SignatureInvalid);
        row("another program's archive", "<key>", "<good>", false, "Brackwen 14.03.2025",
            PrepareError::SignatureInvalid);
        row("of another archive", "<key>", "<other>", false, signedAs, PrepareError::SignatureInvalid);
        row("archive changed after signing", "<key>", "<good>", true, signedAs, PrepareError::SignatureInvalid);
        row("missing", "<key>", "", false, signedAs, PrepareError::SignatureMissing);
        row("not base64", "<key>", "kein*base64!", false, signedAs, PrepareError::SignatureInvalid);
        row("no key built in", "", "", false, signedAs, PrepareError::None);
        row("key of wrong length", QByteArray(31, 'k').toBase64(), "<good>", false, signedAs,
            PrepareError::SignatureKeyInvalid);
    }
    void signatures()
    {
        QFETCH(QString, key);
        QFETCH(QString, signature);
        QFETCH(bool, tamper);
        QFETCH(QString, offeredAs);
        QFETCH(PrepareError, error);
        const Pkey pkey(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"));
        QByteArray archive = ZipBytes({{"Update.bat", Script}, {"kielwanz", "neu"}});
        signature.replace("<good>", SignBase64(pkey.get(), "Kielwanz\n14.03.2025\n" + archive))
            .replace("<other>", SignBase64(pkey.get(), "Kielwanz\n14.03.2025\n" + archive + "x"));
        if (tamper)
            archive[archive.size() - 1] = char(archive.back() ^ 1);
        InstallRequest r = request(archive);
        r.Signature = signature;
        r.ProgramName = offeredAs.section(' ', 0, 0);
        r.ListDate = offeredAs.section(' ', 1);
        r.PublicKey = key.replace("<key>", PublicKeyBase64(pkey.get()));
        const PrepareResult result = PrepareInstallation(r);
        QCOMPARE(result.Error, error);
        QCOMPARE(result.Status,
                 error == PrepareError::None ? PrepareStatus::Prepared : PrepareStatus::PageError);
        QCOMPARE(unpacked().isEmpty(), error != PrepareError::None);
    }

    void adaptsScript_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("restart");
        QTest::addColumn<QByteArray>("expected");
        auto row = [](const char *name, const char *script, bool restart, const char *expected) {
            QTest::newRow(name) << QByteArray(script) << restart << QByteArray(expected);
        };
        // <P>, <T>: references to the program and unpacking folder; <F>, <S>: the quoted program file and
        // script; <R>: restart line. The folders' variables are set at the top.
        row("one group, two values in line 4", "echo Beginn\nmkdir -p %s\ntest -w %s\ncp -f %sx %sx\n", true,
            "echo Beginn\nmkdir -p <P>\ntest -w <P>\ncp -f <T>x <P>x\n<R>rm -f <S>\n");
        row("fifth line starts the tail", "echo a\n: %s\n: %s\ncp %sx %sx\n rm -f %sx\n echo %s fertig\n",
            false, "echo a\n: <P>\n: <P>\ncp <T>x <P>x\n rm -f <T>x\n echo <T> fertig\nrm -f <S>\n");
        row("no groups, all tail", " echo %s\necho %sy\n\n", false, " echo <T>\necho <T>y\nrm -f <S>\n");
        row("percent; first line of a group is no template",
            "printf '%d%%' 5\necho 100%% %s\necho %%%%\necho %%s %s %s\n", false,
            "printf '%d%%' 5\necho 100% <P>\necho %%\necho %s <T> <P>\nrm -f <S>\n");
        row("written on Windows", "echo a\r\n: %s\r\n: %s\r\n: %s %s\r\n\r\n", true,
            "echo a\n: <P>\n: <P>\n: <T> <P>\n<R>rm -f <S>\n");
    }
    void adaptsScript()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, restart);
        QFETCH(QByteArray, expected);
        const PrepareResult result =
            PrepareInstallation(request(ZipBytes({{"Update.bat", script}}), restart));
        QCOMPARE(result.Message, QString());
        QCOMPARE(result.ScriptPath, InstallFolder(tempDir) + "Update.bat");
        expected.replace("<R>", "<F> </dev/null >/dev/null 2>&1 &\n");
        expected.prepend("KIELWANZ_PROGRAMMORDNER=" + ShellQuote(programFolder.toUtf8()) +
                         "\nKIELWANZ_ENTPACKORDNER=" + ShellQuote(InstallFolder(tempDir).toUtf8()) + '\n');
        expected.replace("<P>", "\"${KIELWANZ_PROGRAMMORDNER}\"");
        expected.replace("<T>", "\"${KIELWANZ_ENTPACKORDNER}\"");
        expected.replace("<F>", ShellQuote((programFolder + "kielwanz").toUtf8()));
        QCOMPARE(ReadAll(result.ScriptPath), expected.replace("<S>", ShellQuote(result.ScriptPath.toUtf8())));
    }

    // Wherever a template puts "%s", sh sees the literal folder: run the adapted script and compare.
    void quotingHoldsEverywhere_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("expected"); // <P>, <T>: the program and unpacking folder as they are
        auto row = [](const char *name, const char *script, const char *expected) {
            QTest::newRow(name) << QByteArray(script) << QByteArray(expected);
        };
        row("bare, in double and single quotes, glued",
            " printf '[%%s]\\n' %sNeu.txt\nprintf '[%%s]\\n' \"%sNeu.txt\"\nprintf '[%%s]\\n' '%sNeu.txt'\n"
            "printf '[%%s]\\n' 'a'%s\"b\"\n",
            "[<T>Neu.txt]\n[<T>Neu.txt]\n[<T>Neu.txt]\n[a<T>b]\n");
        row("group lines", "echo g\n: %s\n: \"%s\"\nprintf '[%%s]\\n' \"%sNeu.txt\" '%s'\n",
            "g\n[<T>Neu.txt]\n[<P>]\n");
        row("substitutions and parameters",
            " printf '[%%s]\\n' \"$(printf %%s \"%s\")\" \\\n\"$(printf %%s %s)\" \\\n\"`printf %%s %s`\" "
            "\\\n"
            "\"${X:-%s}\" \\\n${X:-%s} \\\n$((1<<2))%s\n",
            "[<T>]\n[<T>]\n[<T>]\n[<T>]\n[<T>]\n[4<T>]\n");
        row("quote across lines, comment with a quote", " printf '[%%s]\\n' \"Anfang\n%s\" # it's %%s\n",
            "[Anfang\n<T>]\n");
        row("here-documents", " cat <<EOF; cat <<-'E O F'\n[%s] $HOME\nEOF\n\t[%s] $HOME\n\tE O F\n",
            "[<T>] <H>\n[<T>] $HOME\n");
    }
    void quotingHoldsEverywhere()
    {
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, expected);
        const PrepareResult result = PrepareInstallation(request(ZipBytes({{"Update.bat", script}}), false));
        QVERIFY2(result.prepared(), qPrintable(result.Message));
        QProcess sh;
        sh.setWorkingDirectory(root->path());
        sh.start("/bin/sh", {result.ScriptPath});
        QVERIFY(sh.waitForFinished(10000));
        QCOMPARE(sh.readAllStandardError(), "");
        expected.replace("<P>", programFolder.toUtf8())
            .replace("<T>", InstallFolder(tempDir).toUtf8())
            .replace("<H>", qgetenv("HOME"));
        QCOMPARE(sh.readAllStandardOutput(), expected);
    }

    void refusesBadScript_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<PrepareError>("error");
        QTest::addColumn<QString>("message");
        auto format = [](const char *name, const char *script, const char *line) {
            QTest::newRow(name)
                << QByteArray(script) << PrepareError::ScriptFormat
                << QString("Format '%1' ungültig oder nicht kompatibel mit Argument").arg(line);
        };
        format("number in line 2", "echo a\ncp %d\n: %s\n: %s\n", "cp %d");
        format("three values in line 4", "echo a\n: %s\n: %s\ncp %s %s %s\n", "cp %s %s %s");
        format("two values in a tail line", " cp %s %s\n", " cp %s %s");
        format("width", " cp %5s\n", " cp %5s");
        format("trailing percent", " echo 50%\n", " echo 50%");
        format("backslash before the value", " echo \\%s\n", " echo \\%s");
        // Outside text in a message: one line, cut, control characters visible (and shown as plain text).
        format("markup, control character", " <h1>Kopf</h1><a href=x>y</a>\x1b%d\n",
               " <h1>Kopf</h1><a href=x>y</a>␛%d");
        format("long line", qPrintable(" cp %5s " + QString(300, 'x') + '\n'),
               qPrintable(" cp %5s " + QString(112, 'x') + "…"));
        format("longer than 1 MiB", qPrintable(QString(1 << 20, '#') + "\n"),
               "Update.bat: größer als 1024 KB");
        QTest::newRow("quote left open")
            << QByteArray(" echo \"%s\n") << PrepareError::ScriptMalformed << "nicht geschlossen.";
        QTest::newRow("folder name with a line break")
            << QByteArray(" echo %s\n") << PrepareError::FolderNameUnusable
            << "zwei␊Zeilen/\" enthält einen Zeilenumbruch.";
        QTest::newRow("group cut short")
            << QByteArray("echo a\n: %s\n: %s\n: %s\necho b\n: %s\n") << PrepareError::ScriptMalformed
            << "Die Gruppe ab Zeile 5 hat keine vier Zeilen.";
        QTest::newRow("group begins empty")
            << QByteArray("echo a\n: %s\n: %s\n: %s\n\n: %s\n: %s\n: %s\n") << PrepareError::ScriptMalformed
            << "Zeile 5 beginnt eine Gruppe und ist leer.";
    }
    void refusesBadScript()
    {
        QFETCH(QByteArray, script);
        QFETCH(PrepareError, error);
        QFETCH(QString, message);
        InstallRequest r = request(ZipBytes({{"Update.bat", script}}));
        if (error == PrepareError::FolderNameUnusable)
            r.ProgramFolder += "zwei\nZeilen/";
        const PrepareResult result = PrepareInstallation(r);
        QCOMPARE(result.Status, PrepareStatus::MessageBox);
        QCOMPARE(result.Error, error);
        QVERIFY2(result.Message.contains(message), qPrintable(result.Message));
        // Nothing stays that a later run could install; the archive is kept.
        QVERIFY(unpacked().isEmpty());
        QVERIFY(QFileInfo::exists(r.ArchivePath));
    }

    // A stand-in program (a sh script) is updated by a script started by a
    // stand-in for this program, which then ends: the script runs only
    // afterwards, replaces the files, restarts the program and deletes itself.
    // The install lock is held until the script ends, but not by the
    // restarted program.
    void endToEnd()
    {
        const QString programFile = programFolder + "kielwanz", doneMark = root->filePath("program-done"),
                      go = root->filePath("go");
        auto version = [](const char *v) { return "#!/bin/sh\necho " + QByteArray(v) + " >> \"$0.log\"\n"; };
        QVERIFY(WriteAll(programFile, version("v1")));
        QVERIFY(QFile::setPermissions(programFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(WriteAll(programFolder + "daten.txt", "alte Daten"));
        const QByteArray script =
            "test -e " + ShellQuote(QFile::encodeName(doneMark)) +
            " || exit 7\ntest -d %s || exit 1\ntest -w %skielwanz || exit 1\n"
            "cp -f %skielwanz %skielwanz\necho Daten\necho \"Daten 100%%\"; : %s\n: %s\n"
            "cp -f %sdaten.txt %sdaten.txt\n rm -f %sdaten.txt\n while ! test -e " +
            ShellQuote(QFile::encodeName(go)) + "; do sleep 0.05; done\n";
        const QByteArray v2 = version("v2") + "sleep 2\n"; // still running when the lock is tried
        const PrepareResult prepared = PrepareInstallation(request(
            ZipBytes({{"Update.bat", script}, {"bin/kielwanz", v2, 0100755}, {"daten.txt", "neue Daten"}})));
        QVERIFY2(prepared.prepared(), qPrintable(prepared.Message));

        QProcess program;
        program.start(QCoreApplication::applicationFilePath(),
                      {StandInSwitch, prepared.ScriptPath, prepared.LogPath, doneMark, tempDir});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(ReadAll(prepared.LogPath).startsWith("Kielwanz-Update"), 20000);
        InstallLock probe; // a second copy of the program
        QCOMPARE(probe.tryLock(tempDir), InstallLock::Outcome::Busy);
        QVERIFY(WriteAll(go, ""));
        QTRY_VERIFY_WITH_TIMEOUT(ReadAll(prepared.LogPath).contains("Ende mit Status"), 20000);
        const QByteArray log = ReadAll(prepared.LogPath);
        QVERIFY2(log.contains("Ende mit Status 0") && log.contains("Daten 100%\n"), log.constData());
        QCOMPARE(ReadAll(programFile), v2);
        QCOMPARE(ReadAll(programFolder + "daten.txt"), "neue Daten");
        QVERIFY(!QFileInfo::exists(prepared.ScriptPath));
        QVERIFY(!QFileInfo::exists(InstallFolder(tempDir) + "daten.txt"));
        // The restart line runs the new version in the background.
        QTRY_COMPARE_WITH_TIMEOUT(ReadAll(programFile + ".log"), "v2\n", 20000);
        QTRY_COMPARE_WITH_TIMEOUT(probe.tryLock(tempDir), InstallLock::Outcome::Locked, 1500);
        QVERIFY(!StartInstallation(root->filePath("fehlt.bat"), root->filePath("fehlt.log")));
    }
};

int main(int argc, char *argv[])
{
    if (argc == 6 && qstrcmp(argv[1], StandInSwitch) == 0)
        return standInProgram(QFile::decodeName(argv[2]), QFile::decodeName(argv[3]),
                              QFile::decodeName(argv[4]), QFile::decodeName(argv[5]));
    QCoreApplication app(argc, argv);
    tst_install test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_install.moc"
