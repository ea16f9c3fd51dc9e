#include "dialogs/HoverComboBox.h"

HoverComboBox::HoverComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
}

void HoverComboBox::enterEvent(QEnterEvent *event)
{
    QComboBox::enterEvent(event);
    emit OnMouseEnter(this);
}

void HoverComboBox::leaveEvent(QEvent *event)
{
    QComboBox::leaveEvent(event);
    emit OnMouseLeave(this);
}
