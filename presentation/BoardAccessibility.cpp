#include "presentation/BoardAccessibility.h"

#include "game/Texts.h"
#include "presentation/BoardCursor.h"
#include "presentation/BoardGeometry.h"
#include "presentation/DrawingSurface.h"
#include "presentation/TwoPartPane.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QPointer>

namespace {

constexpr int Side = BoardSize + 1; // a table's rows and columns with the headers

// ---------------------------------------------------------------- the words

// Every ship cell of the run through c has been hit.
bool wholeShipHit(const Grid &grid, CellPos c)
{
    static constexpr int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto &s : steps)
        for (int k = 1; grid.isShip(c.x + k * s[0], c.y + k * s[1]); ++k)
            if (grid.get(c.x + k * s[0], c.y + k * s[1]) != pfShipHit)
                return false;
    return true;
}

QString knownAt(const Game &game, Board board, CellPos c)
{
    const GameState &st = game.st;
    // Under the title picture, and while two players at one screen hand
    // over, the boards tell nothing of either fleet.
    if (st.gamePhase == gpNoGame || (st.gameMode == gmTwoAtOne && game.changeOverRunning()))
        return QStringLiteral("verdeckt");
    const int v = game.viewedPlayer();
    if (board == Board::Control) {
        // Only the own shots: the opponent's fleet is never looked at.
        switch (st.controlField[v].get(c.x, c.y)) {
        case cfWater:
            return QStringLiteral("Fehlschuss");
        case cfHit:
            return QStringLiteral("Treffer");
        case cfSunk:
            return QStringLiteral("Schiff versenkt");
        default:
            return QStringLiteral("unbekannt");
        }
    }
    const Grid &own = st.playField[v];
    QString text;
    switch (own.get(c.x, c.y)) {
    case pfWaterShot:
        text = QStringLiteral("Fehlschuss");
        break;
    case pfShip:
        text = QStringLiteral("Schiff");
        break;
    case pfShipHit:
        text = wholeShipHit(own, c) ? QStringLiteral("Schiff versenkt") : QStringLiteral("Schiff getroffen");
        break;
    default:
        text = QStringLiteral("Wasser");
        break;
    }
    // The opponent's last shot, framed in red on the board.
    const int slot = st.gameMode == gmTwoAtOne ? (st.currentPlayer & 1) ^ 1 : 0;
    if (st.lastShot[slot] == c)
        text += QStringLiteral(", letzter Schuss");
    return text;
}

// ------------------------------------------------------------ the interfaces

class BoardSurfaceAccessible;

// A child of a board's table: the corner, a column or row header, or a cell.
class BoardTableChild : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    BoardTableChild(QAccessibleInterface *table, Board board, int row, int column)
        : table_(table), board_(board), row_(row), column_(column)
    {
    }
    bool isCell() const { return row_ >= 0 && column_ >= 0; }
    CellPos cell() const { return {column_, row_}; }

    bool isValid() const override { return table_->isValid(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return table_->window(); }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return table_; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override
    {
        if (isCell())
            return QAccessible::Cell;
        if (row_ < 0 && column_ >= 0)
            return QAccessible::ColumnHeader;
        return row_ >= 0 ? QAccessible::RowHeader : QAccessible::Pane;
    }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TableCellInterface && isCell()
                   ? static_cast<QAccessibleTableCellInterface *>(this)
                   : nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {table_->child(column_ + 1)}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override
    {
        return {table_->child((row_ + 1) * Side)};
    }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return table_; }

private:
    BoardAccessibility *model() const;

    QAccessibleInterface *table_;
    Board board_;
    int row_;    // -1: the column headers' row
    int column_; // -1: the row headers' column
};

// One board as a table: child 0 is the corner, 1..10 the column headers,
// then row by row its header and its ten cells (the layout of Qt's own
// tables with both headers).
class BoardTableAccessible : public QAccessibleInterface, public QAccessibleTableInterface {
public:
    BoardTableAccessible(BoardSurfaceAccessible *surface, Board board);
    ~BoardTableAccessible() override
    {
        for (QAccessible::Id id : ids_)
            QAccessible::deleteAccessibleInterface(id);
    }
    BoardAccessibility *model() const;
    Board board() const { return board_; }
    QAccessibleInterface *cellInterface(CellPos c) const { return child((c.y + 1) * Side + c.x + 1); }

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (QAccessible::Id id : ids_) {
            QAccessibleInterface *c = QAccessible::accessibleInterface(id);
            if (c != nullptr && c->rect().contains(x, y))
                return c;
        }
        return nullptr;
    }
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override
    {
        return index >= 0 && index < int(ids_.size()) ? QAccessible::accessibleInterface(ids_[index])
                                                      : nullptr;
    }
    int childCount() const override { return int(ids_.size()); }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (std::size_t i = 0; i < ids_.size(); ++i)
            if (QAccessible::accessibleInterface(ids_[i]) == child)
                return int(i);
        return -1;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return {};
        return QString::fromUtf8(board_ == Board::Own ? Texts::CaptionPlayField : Texts::CaptionControlField);
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Table; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invisible = model() == nullptr || model()->game().st.gamePhase == gpNoGame;
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface *>(this) : nullptr;
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || row >= BoardSize || column < 0 || column >= BoardSize)
            return nullptr;
        return cellInterface({column, row});
    }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface *> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override { return QString::number(column + 1); }
    QString rowDescription(int row) const override { return QString(QChar(u'A' + row)); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return BoardSize; }
    int rowCount() const override { return BoardSize; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    BoardSurfaceAccessible *surface_;
    Board board_;
    std::vector<QAccessible::Id> ids_;
};

// The board surface: its two tables, the focused cell, the banner.
class BoardSurfaceAccessible : public TwoPartPane {
public:
    BoardSurfaceAccessible(DrawingSurface *surface, BoardAccessibility *model)
        : TwoPartPane(surface, QAccessible::Pane), model_(model)
    {
        setParts(new BoardTableAccessible(this, Board::Own), new BoardTableAccessible(this, Board::Control));
        model->setExposed(this);
    }
    ~BoardSurfaceAccessible() override
    {
        if (model_)
            model_->setExposed(nullptr);
    }
    BoardAccessibility *model() const { return model_; }
    QWidget *surfaceWidget() const { return widget(); }
    BoardTableAccessible *table(Board b) const
    {
        return static_cast<BoardTableAccessible *>(child(b == Board::Own ? 0 : 1));
    }
    QAccessibleInterface *cellInterface(BoardAccessibility::FocusCell f) const
    {
        return table(f.board)->cellInterface(f.cell);
    }

    bool isValid() const override { return QAccessibleWidget::isValid() && model_; }
    QAccessibleInterface *focusChild() const override
    {
        const auto focus = model_ ? model_->focusCell() : std::nullopt;
        return focus ? cellInterface(*focus) : nullptr;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description)
            return model_ ? BoardAccessibility::bannerText(model_->game()) : QString();
        if (t == QAccessible::Name)
            return QStringLiteral("Spielfeld und Kontrollfeld");
        return QAccessibleWidget::text(t);
    }

private:
    QPointer<BoardAccessibility> model_;
};

BoardTableAccessible::BoardTableAccessible(BoardSurfaceAccessible *surface, Board board)
    : surface_(surface), board_(board)
{
    for (int row = -1; row < BoardSize; ++row)
        for (int column = -1; column < BoardSize; ++column)
            ids_.push_back(
                QAccessible::registerAccessibleInterface(new BoardTableChild(this, board, row, column)));
}

BoardAccessibility *BoardTableAccessible::model() const
{
    return surface_->model();
}

bool BoardTableAccessible::isValid() const
{
    return surface_->isValid();
}

QWindow *BoardTableAccessible::window() const
{
    return surface_->window();
}

QAccessibleInterface *BoardTableAccessible::parent() const
{
    return surface_;
}

QRect BoardTableAccessible::rect() const
{
    // The cells with their headers.
    const QRect first = BoardGeometry::cellRect(board_, {-1, -1});
    const QRect local(first.topLeft(), first.size() * Side);
    return {surface_->surfaceWidget()->mapToGlobal(local.topLeft()), local.size()};
}

BoardAccessibility *BoardTableChild::model() const
{
    return static_cast<BoardTableAccessible *>(table_)->model();
}

QString BoardTableChild::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name)
        return {};
    if (isCell())
        return model() ? BoardAccessibility::cellName(model()->game(), board_, cell()) : QString();
    if (row_ < 0)
        return column_ < 0 ? QString() : QString::number(column_ + 1);
    return QString(QChar(u'A' + row_));
}

QRect BoardTableChild::rect() const
{
    // Headers lie one cell left of and above the cells.
    const QRect first = BoardGeometry::cellRect(board_, {0, 0});
    const int cell = BoardGeometry::Cell;
    const QRect local(first.x() + cell * column_, first.y() + cell * row_, cell, cell);
    const QWidget *surface = static_cast<BoardSurfaceAccessible *>(table_->parent())->surfaceWidget();
    return {surface->mapToGlobal(local.topLeft()), local.size()};
}

QAccessible::State BoardTableChild::state() const
{
    QAccessible::State s = table_->state();
    if (isCell()) {
        s.focusable = true;
        const auto focus = model() ? model()->focusCell() : std::nullopt;
        s.focused = focus && focus->board == board_ && focus->cell == cell();
    }
    return s;
}

QAccessibleInterface *boardSurfaceFactory(const QString &, QObject *object)
{
    auto *surface = qobject_cast<DrawingSurface *>(object);
    if (surface == nullptr)
        return nullptr;
    auto *model = surface->findChild<BoardAccessibility *>(QString(), Qt::FindDirectChildrenOnly);
    return model != nullptr ? new BoardSurfaceAccessible(surface, model) : nullptr;
}

void send(QAccessibleInterface *iface, QAccessible::Event type)
{
    QAccessibleEvent event(iface, type);
    QAccessible::updateAccessibility(&event);
}

} // namespace

// ------------------------------------------------------------------ the model

BoardAccessibility::BoardAccessibility(DrawingSurface &surface, const Game &game, const BoardCursor &cursor)
    : QObject(&surface), surface_(surface), game_(game), cursor_(cursor)
{
    connect(&surface, &DrawingSurface::presented, this, &BoardAccessibility::reportChanges);
    connect(&cursor, &BoardCursor::used, this, &BoardAccessibility::reportChanges);
    surface.installEventFilter(this);
}

void BoardAccessibility::installFactory()
{
    static bool installed = false;
    if (!std::exchange(installed, true))
        QAccessible::installFactory(boardSurfaceFactory);
}

QString BoardAccessibility::cellName(const Game &game, Board board, CellPos cell)
{
    return QChar(u'A' + cell.y) + QString::number(cell.x + 1) + QStringLiteral(", ") +
           knownAt(game, board, cell);
}

QString BoardAccessibility::bannerText(const Game &game)
{
    const GameState &st = game.st;
    if (st.gamePhase == gpFinished)
        return Texts::InfoText(8);
    if (st.gamePhase != gpFiring || !game.changeOverRunning())
        return {};
    const QString name = st.playerNames[st.currentPlayer & 1];
    if (st.winner == -1)
        return Texts::InfoText(3) + u' ' + name;
    if (!game.isLocalTurn())
        return name + u' ' + Texts::InfoText(13);
    return Texts::InfoText(6) + u' ' + name + QStringLiteral("! ") + Texts::InfoText(7);
}

std::optional<BoardAccessibility::FocusCell> BoardAccessibility::focusCell() const
{
    const std::optional<Board> board = game_.boardTakingPresses();
    if (!board)
        return std::nullopt;
    return FocusCell{*board, cursor_.cell(*board)};
}

void BoardAccessibility::setExposed(QAccessibleInterface *surfaceInterface)
{
    exposed_ = surfaceInterface;
    if (exposed_ != nullptr)
        takeSnapshot();
}

void BoardAccessibility::takeSnapshot()
{
    for (std::size_t i = 0; i < names_.size(); ++i) {
        const Board board = i < names_.size() / 2 ? Board::Own : Board::Control;
        const int k = int(i % (names_.size() / 2));
        names_[i] = cellName(game_, board, {k % BoardSize, k / BoardSize});
    }
    banner_ = bannerText(game_);
    focus_ = focusCell();
}

void BoardAccessibility::reportChanges()
{
    if (exposed_ == nullptr)
        return;
    auto *surface = static_cast<BoardSurfaceAccessible *>(exposed_);
    // The focus goes first, so that a shot's result is read on its cell.
    const std::optional<FocusCell> focus = focusCell();
    if (focus != focus_ && surface_.isActiveWindow()) {
        focus_ = focus;
        if (focus)
            send(surface->cellInterface(*focus), QAccessible::Focus);
    }
    for (std::size_t i = 0; i < names_.size(); ++i) {
        const Board board = i < names_.size() / 2 ? Board::Own : Board::Control;
        const int k = int(i % (names_.size() / 2));
        const CellPos cell{k % BoardSize, k / BoardSize};
        QString name = cellName(game_, board, cell);
        if (name != names_[i]) {
            names_[i] = std::move(name);
            send(surface->table(board)->cellInterface(cell), QAccessible::NameChanged);
        }
    }
    if (QString banner = bannerText(game_); banner != banner_) {
        banner_ = std::move(banner);
        send(surface, QAccessible::DescriptionChanged);
    }
}

bool BoardAccessibility::eventFilter(QObject *watched, QEvent *event)
{
    // Qt reports the surface itself as focused; the cell follows once that
    // is out, as an item view's current cell does.
    if (event->type() == QEvent::FocusIn && exposed_ != nullptr) {
        focus_.reset();
        QMetaObject::invokeMethod(this, &BoardAccessibility::reportChanges, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
