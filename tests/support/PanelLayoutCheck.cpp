#include "PanelLayoutCheck.h"

#include <QQuickItem>

#include <cmath>

namespace {

struct Text {
    QQuickItem* item;
    QRectF painted; // scene rectangle of the glyphs, before any clipping
    QString text;
};

struct Control {
    QQuickItem* owner; // the item the control belongs to: its labels lie inside it
    QRectF area;       // scene rectangle, before any clipping
};

QRectF sceneRect(const QQuickItem* item) {
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

bool inheritsType(const QObject* object, const char* prefix) {
    for (const QMetaObject* meta = object->metaObject(); meta; meta = meta->superClass()) {
        if (QLatin1String(meta->className()).startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

bool isDescendant(const QQuickItem* item, const QQuickItem* ancestor) {
    for (; item; item = item->parentItem()) {
        if (item == ancestor)
            return true;
    }
    return false;
}

// Visible items under root, depth first; items at opacity 0 and everything under them are left out.
QList<QQuickItem*> shownItems(QQuickItem* root) {
    QList<QQuickItem*> shown, pending{root};
    while (!pending.isEmpty()) {
        QQuickItem* item = pending.takeLast();
        if (!item->isVisible() || item->opacity() <= 0.01)
            continue;
        shown.append(item);
        pending.append(item->childItems());
    }
    return shown;
}

// The glyphs' rectangle: the content size placed inside the padded box by the text's alignment.
QRectF paintedRect(QQuickItem* text) {
    const qreal left = text->property("leftPadding").toReal(), top = text->property("topPadding").toReal();
    const qreal boxWidth = text->width() - left - text->property("rightPadding").toReal();
    const qreal boxHeight = text->height() - top - text->property("bottomPadding").toReal();
    const qreal width = std::min(text->property("contentWidth").toReal(), boxWidth);
    const qreal height = text->property("contentHeight").toReal();
    const int horizontal = text->property("horizontalAlignment").toInt();
    const int vertical = text->property("verticalAlignment").toInt();
    const qreal x = left + (horizontal & Qt::AlignRight     ? boxWidth - width
                            : horizontal & Qt::AlignHCenter ? (boxWidth - width) / 2
                                                            : 0);
    const qreal y = top + (vertical & Qt::AlignBottom    ? boxHeight - height
                           : vertical & Qt::AlignVCenter ? (boxHeight - height) / 2
                                                         : 0);
    return text->mapRectToScene(QRectF(x, y, width, height));
}

QList<Text> textsOf(const QList<QQuickItem*>& items) {
    QList<Text> texts;
    for (QQuickItem* item : items) {
        if (!item->inherits("QQuickText"))
            continue;
        const QString text = item->property("text").toString();
        if (!text.trimmed().isEmpty())
            texts.append({item, paintedRect(item), text});
    }
    return texts;
}

bool hasTapHandler(const QQuickItem* item) {
    for (const QObject* child : item->children()) {
        if (child->inherits("QQuickTapHandler") && child->property("enabled").toBool())
            return true;
    }
    return false;
}

QList<Control> controlsOf(const QList<QQuickItem*>& items) {
    QList<Control> controls;
    for (QQuickItem* item : items) {
        if (!item->isEnabled())
            continue;
        if (item->inherits("QQuickMouseArea") && item->property("acceptedButtons").toInt() != 0 &&
            item->parentItem()) {
            // A hit area may reach past what it belongs to; what is drawn is its owner.
            QQuickItem* owner = item->parentItem();
            controls.append({owner, sceneRect(item).intersected(sceneRect(owner))});
        } else if (hasTapHandler(item) ||
                   (item->inherits("QQuickControl") && !item->inherits("QQuickBusyIndicator"))) {
            controls.append({item, sceneRect(item)});
        }
    }
    return controls;
}

// The part of `rect` that the clipping ancestors of `item` let through.
QRectF unclipped(const QQuickItem* item, QRectF rect) {
    for (const QQuickItem* ancestor = item->parentItem(); ancestor; ancestor = ancestor->parentItem()) {
        if (ancestor->clip())
            rect = rect.intersected(sceneRect(ancestor));
    }
    return rect;
}

bool overlaps(const QRectF& a, const QRectF& b) {
    const QRectF common = a.intersected(b);
    return common.width() > 0.5 && common.height() > 0.5;
}

QString describe(const QQuickItem* item) {
    const QString name = item->objectName();
    return name.isEmpty() ? QString::fromLatin1(item->metaObject()->className()) : name;
}

QStringList controlsOverTexts(const QList<Control>& controls, const QList<Text>& texts) {
    QStringList problems;
    for (const Control& control : controls) {
        const QRectF area = unclipped(control.owner, control.area);
        for (const Text& text : texts) {
            if (!isDescendant(text.item, control.owner) && overlaps(area, unclipped(text.item, text.painted)))
                problems
                    << QStringLiteral("%1 lies over the text \"%2\"").arg(describe(control.owner), text.text);
        }
    }
    return problems;
}

// A card's padded content is the glass text shadow around it.
QStringList controlsOutsideCards(const QList<Control>& controls) {
    QStringList problems;
    for (const Control& control : controls) {
        for (const QQuickItem* card = control.owner->parentItem(); card; card = card->parentItem()) {
            if (!inheritsType(card, "GlassTextShadow"))
                continue;
            const QRectF content = sceneRect(card).adjusted(-0.5, -0.5, 0.5, 0.5);
            const QRectF area = unclipped(control.owner, control.area);
            if (!area.isEmpty() && !content.contains(area))
                problems << QStringLiteral("%1 sticks out of its card by %2 px")
                                .arg(describe(control.owner))
                                .arg(
                                    std::max({content.left() - area.left(), area.right() - content.right(),
                                              content.top() - area.top(), area.bottom() - content.bottom()}));
            break;
        }
    }
    return problems;
}

QList<const QQuickItem*> hintedFlickables(const QList<QQuickItem*>& items) {
    QList<const QQuickItem*> hinted;
    for (const QQuickItem* item : items) {
        if (item->objectName() == QLatin1String("scrollHint"))
            hinted << item->property("flickable").value<QQuickItem*>();
    }
    return hinted;
}

QStringList unhintedFlickables(const QList<QQuickItem*>& items) {
    const QList<const QQuickItem*> hinted = hintedFlickables(items);
    QStringList problems;
    for (const QQuickItem* item : items) {
        if (item->inherits("QQuickFlickable") &&
            item->property("contentHeight").toReal() > item->height() + 1 && !hinted.contains(item))
            problems
                << QStringLiteral("%1 holds more than it shows without a scroll hint").arg(describe(item));
    }
    return problems;
}

// Cut short: elided, or part of the glyphs clipped away, except at the edge of a flickable that shows it
// scrolls.
QStringList cutTexts(const QList<Text>& texts, const QList<QQuickItem*>& items, const QStringList& cuttable) {
    const QList<const QQuickItem*> hinted = hintedFlickables(items);
    QStringList problems;
    for (const Text& text : texts) {
        if (cuttable.contains(text.text))
            continue;
        if (text.item->property("truncated").toBool()) {
            problems << QStringLiteral("\"%1\" is cut short").arg(text.text);
            continue;
        }
        QRectF shown = text.painted;
        for (const QQuickItem* clip = text.item->parentItem(); clip && !shown.isEmpty();
             clip = clip->parentItem()) {
            const QRectF box = sceneRect(clip);
            if (!clip->clip() || box.contains(shown))
                continue;
            const bool scrolls = hinted.contains(clip) && box.left() <= shown.left() + 0.5 &&
                                 box.right() >= shown.right() - 0.5;
            if (overlaps(box, shown) && !scrolls)
                problems << QStringLiteral("\"%1\" is cut by %2").arg(text.text, describe(clip));
            shown = shown.intersected(box);
        }
    }
    return problems;
}

// Section headers of cards side by side sit on one line.
QStringList unevenHeaders(const QList<QQuickItem*>& items) {
    QList<QRectF> headers;
    for (const QQuickItem* item : items) {
        if (inheritsType(item, "SectionHeader"))
            headers << sceneRect(item);
    }
    QStringList problems;
    for (qsizetype i = 0; i < headers.size(); ++i) {
        for (qsizetype j = i + 1; j < headers.size(); ++j) {
            const qreal step = std::abs(headers[i].center().y() - headers[j].center().y());
            const bool sideBySide =
                headers[i].right() < headers[j].left() || headers[j].right() < headers[i].left();
            if (sideBySide && step > 0.5 && step < 12)
                problems << QStringLiteral("headers side by side are %1 px apart").arg(step);
        }
    }
    return problems;
}

} // namespace

namespace PanelLayoutCheck {

QStringList viewProblems(QQuickItem* root, const QStringList& cuttable) {
    const QList<QQuickItem*> items = shownItems(root);
    const QList<Text> texts = textsOf(items);
    const QList<Control> controls = controlsOf(items);
    return controlsOverTexts(controls, texts) + controlsOutsideCards(controls) +
           cutTexts(texts, items, cuttable) + unhintedFlickables(items) + unevenHeaders(items);
}

QStringList compactLineProblems(QQuickItem* root) {
    QList<Text> texts;
    for (QQuickItem* item : shownItems(root)) {
        if (item->objectName() == QLatin1String("compactSide"))
            texts += textsOf(shownItems(item));
    }
    QStringList problems;
    if (texts.isEmpty())
        return {QStringLiteral("no text beside the notch")};
    for (const Text& text : texts) {
        const qreal step = text.painted.center().y() - texts.first().painted.center().y();
        if (std::abs(step) > 1)
            problems << QStringLiteral("\"%1\" is centred %2 px off \"%3\"")
                            .arg(text.text)
                            .arg(step)
                            .arg(texts.first().text);
    }
    return problems;
}

} // namespace PanelLayoutCheck
