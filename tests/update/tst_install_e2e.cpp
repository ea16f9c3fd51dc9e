// End to end: a fake program folder with a stand-in program (a sh script),
// an update archive prepared as at the wizard's last step, and the launcher
// started by a stand-in for the program, which then ends. The script must run
// only afterwards, replace the files, restart the program and delete itself.

#include "InstallTestSupport.h"
#include "update/install/InstallScript.h"
#include "update/install/PrepareInstall.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace UpdateInstall;
using namespace InstallTest;

namespace {

const char StandInSwitch[] = "--stand-in-parent";

// The program's last moments: start the installation, linger a little so
// that a launcher that does not wait would be caught, leave a mark, end.
int standInParent(const QString &script, const QString &log, const QString &doneMark)
{
    if (!StartInstallation(script, log))
        return 3;
    QThread::msleep(500);
    return WriteAll(doneMark, "fertig") ? 0 : 4;
}

const QByteArray Executable = "#!/bin/sh\n";

} // namespace

class TestInstallEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void scriptRunsAfterTheProgramEnded()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString programFolder = root.path() + "/Programme/Kiel wanz ü 'x' $HOME/";
        const QString programFile = programFolder + "kielwanz";
        const QString tempDir = root.path() + "/tmp ü/";
        const QString doneMark = root.path() + "/parent-done";
        const QString orderFile = root.path() + "/order.txt";
        QVERIFY(QDir().mkpath(programFolder));
        QVERIFY(QDir().mkpath(tempDir));
        // Each version of the stand-in notes which version was started.
        const QByteArray program = Executable + "echo \"$0\" \"$1\" >/dev/null\n";
        QVERIFY(WriteAll(programFile, program + "echo v1 >> \"$(dirname \"$0\")/gestartet.txt\"\n"));
        QVERIFY(QFile::setPermissions(programFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(WriteAll(programFolder + "daten.txt", "alte Daten"));

        const QByteArray orderCheck = "if [ -e " + ShellQuote(QFile::encodeName(doneMark)) +
                                      " ]; then echo nachher; else echo vorher; fi > " +
                                      ShellQuote(QFile::encodeName(orderFile));
        const QByteArray script = orderCheck + "\n"
                                               "test -d %s || exit 1\n"
                                               "test -w %skielwanz || exit 1\n"
                                               "cp -f %skielwanz %skielwanz\n"
                                               "echo Daten\n"
                                               "echo \"Daten 100%%\"; : %s\n"
                                               ": %s\n"
                                               "cp -f %sdaten.txt %sdaten.txt\n"
                                               " rm -f %sdaten.txt\n";
        const QString archive = tempDir + "Brackwen.zip";
        QVERIFY(WriteZip(
            archive, {{"Update.bat", script},
                      {"bin/kielwanz", program + "echo v2 >> \"$(dirname \"$0\")/gestartet.txt\"\n", 0100755},
                      {"daten.txt", "neue Daten"}}));

        InstallRequest request;
        request.ArchivePath = archive;
        request.ProgramFolder = programFolder;
        request.ProgramFile = programFile;
        request.TempDir = tempDir;
        request.Restart = true;
        request.PublicKey.clear();
        const PrepareResult prepared = PrepareInstallation(request);
        QVERIFY2(prepared.prepared(), qPrintable(prepared.Message));
        QVERIFY(!QFileInfo::exists(archive));
        QCOMPARE(ReadAll(programFile).contains("v1"), true);

        QProcess parent;
        parent.start(QCoreApplication::applicationFilePath(),
                     {StandInSwitch, prepared.ScriptPath, prepared.LogPath, doneMark});
        QVERIFY(parent.waitForFinished(20000));
        QCOMPARE(parent.exitStatus(), QProcess::NormalExit);
        QCOMPARE(parent.exitCode(), 0);

        QTRY_VERIFY_WITH_TIMEOUT(ReadAll(prepared.LogPath).contains("Ende mit Status"), 20000);
        const QByteArray log = ReadAll(prepared.LogPath);
        QVERIFY2(log.contains("Ende mit Status 0"), log.constData());
        QVERIFY2(log.contains("Daten 100%\n"), log.constData());
        QCOMPARE(ReadAll(orderFile), QByteArray("nachher\n"));
        QVERIFY(ReadAll(programFile).contains("v2"));
        QVERIFY(QFileInfo(programFile).permissions() & QFile::ExeOwner);
        QCOMPARE(ReadAll(programFolder + "daten.txt"), QByteArray("neue Daten"));
        QVERIFY(!QFileInfo::exists(prepared.ScriptPath));
        QVERIFY(!QFileInfo::exists(InstallFolder(tempDir) + "daten.txt"));
        // The restart line runs in the background: give it its moment.
        QTRY_COMPARE_WITH_TIMEOUT(ReadAll(programFolder + "gestartet.txt"), QByteArray("v2\n"), 20000);
    }

    void noScriptNoLauncher()
    {
        QTemporaryDir root;
        QVERIFY(!StartInstallation(root.filePath("Update.bat"), root.filePath("Update.log")));
        QVERIFY(!QFileInfo::exists(root.filePath("Update.log")));
    }
};

int main(int argc, char *argv[])
{
    if (argc == 5 && qstrcmp(argv[1], StandInSwitch) == 0)
        return standInParent(QFile::decodeName(argv[2]), QFile::decodeName(argv[3]),
                             QFile::decodeName(argv[4]));
    QCoreApplication app(argc, argv);
    TestInstallEndToEnd test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_install_e2e.moc"
