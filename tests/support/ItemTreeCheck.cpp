#include "ItemTreeCheck.h"

#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <functional>

namespace ItemTreeCheck {
namespace {

// Whether the object is of one of `types`: Qt classes by name, QML types by the name QML suffixes.
bool inherits(const QObject* object, std::initializer_list<const char*> types) {
    for (const QMetaObject* meta = object->metaObject(); meta; meta = meta->superClass()) {
        const char* name = meta->className();
        for (const char* type : types) {
            const auto length = qstrlen(type);
            if (qstrncmp(name, type, length) == 0 &&
                (!name[length] || qstrncmp(name + length, "_QML", 4) == 0))
                return true;
        }
    }
    return false;
}

bool isControl(const QQuickItem* item) {
    if (inherits(item, {"QQuickPane", "QQuickScrollBar", "QQuickScrollIndicator"}))
        return false; // containers and the bars drawn over scrolled content
    if (inherits(item, {"QQuickControl", "QQuickTextInput"}))
        return true;
    if (inherits(item, {"QQuickTextEdit"}))
        return !item->property("readOnly").toBool();
    if (inherits(item, {"QQuickMouseArea"}))
        return item->isEnabled() && item->property("acceptedButtons").toInt() != Qt::NoButton;
    const QObjectList children = item->children();
    return std::any_of(children.begin(), children.end(), [](const QObject* child) {
        return inherits(child, {"QQuickTapHandler"}) && child->property("enabled").toBool();
    });
}

QString describe(const QQuickItem* item) {
    static const QRegularExpression qmlSuffix(QStringLiteral("_QML(TYPE)?_\\d+$"));
    QString line = QString::fromLatin1(item->metaObject()->className()).remove(qmlSuffix);
    if (!item->objectName().isEmpty())
        line += QStringLiteral(" \"%1\"").arg(item->objectName());
    const QString text = item->property("text").toString();
    if (!text.isEmpty())
        line += QStringLiteral(" «%1»").arg(text.size() > 40 ? text.left(39) + u'…' : text);
    return line;
}

QString rectText(const QRectF& rect) {
    return QStringLiteral("(%1,%2 %3×%4)").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

QRectF sceneRect(const QQuickItem* item) {
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

double effectiveOpacity(const QQuickItem* item) {
    double opacity = 1;
    for (; item; item = item->parentItem())
        opacity *= item->opacity();
    return opacity;
}

bool isShown(const QQuickItem* item) {
    return item->isVisible() && effectiveOpacity(item) > 0.01;
}

// WCAG contrast ratio of two opaque colours (1 to 21).
double contrast(QColor a, QColor b) {
    const auto luminance = [](QColor colour) {
        const auto linear = [](double channel) {
            return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor blend(QColor below, QColor above, double alpha) {
    alpha = std::clamp(alpha, 0.0, 1.0);
    const auto mix = [alpha](double b, double a) { return b + (a - b) * alpha; };
    return QColor::fromRgbF(float(mix(below.redF(), above.redF())),
                            float(mix(below.greenF(), above.greenF())),
                            float(mix(below.blueF(), above.blueF())));
}

// The one walk every check filters: the shown items under `item` in the order they are painted (children
// with a negative z first, then the item, then the other children, each group by z and then by order).
void appendInPaintOrder(QQuickItem* item, QList<QQuickItem*>& out) {
    if (!isShown(item))
        return;
    QList<QQuickItem*> children = item->childItems();
    std::stable_sort(children.begin(), children.end(),
                     [](const QQuickItem* a, const QQuickItem* b) { return a->z() < b->z(); });
    const auto firstAbove =
        std::find_if(children.begin(), children.end(), [](auto* c) { return c->z() >= 0; });
    std::for_each(children.begin(), firstAbove, [&](QQuickItem* child) { appendInPaintOrder(child, out); });
    out.append(item);
    std::for_each(firstAbove, children.end(), [&](QQuickItem* child) { appendInPaintOrder(child, out); });
}

QList<QQuickItem*> shownItems(QQuickItem* root, const std::function<bool(const QQuickItem*)>& keep) {
    QList<QQuickItem*> items;
    appendInPaintOrder(root, items);
    items.removeIf([&](const QQuickItem* item) { return !keep(item); });
    return items;
}

bool isFilledText(const QQuickItem* item) {
    return inherits(item, {"QQuickText", "QQuickTextInput", "QQuickTextEdit"}) &&
           !item->property("text").toString().trimmed().isEmpty();
}

QList<QQuickItem*> texts(QQuickItem* root) {
    return shownItems(root, isFilledText);
}

bool isAncestorOf(const QQuickItem* ancestor, const QQuickItem* item) {
    for (const QQuickItem* up = item->parentItem(); up; up = up->parentItem()) {
        if (up == ancestor)
            return true;
    }
    return false;
}

bool isFlickable(const QQuickItem* item) {
    return inherits(item, {"QQuickFlickable"});
}

// What is left of `rect` (in the scene) by the clipping ancestors of `item` that `cuts` accepts.
QRectF clipped(const QQuickItem* item, QRectF rect, const std::function<bool(const QQuickItem*)>& cuts = {}) {
    for (const QQuickItem* up = item->parentItem(); up; up = up->parentItem()) {
        if (up->clip() && (!cuts || cuts(up)))
            rect &= sceneRect(up);
    }
    return rect;
}

// The rectangle an item and everything shown under it cover: a control's parts may be drawn beyond it.
QRectF drawnRect(const QQuickItem* item) {
    QRectF rect = item->width() > 0 && item->height() > 0 ? sceneRect(item) : QRectF();
    for (const QQuickItem* child : item->childItems()) {
        const QRectF part = isShown(child) ? drawnRect(child) : QRectF();
        if (!part.isEmpty())
            rect = rect.isEmpty() ? part : rect.united(part);
    }
    return rect;
}

// The rectangle of the drawn glyphs, in the scene.
QRectF inkRect(const QQuickItem* text) {
    const auto number = [text](const char* name) { return text->property(name).toDouble(); };
    const double left = number("leftPadding"), right = number("rightPadding");
    const double top = number("topPadding"), bottom = number("bottomPadding");
    const double room = text->width() - left - right, roomHeight = text->height() - top - bottom;
    const double width = room > 0 ? std::min(number("contentWidth"), room) : number("contentWidth");
    const double height = number("contentHeight");
    const int horizontal = text->property("effectiveHorizontalAlignment").toInt();
    const int vertical = text->property("verticalAlignment").toInt();
    const double x = horizontal & Qt::AlignRight     ? text->width() - right - width
                     : horizontal & Qt::AlignHCenter ? left + (room - width) / 2
                                                     : left;
    const double y = vertical & Qt::AlignBottom    ? text->height() - bottom - height
                     : vertical & Qt::AlignVCenter ? top + (roomHeight - height) / 2
                                                   : top;
    return text->mapRectToScene(QRectF(x, y, width, height));
}

bool overlaps(const QRectF& a, const QRectF& b) {
    const QRectF common = a & b;
    return common.width() > 0.5 && common.height() > 0.5;
}

bool isFilledRectangle(const QQuickItem* item) {
    return inherits(item, {"QQuickRectangle"}) && item->property("color").value<QColor>().alpha() > 0;
}

// The problem with one sample point of a text, if any: an opaque rectangle painted over it, or too little
// contrast against the window's colour with the rectangles painted before it composited over.
QString contrastProblem(const QList<QQuickItem*>& painted, qsizetype textIndex, QPointF point,
                        double minimum) {
    const QQuickItem* text = painted.at(textIndex);
    const auto paintsAt = [&](const QQuickItem* item) {
        return clipped(item, sceneRect(item), [&](auto* up) { return !isAncestorOf(up, text); })
            .contains(point);
    };
    QColor behind = text->window() ? text->window()->color() : QColor(Qt::white);
    for (qsizetype i = 0; i < painted.size(); ++i) {
        const QQuickItem* item = painted.at(i);
        if (i == textIndex || !isFilledRectangle(item) || !paintsAt(item))
            continue;
        const QColor colour = item->property("color").value<QColor>();
        const double alpha = colour.alphaF() * effectiveOpacity(item);
        if (i < textIndex)
            behind = blend(behind, colour, alpha);
        else if (alpha > 0.99 && item->width() >= 4 && item->height() >= 4 && !isAncestorOf(text, item))
            return QStringLiteral("%1 is covered by %2").arg(describe(text), describe(item));
    }
    const QColor colour = text->property("color").value<QColor>();
    const QColor seen = blend(behind, colour, colour.alphaF() * effectiveOpacity(text));
    const double ratio = contrast(seen, behind);
    if (ratio >= minimum)
        return {};
    return QStringLiteral("%1: %2 on %3 reads at %4 : 1 (below %5)")
        .arg(describe(text), seen.name(), behind.name())
        .arg(ratio, 0, 'f', 2)
        .arg(minimum);
}

QList<QQuickItem*> controls(QQuickItem* root) {
    return shownItems(root,
                      [](const QQuickItem* item) { return isControl(item) && !drawnRect(item).isEmpty(); });
}

// The nearest control around `item`, or none.
const QQuickItem* enclosingControl(const QQuickItem* item) {
    for (const QQuickItem* up = item->parentItem(); up; up = up->parentItem()) {
        if (isControl(up))
            return up;
    }
    return nullptr;
}

// What a control is drawn as: a mouse area stands for the item it belongs to.
const QQuickItem* owner(const QQuickItem* control) {
    return inherits(control, {"QQuickMouseArea"}) && control->parentItem() ? control->parentItem() : control;
}

// Where a control is shown and drawn as itself.
QRectF controlArea(const QQuickItem* control) {
    return clipped(control, drawnRect(control)) & sceneRect(owner(control));
}

bool scrollsAlong(const QQuickItem* flickable, Qt::Orientation axis) {
    if (!flickable->property("interactive").toBool())
        return false;
    const int direction = flickable->property("flickableDirection").toInt();
    constexpr int horizontalFlick = 1, verticalFlick = 2, bothFlick = 3;
    if (direction == horizontalFlick || direction == verticalFlick || direction == bothFlick)
        return direction & (axis == Qt::Horizontal ? horizontalFlick : verticalFlick);
    return true; // automatic: along any axis its content overflows
}

struct Span {
    double from, to;
};

Span along(const QRectF& rect, Qt::Orientation axis) {
    return axis == Qt::Horizontal ? Span{rect.left(), rect.right()} : Span{rect.top(), rect.bottom()};
}

bool fits(Span inner, Span outer) {
    constexpr double slack = 0.5;
    return inner.from >= outer.from - slack && inner.to <= outer.to + slack;
}

bool fits(const QRectF& inner, const QRectF& outer) {
    return fits(along(inner, Qt::Horizontal), along(outer, Qt::Horizontal)) &&
           fits(along(inner, Qt::Vertical), along(outer, Qt::Vertical));
}

// The span a control may take along one axis: a scrolling flickable's viewport and content, else the window
// cut by the clipping ancestors.
Span allowedSpan(const QQuickItem* control, Qt::Orientation axis) {
    const QQuickWindow* window = control->window();
    Span allowed = along(QRectF(0, 0, window->width(), window->height()), axis);
    for (const QQuickItem* up = control->parentItem(); up; up = up->parentItem()) {
        if (isFlickable(up) && scrollsAlong(up, axis)) {
            const QQuickItem* content = up->property("contentItem").value<QQuickItem*>();
            const QSizeF size(up->property("contentWidth").toDouble(),
                              up->property("contentHeight").toDouble());
            const Span viewport = along(sceneRect(up), axis);
            const Span extent = along(content->mapRectToScene(QRectF(QPointF(), size)), axis);
            return {std::min(viewport.from, extent.from), std::max(viewport.to, extent.to)};
        }
        if (up->clip()) {
            const Span clip = along(sceneRect(up), axis);
            allowed = {std::max(allowed.from, clip.from), std::min(allowed.to, clip.to)};
        }
    }
    return allowed;
}

// A hint counts while it is visible, whatever its opacity.
QList<const QQuickItem*> hintedFlickables(QQuickItem* root) {
    QList<const QQuickItem*> hinted;
    for (const QQuickItem* hint : visibleItems(root, QStringLiteral("scrollHint")))
        hinted.append(hint->property("flickable").value<QQuickItem*>());
    return hinted;
}

QStringList controlsOutsideWindow(QQuickItem* root) {
    if (!root->window())
        return {QStringLiteral("%1 is in no window").arg(describe(root))};
    QStringList problems;
    QList<const QQuickItem*> reported;
    for (const QQuickItem* control : controls(root)) {
        const QRectF rect = drawnRect(control);
        if (reported.contains(enclosingControl(control)) ||
            (fits(along(rect, Qt::Horizontal), allowedSpan(control, Qt::Horizontal)) &&
             fits(along(rect, Qt::Vertical), allowedSpan(control, Qt::Vertical))))
            continue;
        reported.append(control);
        problems.append(QStringLiteral("%1 %2 is outside the window %3×%4")
                            .arg(describe(control), rectText(rect))
                            .arg(root->window()->width())
                            .arg(root->window()->height()));
    }
    return problems;
}

} // namespace

QStringList lowContrastTexts(QQuickItem* root, double minimum) {
    QStringList problems;
    const QList<QQuickItem*> painted = shownItems(root, [](auto*) { return true; });
    for (qsizetype i = 0; i < painted.size(); ++i) {
        if (!isFilledText(painted.at(i)))
            continue;
        // Points along the middle of the glyphs, unless an ancestor that does not scroll clips them away.
        const QRectF ink = inkRect(painted.at(i));
        const QRectF kept = clipped(painted.at(i), ink, [](auto* up) { return !isFlickable(up); });
        for (double fraction : {1.0 / 6, 0.5, 5.0 / 6}) {
            const QPointF point(ink.x() + ink.width() * fraction, ink.center().y());
            const QString problem =
                kept.contains(point) ? contrastProblem(painted, i, point, minimum) : QString();
            if (!problem.isEmpty()) {
                problems.append(problem);
                break;
            }
        }
    }
    return problems;
}

QStringList overlappingControls(QQuickItem* root) {
    QStringList problems;
    const QList<QQuickItem*> all = controls(root);
    for (qsizetype i = 0; i < all.size(); ++i) {
        for (qsizetype j = i + 1; j < all.size(); ++j) {
            // only controls side by side: not one inside another, nor inside different controls
            const QRectF a = clipped(all[i], drawnRect(all[i])), b = clipped(all[j], drawnRect(all[j]));
            if (enclosingControl(all[i]) == enclosingControl(all[j]) && overlaps(a, b))
                problems.append(QStringLiteral("%1 overlaps %2 at %3")
                                    .arg(describe(all[i]), describe(all[j]), rectText(a & b)));
        }
    }
    return problems;
}

QStringList truncatedTexts(QQuickItem* root, const QStringList& cuttable) {
    QStringList problems;
    for (const QQuickItem* item : texts(root)) {
        if (!inherits(item, {"QQuickText"}) || cuttable.contains(item->property("text").toString()))
            continue; // a text input scrolls what it holds
        const double room = item->width() - item->property("leftPadding").toDouble() -
                            item->property("rightPadding").toDouble();
        const double needed = item->property("contentWidth").toDouble();
        if (item->property("truncated").toBool() || needed > room + 1)
            problems.append(
                QStringLiteral("%1 is cut (%2 wide, needs %3)").arg(describe(item)).arg(room).arg(needed));
    }
    return problems;
}

QStringList textsCutByContainers(QQuickItem* root) {
    const QList<const QQuickItem*> hinted = hintedFlickables(root);
    QStringList problems;
    for (const QQuickItem* text : texts(root)) {
        QRectF shown = inkRect(text);
        for (const QQuickItem* up = text->parentItem(); up && !shown.isEmpty(); up = up->parentItem()) {
            const QRectF box = sceneRect(up);
            if (!up->clip() || box.contains(shown))
                continue;
            const bool scrolls =
                hinted.contains(up) && fits(along(shown, Qt::Horizontal), along(box, Qt::Horizontal));
            if (overlaps(box, shown) && !scrolls)
                problems.append(QStringLiteral("%1 is cut by %2").arg(describe(text), describe(up)));
            shown &= box;
        }
    }
    return problems;
}

QStringList unhintedFlickables(QQuickItem* root) {
    const QList<const QQuickItem*> hinted = hintedFlickables(root);
    QStringList problems;
    for (const QQuickItem* item : shownItems(root, isFlickable)) {
        if (item->property("contentHeight").toDouble() > item->height() + 1 && !hinted.contains(item))
            problems.append(
                QStringLiteral("%1 holds more than it shows, without a scroll hint").arg(describe(item)));
    }
    return problems;
}

QStringList controlsOverTexts(QQuickItem* root) {
    const QList<QQuickItem*> all = texts(root);
    QStringList problems;
    for (const QQuickItem* control : controls(root)) {
        const QQuickItem* drawnAs = owner(control);
        for (const QQuickItem* text : all) {
            if (text != drawnAs && !isAncestorOf(drawnAs, text) &&
                overlaps(controlArea(control), clipped(text, inkRect(text))))
                problems.append(QStringLiteral("%1 lies over %2").arg(describe(drawnAs), describe(text)));
        }
    }
    return problems;
}

QStringList controlsOutsideCards(QQuickItem* root) {
    QStringList problems;
    for (const QQuickItem* control : controls(root)) {
        const QQuickItem* card = owner(control)->parentItem();
        while (card && !inherits(card, {"GlassTextShadow"}))
            card = card->parentItem();
        const QRectF area = controlArea(control), content = sceneRect(card ? card : root);
        if (!area.isEmpty() && !fits(area, content))
            problems.append(QStringLiteral("%1 %2 sticks out of its card %3")
                                .arg(describe(owner(control)), rectText(area), rectText(content)));
    }
    return problems;
}

QStringList unevenHeaders(QQuickItem* root) {
    QList<QRectF> headers;
    for (const QQuickItem* header :
         shownItems(root, [](auto* item) { return inherits(item, {"SectionHeader"}); }))
        headers.append(sceneRect(header));
    QStringList problems;
    for (qsizetype i = 0; i < headers.size(); ++i) {
        for (qsizetype j = i + 1; j < headers.size(); ++j) {
            const double step = std::abs(headers[i].center().y() - headers[j].center().y());
            const bool sideBySide =
                headers[i].right() < headers[j].left() || headers[j].right() < headers[i].left();
            if (sideBySide && step > 0.5 && step < 12)
                problems.append(QStringLiteral("headers %1 and %2 are %3 apart")
                                    .arg(rectText(headers[i]), rectText(headers[j]))
                                    .arg(step));
        }
    }
    return problems;
}

QStringList offCompactLine(QQuickItem* root) {
    QList<QQuickItem*> beside;
    for (QQuickItem* side : shownItems(root, [](auto* item) { return item->objectName() == "compactSide"; }))
        beside += texts(side);
    if (beside.isEmpty())
        return {QStringLiteral("no text beside the notch")};
    const double line = inkRect(beside.first()).center().y();
    QStringList problems;
    for (const QQuickItem* text : beside) {
        if (const double step = inkRect(text).center().y() - line; std::abs(step) > 1)
            problems.append(QStringLiteral("%1 is centred %2 off the line of %3")
                                .arg(describe(text))
                                .arg(step)
                                .arg(describe(beside.first())));
    }
    return problems;
}

QList<QQuickItem*> visibleItems(QQuickItem* root, const QString& name) {
    QList<QQuickItem*> found;
    if (!root->isVisible())
        return found;
    if (root->objectName() == name)
        found.append(root);
    for (QQuickItem* child : root->childItems())
        found += visibleItems(child, name);
    return found;
}

QQuickItem* placeView(QQmlEngine& engine, QQuickWindow& window, const QUrl& url,
                      const QVariantMap& properties) {
    QQmlComponent component(&engine, url);
    auto* item = qobject_cast<QQuickItem*>(component.createWithInitialProperties(properties));
    if (!item) {
        qWarning().noquote() << component.errorString();
        return nullptr;
    }
    item->setParent(&window);
    item->setParentItem(window.contentItem());
    item->setSize(window.size());
    return item;
}

QStringList layoutProblems(QQuickItem* root) {
    return lowContrastTexts(root) + controlsOutsideWindow(root) + overlappingControls(root);
}

} // namespace ItemTreeCheck
