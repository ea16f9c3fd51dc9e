#include "dialogs/ColorDialog.h"

#include "dialogs/ColorComboBox.h"
#include "game/Game.h"
#include "presentation/DialogLayout.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace {

QLabel *rightAlignedLabel(QWidget *parent, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setBuddy(buddy);
    return label;
}

} // namespace

ColorDialog::ColorDialog(Game &game, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      game_(game)
{
    setWindowTitle(QStringLiteral("Farben"));
    QFont face(QStringLiteral("MS Sans Serif"));
    face.setStyleHint(QFont::SansSerif);
    face.setPointSize(8);
    setFont(face);

    introLabel_ =
        new QLabel(QStringLiteral("Sie können einrichten, welche Farben das Wasser und die gefundenen "
                                  "Schiffe haben sollen:"),
                   this);
    introLabel_->setObjectName(QStringLiteral("Label1"));
    introLabel_->setWordWrap(true);
    introLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    for (int i = 0; i < 3; ++i) {
        auto *box = new ColorComboBox(this);
        box->setObjectName(QStringLiteral("LxColorComboBox_Color%1").arg(i + 1));
        box->setItemHeight(20);
        box->setShowText(true);
        box->setCustomColor(0);
        box->setColor(0);
        boxes_[i] = box;
    }

    const QString captions[3] = {QStringLiteral("&Wasser:"), QStringLiteral("zum &Teil gefundenes Schiff:"),
                                 QStringLiteral("&vollständig gefundenes Schiff:")};
    for (int i = 0; i < 3; ++i) {
        labels_[i] = rightAlignedLabel(this, captions[i], boxes_[i]);
        labels_[i]->setObjectName(QStringLiteral("Label%1").arg(i + 2));
    }

    // Enter presses the focused button, else OK.
    okButton_ = new QPushButton(QStringLiteral("&OK"), this);
    okButton_->setObjectName(QStringLiteral("Button_OK"));
    okButton_->setAutoDefault(true);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &ColorDialog::storeAndClose);

    cancelButton_ = new QPushButton(QStringLiteral("Ab&brechen"), this);
    cancelButton_->setObjectName(QStringLiteral("Button_Cancel"));
    cancelButton_->setAutoDefault(true);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(boxes_[0], boxes_[1]);
    setTabOrder(boxes_[1], boxes_[2]);
    setTabOrder(boxes_[2], okButton_);
    setTabOrder(okButton_, cancelButton_);
    placeControls();
}

// The designed layout (labels ending at x = 153, boxes from x = 160, 345
// wide) assumes a narrow face. When the face in use needs more room for the
// longest label, the boxes move right and the dialog grows by as much, so no
// label is ever cut off; an introduction that needs more lines moves the rest
// down.
void ColorDialog::placeControls()
{
    if (cancelButton_ == nullptr)
        return; // a font change while the controls are still being made
    using namespace DialogLayout;
    enum { Origin, Below, Boxes, Width, Height };
    std::vector<Guide> guides{0, 41, 160, 345, 185};
    std::vector<Place> table{
        {.w = introLabel_, .r = {8, 8, 313, 33}, .fit = WrapHeight, .pushY = {Below, 0}}};
    // clang-format off
    for (int i = 0; i < 3; ++i) {
        const int top = 52 + 32 * i;
        // Right-aligned, 8 pixels from the left edge at least.
        table.push_back({.w = labels_[i], .r = {0, top + 4, 153, 16}, .fit = TextWidth | HintHeight, .y = Below,
                         .right = Boxes, .pushX = {Boxes, 15}});
        table.push_back({.w = boxes_[i], .r = {160, top, 177, 26}, .fit = TextWidth | MinHeight, .x = Boxes,
                         .y = Below, .pushX = {Width, 8}});
    }
    table.push_back({.w = okButton_, .r = {79, 152, 75, 25}, .fit = ButtonText | HintHeight | HalfX, .x = Boxes,
                     .y = Below});
    table.push_back({.w = cancelButton_, .r = {191, 152, 75, 25}, .fit = ButtonText | HintHeight | HalfX,
                     .x = Boxes, .y = Below, .pushX = {Width, 79}, .pushY = {Height, 8}});
    // clang-format on
    place(table, guides);
    setFixedSize(guides[Width].at, guides[Height].at);
}

void ColorDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        placeControls();
}

void ColorDialog::showEvent(QShowEvent *event)
{
    showStoredColors();
    QDialog::showEvent(event);
}

void ColorDialog::showStoredColors()
{
    for (int i = 1; i <= 3; ++i)
        boxes_[i - 1]->setColor(game_.st.cellColors[i]);
    boxes_[0]->setFocus();
}

void ColorDialog::storeAndClose()
{
    std::array<std::uint32_t, 4> colors = game_.st.cellColors;
    for (int i = 1; i <= 3; ++i)
        colors[i] = boxes_[i - 1]->color();
    game_.setCellColors(colors);
    accept();
}
