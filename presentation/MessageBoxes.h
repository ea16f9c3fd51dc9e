#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Both boxes show their text as plain text: messages carry outside text
// (names, paths, lines of an update's script), which must never be read as
// markup. Such pieces go through OutsideText (game/Format.h) first.

// The program's Yes/No question: German buttons "&Ja" and "&Nein", "&Ja" the
// default, Escape answers "&Nein". Returns true for "&Ja".
bool AskYesNo(QWidget *parent, const QString &title, const QString &text,
              QMessageBox::Icon icon = QMessageBox::Question);

// A message with the single German button "OK" (Enter and Escape press it).
void ShowMessage(QWidget *parent, const QString &title, const QString &text,
                 QMessageBox::Icon icon = QMessageBox::Warning);
