#include "Theme/TextShadowScope.h"

#include <QColor>

namespace {

// Text.Normal and Text.Raised: the raised style draws the style colour 1 px below the glyphs.
constexpr int plainStyle = 0;
constexpr int raisedStyle = 2;
const QColor shadowColor(0, 0, 0, 102);

bool isText(const QObject& object) {
    return object.metaObject()->indexOfProperty("styleColor") >= 0;
}

} // namespace

TextShadowScope::TextShadowScope(QQuickItem* parent)
    : QQuickItem(parent) {
    connect(this, &QQuickItem::childrenChanged, this, &TextShadowScope::shadeSender);
}

// The base class takes the children away after this object has stopped being a TextShadowScope: no slot of
// this class may run then.
TextShadowScope::~TextShadowScope() {
    unwatch(this);
}

void TextShadowScope::setShadowed(bool shadowed) {
    if (m_shadowed == shadowed)
        return;
    m_shadowed = shadowed;
    shade(this);
    Q_EMIT shadowedChanged();
}

void TextShadowScope::shadeSender() {
    if (auto* item = qobject_cast<QQuickItem*>(sender()))
        shade(item);
}

void TextShadowScope::shade(QQuickItem* item) {
    const auto children = item->childItems();
    for (QQuickItem* child : children) {
        if (isText(*child)) {
            child->setProperty("styleColor", shadowColor);
            child->setProperty("style", m_shadowed ? raisedStyle : plainStyle);
        }
        connect(child, &QQuickItem::childrenChanged, this, &TextShadowScope::shadeSender,
                Qt::UniqueConnection);
        shade(child);
    }
}

void TextShadowScope::unwatch(QQuickItem* item) {
    disconnect(item, &QQuickItem::childrenChanged, this, &TextShadowScope::shadeSender);
    const auto children = item->childItems();
    for (QQuickItem* child : children)
        unwatch(child);
}
