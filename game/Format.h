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
