#include "dialogs/ColorComboBox.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QHash>
#include <QInputDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

struct DefaultEntry {
    const char *name;
    ColorComboBox::ColorRef colour;
};

// Red in the low byte, as stored everywhere.
constexpr DefaultEntry DefaultEntries[] = {
    {"Schwarz", 0x000000},    {"Dunkelgrau", 0x808080}, {"Hellgrau", 0xC0C0C0}, {"Weiß", 0xFFFFFF},
    {"Rot", 0x0000FF},        {"Orange", 0x0080FF},     {"Gelb", 0x00FFFF},     {"Hellgrün", 0x00FF00},
    {"Dunkelgrün", 0x008000}, {"Dunkelblau", 0x800000}, {"Blau", 0xFF0000},     {"Hellblau", 0xFFFF00},
    {"Violett", 0xFF8080},    {"Lila", 0x800080},       {"Rosa", 0xFF00FF},
};

const QString CustomEntryName = QStringLiteral("Andere Farbe");

// The list's entries are drawn by the box itself, at the box's entry height.
class SwatchDelegate : public QAbstractItemDelegate {
public:
    explicit SwatchDelegate(ColorComboBox *box) : QAbstractItemDelegate(box), box_(box) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        box_->drawItem(*painter, option.rect, index.row(), option.state & QStyle::State_Selected);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return QSize(option.rect.width(), box_->itemHeight());
    }

private:
    ColorComboBox *box_;
};

// Qt's chooser speaks English unless a translation is loaded; the program's
// texts are German whatever the environment says.
void germanize(QColorDialog *dialog)
{
    static const QHash<QString, QString> texts = {
        {QStringLiteral("&Basic colors"), QStringLiteral("&Grundfarben")},
        {QStringLiteral("&Custom colors"), QStringLiteral("&Benutzerdefinierte Farben")},
        {QStringLiteral("&Add to Custom Colors"),
         QStringLiteral("Zu benutzerdefinierten Farben &hinzufügen")},
        {QStringLiteral("&Pick Screen Color"), QStringLiteral("Farbe vom Bildschirm &aufnehmen")},
        {QStringLiteral("Hu&e:"), QStringLiteral("Farb&ton:")},
        {QStringLiteral("&Sat:"), QStringLiteral("&Sättigung:")},
        {QStringLiteral("&Val:"), QStringLiteral("Hellig&keit:")},
        {QStringLiteral("&Red:"), QStringLiteral("&Rot:")},
        {QStringLiteral("&Green:"), QStringLiteral("Grü&n:")},
        {QStringLiteral("Bl&ue:"), QStringLiteral("Bla&u:")},
        {QStringLiteral("A&lpha channel:"), QStringLiteral("A&lphakanal:")},
    };
    for (QLabel *label : dialog->findChildren<QLabel *>()) {
        const auto it = texts.find(label->text());
        if (it != texts.end())
            label->setText(*it);
    }
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        const auto it = texts.find(button->text());
        if (it != texts.end())
            button->setText(*it);
    }
    if (auto *buttons = dialog->findChild<QDialogButtonBox *>()) {
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
        if (QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel))
            cancel->setText(QStringLiteral("Abbrechen"));
    }
    dialog->setWindowTitle(QStringLiteral("Farbe"));
}

QColorDialog *sharedDialog = nullptr;
int liveBoxes = 0;

// Inverts every pixel under a 3-pixel pen drawn around the rectangle
// (x0, y0)-(x1, y1), right and bottom exclusive: the band covers one pixel
// outside the outline to one pixel inside it, each pixel once.
void invertFrame(QImage &img, int x0, int y0, int x1, int y1)
{
    const QRect outer = QRect(QPoint(x0 - 1, y0 - 1), QPoint(x1, y1)).intersected(img.rect());
    const QRect inner(QPoint(x0 + 2, y0 + 2), QPoint(x1 - 3, y1 - 3));
    for (int y = outer.top(); y <= outer.bottom(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = outer.left(); x <= outer.right(); ++x)
            if (!inner.contains(x, y))
                line[x] ^= 0x00FFFFFF;
    }
}

} // namespace

ColorComboBox::ColorComboBox(QWidget *parent) : HoverComboBox(parent)
{
    ++liveBoxes;
    for (const DefaultEntry &e : DefaultEntries) {
        addItem(QString::fromUtf8(e.name));
        colors_ << colorText(e.colour);
    }
    addItem(CustomEntryName);
    setItemDelegate(new SwatchDelegate(this));
    resize(200, itemHeight_ + 6);
    setCurrentIndex(0);
    connect(this, &QComboBox::activated, this, &ColorComboBox::onActivated);
}

ColorComboBox::~ColorComboBox()
{
    if (--liveBoxes == 0) {
        delete sharedDialog;
        sharedDialog = nullptr;
    }
}

QColorDialog *ColorComboBox::sharedColorDialog()
{
    if (!sharedDialog) {
        sharedDialog = new QColorDialog();
        sharedDialog->setOption(QColorDialog::DontUseNativeDialog);
        sharedDialog->setOption(QColorDialog::ShowAlphaChannel, false);
        germanize(sharedDialog);
    }
    return sharedDialog;
}

// ------------------------------------------------------------------ texts

QString ColorComboBox::colorText(ColorRef c)
{
    return QStringLiteral("$") + QStringLiteral("%1").arg(c, 6, 16, QLatin1Char('0')).toUpper();
}

std::optional<ColorComboBox::ColorRef> ColorComboBox::parseColorText(const QString &text)
{
    if (text.size() < 2 || text.size() > 9 || text[0] != QLatin1Char('$'))
        return std::nullopt;
    ColorRef value = 0;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        int digit;
        if (ch >= u'0' && ch <= u'9')
            digit = ch - u'0';
        else if (ch >= u'A' && ch <= u'F')
            digit = ch - u'A' + 10;
        else if (ch >= u'a' && ch <= u'f')
            digit = ch - u'a' + 10;
        else
            return std::nullopt;
        value = value << 4 | ColorRef(digit);
    }
    return value;
}

ColorComboBox::ColorRef ColorComboBox::contrastColor(ColorRef c)
{
    const ColorRef inverse =
        (255 - (c & 0xFF)) | (255 - ((c >> 8) & 0xFF)) << 8 | (255 - ((c >> 16) & 0xFF)) << 16;
    return inverse == 0x7F7F7F ? 0xFFFFFF : inverse;
}

QStringList ColorComboBox::itemNames() const
{
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items << itemText(i);
    return items;
}

QString ColorComboBox::colorName(ColorRef colour) const
{
    for (int i = 0; i < colors_.size() && i < count(); ++i) {
        if (parseColorText(colors_[i]) == colour)
            return itemText(i);
    }
    return colorText(colour);
}

// ------------------------------------------------------------- properties

void ColorComboBox::setColor(ColorRef value)
{
    color_ = value;
    qsizetype index = colors_.indexOf(colorText(value));
    if (index < 0) {
        customColor_ = value;
        index = colors_.size();
    }
    setCurrentIndex(int(index));
    repaintAll();
    emit colorChanged(this);
}

void ColorComboBox::setCustomColor(ColorRef value)
{
    customColor_ = value;
    if (currentIndex() == colors_.size()) {
        color_ = value;
        repaintAll();
        emit colorChanged(this);
    }
}

void ColorComboBox::setShowText(bool value)
{
    if (value == showText_)
        return;
    showText_ = value;
    repaintAll();
}

void ColorComboBox::setItemHeight(int value)
{
    itemHeight_ = qMax(1, value);
    repaintAll();
}

bool ColorComboBox::setColors(const QStringList &list)
{
    QStringList canonical;
    for (const QString &entry : list) {
        const auto value = parseColorText(entry);
        if (!value)
            return false;
        canonical << colorText(*value);
    }
    colors_ = canonical;

    // The custom entry always stays last: names are taken from and given to
    // the named entries only.
    QString lastName;
    while (count() - 1 > colors_.size()) {
        auto answer = ask(QStringLiteral("Name der gelöschten Farbe:"), lastName);
        while (answer) {
            lastName = *answer;
            if (namedIndex(lastName) >= 0)
                break;
            answer =
                ask(QStringLiteral("Die Farbe \"") + lastName + QStringLiteral("\" ist nicht vorhanden."),
                    lastName);
        }
        const int found = namedIndex(lastName);
        removeItem(found >= 0 ? found : count() - 2);
    }
    while (count() - 1 < colors_.size()) {
        const auto answer = ask(QStringLiteral("Name der hinzugefügten Farbe:"), lastName);
        if (answer)
            lastName = *answer;
        insertItem(count() - 1, answer.value_or(QString()));
    }
    setColor(color_);
    return true;
}

// ---------------------------------------------------------------- editing

bool ColorComboBox::addColor(ColorRef colour, const QString &name, int index)
{
    if (index < -1)
        return false;
    if (index == -1 || index > colors_.size())
        index = int(colors_.size());
    // Inserting moves the selection with its entry; the selected colour is unchanged.
    colors_.insert(index, colorText(colour));
    insertItem(index, name);
    return true;
}

bool ColorComboBox::removeColor(ColorRef colour)
{
    for (int i = 0; i < colors_.size(); ++i)
        if (parseColorText(colors_[i]) == colour)
            return removeColorAt(i);
    return false;
}

bool ColorComboBox::removeColorAt(int index)
{
    if (index < 0 || index >= colors_.size())
        return false;
    colors_.removeAt(index);
    removeItem(index);
    setColor(color_);
    return true;
}

bool ColorComboBox::removeColorNamed(const QString &name)
{
    const int index = namedIndex(name);
    return index >= 0 && removeColorAt(index);
}

int ColorComboBox::namedIndex(const QString &name) const
{
    const int last = count() > colors_.size() ? count() - 2 : count() - 1;
    for (int i = 0; i <= last; ++i)
        if (itemText(i) == name)
            return i;
    return -1;
}

// ------------------------------------------------------------ user choice

void ColorComboBox::onActivated(int index)
{
    if (index >= 0 && index < colors_.size()) {
        color_ = parseColorText(colors_[index]).value_or(color_);
        repaintAll();
        emit colorChanged(this);
        return;
    }
    if (const auto chosen = chooseColor(customColor_)) {
        setCustomColor(*chosen);
        setColor(*chosen);
    } else {
        setColor(color_);
    }
}

std::optional<ColorComboBox::ColorRef> ColorComboBox::chooseColor(ColorRef preset)
{
    if (chooser_)
        return chooser_(preset, this);
    QColorDialog *dialog = sharedColorDialog();
    dialog->setCurrentColor(toQColor(preset));
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return fromQColor(dialog->currentColor());
}

std::optional<QString> ColorComboBox::ask(const QString &prompt, const QString &preset)
{
    const QString caption = QStringLiteral("Farbname");
    if (inputBox_)
        return inputBox_(caption, prompt, preset);
    QInputDialog dialog(window());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    for (QLabel *label : dialog.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText); // the prompt may repeat a typed name
    dialog.setTextValue(preset);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

// ---------------------------------------------------------------- drawing

QString ColorComboBox::entryText(int index) const
{
    if (index < 0 || index >= count())
        return QString();
    if (index >= colors_.size())
        return showText_ ? itemText(count() - 1) + QStringLiteral(": ") + colorName(customColor_)
                         : QStringLiteral("?");
    return showText_ ? itemText(index) : QString();
}

ColorComboBox::ColorRef ColorComboBox::entryColor(int index) const
{
    if (index >= 0 && index < colors_.size())
        return parseColorText(colors_[index]).value_or(0);
    return customColor_;
}

void ColorComboBox::drawItem(QPainter &painter, const QRect &rect, int index, bool selected) const
{
    if (rect.isEmpty() || index < 0 || index >= count())
        return;
    // Composed off-screen so that the inverted frame works on any surface.
    QImage entry(rect.size(), QImage::Format_RGB32);
    const ColorRef colour = entryColor(index);
    entry.fill(toQColor(colour));
    const QString text = entryText(index);
    if (!text.isEmpty()) {
        QPainter p(&entry);
        p.setFont(font());
        p.setPen(toQColor(contrastColor(colour)));
        const QFontMetrics fm(font());
        const int x = entry.width() / 2 - fm.horizontalAdvance(text) / 2;
        const int y = entry.height() / 2 - fm.height() / 2;
        p.drawText(x, y + fm.ascent(), text);
    }
    if (selected)
        invertFrame(entry, 2, 2, entry.width() - 2, entry.height() - 2);
    painter.drawImage(rect.topLeft(), entry);
}

void ColorComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    drawItem(painter, field, currentIndex(), hasFocus());
}

void ColorComboBox::repaintAll()
{
    update();
    if (view())
        view()->viewport()->update();
}
