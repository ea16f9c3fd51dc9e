#include "dialogs/SoundDialog.h"

#include "game/Format.h"
#include "presentation/DialogLayout.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

SoundDialog::SoundDialog(std::array<int, 2> &shotSound, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      shotSound_(shotSound)
{
    setWindowTitle(QStringLiteral("Sounds"));
    setFont(QFont(QStringLiteral("Arial"), 8));

    Label1 = new QLabel(
        QStringLiteral("Sie können einrichten, welcher Sound bei welchem Ereignis abgespielt werden soll:"),
        this);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ComboBox_WaterSound = new QComboBox(this);
    ComboBox_WaterSound->setProperty("tag", 0);
    ComboBox_ShipSound = new QComboBox(this);
    ComboBox_ShipSound->setProperty("tag", 1);
    for (int n = 1; n <= SoundGroupSizes[0]; ++n)
        ComboBox_WaterSound->addItem(FormatText(QStringLiteral("Wasser (%d)"), {n}));
    for (int n = 1; n <= SoundGroupSizes[1]; ++n)
        ComboBox_ShipSound->addItem(FormatText(QStringLiteral("Treffer (%d)"), {n}));
    for (int n = 1; n <= SoundGroupSizes[2]; ++n) {
        const QString label = FormatText(QStringLiteral("Allgemein (%d)"), {n});
        ComboBox_WaterSound->addItem(label);
        ComboBox_ShipSound->addItem(label);
    }

    // The two labels end just left of their lists, as right-aligned labels do.
    Label2 = new QLabel(QStringLiteral("&Wasser:"), this);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2->setBuddy(ComboBox_WaterSound);
    Label3 = new QLabel(QStringLiteral("&Schiff:"), this);
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label3->setBuddy(ComboBox_ShipSound);

    // Enter presses the focused button, else OK.
    Button_OK = new QPushButton(QStringLiteral("&OK"), this);
    Button_OK->setDefault(true);
    Button_OK->setAutoDefault(true);
    Button_Cancel = new QPushButton(QStringLiteral("Ab&brechen"), this);
    Button_Cancel->setAutoDefault(true);
    placeControls();

    setTabOrder(ComboBox_WaterSound, ComboBox_ShipSound);
    setTabOrder(ComboBox_ShipSound, Button_OK);
    setTabOrder(Button_OK, Button_Cancel);

    // Only a choice by the user plays the preview, not the selection made
    // when the dialog opens.
    connect(ComboBox_WaterSound, &QComboBox::activated, this,
            [this] { ComboBox_SoundChange(ComboBox_WaterSound); });
    connect(ComboBox_ShipSound, &QComboBox::activated, this,
            [this] { ComboBox_SoundChange(ComboBox_ShipSound); });
    connect(Button_OK, &QPushButton::clicked, this, &SoundDialog::Button_OKClick);
    connect(Button_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

// The designed layout assumes a narrow face. When the face in use (the
// system's, once the about dialog exists) needs more lines for the
// introduction, everything below moves down and the dialog grows by as much;
// labels that need more room move the lists right.
void SoundDialog::placeControls()
{
    if (Button_Cancel == nullptr)
        return; // a font change while the controls are still being made
    using namespace DialogLayout;
    enum { Origin, Below, Lists, Width, Height };
    std::vector<Guide> guides{0, 41, 56, 243, 153};
    // clang-format off
    place({{.w = Label1, .r = {8, 8, 217, 33}, .fit = WrapHeight, .pushY = {Below, 0}},
           {.w = Label2, .r = {0, 52, 52, 21}, .fit = TextWidth, .y = Below, .right = Lists, .pushX = {Lists, 4}},
           {.w = ComboBox_WaterSound, .r = {56, 52, 177, 21}, .fit = TextWidth | Centred, .x = Lists, .y = Below,
            .pushX = {Width, 10}},
           {.w = Label3, .r = {0, 84, 52, 21}, .fit = TextWidth, .y = Below, .right = Lists, .pushX = {Lists, 4}},
           {.w = ComboBox_ShipSound, .r = {56, 84, 177, 21}, .fit = TextWidth | Centred, .x = Lists, .y = Below,
            .pushX = {Width, 10}},
           {.w = Button_OK, .r = {28, 120, 75, 25}, .fit = ButtonText | HintHeight | HalfX, .x = Lists, .y = Below},
           {.w = Button_Cancel, .r = {140, 120, 75, 25}, .fit = ButtonText | HintHeight | HalfX, .x = Lists,
            .y = Below, .pushX = {Width, 28}, .pushY = {Height, 8}}},
          guides);
    // clang-format on
    setFixedSize(guides[Width].at, guides[Height].at);
}

void SoundDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        placeControls();
}

int SoundDialog::SoundForEntry(int tag, int entry)
{
    const int n = entry + 1;
    const int c = SoundGroupSizes[tag == 0 ? 0 : 1];
    return n <= c ? n + 100 * tag : 200 + (n - c);
}

int SoundDialog::EntryForSound(int tag, int id)
{
    const int entries = SoundGroupSizes[tag == 0 ? 0 : 1] + SoundGroupSizes[2];
    for (int entry = 0; entry < entries; ++entry) {
        if (SoundForEntry(tag, entry) == id)
            return entry;
    }
    return -1;
}

int SoundDialog::GetSoundIndex(const QComboBox *list) const
{
    return SoundForEntry(list->property("tag").toInt(), list->currentIndex());
}

void SoundDialog::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void SoundDialog::FormShow()
{
    // An id that no entry shows (a damaged settings file) leaves the list
    // without selection; OK then keeps the stored id.
    ComboBox_WaterSound->setCurrentIndex(EntryForSound(0, shotSound_[0]));
    ComboBox_ShipSound->setCurrentIndex(EntryForSound(1, shotSound_[1]));
    ComboBox_WaterSound->setFocus();
}

void SoundDialog::ComboBox_SoundChange(QComboBox *list)
{
    if (list->currentIndex() >= 0)
        emit previewRequested(GetSoundIndex(list));
}

void SoundDialog::Button_OKClick()
{
    if (ComboBox_WaterSound->currentIndex() >= 0)
        shotSound_[0] = GetSoundIndex(ComboBox_WaterSound);
    if (ComboBox_ShipSound->currentIndex() >= 0)
        shotSound_[1] = GetSoundIndex(ComboBox_ShipSound);
    accept();
}
