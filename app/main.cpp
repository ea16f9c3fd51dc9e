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
    MainWindow Form1(nullptr, nullptr, nullptr, QString(), true);
    if (Form1.QuitAtStart)
        return 0; // the update wizard ended the program; a prepared installation starts now
    auto *Form2 = new NewGameWizard(Form1.game(), &Form1);
    Form1.setWizard(Form2);
    Form1.createDialogs(); // SoundDialog, ColorDialog and, last, AboutDialog

    Form1.show();
    return app.exec();
}
