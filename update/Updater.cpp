#include "update/Updater.h"

#include "settings/InstallLocation.h"
#include "update/UpdateDates.h"
#include "update/UpdateSettingsStore.h"
#include "update/UpdateWizard.h"

#include <QAction>
#include <QFileInfo>
#include <QWidget>

Updater::Updater(QWidget *owner, const UpdatePlatform &platform) : QObject(owner), platform_(platform)
{
    // Ctrl+U works wherever the owner window has the keyboard; no menu entry.
    updateAction_ = new QAction(this);
    updateAction_->setObjectName(QStringLiteral("Action_Update"));
    updateAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    updateAction_->setShortcutContext(Qt::WindowShortcut);
    if (owner)
        owner->addAction(updateAction_);
    connect(updateAction_, &QAction::triggered, this, [this] {
        const Outcome outcome = checkForUpdates(QString(), true, 0);
        if (outcome != Outcome::Continue)
            emit quitRequested(outcome == Outcome::Quit);
    });

    wizard_ = new UpdateWizard(platform_);
}

Updater::~Updater()
{
    // Destroying the wizard writes the next check day when due.
    delete wizard_;
}

Updater::Outcome Updater::checkForUpdates(const QString &programArguments, bool force, double programDate)
{
    if (platform_.arguments.value(1) == u"/uninstall")
        return Outcome::Continue;
    // The package manager updates a system-wide installation; nothing is
    // written beside it either.
    if (InstallLocation::IsSystemInstallation(QFileInfo(platform_.programFilePath).absolutePath()))
        return Outcome::Continue;

    const QString settingsFile = platform_.settingsFile(settingsInUserFolder);
    if (!force) {
        UpdateSettingsStore store(settingsFile, settingsSection);
        QString name = u'"' + platform_.programFilePath + u'"';
        if (!programArguments.isEmpty())
            name += u' ' + programArguments;
        store.writeString(QStringLiteral("ApplicationFileName"), name);
        store.save(); // a settings file that cannot be written must not stop the start
    }

    const QFileInfo program(platform_.programFilePath);
    if (platform_.onReadOnlyFileSystem(program.absolutePath()))
        return Outcome::Continue;

    if (programDate == 0) {
        const QDateTime modified = program.lastModified();
        programDate = UpdateDates::fromDateTime(modified.isValid() ? modified : QDateTime::currentDateTime());
    }

    const UpdateSettingsStore store(settingsFile, settingsSection);
    const double today = UpdateDates::fromDate(platform_.today());
    const double nextCheck = store.readDate(QStringLiteral("Update")).value_or(today - 1);
    const bool onlyUpdate = store.valueExists(QStringLiteral("OnlyUpdate"));
    const bool show =
        force || onlyUpdate || (today > nextCheck && !store.valueExists(QStringLiteral("NoUpdate")));

    if (show) {
        wizard_->model().setInputs(
            {programName, settingsSection, archiveFileName, programDate, settingsInUserFolder});
        wizard_->exec();
    }

    if (onlyUpdate)
        return Outcome::QuitWithoutSaving;
    if (show && wizard_->model().terminateRequested())
        return Outcome::Quit;
    return Outcome::Continue;
}
