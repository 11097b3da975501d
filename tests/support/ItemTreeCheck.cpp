#include "ItemTreeCheck.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace ItemTreeCheck {
namespace {

bool inherits(const QObject* object, std::initializer_list<const char*> classNames) {
    for (const QMetaObject* meta = object->metaObject(); meta; meta = meta->superClass()) {
        for (const char* name : classNames) {
            if (qstrcmp(meta->className(), name) == 0)
                return true;
        }
    }
    return false;
}

bool isText(const QQuickItem* item) {
    return inherits(item, {"QQuickText", "QQuickTextInput", "QQuickTextEdit"});
}

bool holdsTapHandler(const QQuickItem* item) {
    const QObjectList children = item->children();
    return std::any_of(children.begin(), children.end(), [](const QObject* child) {
        return inherits(child, {"QQuickTapHandler"}) && child->property("enabled").toBool();
    });
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
    return holdsTapHandler(item);
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

QRectF sceneRect(const QQuickItem* item) {
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

QString rectText(const QRectF& rect) {
    return QStringLiteral("(%1,%2 %3×%4)").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

double effectiveOpacity(const QQuickItem* item) {
    double opacity = 1;
    for (; item; item = item->parentItem())
        opacity *= item->opacity();
    return opacity;
}

QColor blend(QColor below, QColor above, double alpha) {
    alpha = std::clamp(alpha, 0.0, 1.0);
    const auto mix = [alpha](double b, double a) { return b + (a - b) * alpha; };
    return QColor::fromRgbF(float(mix(below.redF(), above.redF())),
                            float(mix(below.greenF(), above.greenF())),
                            float(mix(below.blueF(), above.blueF())));
}

// The visible items under `item` in the order they are painted: children with a negative z first, then the
// item, then the other children, each group by z and then by order.
void appendInPaintOrder(QQuickItem* item, QList<QQuickItem*>& out) {
    if (!item->isVisible())
        return;
    QList<QQuickItem*> children = item->childItems();
    std::stable_sort(children.begin(), children.end(),
                     [](const QQuickItem* a, const QQuickItem* b) { return a->z() < b->z(); });
    for (QQuickItem* child : children) {
        if (child->z() < 0)
            appendInPaintOrder(child, out);
    }
    out.append(item);
    for (QQuickItem* child : children) {
        if (child->z() >= 0)
            appendInPaintOrder(child, out);
    }
}

QList<QQuickItem*> inPaintOrder(QQuickItem* root) {
    QList<QQuickItem*> items;
    appendInPaintOrder(root, items);
    return items;
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

// Whether `item` paints at `point`: its clipping ancestors that `viewer` does not share let it through there.
bool paintsAt(const QQuickItem* item, QPointF point, const QQuickItem* viewer) {
    if (!sceneRect(item).contains(point))
        return false;
    for (const QQuickItem* up = item->parentItem(); up; up = up->parentItem()) {
        if (up->clip() && !isAncestorOf(up, viewer) && !sceneRect(up).contains(point))
            return false;
    }
    return true;
}

bool isFilledRectangle(const QQuickItem* item) {
    return inherits(item, {"QQuickRectangle"}) && item->property("color").value<QColor>().alpha() > 0;
}

// The rectangle of the drawn glyphs, in the text's own coordinates.
QRectF inkRect(const QQuickItem* text) {
    const double left = text->property("leftPadding").toDouble();
    const double right = text->property("rightPadding").toDouble();
    const double top = text->property("topPadding").toDouble();
    const double bottom = text->property("bottomPadding").toDouble();
    const double room = text->width() - left - right;
    const double inkWidth = room > 0 ? std::min(text->property("contentWidth").toDouble(), room)
                                     : text->property("contentWidth").toDouble();
    const double inkHeight = text->property("contentHeight").toDouble();
    const int horizontal = text->property("effectiveHorizontalAlignment").toInt();
    const int vertical = text->property("verticalAlignment").toInt();
    const double x = horizontal & Qt::AlignRight     ? text->width() - right - inkWidth
                     : horizontal & Qt::AlignHCenter ? left + (room - inkWidth) / 2
                                                     : left;
    const double roomHeight = text->height() - top - bottom;
    const double y = vertical & Qt::AlignBottom    ? text->height() - bottom - inkHeight
                     : vertical & Qt::AlignVCenter ? top + (roomHeight - inkHeight) / 2
                                                   : top;
    return QRectF(x, y, inkWidth, inkHeight);
}

// Points along the middle of the drawn glyphs, in scene coordinates.
QList<QPointF> glyphSamples(const QQuickItem* text) {
    const QRectF ink = inkRect(text);
    QList<QPointF> samples;
    for (double fraction : {1.0 / 6, 0.5, 5.0 / 6})
        samples.append(text->mapToScene(QPointF(ink.x() + ink.width() * fraction, ink.center().y())));
    return samples;
}

QRectF sceneInkRect(const QQuickItem* text) {
    return text->mapRectToScene(inkRect(text));
}

bool hasVisibleText(const QQuickItem* item) {
    return isText(item) && effectiveOpacity(item) > 0.01 &&
           !item->property("text").toString().trimmed().isEmpty();
}

// Clipped away by an ancestor that does not scroll (scrolled-out content is still checked).
bool clippedAway(const QQuickItem* item, QPointF point) {
    for (const QQuickItem* up = item->parentItem(); up; up = up->parentItem()) {
        if (up->clip() && !isFlickable(up) && !sceneRect(up).contains(point))
            return true;
    }
    return false;
}

// The problem with one sample point of a text, if any.
QString contrastProblem(const QList<QQuickItem*>& painted, qsizetype textIndex, QPointF point,
                        double minimum) {
    const QQuickItem* text = painted.at(textIndex);
    QColor behind = text->window() ? text->window()->color() : QColor(Qt::white);
    for (qsizetype i = 0; i < textIndex; ++i) {
        const QQuickItem* item = painted.at(i);
        if (isFilledRectangle(item) && paintsAt(item, point, text)) {
            const QColor colour = item->property("color").value<QColor>();
            behind = blend(behind, colour, colour.alphaF() * effectiveOpacity(item));
        }
    }
    for (qsizetype i = textIndex + 1; i < painted.size(); ++i) {
        const QQuickItem* item = painted.at(i);
        const bool solid = isFilledRectangle(item) && item->width() >= 4 && item->height() >= 4 &&
                           item->property("color").value<QColor>().alphaF() * effectiveOpacity(item) > 0.99;
        if (solid && !isAncestorOf(text, item) && paintsAt(item, point, text))
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

struct Control {
    QQuickItem* item;
    QQuickItem* enclosing; // the nearest control around it, or none
};

bool isShown(const QQuickItem* item) {
    return item->isVisible() && effectiveOpacity(item) > 0.01;
}

// The rectangle an item and everything shown under it cover: a control's parts may be drawn beyond it.
QRectF drawnRect(const QQuickItem* item) {
    QRectF rect = item->width() > 0 && item->height() > 0 ? sceneRect(item) : QRectF();
    for (const QQuickItem* child : item->childItems()) {
        if (!isShown(child))
            continue;
        const QRectF part = drawnRect(child);
        if (!part.isEmpty())
            rect = rect.isEmpty() ? part : rect.united(part);
    }
    return rect;
}

void collectControls(QQuickItem* item, QQuickItem* enclosing, QList<Control>& out) {
    if (!isShown(item))
        return;
    if (isControl(item) && !drawnRect(item).isEmpty()) {
        out.append(Control{item, enclosing});
        enclosing = item;
    }
    for (QQuickItem* child : item->childItems())
        collectControls(child, enclosing, out);
}

QList<Control> controlsUnder(QQuickItem* root) {
    QList<Control> controls;
    collectControls(root, nullptr, controls);
    return controls;
}

// Where a control is shown: its rectangle cut by every clipping ancestor.
QRectF shownRect(const QQuickItem* item) {
    QRectF rect = drawnRect(item);
    for (const QQuickItem* up = item->parentItem(); up; up = up->parentItem()) {
        if (up->clip())
            rect &= sceneRect(up);
    }
    return rect;
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

bool fits(Span inner, Span outer) {
    constexpr double slack = 0.5;
    return inner.from >= outer.from - slack && inner.to <= outer.to + slack;
}

bool overlaps(const QRectF& a, const QRectF& b) {
    const QRectF common = a & b;
    return common.width() > 0.5 && common.height() > 0.5;
}

QList<QQuickItem*> visibleTexts(QQuickItem* root) {
    QList<QQuickItem*> texts = inPaintOrder(root);
    texts.removeIf([](const QQuickItem* item) { return !hasVisibleText(item); });
    return texts;
}

QList<const QQuickItem*> hintedFlickables(QQuickItem* root) {
    QList<const QQuickItem*> hinted;
    for (const QQuickItem* item : inPaintOrder(root)) {
        if (item->objectName() == QLatin1String("scrollHint"))
            hinted.append(item->property("flickable").value<QQuickItem*>());
    }
    return hinted;
}

// What a control is drawn as: a mouse area stands for the item it belongs to.
const QQuickItem* owner(const QQuickItem* control) {
    return inherits(control, {"QQuickMouseArea"}) && control->parentItem() ? control->parentItem() : control;
}

QRectF controlArea(const QQuickItem* control) {
    return shownRect(control) & sceneRect(owner(control));
}

bool inheritsQmlType(const QObject* object, QLatin1String type) {
    for (const QMetaObject* meta = object->metaObject(); meta; meta = meta->superClass()) {
        if (QLatin1String(meta->className()).startsWith(type))
            return true;
    }
    return false;
}

} // namespace

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

QStringList lowContrastTexts(QQuickItem* root, double minimum) {
    QStringList problems;
    const QList<QQuickItem*> painted = inPaintOrder(root);
    for (qsizetype i = 0; i < painted.size(); ++i) {
        if (!hasVisibleText(painted.at(i)))
            continue;
        for (const QPointF& point : glyphSamples(painted.at(i))) {
            if (clippedAway(painted.at(i), point))
                continue;
            const QString problem = contrastProblem(painted, i, point, minimum);
            if (!problem.isEmpty()) {
                problems.append(problem);
                break;
            }
        }
    }
    return problems;
}

QStringList controlsOutsideWindow(QQuickItem* root) {
    if (!root->window())
        return {QStringLiteral("%1 is in no window").arg(describe(root))};
    QStringList problems;
    QList<const QQuickItem*> reported;
    for (const Control& control : controlsUnder(root)) {
        if (reported.contains(control.enclosing))
            continue;
        const QRectF rect = drawnRect(control.item);
        if (fits(along(rect, Qt::Horizontal), allowedSpan(control.item, Qt::Horizontal)) &&
            fits(along(rect, Qt::Vertical), allowedSpan(control.item, Qt::Vertical)))
            continue;
        reported.append(control.item);
        problems.append(
            QStringLiteral("%1 %2 is outside the window %3")
                .arg(describe(control.item), rectText(rect))
                .arg(QStringLiteral("%1×%2").arg(root->window()->width()).arg(root->window()->height())));
    }
    return problems;
}

QStringList overlappingControls(QQuickItem* root) {
    QStringList problems;
    const QList<Control> controls = controlsUnder(root);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            if (controls.at(i).enclosing != controls.at(j).enclosing)
                continue; // a control inside another one, or inside different controls
            const QRectF overlap = shownRect(controls.at(i).item) & shownRect(controls.at(j).item);
            if (overlap.width() > 0.5 && overlap.height() > 0.5)
                problems.append(QStringLiteral("%1 overlaps %2 at %3")
                                    .arg(describe(controls.at(i).item), describe(controls.at(j).item),
                                         rectText(overlap)));
        }
    }
    return problems;
}

QStringList truncatedTexts(QQuickItem* root, const QStringList& cuttable) {
    QStringList problems;
    for (const QQuickItem* item : inPaintOrder(root)) {
        if (!hasVisibleText(item) || !inherits(item, {"QQuickText"}) ||
            cuttable.contains(item->property("text").toString()))
            continue; // a text input scrolls what it holds
        const double room = item->width() - item->property("leftPadding").toDouble() -
                            item->property("rightPadding").toDouble();
        if (item->property("truncated").toBool() || item->property("contentWidth").toDouble() > room + 1)
            problems.append(QStringLiteral("%1 is cut (%2 wide, needs %3)")
                                .arg(describe(item))
                                .arg(room)
                                .arg(item->property("contentWidth").toDouble()));
    }
    return problems;
}

QStringList textsCutByContainers(QQuickItem* root) {
    const QList<const QQuickItem*> hinted = hintedFlickables(root);
    QStringList problems;
    for (const QQuickItem* text : visibleTexts(root)) {
        QRectF shown = sceneInkRect(text);
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
    for (const QQuickItem* item : inPaintOrder(root)) {
        if (isFlickable(item) && item->property("contentHeight").toDouble() > item->height() + 1 &&
            !hinted.contains(item))
            problems.append(
                QStringLiteral("%1 holds more than it shows, without a scroll hint").arg(describe(item)));
    }
    return problems;
}

QStringList controlsOverTexts(QQuickItem* root) {
    const QList<QQuickItem*> texts = visibleTexts(root);
    QStringList problems;
    for (const Control& control : controlsUnder(root)) {
        const QRectF area = controlArea(control.item);
        for (const QQuickItem* text : texts) {
            if (text != owner(control.item) && !isAncestorOf(owner(control.item), text) &&
                overlaps(area, shownRect(text) & sceneInkRect(text)))
                problems.append(
                    QStringLiteral("%1 lies over %2").arg(describe(owner(control.item)), describe(text)));
        }
    }
    return problems;
}

QStringList controlsOutsideCards(QQuickItem* root) {
    QStringList problems;
    for (const Control& control : controlsUnder(root)) {
        const QQuickItem* card = owner(control.item)->parentItem();
        while (card && !inheritsQmlType(card, QLatin1String("GlassTextShadow")))
            card = card->parentItem();
        const QRectF area = controlArea(control.item), content = sceneRect(card ? card : root);
        if (!area.isEmpty() && !(fits(along(area, Qt::Horizontal), along(content, Qt::Horizontal)) &&
                                 fits(along(area, Qt::Vertical), along(content, Qt::Vertical))))
            problems.append(QStringLiteral("%1 %2 sticks out of its card %3")
                                .arg(describe(owner(control.item)), rectText(area), rectText(content)));
    }
    return problems;
}

QStringList unevenHeaders(QQuickItem* root) {
    QList<QRectF> headers;
    for (const QQuickItem* item : inPaintOrder(root)) {
        if (inheritsQmlType(item, QLatin1String("SectionHeader")))
            headers.append(sceneRect(item));
    }
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
    QList<QQuickItem*> texts;
    for (QQuickItem* item : inPaintOrder(root)) {
        if (item->objectName() == QLatin1String("compactSide"))
            texts += visibleTexts(item);
    }
    if (texts.isEmpty())
        return {QStringLiteral("no text beside the notch")};
    const double line = sceneInkRect(texts.first()).center().y();
    QStringList problems;
    for (const QQuickItem* text : texts) {
        if (const double step = sceneInkRect(text).center().y() - line; std::abs(step) > 1)
            problems.append(QStringLiteral("%1 is centred %2 off the line of %3")
                                .arg(describe(text))
                                .arg(step)
                                .arg(describe(texts.first())));
    }
    return problems;
}

QStringList layoutProblems(QQuickItem* root) {
    return lowContrastTexts(root) + controlsOutsideWindow(root) + overlappingControls(root);
}

} // namespace ItemTreeCheck
