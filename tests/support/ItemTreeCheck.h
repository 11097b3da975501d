#pragma once

#include <QColor>
#include <QStringList>

class QQuickItem;

// Checks over a drawn item tree, without pixels: each returns one readable line per problem found among the
// visible items under `root` (an empty list passes). Colours come from the items' own properties, positions
// from their scene geometry, so a check is as fast as a walk over the tree.
//
// A text is anything with a text and a colour (Text, Label, TextInput, TextField, TextEdit, placeholders); a
// control is the outermost item that takes input: a Qt Quick control, a text input, a mouse area that
// accepts a button, or an item holding a tap handler.
namespace ItemTreeCheck {

// WCAG contrast ratio of two opaque colours (1 to 21).
double contrast(QColor a, QColor b);

// Every visible text reads at `minimum` contrast against what is drawn behind it (the window's colour with
// the rectangles painted before it composited over), and no opaque rectangle is painted over it.
QStringList lowContrastTexts(QQuickItem* root, double minimum = 4.5);

// Every visible control lies inside the window; along an axis on which a flickable ancestor scrolls, inside
// that flickable's content instead (it can be scrolled to).
QStringList controlsOutsideWindow(QQuickItem* root);

// No two visible controls overlap where they are shown (clipping ancestors cut them).
QStringList overlappingControls(QQuickItem* root);

// Visible texts that are elided or cut by their own width.
QStringList truncatedTexts(QQuickItem* root);

// The three layout checks above (contrast at 4.5, inside the window, no overlap) together.
QStringList layoutProblems(QQuickItem* root);

} // namespace ItemTreeCheck
