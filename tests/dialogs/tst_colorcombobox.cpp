#include "dialogs/TLxColorComboBox.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using ColorRef = TLxColorComboBox::ColorRef;

namespace {

// Scripted input box: each answer is a text, or a null string for cancel.
// Every question is recorded as "caption | prompt | preset".
struct ScriptedInput {
    QStringList answers, questions;
    TLxColorComboBox::InputBox box()
    {
        return [this](const QString &caption, const QString &prompt,
                      const QString &preset) -> std::optional<QString> {
            questions << caption + " | " + prompt + " | " + preset;
            const QString a = answers.isEmpty() ? QString() : answers.takeFirst();
            return a.isNull() ? std::nullopt : std::optional<QString>(a);
        };
    }
};

QImage drawEntry(const TLxColorComboBox &box, int index, bool selected)
{
    QImage img(100, 20, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    box.DrawItem(p, img.rect(), index, selected);
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

struct ColorsCase {
    QStringList drop, add; // names whose colours leave the list; colours appended
    QStringList answers, questions, itemsTail;
};

} // namespace

Q_DECLARE_METATYPE(Pick)
Q_DECLARE_METATYPE(ColorsCase)

class tst_colorcombobox : public QObject {
    Q_OBJECT
private slots:
    void defaultEntries()
    {
        TLxColorComboBox box;
        QCOMPARE(box.Items(), QStringList({"Schwarz", "Dunkelgrau", "Hellgrau", "Weiß", "Rot", "Orange",
                                           "Gelb", "Hellgrün", "Dunkelgrün", "Dunkelblau", "Blau", "Hellblau",
                                           "Violett", "Lila", "Rosa", "Andere Farbe"}));
        QCOMPARE(box.Colors(), QStringList({"$000000", "$808080", "$C0C0C0", "$FFFFFF", "$0000FF", "$0080FF",
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
        TLxColorComboBox box;
        box.setCustomColor(0xABCDEF);
        box.setColor(0x0080FF);
        QList<ColorRef> presets;
        box.setColorChooser([&](ColorRef preset, QWidget *) {
            presets << preset;
            return c.chosen;
        });
        QSignalSpy changes(&box, &TLxColorComboBox::OnColorChange);
        if (c.key)
            QTest::keyClick(&box, Qt::Key(c.key));
        else
            box.setColor(c.set);
        QCOMPARE(presets, QList<ColorRef>(c.asked, 0xABCDEF));
        QCOMPARE(box.currentText(), c.selected);
        QCOMPARE(box.Color(), c.colour);
        QCOMPARE(box.CustomColor(), c.custom);
        if (!c.key)
            QCOMPARE(changes.count(), 1);
        // A new custom colour becomes the colour only while the custom entry is selected.
        box.setCustomColor(0x010203);
        QCOMPARE(box.Color(), c.selected == "Andere Farbe" ? 0x010203 : c.colour);
    }

    void entryTextsAndSwatches()
    {
        TLxColorComboBox box;
        box.setColor(0x123456);
        QCOMPARE(box.EntryText(15), QStringLiteral("Andere Farbe: $123456"));
        box.setCustomColor(0x00FFFF);
        QCOMPARE(box.EntryText(15), QStringLiteral("Andere Farbe: Gelb"));
        // Names in the contrasting colour on their swatch.
        const QList<std::tuple<int, ColorRef, ColorRef>> contrasts = {{1, 0x808080, 0xFFFFFF},
                                                                      {3, 0xFFFFFF, 0x000000},
                                                                      {0, 0x000000, 0xFFFFFF},
                                                                      {4, 0x0000FF, 0xFFFF00}};
        for (const auto &[index, swatch, text] : contrasts) {
            QCOMPARE(TLxColorComboBox::ContrastColor(swatch), text);
            const QImage img = drawEntry(box, index, false);
            QCOMPARE(img.pixelColor(1, 1), TLxColorComboBox::ToQColor(swatch));
            QVERIFY(countNear(img, TLxColorComboBox::ToQColor(text), 63) > 0);
        }

        box.setShowText(false);
        QCOMPARE(box.EntryText(15), QStringLiteral("?"));
        QCOMPARE(box.EntryText(4), QString());
        QCOMPARE(countNear(drawEntry(box, 4, false), Qt::red), 100 * 20);

        // Selected: an inverted 3-pixel band from one pixel inside the edge.
        const QImage img = drawEntry(box, 0, true);
        for (QPoint p : {QPoint(1, 10), QPoint(3, 10), QPoint(98, 10), QPoint(50, 1), QPoint(50, 18)})
            QCOMPARE(img.pixelColor(p), QColor(Qt::white));
        for (QPoint p : {QPoint(0, 10), QPoint(4, 10), QPoint(99, 10), QPoint(50, 4), QPoint(50, 19)})
            QCOMPARE(img.pixelColor(p), QColor(Qt::black));
        QCOMPARE(countNear(img, Qt::white), 98 * 18 - 92 * 12);
    }

    void addAndDelete()
    {
        TLxColorComboBox box;
        box.setColor(0x0000FF);
        QVERIFY(box.AddColor(0x112233, QStringLiteral("Nacht"), 99));
        QVERIFY(box.AddColor(0x778899, QStringLiteral("Zuerst"), 0));
        QCOMPARE(box.Items().mid(15), QStringList({"Rosa", "Nacht", "Andere Farbe"}));
        QCOMPARE(box.currentText(), QStringLiteral("Rot")); // the selection stays on its entry
        QVERIFY(!box.AddColor(0x000001, QStringLiteral("Falsch"), -2));
        QCOMPARE(box.count(), 18);

        QVERIFY(!box.DeleteColor_Name(QStringLiteral("Andere Farbe")));
        QVERIFY(!box.DeleteColor_Name(QStringLiteral("rot"))); // case matters
        for (int bad : {-1, 17, 99})
            QVERIFY(!box.DeleteColor_Index(bad));
        QVERIFY(!box.DeleteColor_Color(0x123456));
        QCOMPARE(box.count(), 18);

        // The selected colour leaves the list: it becomes the custom colour.
        QVERIFY(box.DeleteColor_Name(QStringLiteral("Rot")));
        QCOMPARE(box.currentText(), QStringLiteral("Andere Farbe"));
        QCOMPARE(box.CustomColor(), ColorRef(0x0000FF));
        QCOMPARE(box.GetColorName(0x0000FF), QStringLiteral("$0000FF"));
        QVERIFY(box.DeleteColor_Color(0x00FFFF));
        QVERIFY(box.DeleteColor_Index(0));
        QCOMPARE(box.Items().mid(0, 6),
                 QStringList({"Schwarz", "Dunkelgrau", "Hellgrau", "Weiß", "Orange", "Hellgrün"}));
        QCOMPARE(box.count(), box.Colors().size() + 1);
    }

    void colorsSetter_data()
    {
        QTest::addColumn<ColorsCase>("c");
        const QString del = "Farbname | Name der gelöschten Farbe: | ";
        const QString add = "Farbname | Name der hinzugefügten Farbe: | ";
        const QString missing = "Farbname | Die Farbe \"%1\" ist nicht vorhanden. | %1";
        const QString cancel;
        QTest::newRow("typo re-asked") << ColorsCase{
            {"Rosa"}, {}, {"Rosaa", "Rosa"}, {del, missing.arg("Rosaa")}, {"Lila", "Andere Farbe"}};
        QTest::newRow("custom entry cannot be named, cancel takes the last")
            << ColorsCase{{"Rosa"},
                          {},
                          {"Andere Farbe", cancel},
                          {del, missing.arg("Andere Farbe")},
                          {"Lila", "Andere Farbe"}};
        QTest::newRow("two removed, preset carries over") << ColorsCase{
            {"Rot", "Gelb"}, {}, {"Gelb", "Rot"}, {del, del + "Gelb"}, {"Rosa", "Andere Farbe"}};
        QTest::newRow("added named or unnamed") << ColorsCase{{},
                                                              {"$112233", "$445566"},
                                                              {"Nacht", cancel},
                                                              {add, add + "Nacht"},
                                                              {"Rosa", "Nacht", "", "Andere Farbe"}};
    }
    void colorsSetter()
    {
        QFETCH(ColorsCase, c);
        TLxColorComboBox box;
        ScriptedInput input{c.answers, {}};
        box.setInputBox(input.box());
        box.setColor(0x0000FF);
        const QStringList names = box.Items(), colours = box.Colors();
        QStringList list;
        for (int i = 0; i < colours.size(); ++i)
            if (!c.drop.contains(names[i]))
                list << colours[i];
        list << c.add;

        QVERIFY(box.setColors(list));
        QCOMPARE(input.questions, c.questions);
        QCOMPARE(box.Colors(), list);
        QCOMPARE(box.Items().mid(box.count() - c.itemsTail.size()), c.itemsTail);
        for (int i = 0; i < box.Colors().size(); ++i) // remaining names keep their colours
            if (const qsizetype was = names.indexOf(box.itemText(i)); was >= 0 && was < colours.size())
                QCOMPARE(box.Colors()[i], colours[was]);
        // A selected colour that left the list becomes the custom colour.
        QCOMPARE(box.currentText(), c.drop.contains("Rot") ? "Andere Farbe" : "Rot");
        QCOMPARE(box.Color(), ColorRef(0x0000FF));
    }

    // Anything but "$" and 1 to 8 hex digits refuses the whole list; good ones are canonicalised.
    void colorsSetterEntries()
    {
        TLxColorComboBox box;
        ScriptedInput input;
        box.setInputBox(input.box());
        box.setColor(0x00FFFF);
        const QStringList items = box.Items(), colours = box.Colors();
        QSignalSpy changes(&box, &TLxColorComboBox::OnColorChange);
        QStringList list = colours;
        for (const char *bad : {"rot", "$", "FF0000", "$12G456", "$123456789", " $123456", ""}) {
            list[4] = QString::fromLatin1(bad);
            QVERIFY2(!box.setColors(list), bad);
        }
        QCOMPARE(box.Colors(), colours);
        QCOMPARE(changes.count(), 0);
        list[4] = "$ff";
        QVERIFY(box.setColors(list));
        QCOMPARE(box.Colors().at(4), "$0000FF");
        QVERIFY(input.questions.isEmpty());
        QCOMPARE(box.Items(), items);
        QCOMPARE(box.currentText(), QStringLiteral("Gelb"));
    }

    void sharedChooser()
    {
        QPointer<QColorDialog> dialog;
        {
            auto *first = new TLxColorComboBox;
            TLxColorComboBox second;
            dialog = TLxColorComboBox::SharedColorDialog();
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
