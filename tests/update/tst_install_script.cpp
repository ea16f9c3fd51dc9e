// Adapting "Update.bat": the template rules, shell quoting, and the group
// and tail substitution on real archives unpacked by PrepareInstallation.

#include "InstallTestSupport.h"
#include "update/install/InstallScript.h"
#include "update/install/PrepareInstall.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace UpdateInstall;
using namespace InstallTest;

using Values = QList<QByteArray>;
using MaybeText = std::optional<QByteArray>;
Q_DECLARE_METATYPE(MaybeText)

class TestInstallScript : public QObject {
    Q_OBJECT

    QTemporaryDir root;
    QString programFolder;
    QString programFile;
    QString tempDir;

    InstallRequest request(const QByteArray &script, bool restart)
    {
        InstallRequest r;
        r.ArchivePath = tempDir + "Brackwen.zip";
        r.ProgramFolder = programFolder;
        r.ProgramFile = programFile;
        r.TempDir = tempDir;
        r.Restart = restart;
        r.PublicKey.clear();
        if (!WriteZip(r.ArchivePath, {{"Update.bat", script}, {"kielwanz", "neu"}}))
            qFatal("cannot write the test archive");
        return r;
    }

    // "<P>", "<T>", "<F>" and "<S>" stand for the quoted program folder,
    // unpacking folder, program file and script.
    QList<QByteArray> expand(const QStringList &lines) const
    {
        QList<QByteArray> out;
        for (const QString &line : lines) {
            QByteArray bytes = line.toUtf8();
            bytes.replace("<P>", ShellQuote(programFolder.toUtf8()));
            bytes.replace("<T>", ShellQuote(InstallFolder(tempDir).toUtf8()));
            bytes.replace("<F>", ShellQuote(programFile.toUtf8()));
            bytes.replace("<S>", ShellQuote((InstallFolder(tempDir) + "Update.bat").toUtf8()));
            out += bytes;
        }
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        // Blanks, an umlaut, quotes and "$": everything a shell could trip over.
        programFolder = root.path() + "/Programme/Kiel wanz ü 'neu' $HOME \"x\"/";
        programFile = programFolder + "kielwanz";
        tempDir = root.path() + "/tmp ü/";
        QVERIFY(QDir().mkpath(programFolder));
        QVERIFY(QDir().mkpath(tempDir));
    }

    void fillTemplate_data()
    {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<Values>("values");
        QTest::addColumn<MaybeText>("expected");
        const Values ab{"A", "B"};
        QTest::newRow("no placeholder") << QByteArray("echo hallo") << ab << MaybeText("echo hallo");
        QTest::newRow("two in order") << QByteArray("cp %sx %sy") << ab << MaybeText("cp Ax By");
        QTest::newRow("adjacent") << QByteArray("%s%s") << ab << MaybeText("AB");
        QTest::newRow("percent") << QByteArray("echo 100%% %s") << ab << MaybeText("echo 100% A");
        QTest::newRow("only percent") << QByteArray("%%") << Values{} << MaybeText("%");
        QTest::newRow("percent before s") << QByteArray("%%s") << ab << MaybeText("%s");
        QTest::newRow("value not reread") << QByteArray("[%s]") << Values{"%s%d%"} << MaybeText("[%s%d%]");
        QTest::newRow("empty") << QByteArray() << ab << MaybeText("");
        QTest::newRow("more than values") << QByteArray("%s %s %s") << ab << MaybeText();
        QTest::newRow("none given") << QByteArray("cp %s") << Values{} << MaybeText();
        QTest::newRow("number") << QByteArray("%d") << ab << MaybeText();
        QTest::newRow("width") << QByteArray("%5s") << ab << MaybeText();
        QTest::newRow("trailing percent") << QByteArray("50%") << ab << MaybeText();
        QTest::newRow("percent blank") << QByteArray("50% off") << ab << MaybeText();
        QTest::newRow("pointer") << QByteArray("%p%n") << ab << MaybeText();
    }

    void fillTemplate()
    {
        QFETCH(QByteArray, pattern);
        QFETCH(Values, values);
        QFETCH(MaybeText, expected);
        QCOMPARE(FillTemplate(pattern, values), expected);
    }

    // The quoted word must come back from a real shell exactly as it went in.
    void shellQuoteSurvivesSh_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("plain") << QByteArray("/opt/kielwanz/");
        QTest::newRow("blanks") << QByteArray("/home/a b/Kiel wanz/");
        QTest::newRow("quote") << QByteArray("/home/o'brien/");
        QTest::newRow("quotes in a row") << QByteArray("''x'''");
        QTest::newRow("dollar") << QByteArray("/tmp/$HOME/$(touch pwned)/");
        QTest::newRow("backtick") << QByteArray("/tmp/`touch pwned`/");
        QTest::newRow("double quote backslash") << QByteArray("/tmp/\"\\\\n/");
        QTest::newRow("injection") << QByteArray("x'; touch pwned; echo '");
        QTest::newRow("glob and semicolon") << QByteArray("/tmp/*;?[a]&|<>/");
        QTest::newRow("line break") << QByteArray("/tmp/a\nb/");
        QTest::newRow("umlaut") << QByteArray("/tmp/Grüße/");
        QTest::newRow("empty") << QByteArray();
    }

    void shellQuoteSurvivesSh()
    {
        QFETCH(QByteArray, text);
        QTemporaryDir work;
        QProcess sh;
        sh.setWorkingDirectory(work.path());
        sh.start("/bin/sh", {"-c", QString::fromUtf8("printf '%s' " + ShellQuote(text))});
        QVERIFY(sh.waitForFinished(10000));
        QCOMPARE(sh.exitCode(), 0);
        QCOMPARE(sh.readAllStandardOutput(), text);
        QVERIFY(!QFileInfo::exists(work.filePath("pwned")));
    }

    void adaptsScript_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("restart");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one group, two values in line 4")
            << QByteArray("echo Beginn\nmkdir -p %s\ntest -w %s\ncp -f %skielwanz %skielwanz\n") << true
            << QStringList{"echo Beginn",
                           "mkdir -p <P>",
                           "test -w <P>",
                           "cp -f <T>kielwanz <P>kielwanz",
                           "<F> </dev/null >/dev/null 2>&1 &",
                           "rm -f <S>"};
        QTest::newRow("fifth line starts the tail")
            << QByteArray("echo a\n: %s\n: %s\ncp %sx %sx\n rm -f %sx\n echo %s fertig\n") << false
            << QStringList{"echo a",           ": <P>",    ": <P>", "cp <T>x <P>x", " rm -f <T>x",
                           " echo <T> fertig", "rm -f <S>"};
        QTest::newRow("two groups") << QByteArray(
                                           "echo 1\n: %s\n: %s\n: %s %s\necho 2\n: %s\n: %s\n: %s %s\n")
                                    << false
                                    << QStringList{"echo 1", ": <P>", ": <P>",     ": <T> <P>", "echo 2",
                                                   ": <P>",  ": <P>", ": <T> <P>", "rm -f <S>"};
        QTest::newRow("no groups, all tail") << QByteArray(" echo %s\necho %sy\n\n") << false
                                             << QStringList{" echo <T>", "echo <T>y", "rm -f <S>"};
        QTest::newRow("percent in a group line")
            << QByteArray("echo eins\necho 100%% %s\necho %%%%\necho %%s %s %s\n") << false
            << QStringList{"echo eins", "echo 100% <P>", "echo %%", "echo %s <T> <P>", "rm -f <S>"};
        QTest::newRow("first line of a group is no template")
            << QByteArray("printf '%d%%\\n' 5\n: %s\n: %s\n: %s\n") << false
            << QStringList{"printf '%d%%\\n' 5", ": <P>", ": <P>", ": <T>", "rm -f <S>"};
        QTest::newRow("written on Windows")
            << QByteArray("echo a\r\n: %s\r\n: %s\r\n: %s %s\r\n\r\n") << true
            << QStringList{"echo a",   ": <P>", ": <P>", ": <T> <P>", "<F> </dev/null >/dev/null 2>&1 &",
                           "rm -f <S>"};
        QTest::newRow("empty script")
            << QByteArray() << true << QStringList{"<F> </dev/null >/dev/null 2>&1 &", "rm -f <S>"};
    }

    void adaptsScript()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, restart);
        QFETCH(QStringList, expected);
        const InstallRequest r = request(script, restart);
        const PrepareResult result = PrepareInstallation(r);
        QCOMPARE(result.Message, QString());
        QVERIFY(result.prepared());
        QCOMPARE(result.ScriptPath, InstallFolder(tempDir) + "Update.bat");
        QByteArray expectedFile;
        for (const QByteArray &line : expand(expected))
            expectedFile += line + '\n';
        QCOMPARE(ReadAll(result.ScriptPath), expectedFile);
        QVERIFY(!QFileInfo::exists(r.ArchivePath));
        QCOMPARE(ReadAll(InstallFolder(tempDir) + "kielwanz"), QByteArray("neu"));
    }

    void refusesBadScript_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<PrepareError>("error");
        QTest::addColumn<QString>("message");
        QTest::newRow("number in line 2")
            << QByteArray("echo a\ncp %d\n: %s\n: %s\n") << PrepareError::ScriptFormat
            << "Format 'cp %d' ungültig oder nicht kompatibel mit Argument";
        QTest::newRow("three values in line 4")
            << QByteArray("echo a\n: %s\n: %s\ncp %s %s %s\n") << PrepareError::ScriptFormat
            << "Format 'cp %s %s %s' ungültig oder nicht kompatibel mit Argument";
        QTest::newRow("two values in line 2")
            << QByteArray("echo a\ncp %s %s\n: %s\n: %s\n") << PrepareError::ScriptFormat
            << "Format 'cp %s %s' ungültig oder nicht kompatibel mit Argument";
        QTest::newRow("two values in a tail line")
            << QByteArray(" cp %s %s\n") << PrepareError::ScriptFormat
            << "Format ' cp %s %s' ungültig oder nicht kompatibel mit Argument";
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
        const InstallRequest r = request(script, true);
        const PrepareResult result = PrepareInstallation(r);
        QVERIFY(!result.prepared());
        QCOMPARE(result.Status, PrepareStatus::MessageBox);
        QCOMPARE(result.Error, error);
        QVERIFY2(result.Message.contains(message), qPrintable(result.Message));
        // Nothing stays that a later run could install, and the archive is
        // kept as after any other stop at this step.
        QVERIFY(!QFileInfo::exists(InstallFolder(tempDir) + "Update.bat"));
        QVERIFY(QFileInfo::exists(r.ArchivePath));
    }

    void missingScriptIsAFileError()
    {
        InstallRequest r = request("", false);
        QVERIFY(WriteZip(r.ArchivePath, {{"kielwanz", "neu"}}));
        const PrepareResult result = PrepareInstallation(r);
        QCOMPARE(result.Status, PrepareStatus::MessageBox);
        QCOMPARE(result.Error, PrepareError::ScriptMissing);
        QCOMPARE(result.Message, "Datei " + InstallFolder(tempDir) + "Update.bat kann nicht geöffnet werden");
    }

    void missingArchiveShowsThePageText()
    {
        InstallRequest r = request("", false);
        QVERIFY(QFile::remove(r.ArchivePath));
        const PrepareResult result = PrepareInstallation(r);
        QCOMPARE(result.Status, PrepareStatus::PageError);
        QCOMPARE(result.Error, PrepareError::ArchiveMissing);
        QCOMPARE(result.Message, QString("Die Installationsdateien wurden nicht gefunden. Klicken Sie auf "
                                         "\"Abbrechen\" und versuchen Sie es später noch einmal."));
    }
};

QTEST_GUILESS_MAIN(TestInstallScript)
#include "tst_install_script.moc"
