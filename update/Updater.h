#pragma once

#include "update/UpdatePlatform.h"

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QWidget;
class UpdateWizard;

// The update component of the main window: decides at start whether the
// update wizard is offered, gives the main window Ctrl+U, and owns the wizard.
//
// Hook-up in the main window:
//   LxUpdateFile = new Updater(this);          // adds the Ctrl+U action
//   LxUpdateFile->ProgramName = "Kielwanz"; ...      // the four properties
//   if (LxUpdateFile->AutomaticUpdate({}, false, 0) != Updater::Outcome::Continue)
//       -> end the program before anything else is set up, without saving settings
//   connect(LxUpdateFile, &Updater::quitRequested, ...)  // after Ctrl+U
class Updater : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Continue,          // go on as usual
        Quit,              // the wizard prepared an installation: end the program
        QuitWithoutSaving, // "OnlyUpdate": end the program, the game's settings unsaved
    };

    explicit Updater(QWidget *owner, const UpdatePlatform &platform = UpdatePlatform::system());
    ~Updater() override;

    QString ProgramName;
    QString RegistryKey;
    QString ZIPFileName;
    bool HKCU = false;

    // Param is appended to the stored program path; Force shows the wizard
    // whatever the settings say; ProgramDate 0 means the program file's time.
    Outcome AutomaticUpdate(const QString &Param, bool Force, double ProgramDate);

    QAction *action() const { return Action_Update; }
    UpdateWizard *statusForm() const { return StatusForm; }
    UpdatePlatform &platform() { return platform_; }

    // How the wizard is shown; modal by default. Tests replace it.
    std::function<void(UpdateWizard &)> showWizard;

signals:
    // Ctrl+U ended in a request to end the program.
    void quitRequested(bool saveSettings);

private:
    UpdatePlatform platform_;
    QAction *Action_Update;
    UpdateWizard *StatusForm;
};
