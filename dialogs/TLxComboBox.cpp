#include "dialogs/TLxComboBox.h"

TLxComboBox::TLxComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
}

void TLxComboBox::enterEvent(QEnterEvent *event)
{
    QComboBox::enterEvent(event);
    emit OnMouseEnter(this);
}

void TLxComboBox::leaveEvent(QEvent *event)
{
    QComboBox::leaveEvent(event);
    emit OnMouseLeave(this);
}
