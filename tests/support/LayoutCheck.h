#pragma once

#include "presentation/DialogLayout.h"

#include <QtTest>
#include <QtWidgets>

// Every control shown lies inside its parent, overlaps no sibling and no frame around it, shows its whole text.
inline void CheckWindowLayout(const QWidget *window)
{
    QList<QWidget *> shown = window->findChildren<QWidget *>();
    shown.removeIf([window](QWidget *w) { return !w->isVisibleTo(window); });
    const auto at = [window](const QWidget *w, QRect r) { return r.translated(w->mapTo(window, QPoint())); };
    const auto where = [](const QWidget *w) {
        return QDebug::toString(w->geometry()) + w->property("text").toString() + w->metaObject()->className();
    };
    for (const QWidget *w : shown) {
        const QSize hint = w->sizeHint(), least = w->minimumSizeHint();
        const auto *frame = qobject_cast<const QFrame *>(w);
        const bool framed = qobject_cast<const QGroupBox *>(w) || (frame && frame->frameWidth() > 0);
        QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(where(w)));
        for (const QWidget *v : shown) {
            if (v != w && v->parentWidget() == w->parentWidget())
                QVERIFY2(!v->geometry().intersects(w->geometry()), qPrintable(where(v) + where(w)));
            if (framed && v != w && !v->isAncestorOf(w) && at(v, v->rect()).intersects(at(w, w->rect())))
                QVERIFY2(at(w, w->contentsRect()).contains(at(v, v->rect())),
                         qPrintable(where(v) + where(w)));
        }
        bool fits = true;
        if (const auto *l = qobject_cast<const QLabel *>(w))
            fits = l->wordWrap() ? l->heightForWidth(l->width()) <= l->height()
                                 : w->width() >= hint.width() && w->height() >= hint.height();
        else if (qobject_cast<const QPushButton *>(w))
            fits = w->width() >= DialogLayout::buttonWidthFor(w) && w->height() >= hint.height();
        else if (qobject_cast<const QRadioButton *>(w))
            fits = w->width() >= hint.width() &&
                   w->height() >= std::max(w->fontMetrics().height(),
                                           w->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight));
        else if (qobject_cast<const QSpinBox *>(w) || qobject_cast<const QComboBox *>(w))
            fits = w->width() >= hint.width() && w->height() >= least.height();
        else if (qobject_cast<const QLineEdit *>(w) && !qobject_cast<const QSpinBox *>(w->parentWidget()))
            fits = w->height() >= least.height();
        QVERIFY2(fits, qPrintable(where(w)));
    }
}
