#include "opponents/Cp1252.h"

namespace Cp1252 {

namespace {

// 0x80..0x9F; 0 marks an unassigned byte. Every other byte is its Latin-1 code point.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

std::optional<char> encodeChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] != 0 && kHigh[i] == u)
            return static_cast<char>(0x80 + i);
    return std::nullopt;
}

bool canEncode(QChar c)
{
    return encodeChar(c).has_value();
}

QByteArray encode(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text)
        out.append(encodeChar(c).value_or('?'));
    return out;
}

std::optional<QString> decode(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b <= 0x9F) {
            const char16_t u = kHigh[b - 0x80];
            if (u == 0)
                return std::nullopt;
            out.append(QChar(u));
        } else {
            out.append(QChar(b));
        }
    }
    return out;
}

} // namespace Cp1252
