#include "app/mainwindow/MainWindow.h"
#include "presentation/DesktopFace.h"
#include "update/Updater.h"

#include "KielwanzConfig.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kielwanz"));
    QApplication::setApplicationVersion(QStringLiteral(KIELWANZ_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/icon.png")));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(KIELWANZ_APP_ID));

    // The main window with its dialogs; they live for the whole run.
    MainWindow window;
    // The update check runs before anything is shown; when it ends the
    // program the window is taken down without ever being shown.
    switch (window.updater().checkForUpdates(QString(), false, 0)) {
    case Updater::Outcome::Continue:
        break;
    case Updater::Outcome::QuitWithoutSaving: // a pure updater
        window.discardSettingsOnExit();
        return 0;
    case Updater::Outcome::Quit: // a prepared installation starts now
        return 0;
    }
    adoptDesktopFace();

    window.show();
    return app.exec();
}
