#pragma once

#include <QRect>
#include <QString>

#include <vector>

class QWidget;

// Places a dialog's controls from a table of their designed geometry.
//
// The designed geometry assumes a narrow face. Where the face in use needs
// more room, a control grows (its fit rule says how it measures its text),
// and the guides it pushes move by as much; every edge that keeps a distance
// to a moved guide moves with it. With room enough every control keeps its
// designed place.
//
// Guides are numbered lines of the dialog (columns and rows), each with a
// designed position; guide 0 is the origin and never moves. A control's
// edges keep their designed distance to the guides named in its row. Guides
// only ever grow, so the table is simply applied until none moves any more;
// the order of the rows matters only for `sets` and `centreOn`.
namespace DialogLayout {

enum Fit : unsigned {
    Keep = 0,
    TextWidth = 1 << 0,   // at least as wide as its text (or `sample`)
    SizeToText = 1 << 1,  // exactly as wide as its text
    ButtonText = 1 << 2,  // a push button at least as wide as its caption needs
    FontHeight = 1 << 3,  // at least one line of the face high
    HintHeight = 1 << 4,  // at least as high as the control asks
    MinHeight = 1 << 5,   // at least as high as the control's minimum
    RadioHeight = 1 << 6, // at least as high as its text and its indicator
    WrapHeight = 1 << 7,  // word-wrapped: as high as its text needs at its width
    Centred = 1 << 8,     // as high as it asks, centred on its designed row
    KeepRight = 1 << 9,   // grows to the left: the right edge stays
    HalfX = 1 << 10,      // moves by half of what its guide moves (centred)
};

struct Guide {
    Guide(int designedAt) : designed(designedAt), at(designedAt) {}
    int designed;
    int at; // may be set to more before apply (a style's margin, say)
};

struct Push {
    int guide = -1;
    int gap = 0; // from the control's far edge to the guide
};

struct Place {
    QWidget *w = nullptr;
    QRect r{}; // designed geometry, in the parent's coordinates
    unsigned fit = Keep;
    int x = 0, y = 0;                  // guides the left and top edge keep their distance to
    int right = -1;                    // guide the right edge keeps its distance to (the control stretches)
    int bottom = -1;                   // the same for the bottom edge
    Push pushX{}, pushY{};             // guides that must lie right of / below the control
    int minW = 0;                      // least width, also for the push of a stretching control
    int minWGuide = -1;                // a guide whose position is the least width (contents)
    int minHGuide = -1;                // the same for the height
    int lines = 0;                     // room for this many lines of text at least
    int sets = -1;                     // a guide that takes the control's left edge
    int leftLimit = -1;                // KeepRight: a guide its left edge stays right of; a wider
                                       // text pushes the pushX guide by as much instead
    const QWidget *centreOn = nullptr; // vertically centred on this earlier row's control
    QString sample{};                  // the longest text the control shows, if not its current one
};

// Places every control of the table and moves the guides to where the face
// in use puts them.
void place(const std::vector<Place> &table, std::vector<Guide> &guides);

// The width a push button needs for its caption: the text plus the style's
// margins, without the minimum width some styles add on top.
int buttonWidthFor(const QWidget *button);

} // namespace DialogLayout
