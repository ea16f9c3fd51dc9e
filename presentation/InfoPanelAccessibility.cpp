#include "presentation/InfoPanelAccessibility.h"

#include "game/Format.h"
#include "game/Game.h"
#include "presentation/DrawingSurface.h"
#include "presentation/InfoPanel.h"
#include "presentation/TwoPartPane.h"

#include <QAccessibleWidget>
#include <QPointer>

#include <utility>

namespace {

int shipsIn(const ShipCounts &counts)
{
    int ships = 0;
    for (int length = 1; length <= 4; ++length)
        ships += std::min(counts[length], RequiredShips(length));
    return ships;
}

constexpr int FleetSize = 10;

class InfoPanelAccessible;

// The words of one half of the panel.
class PanelHalfAccessible : public QAccessibleInterface {
public:
    PanelHalfAccessible(QAccessibleInterface *panel, int half) : panel_(panel), half_(half) {}

    bool isValid() const override { return panel_->isValid(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return panel_->window(); }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return panel_; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        const QRect panel = panel_->rect();
        return {panel.x() + half_ * panel.width() / 2, panel.y(), panel.width() / 2, panel.height()};
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override { return {}; }

private:
    QAccessibleInterface *panel_;
    int half_;
};

class InfoPanelAccessible : public TwoPartPane {
public:
    InfoPanelAccessible(DrawingSurface *surface, InfoPanelAccessibility *model)
        : TwoPartPane(surface, QAccessible::Pane), model_(model)
    {
        setParts(new PanelHalfAccessible(this, 0), new PanelHalfAccessible(this, 1));
        model->setExposed(this);
    }
    ~InfoPanelAccessible() override
    {
        if (model_)
            model_->setExposed(nullptr);
    }
    InfoPanelAccessibility *model() const { return model_; }

    bool isValid() const override { return QAccessibleWidget::isValid() && model_; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? QStringLiteral("Statistik") : QAccessibleWidget::text(t);
    }

private:
    QPointer<InfoPanelAccessibility> model_;
};

QString PanelHalfAccessible::text(QAccessible::Text t) const
{
    InfoPanelAccessibility *model = static_cast<InfoPanelAccessible *>(panel_)->model();
    if (t != QAccessible::Name || model == nullptr)
        return {};
    return InfoPanelAccessibility::halfText(model->state(), half_);
}

QAccessibleInterface *infoPanelFactory(const QString &, QObject *object)
{
    auto *surface = qobject_cast<DrawingSurface *>(object);
    if (surface == nullptr)
        return nullptr;
    auto *model = surface->findChild<InfoPanelAccessibility *>(QString(), Qt::FindDirectChildrenOnly);
    return model != nullptr ? new InfoPanelAccessible(surface, model) : nullptr;
}

} // namespace

InfoPanelAccessibility::InfoPanelAccessibility(DrawingSurface &surface, const GameState &st)
    : QObject(&surface), st_(st)
{
    connect(&surface, &DrawingSurface::presented, this, &InfoPanelAccessibility::reportChanges);
}

void InfoPanelAccessibility::installFactory()
{
    static bool installed = false;
    if (!std::exchange(installed, true))
        QAccessible::installFactory(infoPanelFactory);
}

QString InfoPanelAccessibility::halfText(const GameState &st, int half)
{
    const int v = Game::viewedPlayerOf(st);
    if (st.gamePhase >= gpPlacing1 && st.gamePhase <= gpPlaced2) {
        if (half != 0)
            return {};
        return FormatText(QStringLiteral("%s: %d von %d Schiffen aufgestellt"),
                          {st.playerNames[v], shipsIn(Game::countShips(st.playField[v], 0)), FleetSize});
    }
    if (st.gamePhase != gpFiring && st.gamePhase != gpFinished)
        return {};
    // Drawn as the panel does: the opponent on the left, the viewer on the right.
    const int p = half == 0 ? v ^ 1 : v;
    const int afloat = FleetSize - shipsIn(Game::countShips(st.controlField[p ^ 1], 1));
    return FormatText(QStringLiteral("%s: %s; eigene Flotte: noch %d von %d Schiffen"),
                      {st.playerNames[p],
                       InfoPanel::statisticsText(st.tries[p], Game::hitCells(st.controlField[p])), afloat,
                       FleetSize});
}

void InfoPanelAccessibility::setExposed(QAccessibleInterface *panelInterface)
{
    exposed_ = panelInterface;
    if (exposed_ != nullptr)
        for (int half = 0; half < 2; ++half)
            texts_[half] = halfText(st_, half);
}

void InfoPanelAccessibility::reportChanges()
{
    if (exposed_ == nullptr)
        return;
    for (int half = 0; half < 2; ++half) {
        QString text = halfText(st_, half);
        if (text == texts_[half])
            continue;
        texts_[half] = std::move(text);
        QAccessibleEvent event(exposed_->child(half), QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}
