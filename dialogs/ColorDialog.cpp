#include "dialogs/ColorDialog.h"

#include "dialogs/DialogLayout.h"
#include "dialogs/ColorComboBox.h"
#include "game/Game.h"

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

    Label1 = new QLabel(QStringLiteral("Sie können einrichten, welche Farben das Wasser und die gefundenen "
                                       "Schiffe haben sollen:"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ColorComboBox *boxes[3];
    for (int i = 0; i < 3; ++i) {
        auto *box = new ColorComboBox(this);
        box->setObjectName(QStringLiteral("LxColorComboBox_Color%1").arg(i + 1));
        box->setItemHeight(20);
        box->setShowText(true);
        box->setCustomColor(0);
        box->setColor(0);
        boxes[i] = box;
    }
    LxColorComboBox_Color1 = boxes[0];
    LxColorComboBox_Color2 = boxes[1];
    LxColorComboBox_Color3 = boxes[2];

    Label2 = rightAlignedLabel(this, QStringLiteral("&Wasser:"), LxColorComboBox_Color1);
    Label3 = rightAlignedLabel(this, QStringLiteral("zum &Teil gefundenes Schiff:"), LxColorComboBox_Color2);
    Label4 =
        rightAlignedLabel(this, QStringLiteral("&vollständig gefundenes Schiff:"), LxColorComboBox_Color3);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4->setObjectName(QStringLiteral("Label4"));

    // Enter presses the focused button, else OK.
    Button_OK = new QPushButton(QStringLiteral("&OK"), this);
    Button_OK->setObjectName(QStringLiteral("Button_OK"));
    Button_OK->setAutoDefault(true);
    Button_OK->setDefault(true);
    connect(Button_OK, &QPushButton::clicked, this, &ColorDialog::Button_OKClick);

    Button_Cancel = new QPushButton(QStringLiteral("Ab&brechen"), this);
    Button_Cancel->setObjectName(QStringLiteral("Button_Cancel"));
    Button_Cancel->setAutoDefault(true);
    connect(Button_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(LxColorComboBox_Color1, LxColorComboBox_Color2);
    setTabOrder(LxColorComboBox_Color2, LxColorComboBox_Color3);
    setTabOrder(LxColorComboBox_Color3, Button_OK);
    setTabOrder(Button_OK, Button_Cancel);
    placeControls();
}

// The designed layout (labels ending at x = 153, boxes from x = 160, 345
// wide) assumes a narrow face. When the face in use needs more room for the
// longest label, the boxes move right and the dialog grows by as much, so no
// label is ever cut off; an introduction that needs more lines moves the rest
// down.
void ColorDialog::placeControls()
{
    if (Button_Cancel == nullptr)
        return; // a font change while the controls are still being made
    using namespace DialogLayout;
    enum { Origin, Below, Boxes, Width, Height };
    std::vector<Guide> guides{0, 41, 160, 345, 185};
    std::vector<Place> table{{.w = Label1, .r = {8, 8, 313, 33}, .fit = WrapHeight, .pushY = {Below, 0}}};
    QLabel *labels[3] = {Label2, Label3, Label4};
    ColorComboBox *boxes[3] = {LxColorComboBox_Color1, LxColorComboBox_Color2, LxColorComboBox_Color3};
    // clang-format off
    for (int i = 0; i < 3; ++i) {
        const int top = 52 + 32 * i;
        // Right-aligned, 8 pixels from the left edge at least.
        table.push_back({.w = labels[i], .r = {0, top + 4, 153, 16}, .fit = TextWidth | HintHeight, .y = Below,
                         .right = Boxes, .pushX = {Boxes, 15}});
        table.push_back({.w = boxes[i], .r = {160, top, 177, 26}, .fit = TextWidth | MinHeight, .x = Boxes,
                         .y = Below, .pushX = {Width, 8}});
    }
    table.push_back({.w = Button_OK, .r = {79, 152, 75, 25}, .fit = ButtonText | HintHeight | HalfX, .x = Boxes,
                     .y = Below});
    table.push_back({.w = Button_Cancel, .r = {191, 152, 75, 25}, .fit = ButtonText | HintHeight | HalfX,
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

ColorComboBox *ColorDialog::colorBox(int i) const
{
    return findChild<ColorComboBox *>(QStringLiteral("LxColorComboBox_Color%1").arg(i),
                                         Qt::FindDirectChildrenOnly);
}

void ColorDialog::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void ColorDialog::FormShow()
{
    for (int i = 1; i <= 3; ++i)
        colorBox(i)->setColor(game_.st.CellColors[i]);
    LxColorComboBox_Color1->setFocus();
}

void ColorDialog::Button_OKClick()
{
    std::array<std::uint32_t, 4> colors = game_.st.CellColors;
    for (int i = 1; i <= 3; ++i)
        colors[i] = colorBox(i)->Color();
    game_.setCellColors(colors);
    accept();
}
