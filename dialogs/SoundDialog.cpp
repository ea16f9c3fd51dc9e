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

    introLabel_ = new QLabel(
        QStringLiteral("Sie können einrichten, welcher Sound bei welchem Ereignis abgespielt werden soll:"),
        this);
    introLabel_->setWordWrap(true);
    introLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    waterSounds_ = new QComboBox(this);
    waterSounds_->setProperty("tag", 0);
    shipSounds_ = new QComboBox(this);
    shipSounds_->setProperty("tag", 1);
    for (int n = 1; n <= SoundGroupSizes[0]; ++n)
        waterSounds_->addItem(FormatText(QStringLiteral("Wasser (%d)"), {n}));
    for (int n = 1; n <= SoundGroupSizes[1]; ++n)
        shipSounds_->addItem(FormatText(QStringLiteral("Treffer (%d)"), {n}));
    for (int n = 1; n <= SoundGroupSizes[2]; ++n) {
        const QString label = FormatText(QStringLiteral("Allgemein (%d)"), {n});
        waterSounds_->addItem(label);
        shipSounds_->addItem(label);
    }

    // The two labels end just left of their lists, as right-aligned labels do.
    waterLabel_ = new QLabel(QStringLiteral("&Wasser:"), this);
    waterLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    waterLabel_->setBuddy(waterSounds_);
    shipLabel_ = new QLabel(QStringLiteral("&Schiff:"), this);
    shipLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    shipLabel_->setBuddy(shipSounds_);

    // Enter presses the focused button, else OK.
    okButton_ = new QPushButton(QStringLiteral("&OK"), this);
    okButton_->setDefault(true);
    okButton_->setAutoDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Ab&brechen"), this);
    cancelButton_->setAutoDefault(true);
    placeControls();
    const std::pair<QObject *, const char *> names[] = {{introLabel_, "Label1"},
                                                        {waterLabel_, "Label2"},
                                                        {shipLabel_, "Label3"},
                                                        {waterSounds_, "ComboBox_WaterSound"},
                                                        {shipSounds_, "ComboBox_ShipSound"},
                                                        {okButton_, "Button_OK"},
                                                        {cancelButton_, "Button_Cancel"}};
    for (const auto &[control, name] : names)
        control->setObjectName(QLatin1String(name)); // tests find the controls by these

    setTabOrder(waterSounds_, shipSounds_);
    setTabOrder(shipSounds_, okButton_);
    setTabOrder(okButton_, cancelButton_);

    // Only a choice by the user plays the preview, not the selection made
    // when the dialog opens.
    connect(waterSounds_, &QComboBox::activated, this, [this] { preview(waterSounds_); });
    connect(shipSounds_, &QComboBox::activated, this, [this] { preview(shipSounds_); });
    connect(okButton_, &QPushButton::clicked, this, &SoundDialog::storeAndClose);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

// The designed layout assumes a narrow face. When the face in use (the
// system's, from the start on) needs more lines for the
// introduction, everything below moves down and the dialog grows by as much;
// labels that need more room move the lists right.
void SoundDialog::placeControls()
{
    if (cancelButton_ == nullptr)
        return; // a font change while the controls are still being made
    using namespace DialogLayout;
    enum { Origin, Below, Lists, Width, Height };
    std::vector<Guide> guides{0, 41, 56, 243, 153};
    // clang-format off
    place({{.w = introLabel_, .r = {8, 8, 217, 33}, .fit = WrapHeight, .pushY = {Below, 0}},
           {.w = waterLabel_, .r = {0, 52, 52, 21}, .fit = TextWidth, .y = Below, .right = Lists, .pushX = {Lists, 4}},
           {.w = waterSounds_, .r = {56, 52, 177, 21}, .fit = TextWidth | Centred, .x = Lists, .y = Below,
            .pushX = {Width, 10}},
           {.w = shipLabel_, .r = {0, 84, 52, 21}, .fit = TextWidth, .y = Below, .right = Lists, .pushX = {Lists, 4}},
           {.w = shipSounds_, .r = {56, 84, 177, 21}, .fit = TextWidth | Centred, .x = Lists, .y = Below,
            .pushX = {Width, 10}},
           {.w = okButton_, .r = {28, 120, 75, 25}, .fit = ButtonText | HintHeight | HalfX, .x = Lists, .y = Below},
           {.w = cancelButton_, .r = {140, 120, 75, 25}, .fit = ButtonText | HintHeight | HalfX, .x = Lists,
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

int SoundDialog::soundForEntry(int tag, int entry)
{
    const int n = entry + 1;
    const int c = SoundGroupSizes[tag == 0 ? 0 : 1];
    return n <= c ? n + 100 * tag : 200 + (n - c);
}

int SoundDialog::entryForSound(int tag, int id)
{
    const int entries = SoundGroupSizes[tag == 0 ? 0 : 1] + SoundGroupSizes[2];
    for (int entry = 0; entry < entries; ++entry) {
        if (soundForEntry(tag, entry) == id)
            return entry;
    }
    return -1;
}

int SoundDialog::soundOf(const QComboBox *list) const
{
    return soundForEntry(list->property("tag").toInt(), list->currentIndex());
}

void SoundDialog::showEvent(QShowEvent *event)
{
    selectStoredSounds();
    QDialog::showEvent(event);
}

void SoundDialog::selectStoredSounds()
{
    // An id that no entry shows (a damaged settings file) leaves the list
    // without selection; OK then keeps the stored id.
    waterSounds_->setCurrentIndex(entryForSound(0, shotSound_[0]));
    shipSounds_->setCurrentIndex(entryForSound(1, shotSound_[1]));
    waterSounds_->setFocus();
}

void SoundDialog::preview(QComboBox *list)
{
    if (list->currentIndex() >= 0)
        emit previewRequested(soundOf(list));
}

void SoundDialog::storeAndClose()
{
    if (waterSounds_->currentIndex() >= 0)
        shotSound_[0] = soundOf(waterSounds_);
    if (shipSounds_->currentIndex() >= 0)
        shotSound_[1] = soundOf(shipSounds_);
    accept();
}
