#pragma once

#include <QStringList>
#include <QVariantMap>

class QQmlEngine;
class QQuickItem;
class QQuickWindow;

// Checks over a drawn item tree, without pixels: each returns one readable line per problem found among the
// visible items under `root` (an empty list passes). Colours come from the items' own properties, positions
// from their scene geometry, so a check is as fast as a walk over the tree.
//
// A text is anything with a text and a colour (Text, Label, TextInput, TextField, TextEdit, placeholders); a
// control is the outermost item that takes input: a Qt Quick control, a text input, a mouse area that
// accepts a button, or an item holding a tap handler.
namespace ItemTreeCheck {

// Every visible text reads at `minimum` contrast against what is drawn behind it (the window's colour with
// the rectangles painted before it composited over), and no opaque rectangle is painted over it.
QStringList lowContrastTexts(QQuickItem* root, double minimum = 4.5);

// No two visible controls overlap where they are shown (clipping ancestors cut them).
QStringList overlappingControls(QQuickItem* root);

// Visible texts that are elided or cut by their own width, except those whose text is one of `cuttable` (the
// long names and titles a view may shorten).
QStringList truncatedTexts(QQuickItem* root, const QStringList& cuttable = {});

// Visible texts partly clipped away by a container, except at the top or bottom edge of a flickable that
// shows a scroll hint (an item named "scrollHint" whose `flickable` is that flickable).
QStringList textsCutByContainers(QQuickItem* root);

// Flickables that hold more than they show without a scroll hint.
QStringList unhintedFlickables(QQuickItem* root);

// Controls that lie over a text other than their own label (a text inside the control, or inside the item
// a mouse area belongs to). A mouse area's hit area reaching past that item does not count.
QStringList controlsOverTexts(QQuickItem* root);

// Controls that stick out of the padded content of their card (the nearest GlassTextShadow around them).
QStringList controlsOutsideCards(QQuickItem* root);

// Section headers of cards side by side that are not level.
QStringList unevenHeaders(QQuickItem* root);

// Texts of the items beside the notch (under the items named "compactSide") not centred on one line.
QStringList offCompactLine(QQuickItem* root);

// The visible items under `root` (itself included) named `name`: a walk over the visual tree, which holds
// the delegates that are not QObject children.
QList<QQuickItem*> visibleItems(QQuickItem* root, const QString& name);

// The QML component at `url` made with `properties` as an item filling `window`, which owns it; null, with
// the errors warned, if it fails to load.
QQuickItem* placeView(QQmlEngine& engine, QQuickWindow& window, const QUrl& url,
                      const QVariantMap& properties);

// Texts read at 4.5 : 1, no two controls overlap, and every visible control lies inside the window (along an
// axis on which a flickable ancestor scrolls, inside that flickable's content instead: it scrolls to it).
QStringList layoutProblems(QQuickItem* root);

} // namespace ItemTreeCheck
