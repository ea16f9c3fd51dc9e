#pragma once

#include <QComboBox>

// A drop-down list that tells when the mouse pointer enters or leaves it.
class TLxComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TLxComboBox(QWidget *parent = nullptr);

signals:
    void OnMouseEnter(TLxComboBox *sender);
    void OnMouseLeave(TLxComboBox *sender);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
};
