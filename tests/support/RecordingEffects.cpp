#include "support/RecordingEffects.h"

Grid GridFromRows(const QStringList &rows)
{
    Grid g;
    for (int y = 0; y < 10 && y < rows.size(); ++y) {
        const QString &row = rows[y];
        for (int x = 0; x < 10 && x < row.size(); ++x) {
            const QChar c = row[x];
            if (c == u'#')
                g.at(x, y) = 2;
            else if (c >= u'0' && c <= u'3')
                g.at(x, y) = static_cast<std::uint8_t>(c.unicode() - u'0');
        }
    }
    return g;
}

QStringList GridRows(const Grid &grid)
{
    QStringList rows;
    for (int y = 0; y < 10; ++y) {
        QString row;
        for (int x = 0; x < 10; ++x)
            row += QChar(u'0' + grid.at(x, y));
        rows << row;
    }
    return rows;
}
