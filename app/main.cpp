#include "app/mainwindow/TForm1.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kielwanz"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kielwanz"));
    TForm1 form;
    form.show();
    return app.exec();
}
