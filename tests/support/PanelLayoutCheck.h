#pragma once

#include <QStringList>

class QQuickItem;

// Layout checks over the drawn item tree of the panel's views, each returning one readable line per problem
// among the visible items under `root` (an empty list passes).
namespace PanelLayoutCheck {

// A control (a mouse area taking a button, an item with a tap handler, a Qt Quick control) lies over a text
// that is not its own label; a control sticks out of the padded content of its card; a text is cut short
// although it is not one of `cuttable` (the long names and titles a view may elide); a flickable holds
// more than it shows without a scroll hint; the headers of cards side by side are not level.
QStringList viewProblems(QQuickItem* root, const QStringList& cuttable);

// The texts of the compact bar's side items are not centred on one line.
QStringList compactLineProblems(QQuickItem* root);

} // namespace PanelLayoutCheck
