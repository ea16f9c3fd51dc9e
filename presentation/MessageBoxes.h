#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The program's Yes/No question: German buttons "&Ja" and "&Nein", "&Ja" the
// default, Escape answers "&Nein". Returns true for "&Ja".
bool AskYesNo(QWidget *parent, const QString &title, const QString &text,
              QMessageBox::Icon icon = QMessageBox::Question);

// A message with the single German button "OK" (Enter and Escape press it).
void ShowMessage(QWidget *parent, const QString &title, const QString &text,
                 QMessageBox::Icon icon = QMessageBox::Warning);
