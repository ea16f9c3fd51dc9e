#pragma once

#include <QAccessibleWidget>

#include <array>

// The accessible face of a surface drawn in two parts (the two boards, the two
// halves of the statistics): a pane whose two children are interfaces of
// their own, known to Qt while the pane lives.
class TwoPartPane : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;
    ~TwoPartPane() override
    {
        for (QAccessible::Id id : parts_)
            if (id != 0)
                QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return 2; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 || index == 1 ? QAccessible::accessibleInterface(parts_[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child == this->child(0) ? 0 : child == this->child(1) ? 1 : -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (int i = 0; i < 2; ++i)
            if (child(i)->rect().contains(x, y))
                return child(i);
        return nullptr;
    }

protected:
    void setParts(QAccessibleInterface *first, QAccessibleInterface *second)
    {
        parts_ = {QAccessible::registerAccessibleInterface(first),
                  QAccessible::registerAccessibleInterface(second)};
    }

private:
    std::array<QAccessible::Id, 2> parts_{};
};
