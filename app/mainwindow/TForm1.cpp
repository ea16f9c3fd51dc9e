#include "app/mainwindow/TForm1.h"

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Kielwanz"));
    resize(881, 682);
}
