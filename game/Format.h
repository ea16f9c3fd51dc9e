#pragma once

#include <QString>
#include <QVariant>

#include <initializer_list>

// The one formatter for the program's "%s" / "%d" / "%%" texts. Each "%s" or
// "%d" takes the next argument in order ("%d" as a whole number); "%%" gives
// "%". Any other "%" is copied unchanged, and a placeholder without an
// argument is left as it stands. Texts that come from outside (names, server
// files) are only ever passed as arguments, never as the pattern of a
// printf-style function.
QString FormatText(const QString &pattern, std::initializer_list<QVariant> args);

// A piece of outside text (a peer's name, a server's file name, a line of an
// update's script, a path) made fit to stand inside one of our messages: only
// its first line is kept, it is cut to `maxChars` characters, and control and
// invisible formatting characters are shown as visible symbols, so it can
// neither fake further lines of the message nor hide what it is. Cuts end in
// "…". Show the message as plain text as well (never rich text).
QString OutsideText(const QString &text, qsizetype maxChars = 120);
