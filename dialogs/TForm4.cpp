#include "dialogs/TForm4.h"

#include "dialogs/TLxColorComboBox.h"
#include "game/Game.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

QLabel *rightAlignedLabel(QWidget *parent, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setBuddy(buddy);
    return label;
}

} // namespace

TForm4::TForm4(Game &game, QWidget *parent)
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
    Label1->setGeometry(8, 8, 313, 33);

    TLxColorComboBox *boxes[3];
    for (int i = 0; i < 3; ++i) {
        auto *box = new TLxColorComboBox(this);
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
    connect(Button_OK, &QPushButton::clicked, this, &TForm4::Button_OKClick);

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
// label is ever cut off.
void TForm4::placeControls()
{
    if (!Label2 || !Label3 || !Label4 || !Button_Cancel)
        return;
    const int need =
        std::max({Label2->sizeHint().width(), Label3->sizeHint().width(), Label4->sizeHint().width()});
    const int shift = std::max(0, 8 + need - 153);
    const int labelHeight = std::max(16, Label2->sizeHint().height());
    const int tops[3] = {52, 84, 116};
    QLabel *labels[3] = {Label2, Label3, Label4};
    TLxColorComboBox *boxes[3] = {LxColorComboBox_Color1, LxColorComboBox_Color2, LxColorComboBox_Color3};
    for (int i = 0; i < 3; ++i) {
        labels[i]->setGeometry(0, tops[i] + 4, 153 + shift, labelHeight);
        boxes[i]->setGeometry(160 + shift, tops[i], 177, 26);
    }
    Button_OK->setGeometry(79 + shift / 2, 152, 75, 25);
    Button_Cancel->setGeometry(191 + shift / 2, 152, 75, 25);
    setFixedSize(345 + shift, 185);
}

void TForm4::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        placeControls();
}

TLxColorComboBox *TForm4::colorBox(int i) const
{
    return findChild<TLxColorComboBox *>(QStringLiteral("LxColorComboBox_Color%1").arg(i),
                                         Qt::FindDirectChildrenOnly);
}

void TForm4::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TForm4::FormShow()
{
    for (int i = 1; i <= 3; ++i)
        colorBox(i)->setColor(game_.st.CellColors[i]);
    LxColorComboBox_Color1->setFocus();
}

void TForm4::Button_OKClick()
{
    std::array<std::uint32_t, 4> colors = game_.st.CellColors;
    for (int i = 1; i <= 3; ++i)
        colors[i] = colorBox(i)->Color();
    game_.SetCellColors(colors);
    accept();
}
