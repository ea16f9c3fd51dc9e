#pragma once

#include <QDialog>

class QTextBrowser;

// The program's help, built in: rules, the three modes, mouse and keys.
// Opened with F1 or "Hilfe"; it is not modal, so it can stay open beside the
// game.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

private:
    // The help text as HTML.
    static QString helpHtml();

    QTextBrowser *browser_ = nullptr;
};
