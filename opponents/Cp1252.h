#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>

#include <optional>

// Windows-1252, the 8-bit code page in which names cross the wire. Qt's own
// converters cover only Unicode and Latin-1, and the ICU mapping turns the
// five unassigned bytes into control characters; this table is exact.
namespace Cp1252 {

// Whether the character has a byte in Windows-1252.
bool canEncode(QChar c);
// The byte of an encodable character.
std::optional<char> encodeChar(QChar c);
// The text as Windows-1252 bytes; a character without a byte becomes '?'.
QByteArray encode(const QString &text);
// The bytes as text, or nothing if a byte is unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D).
std::optional<QString> decode(QByteArrayView bytes);

} // namespace Cp1252
