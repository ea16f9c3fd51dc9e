#include "dialogs/ColorComboBox.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using ColorRef = ColorComboBox::ColorRef;

namespace {

QImage drawEntry(const ColorComboBox &box, int index, bool selected)
{
    QImage img(100, 20, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    box.drawItem(p, img.rect(), index, selected);
    return img;
}

// How many pixels lie within tolerance of a colour in every channel (text is antialiased).
int countNear(const QImage &img, const QColor &c, int tolerance = 0)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor p = img.pixelColor(x, y);
            n += std::max({std::abs(p.red() - c.red()), std::abs(p.green() - c.green()),
                           std::abs(p.blue() - c.blue())}) <= tolerance;
        }
    return n;
}

struct Pick {
    int key; // 0: setColor(set)
    ColorRef set;
    std::optional<ColorRef> chosen; // the chooser's answer
    QString selected;
    ColorRef colour, custom;
    int asked; // how often the chooser was asked
};

} // namespace

Q_DECLARE_METATYPE(Pick)

class tst_colorcombobox : public QObject {
    Q_OBJECT
private slots:
    void defaultEntries()
    {
        ColorComboBox box;
        QCOMPARE(box.itemNames(), QStringList({"Schwarz", "Dunkelgrau", "Hellgrau", "Weiß", "Rot", "Orange",
                                               "Gelb", "Hellgrün", "Dunkelgrün", "Dunkelblau", "Blau",
                                               "Hellblau", "Violett", "Lila", "Rosa", "Andere Farbe"}));
        QCOMPARE(box.colors(), QStringList({"$000000", "$808080", "$C0C0C0", "$FFFFFF", "$0000FF", "$0080FF",
                                            "$00FFFF", "$00FF00", "$008000", "$800000", "$FF0000", "$FFFF00",
                                            "$FF8080", "$800080", "$FF00FF"}));
    }

    // Setting a colour, or the user moving through the list: "Andere Farbe"
    // asks the chooser, preset to CustomColor, and a listed answer selects its entry.
    void select_data()
    {
        QTest::addColumn<Pick>("c");
        QTest::newRow("listed") << Pick{0, 0x0000FF, {}, "Rot", 0x0000FF, 0xABCDEF, 0};
        QTest::newRow("unlisted") << Pick{0, 0x123456, {}, "Andere Farbe", 0x123456, 0x123456, 0};
        QTest::newRow("key: listed") << Pick{Qt::Key_Down, 0, {}, "Gelb", 0x00FFFF, 0xABCDEF, 0};
        QTest::newRow("key: yellow is Gelb") << Pick{Qt::Key_End, 0, 0x00FFFF, "Gelb", 0x00FFFF, 0x00FFFF, 1};
        QTest::newRow("key: unlisted")
            << Pick{Qt::Key_End, 0, 0x102030, "Andere Farbe", 0x102030, 0x102030, 1};
        QTest::newRow("key: cancel") << Pick{Qt::Key_End, 0, {}, "Orange", 0x0080FF, 0xABCDEF, 1};
    }
    void select()
    {
        QFETCH(Pick, c);
        ColorComboBox box;
        box.setCustomColor(0xABCDEF);
        box.setColor(0x0080FF);
        QList<ColorRef> presets;
        box.setColorChooser([&](ColorRef preset, QWidget *) {
            presets << preset;
            return c.chosen;
        });
        QSignalSpy changes(&box, &ColorComboBox::colorChanged);
        if (c.key)
            QTest::keyClick(&box, Qt::Key(c.key));
        else
            box.setColor(c.set);
        QCOMPARE(presets, QList<ColorRef>(c.asked, 0xABCDEF));
        QCOMPARE(box.currentText(), c.selected);
        QCOMPARE(box.color(), c.colour);
        QCOMPARE(box.customColor(), c.custom);
        if (!c.key)
            QCOMPARE(changes.count(), 1);
    }

    void entryTextsAndSwatches()
    {
        ColorComboBox box;
        box.setColor(0x123456);
        QCOMPARE(box.entryText(15), QStringLiteral("Andere Farbe: $123456"));
        box.setCustomColor(0x00FFFF);
        QCOMPARE(box.entryText(15), QStringLiteral("Andere Farbe: Gelb"));
        // Names in the contrasting colour on their swatch.
        const QList<std::tuple<int, ColorRef, ColorRef>> contrasts = {
            {1, 0x808080, 0xFFFFFF}, {3, 0xFFFFFF, 0x000000}, {4, 0x0000FF, 0xFFFF00}};
        for (const auto &[index, swatch, text] : contrasts) {
            QCOMPARE(ColorComboBox::contrastColor(swatch), text);
            const QImage img = drawEntry(box, index, false);
            QCOMPARE(img.pixelColor(1, 1), ColorComboBox::toQColor(swatch));
            QVERIFY(countNear(img, ColorComboBox::toQColor(text), 63) > 0);
        }

        // Selected: an inverted 3-pixel band from one pixel inside the edge.
        const QImage img = drawEntry(box, 0, true);
        for (QPoint p : {QPoint(1, 10), QPoint(3, 10), QPoint(98, 10), QPoint(50, 1), QPoint(50, 18)})
            QCOMPARE(img.pixelColor(p), QColor(Qt::white));
        for (QPoint p : {QPoint(0, 10), QPoint(4, 10), QPoint(99, 10), QPoint(50, 4), QPoint(50, 19)})
            QCOMPARE(img.pixelColor(p), QColor(Qt::black));
        QCOMPARE(countNear(img, Qt::white) - countNear(img.copy(4, 4, 92, 12), Qt::white), 98 * 18 - 92 * 12);
    }

    // Editing the list keeps names and colours in step: a deleted selected
    // colour lives on as the custom one, a removed colour whose name the user
    // does not give takes the last named entry, an added one is named.
    void editTheList()
    {
        ColorComboBox box;
        QStringList prompts;
        box.setInputBox([&](const QString &, const QString &prompt, const QString &) {
            prompts << prompt;
            return prompts.size() == 2 ? std::optional(QStringLiteral("Neu")) : std::nullopt;
        });
        box.setColor(0x0080FF);
        QVERIFY(box.removeColor(0x0080FF));
        QCOMPARE(box.currentText(), QStringLiteral("Andere Farbe"));
        QCOMPARE(box.customColor(), ColorRef(0x0080FF));
        QVERIFY(box.setColors(box.colors().mid(1)));
        QVERIFY(box.setColors(box.colors() + QStringList{QStringLiteral("$00ff")}));
        QCOMPARE(prompts, QStringList({"Name der gelöschten Farbe:", "Name der hinzugefügten Farbe:"}));
        QCOMPARE(box.colors().last(), QStringLiteral("$0000FF"));
        QCOMPARE(box.itemNames().mid(11), QStringList({"Violett", "Lila", "Neu", "Andere Farbe"}));
    }

    void sharedChooser()
    {
        QPointer<QColorDialog> dialog;
        {
            auto *first = new ColorComboBox;
            ColorComboBox second;
            dialog = ColorComboBox::sharedColorDialog();
            delete first;
            QVERIFY(dialog); // still there for the other box
            auto *buttons = dialog->findChild<QDialogButtonBox *>();
            QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
            QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
        }
        QVERIFY(!dialog); // freed with the last box
    }
};

QTEST_MAIN(tst_colorcombobox)
#include "tst_colorcombobox.moc"
