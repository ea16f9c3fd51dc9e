// Takes an update the way the update wizard does at step 5: reads the update
// list's section, then checks the signature, unpacks the archive and adapts
// its script with the program's own code.
//
//   release_check LIST SERVER_DIR PUBLIC_KEY PROGRAM_NAME PROGRAM_FOLDER TEMP_DIR
//
// Prints "prepared <script>" and exits 0, or prints the wizard's message and
// exits 1.
#include "update/UpdateListFile.h"
#include "update/install/PrepareInstall.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 7) {
        std::fprintf(stderr, "usage: release_check LIST SERVER_DIR PUBLIC_KEY PROGRAM_NAME PROGRAM_FOLDER "
                             "TEMP_DIR\n");
        return 2;
    }
    UpdateListFile list;
    if (!list.load(args[1]) || !list.sectionPresent(args[4])) {
        std::printf("no section [%s] in %s\n", qPrintable(args[4]), qPrintable(args[1]));
        return 1;
    }
    UpdateInstall::InstallRequest request;
    request.TempDir = args[6];
    request.ArchivePath = request.TempDir + "/Brackwen.zip";
    QFile::remove(request.ArchivePath);
    if (!QFile::copy(args[2] + "/Updates/" + list.readString(args[4], "File"), request.ArchivePath)) {
        std::printf("the archive named in the list is missing\n");
        return 1;
    }
    request.ProgramFolder = args[5];
    request.ProgramFile = args[5] + "/kielwanz";
    request.Restart = false;
    request.PublicKey = args[3];
    request.Signature = list.readString(args[4], "Signature");
    request.ProgramName = args[4];
    request.ListDate = list.readString(args[4], "Date");
    const UpdateInstall::PrepareResult result = UpdateInstall::PrepareInstallation(request);
    std::printf("%s\n", qPrintable(result.prepared() ? "prepared " + result.ScriptPath : result.Message));
    return result.prepared() ? 0 : 1;
}
