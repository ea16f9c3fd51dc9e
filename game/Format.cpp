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
