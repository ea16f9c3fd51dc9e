#pragma once

#include "update/UpdatePlatform.h"

#include <QObject>
#include <QString>

class QAction;
class QWidget;
class UpdateWizard;

// The update component of the main window: decides at start whether the
// update wizard is offered, gives the main window Ctrl+U, and owns the wizard.
//
// Hook-up in the main window:
//   updater = new Updater(this);                  // adds the Ctrl+U action
//   updater->programName = "Kielwanz"; ...        // the four properties
//   if (updater->checkForUpdates({}, false, 0) != Updater::Outcome::Continue)
//       -> end the program before anything else is set up, without saving settings
//   connect(updater, &Updater::quitRequested, ...) // after Ctrl+U
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

    // The program's section in the server's update list.
    QString programName;
    // The section of UpdateSettings.ini that holds the program's update settings.
    QString settingsSection;
    // The name the downloaded archive is saved under.
    QString archiveFileName;
    // The update settings live in the user's settings folder rather than
    // beside the program.
    bool settingsInUserFolder = false;

    // programArguments are appended to the stored program path; force shows
    // the wizard (modally) whatever the settings say; programDate 0 means the
    // program file's time.
    Outcome checkForUpdates(const QString &programArguments, bool force, double programDate);

    QAction *action() const { return updateAction_; }
    UpdateWizard *wizard() const { return wizard_; }
    UpdatePlatform &platform() { return platform_; }

signals:
    // Ctrl+U ended in a request to end the program.
    void quitRequested(bool saveSettings);

private:
    UpdatePlatform platform_;
    QAction *updateAction_;
    UpdateWizard *wizard_;
};
