#include "presentation/DesktopFace.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>

void adoptDesktopFace()
{
    const QString face = QApplication::font("QMessageBox").family();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->windowType() != Qt::Window && w->windowType() != Qt::Dialog)
            continue;
        QFont f = w->font();
        // A font given in pixels has the point size that the window's
        // resolution makes of it, rounded as the designer shows it (11 pixels
        // at 96 dpi are 8 points).
        const int points =
            f.pointSize() > 0 ? f.pointSize() : qRound(f.pixelSize() * 72.0 / std::max(1, w->logicalDpiY()));
        if (points != 8)
            continue;
        f.setFamily(face);
        w->setFont(f);
    }
}
