#include "update/Updater.h"

#include "settings/InstallLocation.h"
#include "update/UpdateWizard.h"
#include "update/UpdateDates.h"
#include "update/UpdateSettingsStore.h"

#include <QAction>
#include <QFileInfo>
#include <QWidget>

Updater::Updater(QWidget *owner, const UpdatePlatform &platform)
    : QObject(owner), platform_(platform)
{
    // Ctrl+U works wherever the owner window has the keyboard; no menu entry.
    Action_Update = new QAction(this);
    Action_Update->setObjectName(QStringLiteral("Action_Update"));
    Action_Update->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    Action_Update->setShortcutContext(Qt::WindowShortcut);
    if (owner)
        owner->addAction(Action_Update);
    connect(Action_Update, &QAction::triggered, this, [this] {
        const Outcome outcome = AutomaticUpdate(QString(), true, 0);
        if (outcome != Outcome::Continue)
            emit quitRequested(outcome == Outcome::Quit);
    });

    StatusForm = new UpdateWizard(platform_);
    showWizard = [](UpdateWizard &form) { form.exec(); };
}

Updater::~Updater()
{
    // Destroying the wizard writes the next check day when due.
    delete StatusForm;
}

Updater::Outcome Updater::AutomaticUpdate(const QString &Param, bool Force, double ProgramDate)
{
    if (platform_.arguments.value(1) == u"/uninstall")
        return Outcome::Continue;
    // The package manager updates a system-wide installation; nothing is
    // written beside it either.
    if (InstallLocation::IsSystemInstallation(QFileInfo(platform_.programFilePath).absolutePath()))
        return Outcome::Continue;

    const QString settingsFile = platform_.settingsFile(HKCU);
    if (!Force) {
        UpdateSettingsStore store(settingsFile, RegistryKey);
        QString name = u'"' + platform_.programFilePath + u'"';
        if (!Param.isEmpty())
            name += u' ' + Param;
        store.writeString(QStringLiteral("ApplicationFileName"), name);
        store.save(); // a settings file that cannot be written must not stop the start
    }

    const QFileInfo program(platform_.programFilePath);
    if (platform_.onReadOnlyFileSystem(program.absolutePath()))
        return Outcome::Continue;

    double programDate = ProgramDate;
    if (programDate == 0) {
        const QDateTime modified = program.lastModified();
        programDate = UpdateDates::fromDateTime(modified.isValid() ? modified : QDateTime::currentDateTime());
    }

    const UpdateSettingsStore store(settingsFile, RegistryKey);
    const double today = UpdateDates::fromDate(platform_.today());
    const double nextCheck = store.readDate(QStringLiteral("Update")).value_or(today - 1);
    const bool onlyUpdate = store.valueExists(QStringLiteral("OnlyUpdate"));
    const bool show =
        Force || onlyUpdate || (today > nextCheck && !store.valueExists(QStringLiteral("NoUpdate")));

    if (show) {
        StatusForm->model().setInputs({ProgramName, RegistryKey, ZIPFileName, programDate, HKCU});
        showWizard(*StatusForm);
    }

    if (onlyUpdate)
        return Outcome::QuitWithoutSaving;
    if (show && StatusForm->model().terminateRequested())
        return Outcome::Quit;
    return Outcome::Continue;
}
