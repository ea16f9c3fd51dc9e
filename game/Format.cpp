#include "game/Format.h"

QString FormatText(const QString &pattern, std::initializer_list<QVariant> args)
{
    QString out;
    out.reserve(pattern.size() + 16);
    auto next = args.begin();
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c != u'%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const QChar kind = pattern.at(i + 1);
        if (kind == u'%') {
            out += u'%';
            ++i;
        } else if ((kind == u's' || kind == u'd') && next != args.end()) {
            out += kind == u'd' ? QString::number(next->toLongLong()) : next->toString();
            ++next;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QString OutsideText(const QString &text, qsizetype maxChars)
{
    static const QChar ellipsis(0x2026);
    qsizetype end = text.size();
    bool cut = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029 || c == 0x85) {
            // A line break that only ends the text is no second line.
            end = i;
            cut = !QStringView(text).mid(i).trimmed().isEmpty();
            break;
        }
    }
    QString out;
    out.reserve(qMin(end, maxChars) + 1);
    for (qsizetype i = 0; i < end; ++i) {
        if (out.size() >= maxChars) {
            cut = true;
            break;
        }
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u < 0x20)
            out += QChar(char16_t(0x2400 + u)); // the control pictures: ␀ … ␟
        else if (u == 0x7f)
            out += QChar(char16_t(0x2421)); // ␡
        else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
                 c.category() == QChar::Other_NotAssigned)
            out += QStringLiteral("<U+%1>").arg(QString::number(u, 16).toUpper(), 4, QLatin1Char('0'));
        else
            out += c;
    }
    if (cut && !out.isEmpty() && out.back().isHighSurrogate())
        out.chop(1);
    if (cut)
        out += ellipsis;
    return out;
}
