#include "presentation/DialogLayout.h"

#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

#include <algorithm>

namespace DialogLayout {

namespace {

int textWidth(const QWidget *w, const QString &text)
{
    return w->fontMetrics().size(Qt::TextShowMnemonic, text).width();
}

int neededWidth(const Place &p)
{
    if (p.fit & ButtonText)
        return buttonWidthFor(p.w);
    if (!(p.fit & (TextWidth | SizeToText)))
        return 0;
    return p.sample.isEmpty() ? p.w->sizeHint().width() : textWidth(p.w, p.sample);
}

int neededHeight(const Place &p, int width, int h)
{
    const QWidget *w = p.w;
    if (p.fit & Centred)
        h = w->sizeHint().height();
    if (p.fit & FontHeight)
        h = std::max(h, w->fontMetrics().height());
    if (p.fit & HintHeight)
        h = std::max(h, w->sizeHint().height());
    if (p.fit & MinHeight)
        h = std::max(h, w->minimumSizeHint().height());
    if (p.fit & RadioHeight)
        h = std::max({h, w->fontMetrics().height(),
                      w->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, w)});
    if (p.fit & WrapHeight)
        h = std::max(h, w->heightForWidth(width));
    return std::max(h, p.lines * w->fontMetrics().lineSpacing());
}

// One pass over the table that moves the guides of one axis; true when one moved.
bool pass(const std::vector<Place> &table, std::vector<Guide> &guides, bool vertical)
{
    const auto moved = [&](int guide) { return guides[guide].at - guides[guide].designed; };
    const auto at = [&](int guide) { return guide >= 0 ? guides[guide].at : 0; };
    std::vector<QRect> placed;
    bool changed = false;
    const auto push = [&](Push p, int edge) {
        if (p.guide >= 0 && edge + p.gap > guides[p.guide].at) {
            guides[p.guide].at = edge + p.gap;
            changed = true;
        }
    };
    for (const Place &p : table) {
        const int need = neededWidth(p);
        int x = p.r.x() + ((p.fit & HalfX) ? moved(p.x) / 2 : moved(p.x));
        int w = p.right >= 0 ? p.r.right() + moved(p.right) + 1 - x : p.r.width();
        w = (p.fit & SizeToText) ? need : std::max({w, need, p.minW, at(p.minWGuide)});
        if (p.fit & KeepRight)
            x += p.r.width() - w;

        int h = p.bottom >= 0 ? p.r.bottom() + moved(p.bottom) + 1 - (p.r.y() + moved(p.y)) : p.r.height();
        h = std::max(neededHeight(p, w, h), at(p.minHGuide));
        int y = p.r.y() + moved(p.y);
        if (p.centreOn) {
            const auto it =
                std::find_if(table.begin(), table.end(), [&](const Place &q) { return q.w == p.centreOn; });
            const QRect anchor = placed[it - table.begin()];
            y = anchor.y() + p.r.y() - it->r.y() + (anchor.height() - it->r.height()) / 2 -
                (h - p.r.height()) / 2;
        } else if (p.fit & Centred) {
            y += (p.r.height() - h) / 2;
        }
        placed.emplace_back(x, y, w, h);
        if (p.w->geometry() != placed.back())
            p.w->setGeometry(placed.back());

        // A stretching control pushes with what it needs, not with what it got.
        int needRight = x + (p.right >= 0 ? std::max({need, p.minW, at(p.minWGuide)}) : w);
        if (p.leftLimit >= 0 && x < at(p.leftLimit))
            needRight += at(p.leftLimit) - x;
        if (vertical)
            push(p.pushY, y + h);
        else
            push(p.pushX, needRight);
        if (p.sets >= 0)
            guides[p.sets].at = x;
    }
    return changed;
}

} // namespace

void place(const std::vector<Place> &table, std::vector<Guide> &guides)
{
    // Each pass can only move guides further; a handful settles every table.
    // Widths first: how high a word-wrapped text is depends on its width.
    for (bool vertical : {false, true})
        for (int i = 0; i < 8 && pass(table, guides, vertical); ++i) {
        }
}

int buttonWidthFor(const QWidget *widget)
{
    const auto *b = qobject_cast<const QPushButton *>(widget);
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    if (b->autoDefault() || b->isDefault())
        opt.features |= QStyleOptionButton::AutoDefaultButton;
    const int probe = 1000;
    const int margins =
        b->style()
            ->sizeFromContents(QStyle::CT_PushButton, &opt, QSize(probe, b->fontMetrics().height()), b)
            .width() -
        probe;
    return textWidth(b, b->text()) + margins;
}

} // namespace DialogLayout
