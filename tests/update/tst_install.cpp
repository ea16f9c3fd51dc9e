// Preparing an installation from real archives (hostile, damaged, signed),
// the adapted script, and the launcher running it after the program ended.

#include "UpdateTestSupport.h"
#include "update/install/InstallScript.h"
#include "update/install/PrepareInstall.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QThread>
#include <QUuid>

#include <sys/stat.h>

// GCC before 14 warns about members left out of a designated initializer.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

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

// Every entry's uncompressed size, rewritten in local and central headers alike.
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

// The program's last moments, lingering so that a launcher that does not wait is caught.
int standInProgram(const QString &script, const QString &log, const QString &doneMark, const QString &lockDir)
{
    InstallLock lock;
    if (lock.tryLock(lockDir) != InstallLock::Outcome::Locked)
        return 5;
    if (!StartInstallation(script, log, lock.fd()))
        return 3;
    lock.release();
    QThread::msleep(500); // a real pause: a launcher that rightly waits shows nothing to wait on
    return WriteAll(doneMark, "fertig") ? 0 : 4;
}

// One archive offered for installation and what becomes of it.
struct Case {
    QByteArray zip;
    PrepareError error = PrepareError::None;
    QStringList files; // unpacked when prepared
    QString message;   // part of the message when refused
    QString tweak;     // "entries", "bytes", "archive": a low limit; "break": a line break in the folder;
                       // "link": the unpacking folder is a link to another folder; "short key";
                       // "tamper": the archive changed after signing
    QString signature = "-"; // with the test's key; "<good>": made by the test; "-": no key
    QString offeredAs = "Kielwanz 14.03.2025"; // what the list says; signed: Kielwanz 14.03.2025
};

QByteArray scriptOnly(const QByteArray &script)
{
    return ZipBytes({{"Update.bat", script}});
}

} // namespace

Q_DECLARE_METATYPE(Case)

class tst_install : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> root;
    QString programFolder, tempDir, outside;
    // A name in the shared temporary folder that an escape would hit.
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
    }

    void preparesOrRefuses_data()
    {
        QTest::addColumn<Case>("c");
        const ZipEntry script{"Update.bat", Script};
        const QByteArray escape = escapeName.toUtf8();
        using E = PrepareError;
        auto row = [](const char *name, const Case &c) { QTest::newRow(name) << c; };
        auto contained = [&](const char *name, const QByteArray &entry, const QString &file) {
            row(name, {.zip = ZipBytes({script, {entry, "böse"}}), .files = {"Update.bat", file}});
        };
        auto hostile = [&](const char *name, const ZipEntry &entry) {
            row(name, {.zip = ZipBytes({script, entry}), .error = E::ArchiveHostile});
        };
        // The first of two entries with one bare name wins, with its executable bit.
        row("normal update", {.zip = ZipBytes({script,
                                               {"neu/kielwanz", "#!/bin/sh\n", 0104777},
                                               {"nurlesen", "x", 0100444},
                                               {"alt/kielwanz", "zweite", 0100666},
                                               {"daten/", "", 040755},
                                               {"daten/karte.txt", noise(100000, 1)}},
                                              true),
                              .files = {"Update.bat", "karte.txt", "kielwanz", "nurlesen"}});
        contained("dot-dot to the shared temporary folder", "../../../../../../../../../../tmp/" + escape,
                  escapeName);
        contained("drive letter, backslashes", "C:\\..\\..\\evil.txt", "evil.txt");
        hostile("ends in dot-dot", {"daten/..", "x"});
        hostile("link as the script", {"Update.bat", "../../outside/target", 0120777});
        hostile("line break in a name", {"evil\n.txt", "x"});
        auto tooLarge = [&](const char *name, const QByteArray &zip, const char *tweak = "") {
            row(name, {.zip = zip, .error = E::ArchiveTooLarge, .tweak = tweak});
        };
        tooLarge("too many entries", ZipBytes({script, {"f", "x"}, {"g", "x"}}), "entries");
        const QByteArray half(600 << 10, '\0'); // each below the limit, together above it
        tooLarge("entries together beyond the limit", ZipBytes({script, {"a", half}, {"b", half}}), "bytes");
        tooLarge("archive beyond the limit", ZipBytes({script, {"daten", noise(5000, 2)}}), "archive");
        tooLarge("huge declared size",
                 withDeclaredSize(ZipBytes({script, {"gross", noise(1000, 3)}}), 0xF0000000u));
        row("declared smaller than its data",
            {.zip = withDeclaredSize(scriptOnly(noise(100000, 4)), 10), .error = E::ArchiveDamaged});
        const QByteArray good = ZipBytes({script, {"daten", noise(60000, 5)}});
        QByteArray corrupt = good;
        for (qsizetype i = good.size() / 2; i < good.size() / 2 + 16; ++i)
            corrupt[i] = char(corrupt[i] ^ 0x5a);
        row("corrupt data", {.zip = corrupt, .error = E::ArchiveDamaged});
        row("truncated", {.zip = good.left(good.size() / 2), .error = E::ArchiveDamaged});
        // Stale files of an earlier run never survive, nor is a link followed.
        row("no script: the stale one is not taken",
            {.zip = ZipBytes({{"kielwanz", "neu"}}),
             .error = E::ScriptMissing,
             .message = "/Installation/Update.bat kann nicht geöffnet werden"});
        row("unpacking folder is a link", {.zip = ZipBytes({script, {"target", "überschrieben"}}),
                                           .files = {"Update.bat", "target"},
                                           .tweak = "link"});

        // Signatures: over program name, list date and archive.
        const QByteArray signedZip = ZipBytes({script, {"kielwanz", "neu", 0100755}});
        auto sig = [&](const char *name, E error, const char *signature,
                       const char *as = "Kielwanz 14.03.2025", const char *tweak = "") {
            Case c{.zip = signedZip, .error = error, .tweak = tweak, .signature = signature, .offeredAs = as};
            if (error == E::None)
                c.files = {"Update.bat", "kielwanz"};
            row(name, c);
        };
        sig("signed", E::None, " <good> ");
        sig("signed, blanks around the date", E::None, "<good>", "Kielwanz  14.03.2025 ");
        sig("old archive under a newer date", E::SignatureInvalid, "<good>", "Kielwanz 15.03.2025");
        sig("another program's archive", E::SignatureInvalid, "<good>", "Brackwen 14.03.2025");
        sig("signature missing", E::SignatureMissing, "");
        sig("signature not base64", E::SignatureInvalid, "kein*base64!");
        sig("archive changed after signing", E::SignatureInvalid, "<good>", "Kielwanz 14.03.2025", "tamper");
        sig("key of wrong length", E::SignatureKeyInvalid, "<good>", "Kielwanz 14.03.2025", "short key");

        // Scripts that cannot be adapted: the user is told which line.
        auto refused = [&](const char *name, const QByteArray &script, E error, const QString &message) {
            row(name, {.zip = scriptOnly(script), .error = error, .message = message});
        };
        auto format = [&](const char *name, const QByteArray &script, const QString &line) {
            refused(name, script, E::ScriptFormat,
                    "Format '" + line + "' ungültig oder nicht kompatibel mit Argument");
        };
        format("two values in a tail line", " cp %s %s\n", " cp %s %s");
        format("trailing percent", " echo 50%\n", " echo 50%");
        format("backslash before the value", " echo \\%s\n", " echo \\%s");
        // Outside text in a message: one line, cut, control characters visible.
        format("markup, control character", " <h1>Kopf</h1><a href=x>y</a>\x1b%d\n",
               " <h1>Kopf</h1><a href=x>y</a>␛%d");
        format("width, long line", " cp %5s " + QByteArray(300, 'x') + '\n',
               " cp %5s " + QString(112, 'x') + "…");
        refused("longer than 1 MiB", QByteArray(1 << 20, '#') + "\n", E::ScriptFormat,
                "Update.bat: größer als 1024 KB");
        refused("quote left open", " echo \"%s\n", E::ScriptMalformed, "nicht geschlossen.");
        refused("group cut short", "echo a\n: %s\n: %s\n: %s\necho b\n: %s\n", E::ScriptMalformed,
                "Die Gruppe ab Zeile 5 hat keine vier Zeilen.");
        refused("group begins empty", "echo a\n: %s\n: %s\n: %s\n\n: %s\n: %s\n: %s\n", E::ScriptMalformed,
                "Zeile 5 beginnt eine Gruppe und ist leer.");
        row("folder name with a line break", {.zip = scriptOnly(" echo %s\n"),
                                              .error = E::FolderNameUnusable,
                                              .message = "zwei␊Zeilen/\" enthält einen Zeilenumbruch.",
                                              .tweak = "break"});
    }
    void preparesOrRefuses()
    {
        QFETCH(Case, c);
        const mode_t umaskBefore = ::umask(022);
        const auto restoreUmask = qScopeGuard([&] { ::umask(umaskBefore); });
        InstallRequest r = request(c.zip);
        r.Limits.MaxEntries = c.tweak == u"entries" ? 2 : r.Limits.MaxEntries;
        r.Limits.MaxTotalBytes = c.tweak == u"bytes" ? 1 << 20 : r.Limits.MaxTotalBytes;
        r.MaxArchiveBytes = c.tweak == u"archive" ? 1000 : r.MaxArchiveBytes;
        if (c.tweak == u"break")
            r.ProgramFolder += "zwei\nZeilen/";
        if (c.signature != u"-") {
            const Pkey pkey(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"), EVP_PKEY_free);
            const QByteArray head = "Kielwanz\n14.03.2025\n";
            r.Signature = QString(c.signature).replace("<good>", SignBase64(pkey.get(), head + c.zip));
            r.ProgramName = c.offeredAs.section(' ', 0, 0);
            r.ListDate = c.offeredAs.section(' ', 1);
            r.PublicKey =
                c.tweak == u"short key" ? QByteArray(31, 'k').toBase64() : PublicKeyBase64(pkey.get());
            if (c.tweak == u"tamper")
                WriteAll(r.ArchivePath, c.zip.chopped(1) + char(c.zip.back() ^ 1));
        }
        const QString folder = InstallFolder(tempDir);
        if (c.tweak != u"archive" && c.tweak != u"break") { // refused before the folder is touched
            QVERIFY(WriteAll(folder + "unter/alt", "alt") && WriteAll(folder + "Update.bat", "echo alt\n"));
            QVERIFY(QFile::link(outside + "target", folder + "verweis") &&
                    QFile::link(outside, folder + "ordner"));
        }
        if (c.tweak == u"link")
            QVERIFY(QDir(folder).removeRecursively() && QFile::link(outside, QDir::cleanPath(folder)));
        const QStringList skip{QDir::cleanPath(folder), r.ArchivePath};
        const auto before = snapshot(root->path(), skip);
        const PrepareResult result = PrepareInstallation(r);
        QCOMPARE(result.Error, c.error);
        QVERIFY2(result.Message.contains(c.message) &&
                     result.Message.isEmpty() == (c.error == PrepareError::None),
                 qPrintable(result.Message));
        // The script's faults come as a message box and keep the archive; the
        // archive's and signature's faults come on the page and discard it.
        const bool scriptFault = c.error >= PrepareError::FolderNameUnusable;
        QCOMPARE(result.Status, c.error == PrepareError::None ? PrepareStatus::Prepared
                                : scriptFault                 ? PrepareStatus::MessageBox
                                                              : PrepareStatus::PageError);
        QCOMPARE(QFileInfo::exists(r.ArchivePath),
                 scriptFault || c.error == PrepareError::SignatureKeyInvalid);
        const QStringList unpacked =
            QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
        QCOMPARE(unpacked, c.files); // nothing stays that a later run could install
        for (const QString &name : c.files) {
            // Plain files with the archive's permission bits under the umask (022 here), never more.
            const QFileInfo file(folder + name);
            QVERIFY2(file.isFile() && !file.isSymLink(), qPrintable(name));
            struct stat st {};
            QVERIFY(::stat(QFile::encodeName(file.filePath()).constData(), &st) == 0);
            const int expected = name == u"kielwanz" ? 0755 : name == u"nurlesen" ? 0444 : 0644;
            QCOMPARE(int(st.st_mode & 07777), expected);
        }
        if (c.files.contains("nurlesen"))
            QCOMPARE(ReadAll(folder + "kielwanz"), "#!/bin/sh\n");
        QCOMPARE(snapshot(root->path(), skip), before);
    }

    // Wherever "%s" stands, sh sees the literal folder: lines 2 and 3 of a group the program
    // folder, line 4 the unpacking and program folder, the tail (from a line beginning with a
    // blank) the unpacking folder.
    void adaptedScriptRuns_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("restart");
        QTest::addColumn<QByteArray>("expected"); // <P>, <T>: the program and unpacking folder as they are
        auto row = [](const char *name, const char *script, bool restart, const char *expected) {
            QTest::newRow(name) << QByteArray(script) << restart << QByteArray(expected);
        };
        row("percent; first line of a group is no template",
            "printf '%d%%\\n' 5\nprintf '[%%s|%%s]\\n' 100%% %s\necho %%%%\nprintf '%%s %%s %%s\\n' %%s %s "
            "%s\n",
            false, "5%\n[100%|<P>]\n%%\n%s <T> <P>\n");
        row("written on Windows", "echo a\r\n: %s\r\n: %s\r\nprintf '[%%s|%%s]\\n' %s %s\r\n\r\n", true,
            "a\n[<T>|<P>]\n");
        row("bare, in double and single quotes, glued",
            " printf '[%%s]\\n' %sNeu.txt\nprintf '[%%s]\\n' \"%sNeu.txt\"\nprintf '[%%s]\\n' '%sNeu.txt'\n"
            "printf '[%%s]\\n' 'a'%s\"b\"\n",
            false, "[<T>Neu.txt]\n[<T>Neu.txt]\n[<T>Neu.txt]\n[a<T>b]\n");
        row("substitutions and parameters",
            " printf '[%%s]\\n' \"$(printf %%s \"%s\")\" \\\n\"$(printf %%s %s)\" \\\n\"`printf %%s %s`\" "
            "\\\n"
            "\"${X:-%s}\" \\\n${X:-%s} \\\n$((1<<2))%s\n",
            false, "[<T>]\n[<T>]\n[<T>]\n[<T>]\n[<T>]\n[4<T>]\n");
        row("quote across lines, comment with a quote", " printf '[%%s]\\n' \"Anfang\n%s\" # it's %%s\n",
            false, "[Anfang\n<T>]\n");
        row("here-documents", " cat <<EOF; cat <<-'E O F'\n[%s] $HOME\nEOF\n\t[%s] $HOME\n\tE O F\n", false,
            "[<T>] <H>\n[<T>] $HOME\n");
    }
    void adaptedScriptRuns()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, restart);
        QFETCH(QByteArray, expected);
        const PrepareResult result = PrepareInstallation(request(scriptOnly(script), restart));
        QVERIFY2(result.prepared(), qPrintable(result.Message));
        // The restarted program runs in the background; the script deletes itself.
        QByteArray tail = "rm -f " + ShellQuote(QFile::encodeName(result.ScriptPath)) + '\n';
        if (restart)
            tail.prepend(ShellQuote(QFile::encodeName(programFolder + "kielwanz")) +
                         " </dev/null >/dev/null 2>&1 &\n");
        QVERIFY(ReadAll(result.ScriptPath).endsWith('\n' + tail));
        QProcess sh;
        sh.setWorkingDirectory(root->path());
        sh.start("/bin/sh", {result.ScriptPath});
        QVERIFY(sh.waitForFinished(10000));
        QCOMPARE(sh.readAllStandardError(), "");
        expected.replace("<P>", programFolder.toUtf8())
            .replace("<T>", InstallFolder(tempDir).toUtf8())
            .replace("<H>", qgetenv("HOME"));
        QCOMPARE(sh.readAllStandardOutput(), expected);
        QVERIFY(!QFileInfo::exists(result.ScriptPath));
    }

    // The script runs only once the program has ended, replaces the files, restarts the program and
    // deletes itself; the install lock is held until it ends, but not by the restarted program.
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
        const QByteArray v2 = version("v2") + // still running when the lock is tried, until told to end (or 20 s)
                              "for i in $(seq 400); do test -e \"$0.end\" && break; sleep 0.05; done\n";
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
        // The restart line runs the new version in the background.
        QTRY_COMPARE_WITH_TIMEOUT(ReadAll(programFile + ".log"), "v2\n", 20000);
        QTRY_COMPARE(probe.tryLock(tempDir), InstallLock::Outcome::Locked);
        QVERIFY(WriteAll(programFile + ".end", ""));
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
