#pragma once

#include "dialogs/HoverComboBox.h"

#include <QColor>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

class QColorDialog;
class QPainter;

// A drop-down list of named colour swatches. The last entry, "Andere Farbe",
// stands for a freely chosen colour (customColor()) and opens the colour chooser
// when the user selects it.
//
// Colour values are stored as everywhere in the program: red in the low byte,
// green in the middle byte, blue in the third byte. They become QColor only
// when drawn or handed to the chooser.
//
// Invariant: itemNames() holds colors().size() named colours followed by the
// custom entry; entry i < colors().size() has the colour colors()[i], written
// as "$" and six upper-case hexadecimal digits of the value.
class ColorComboBox : public HoverComboBox {
    Q_OBJECT
    Q_PROPERTY(quint32 color READ color WRITE setColor)
    Q_PROPERTY(quint32 customColor READ customColor WRITE setCustomColor)
    Q_PROPERTY(bool showText READ showsText WRITE setShowText)
    Q_PROPERTY(QStringList colors READ colors WRITE setColors)
public:
    using ColorRef = std::uint32_t;
    // Asks the user for a colour, preset to the given one; nothing on cancel.
    using ColorChooser = std::function<std::optional<ColorRef>(ColorRef preset, QWidget *parent)>;
    // A modal single-line question with caption, prompt and preset; nothing on cancel.
    using InputBox = std::function<std::optional<QString>(const QString &caption, const QString &prompt,
                                                          const QString &preset)>;

    explicit ColorComboBox(QWidget *parent = nullptr);
    ~ColorComboBox() override;

    ColorRef color() const { return color_; }
    // Selects the entry of the colour, or the custom entry (which then takes
    // the colour as the custom colour); always fires colorChanged.
    void setColor(ColorRef value);
    ColorRef customColor() const { return customColor_; }
    void setCustomColor(ColorRef value);
    bool showsText() const { return showText_; }
    void setShowText(bool value);
    int itemHeight() const { return itemHeight_; }
    void setItemHeight(int value);

    const QStringList &colors() const { return colors_; }
    // Replaces the colour list and asks the user to name added colours or to
    // say which name belongs to a removed one. A list with an entry that is not
    // "$" followed by 1 to 8 hexadecimal digits is refused as a whole: nothing
    // changes, nobody is asked, and false is returned. Accepted entries are
    // kept in the canonical form ("$00ff" becomes "$0000FF").
    bool setColors(const QStringList &list);

    // The names of all entries, the custom entry last.
    QStringList itemNames() const;

    // Inserts a named colour at index (-1 or any index past the named colours:
    // just before the custom entry). An index below -1 is refused (false).
    bool addColor(ColorRef colour, const QString &name, int index);
    bool removeColor(ColorRef colour);
    bool removeColorAt(int index);
    // The custom entry cannot be deleted by its name.
    bool removeColorNamed(const QString &name);
    // The name of the first entry with that colour, or its "$" form.
    QString colorName(ColorRef colour) const;
    // The inverse colour, but white instead of the inverse of middle grey.
    static ColorRef contrastColor(ColorRef c);

    static QString colorText(ColorRef c);
    static std::optional<ColorRef> parseColorText(const QString &text);
    static QColor toQColor(ColorRef c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
    static ColorRef fromQColor(const QColor &c)
    {
        return ColorRef(c.red()) | ColorRef(c.green()) << 8 | ColorRef(c.blue()) << 16;
    }

    // What an entry shows as text (empty for none); the swatch colour of an entry.
    QString entryText(int index) const;
    ColorRef entryColor(int index) const;
    // Draws one entry into the rectangle: swatch, name, and the inverted
    // 3-pixel frame when selected. Used for the list and the closed box.
    void drawItem(QPainter &painter, const QRect &rect, int index, bool selected) const;

    // Tests replace the colour chooser and the input box with scripted ones.
    void setColorChooser(ColorChooser chooser) { chooser_ = std::move(chooser); }
    void setInputBox(InputBox box) { inputBox_ = std::move(box); }
    // The one colour chooser every colour box shares; it lives as long as
    // any colour box does.
    static QColorDialog *sharedColorDialog();

signals:
    void colorChanged(ColorComboBox *sender);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void onActivated(int index);
    int namedIndex(const QString &name) const;
    std::optional<ColorRef> chooseColor(ColorRef preset);
    std::optional<QString> ask(const QString &prompt, const QString &preset);
    void repaintAll();

    ColorRef color_ = 0;
    ColorRef customColor_ = 0;
    bool showText_ = true;
    int itemHeight_ = 20;
    QStringList colors_;
    ColorChooser chooser_;
    InputBox inputBox_;
};
