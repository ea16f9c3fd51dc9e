#pragma once

#include <QMainWindow>

// The main window. For now a plain window with the program's caption; the
// boards, menus and game flow are built on top of the engine in game/.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
};
