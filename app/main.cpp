#include "app/mainwindow/MainWindow.h"
#include "dialogs/NewGameWizard.h"

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

    // The windows in their documented order; the dialogs live for the whole
    // run and are shown modally when needed.
    MainWindow window(nullptr, nullptr, nullptr, QString(), true);
    if (window.quitAtStart)
        return 0; // the update wizard ended the program; a prepared installation starts now
    auto *wizard = new NewGameWizard(window.game(), &window);
    window.setWizard(wizard);
    window.createDialogs(); // SoundDialog, ColorDialog and, last, AboutDialog

    window.show();
    return app.exec();
}
