#pragma once

#include "update/install/InstallLauncher.h"
#include "update/install/SafeUnzip.h"
#include "update/install/UpdateSignature.h"

#include <QString>

// Step 5 of the update wizard: check the downloaded archive, unpack it into
// a folder of its own inside the private temporary folder, adapt its script
// "Update.bat" to this computer and delete the archive. The script itself is
// started by StartInstallation (InstallLauncher.h) when the program ends.
namespace UpdateInstall {

struct InstallRequest {
    QString ArchivePath;   // TempDir + the archive's file name
    QString ProgramFolder; // folder of the running program file
    QString ProgramFile;   // full path of the running program file
    QString TempDir;       // the user's private temporary folder
    bool Restart = true;   // CheckBox_Restart
    // "Signature" of the program's section in the update list (base64), empty
    // when absent. Checked only when PublicKey is set, over the archive
    // together with the section's name and its "Date" (SignedUpdateMessage).
    QString Signature;
    QString ProgramName;
    QString ListDate;
    QString PublicKey = BuiltInUpdatePublicKey();
    qint64 MaxArchiveBytes = qint64(256) << 20;
    qint64 MaxScriptBytes = qint64(1) << 20; // "Update.bat"; read on the user-interface thread
    UnzipLimits Limits;
};

enum class PrepareStatus {
    Prepared,   // InstallPrepared := true; show the last page
    PageError,  // Label3 := Message, error icon in Image_Icon2, Button_Next disabled
    MessageBox, // show Message in a message box; stay on page 4, Button_Next enabled
};

enum class PrepareError {
    None,
    ArchiveMissing,
    ArchiveUnreadable,
    ArchiveDamaged,
    ArchiveTooLarge,
    ArchiveHostile, // a link or an impossible name
    ArchiveEncrypted,
    SignatureMissing,
    SignatureInvalid,
    SignatureKeyInvalid,
    NoSpace,
    FolderFailed,       // the unpacking folder cannot be emptied or made
    FolderNameUnusable, // a folder's name holds a line break
    WriteFailed,
    ScriptMissing,   // "Datei %s kann nicht geöffnet werden"
    ScriptFormat,    // "Format '%s' ungültig oder nicht kompatibel mit Argument"; also a script too long
    ScriptMalformed, // a group cut short or beginning with an empty line
};

struct PrepareResult {
    PrepareStatus Status = PrepareStatus::MessageBox;
    PrepareError Error = PrepareError::None;
    QString Message;    // German, empty when prepared
    QString ScriptPath; // when prepared: hand to StartInstallation
    QString LogPath;    // when prepared: where the script's output goes
    bool prepared() const { return Status == PrepareStatus::Prepared; }
};

// The folder the archive is unpacked into: emptied before every update, so
// that nothing of an earlier one can be installed again.
QString InstallFolder(const QString &tempDir);

// "Die Installationsdateien wurden nicht gefunden. ..." of the install page.
QString ArchiveMissingText();

PrepareResult PrepareInstallation(const InstallRequest &request);

} // namespace UpdateInstall
