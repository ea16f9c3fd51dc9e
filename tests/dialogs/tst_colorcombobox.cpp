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

// One scripted answer of the input box: a confirmed text or a cancel.
struct Answer {
    bool confirmed;
    QString text;
};

// Plays the answers in order and records every question as
// "caption | prompt | preset".
struct ScriptedInput {
    QList<Answer> answers;
    QStringList questions;

    TLxColorComboBox::InputBox box()
    {
        return [this](const QString &caption, const QString &prompt,
                      const QString &preset) -> std::optional<QString> {
            questions << caption + QStringLiteral(" | ") + prompt + QStringLiteral(" | ") + preset;
            if (answers.isEmpty())
                return std::nullopt;
            const Answer a = answers.takeFirst();
            return a.confirmed ? std::optional<QString>(a.text) : std::nullopt;
        };
    }
};

Answer ok(const QString &text)
{
    return {true, text};
}
const Answer cancel{false, QString()};

QImage drawEntry(const TLxColorComboBox &box, int index, bool selected, QSize size = QSize(100, 20))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    box.DrawItem(p, img.rect(), index, selected);
    return img;
}

int countPixels(const QImage &img, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

// How close the image comes to a colour: the smallest largest-channel
// difference over all pixels (glyphs are antialiased, so text pixels are
// near the text colour rather than equal to it).
int nearestTo(const QImage &img, const QColor &c)
{
    int best = 255;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor p = img.pixelColor(x, y);
            const int d = std::max({std::abs(p.red() - c.red()), std::abs(p.green() - c.green()),
                                    std::abs(p.blue() - c.blue())});
            best = std::min(best, d);
        }
    return best;
}

} // namespace

Q_DECLARE_METATYPE(Answer)

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
        QCOMPARE(box.Color(), ColorRef(0));
        QCOMPARE(box.CustomColor(), ColorRef(0));
        QVERIFY(box.ShowText());
        QCOMPARE(box.currentIndex(), 0);
    }

    void setColorSelectsEntry_data()
    {
        QTest::addColumn<ColorRef>("colour");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<ColorRef>("custom");
        QTest::newRow("red is listed") << ColorRef(0x0000FF) << "Rot" << ColorRef(0);
        QTest::newRow("dark blue is listed") << ColorRef(0x800000) << "Dunkelblau" << ColorRef(0);
        QTest::newRow("unlisted becomes custom")
            << ColorRef(0x123456) << "Andere Farbe" << ColorRef(0x123456);
    }
    void setColorSelectsEntry()
    {
        QFETCH(ColorRef, colour);
        QFETCH(QString, selected);
        QFETCH(ColorRef, custom);
        TLxColorComboBox box;
        QSignalSpy changes(&box, &TLxColorComboBox::OnColorChange);
        box.setColor(colour);
        QCOMPARE(box.currentText(), selected);
        QCOMPARE(box.Color(), colour);
        QCOMPARE(box.CustomColor(), custom);
        QCOMPARE(changes.count(), 1);
    }

    void customColorFollowsOnlyWhenCustomSelected()
    {
        TLxColorComboBox box;
        box.setColor(0x0000FF);
        box.setCustomColor(0x010203);
        QCOMPARE(box.Color(), ColorRef(0x0000FF));
        box.setColor(0x123456);
        QSignalSpy changes(&box, &TLxColorComboBox::OnColorChange);
        box.setCustomColor(0x654321);
        QCOMPARE(box.Color(), ColorRef(0x654321));
        QCOMPARE(changes.count(), 1);
    }

    void userPicksListedEntry()
    {
        TLxColorComboBox box;
        bool asked = false;
        box.setColorChooser([&](ColorRef, QWidget *) -> std::optional<ColorRef> {
            asked = true;
            return std::nullopt;
        });
        QSignalSpy changes(&box, &TLxColorComboBox::OnColorChange);
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.currentText(), QStringLiteral("Dunkelgrau"));
        QCOMPARE(box.Color(), ColorRef(0x808080));
        QCOMPARE(changes.count(), 1);
        QVERIFY(!asked);
    }

    void userPicksCustomEntry_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<ColorRef>("chosen");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<ColorRef>("colour");
        QTest::addColumn<ColorRef>("custom");
        QTest::newRow("pure yellow jumps to Gelb")
            << true << ColorRef(0x00FFFF) << "Gelb" << ColorRef(0x00FFFF) << ColorRef(0x00FFFF);
        QTest::newRow("unlisted stays custom")
            << true << ColorRef(0x102030) << "Andere Farbe" << ColorRef(0x102030) << ColorRef(0x102030);
        QTest::newRow("cancel keeps red")
            << false << ColorRef(0) << "Rot" << ColorRef(0x0000FF) << ColorRef(0xABCDEF);
    }
    void userPicksCustomEntry()
    {
        QFETCH(bool, confirm);
        QFETCH(ColorRef, chosen);
        QFETCH(QString, selected);
        QFETCH(ColorRef, colour);
        QFETCH(ColorRef, custom);
        TLxColorComboBox box;
        box.setCustomColor(0xABCDEF);
        box.setColor(0x0000FF);
        QList<ColorRef> presets;
        box.setColorChooser([&](ColorRef preset, QWidget *) -> std::optional<ColorRef> {
            presets << preset;
            return confirm ? std::optional<ColorRef>(chosen) : std::nullopt;
        });
        QTest::keyClick(&box, Qt::Key_End); // the user selects "Andere Farbe"
        QCOMPARE(presets, QList<ColorRef>{0xABCDEF});
        QCOMPARE(box.currentText(), selected);
        QCOMPARE(box.Color(), colour);
        QCOMPARE(box.CustomColor(), custom);
    }

    void entryTexts()
    {
        TLxColorComboBox box;
        box.setColor(0x123456);
        QCOMPARE(box.EntryText(15), QStringLiteral("Andere Farbe: $123456"));
        QCOMPARE(box.EntryText(4), QStringLiteral("Rot"));
        box.setCustomColor(0x00FFFF);
        QCOMPARE(box.EntryText(15), QStringLiteral("Andere Farbe: Gelb"));

        box.setShowText(false);
        QCOMPARE(box.EntryText(15), QStringLiteral("?"));
        QCOMPARE(box.EntryText(4), QString());
        // Without text the swatch is the plain colour.
        const QImage red = drawEntry(box, 4, false);
        QCOMPARE(countPixels(red, qRgb(255, 0, 0)), red.width() * red.height());
        const QImage custom = drawEntry(box, 15, false);
        QVERIFY(nearestTo(custom, QColor(0, 0, 255)) < 64); // "?" in the inverse of yellow
    }

    void contrastColours_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<ColorRef>("swatch");
        QTest::addColumn<ColorRef>("text");
        QTest::newRow("Dunkelgrau") << 1 << ColorRef(0x808080) << ColorRef(0xFFFFFF);
        QTest::newRow("Weiß") << 3 << ColorRef(0xFFFFFF) << ColorRef(0x000000);
        QTest::newRow("Schwarz") << 0 << ColorRef(0x000000) << ColorRef(0xFFFFFF);
        QTest::newRow("Rot") << 4 << ColorRef(0x0000FF) << ColorRef(0xFFFF00);
    }
    void contrastColours()
    {
        QFETCH(int, index);
        QFETCH(ColorRef, swatch);
        QFETCH(ColorRef, text);
        QCOMPARE(TLxColorComboBox::ContrastColor(swatch), text);
        TLxColorComboBox box;
        const QImage img = drawEntry(box, index, false);
        QCOMPARE(img.pixelColor(1, 1), TLxColorComboBox::ToQColor(swatch));
        QVERIFY(nearestTo(img, TLxColorComboBox::ToQColor(text)) < 64);
    }

    void selectedEntryHasInvertedFrame()
    {
        TLxColorComboBox box;
        box.setShowText(false);
        const QImage img = drawEntry(box, 0, true); // black swatch, 100 x 20
        const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
        // A 3-pixel band from one pixel inside the edge; corners and centre untouched.
        for (int x : {1, 2, 3, 96, 97, 98})
            QCOMPARE(img.pixel(x, 10), white);
        for (int y : {1, 2, 3, 16, 17, 18})
            QCOMPARE(img.pixel(50, y), white);
        for (const QPoint p : {QPoint(0, 10), QPoint(4, 10), QPoint(95, 10), QPoint(99, 10), QPoint(50, 0),
                               QPoint(50, 4), QPoint(50, 15), QPoint(50, 19), QPoint(0, 0)})
            QCOMPARE(img.pixel(p), black);
        QCOMPARE(countPixels(img, white), 98 * 18 - 92 * 12);
    }

    void addColor()
    {
        TLxColorComboBox box;
        box.setColor(0x0000FF);
        QVERIFY(box.AddColor(0x112233, QStringLiteral("Nacht"), 99));
        QCOMPARE(box.Items().at(15), QStringLiteral("Nacht"));
        QCOMPARE(box.Items().last(), QStringLiteral("Andere Farbe"));
        QCOMPARE(box.Colors().last(), QStringLiteral("$112233"));
        QVERIFY(box.AddColor(0x445566, QStringLiteral("Nebel"), -1));
        QCOMPARE(box.Items().at(16), QStringLiteral("Nebel"));
        QVERIFY(box.AddColor(0x778899, QStringLiteral("Zuerst"), 0));
        QCOMPARE(box.Items().first(), QStringLiteral("Zuerst"));
        // The selection stays on its entry.
        QCOMPARE(box.currentText(), QStringLiteral("Rot"));
        QCOMPARE(box.Color(), ColorRef(0x0000FF));
        QCOMPARE(box.GetColorName(0x112233), QStringLiteral("Nacht"));

        // An index below -1 is refused without a change.
        const QStringList before = box.Items();
        QVERIFY(!box.AddColor(0x000001, QStringLiteral("Falsch"), -2));
        QCOMPARE(box.Items(), before);
        QCOMPARE(box.Colors().size(), before.size() - 1);
    }

    void deleteColors()
    {
        TLxColorComboBox box;
        QVERIFY(!box.DeleteColor_Name(QStringLiteral("Andere Farbe")));
        QVERIFY(!box.DeleteColor_Name(QStringLiteral("rot"))); // case matters
        QCOMPARE(box.count(), 16);
        for (int bad : {-1, 15, 99})
            QVERIFY(!box.DeleteColor_Index(bad));
        QCOMPARE(box.count(), 16);

        box.setColor(0x0000FF);
        QVERIFY(box.DeleteColor_Name(QStringLiteral("Rot")));
        // The selected colour is gone from the list: it becomes the custom colour.
        QCOMPARE(box.currentText(), QStringLiteral("Andere Farbe"));
        QCOMPARE(box.CustomColor(), ColorRef(0x0000FF));
        QCOMPARE(box.GetColorName(0x0000FF), QStringLiteral("$0000FF"));

        QVERIFY(box.DeleteColor_Color(0x00FFFF));
        QVERIFY(!box.Items().contains(QStringLiteral("Gelb")));
        QVERIFY(!box.DeleteColor_Color(0x123456));
        QVERIFY(box.DeleteColor_Index(0));
        QCOMPARE(box.Items().first(), QStringLiteral("Dunkelgrau"));
        QCOMPARE(box.count(), box.Colors().size() + 1);
        QCOMPARE(box.Items().last(), QStringLiteral("Andere Farbe"));
    }

    void colorsSetter_data()
    {
        QTest::addColumn<QStringList>("drop"); // names whose colours leave the list
        QTest::addColumn<QStringList>("add");  // colours appended to the list
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QStringList>("itemsTail"); // the last entries afterwards

        const QString del = QStringLiteral("Farbname | Name der gelöschten Farbe: | ");
        const QString addQ = QStringLiteral("Farbname | Name der hinzugefügten Farbe: | ");
        QTest::newRow("removed colour named after a typo")
            << QStringList{"Rosa"} << QStringList{} << QList<Answer>{ok("Rosaa"), ok("Rosa")}
            << QStringList{del, "Farbname | Die Farbe \"Rosaa\" ist nicht vorhanden. | Rosaa"}
            << QStringList{"Lila", "Andere Farbe"};
        QTest::newRow("cancel removes the last named colour")
            << QStringList{"Rosa"} << QStringList{} << QList<Answer>{cancel} << QStringList{del}
            << QStringList{"Lila", "Andere Farbe"};
        QTest::newRow("the custom entry cannot be named")
            << QStringList{"Rosa"} << QStringList{} << QList<Answer>{ok("Andere Farbe"), cancel}
            << QStringList{del, "Farbname | Die Farbe \"Andere Farbe\" ist nicht vorhanden. | Andere Farbe"}
            << QStringList{"Lila", "Andere Farbe"};
        QTest::newRow("two removed, preset carries over")
            << QStringList{"Rot", "Gelb"} << QStringList{} << QList<Answer>{ok("Gelb"), ok("Rot")}
            << QStringList{del, del + "Gelb"} << QStringList{"Rosa", "Andere Farbe"};
        QTest::newRow("added colours named or left unnamed")
            << QStringList{} << QStringList{"$112233", "$445566"} << QList<Answer>{ok("Nacht"), cancel}
            << QStringList{addQ, addQ + "Nacht"} << QStringList{"Rosa", "Nacht", "", "Andere Farbe"};
    }
    void colorsSetter()
    {
        QFETCH(QStringList, drop);
        QFETCH(QStringList, add);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, questions);
        QFETCH(QStringList, itemsTail);

        TLxColorComboBox box;
        ScriptedInput input;
        input.answers = answers;
        box.setInputBox(input.box());
        const QStringList names = box.Items();
        const QStringList colours = box.Colors();
        QList<int> dropped;
        for (const QString &name : drop)
            dropped << int(names.indexOf(name));
        std::sort(dropped.begin(), dropped.end(), std::greater<>());
        QStringList list = colours;
        for (int i : dropped)
            list.removeAt(i);
        list << add;

        QVERIFY(box.setColors(list));
        QCOMPARE(input.questions, questions);
        QCOMPARE(box.Colors(), list);
        QCOMPARE(box.count(), list.size() + 1);
        QCOMPARE(box.Items().mid(box.count() - itemsTail.size()), itemsTail);
        for (const QString &name : drop)
            QVERIFY(!box.Items().contains(name));
        // Every remaining default name still sits beside its own colour.
        for (int i = 0; i < box.Colors().size(); ++i) {
            const qsizetype original = names.indexOf(box.itemText(i));
            if (original >= 0 && original < colours.size())
                QCOMPARE(box.Colors().at(i), colours.at(original));
        }
    }

    void colorsSetterRefusesBadEntries_data()
    {
        QTest::addColumn<QString>("entry");
        for (const char *bad : {"rot", "$", "FF0000", "$12G456", "$123456789", "#123456", " $123456", ""})
            QTest::newRow(bad) << QString::fromLatin1(bad);
    }
    void colorsSetterRefusesBadEntries()
    {
        QFETCH(QString, entry);
        TLxColorComboBox box;
        ScriptedInput input;
        box.setInputBox(input.box());
        box.setColor(0x00FFFF);
        const QStringList items = box.Items();
        QSignalSpy changes(&box, &TLxColorComboBox::OnColorChange);
        QVERIFY(!box.setColors({QStringLiteral("$0000FF"), entry}));
        QCOMPARE(box.Items(), items);
        QCOMPARE(box.Colors().size(), 15);
        QVERIFY(input.questions.isEmpty());
        QCOMPARE(changes.count(), 0);
        QCOMPARE(box.currentText(), QStringLiteral("Gelb"));
    }

    void colorsSetterCanonicalForm()
    {
        TLxColorComboBox box;
        ScriptedInput input;
        box.setInputBox(input.box());
        QStringList list = box.Colors();
        list[4] = QStringLiteral("$ff"); // red, written loosely
        QVERIFY(box.setColors(list));
        QVERIFY(input.questions.isEmpty());
        QCOMPARE(box.Colors().at(4), QStringLiteral("$0000FF"));
        box.setColor(0x0000FF);
        QCOMPARE(box.currentText(), QStringLiteral("Rot"));
    }

    void colorsSetterReselectsColour()
    {
        TLxColorComboBox box;
        ScriptedInput input;
        input.answers = {ok("Rot")};
        box.setInputBox(input.box());
        box.setColor(0x0000FF);
        QStringList list = box.Colors();
        list.removeAt(4);
        QVERIFY(box.setColors(list));
        QCOMPARE(box.currentText(), QStringLiteral("Andere Farbe"));
        QCOMPARE(box.CustomColor(), ColorRef(0x0000FF));
    }

    void sharedChooser()
    {
        QPointer<QColorDialog> dialog;
        {
            auto *first = new TLxColorComboBox;
            TLxColorComboBox second;
            dialog = TLxColorComboBox::SharedColorDialog();
            QVERIFY(dialog);
            delete first;
            QVERIFY(dialog); // still there for the other box
            auto *buttons = dialog->findChild<QDialogButtonBox *>();
            QVERIFY(buttons);
            QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
            QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
        }
        QVERIFY(!dialog); // freed with the last box
    }

    void mouseEnterLeave()
    {
        TLxColorComboBox box;
        QSignalSpy enter(&box, &TLxComboBox::OnMouseEnter);
        QSignalSpy leave(&box, &TLxComboBox::OnMouseLeave);
        QEnterEvent in(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&box, &in);
        QEvent out(QEvent::Leave);
        QApplication::sendEvent(&box, &out);
        QCOMPARE(enter.count(), 1);
        QCOMPARE(leave.count(), 1);
        QCOMPARE(enter.first().first().value<TLxComboBox *>(), static_cast<TLxComboBox *>(&box));
    }
};

QTEST_MAIN(tst_colorcombobox)
#include "tst_colorcombobox.moc"
