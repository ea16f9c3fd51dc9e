#include "dialogs/HoverComboBox.h"

HoverComboBox::HoverComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
}

void HoverComboBox::enterEvent(QEnterEvent *event)
{
    QComboBox::enterEvent(event);
    emit mouseEntered(this);
}

void HoverComboBox::leaveEvent(QEvent *event)
{
    QComboBox::leaveEvent(event);
    emit mouseLeft(this);
}
