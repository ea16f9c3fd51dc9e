#pragma once

#include <QComboBox>

// A drop-down list that tells when the mouse pointer enters or leaves it.
class HoverComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit HoverComboBox(QWidget *parent = nullptr);

signals:
    void mouseEntered(HoverComboBox *sender);
    void mouseLeft(HoverComboBox *sender);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
};
