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
    connect(this, &QQuickItem::childrenChanged, this, [this] { watchChildren(this); });
}

// The base class takes the children away after this object has stopped being a TextShadowScope: no slot of
// this class may run then.
TextShadowScope::~TextShadowScope() {
    disconnect(this, &QQuickItem::childrenChanged, this, nullptr);
    for (QQuickItem* item : std::as_const(m_watched))
        disconnect(item, nullptr, this, nullptr);
}

void TextShadowScope::setShadowed(bool shadowed) {
    if (m_shadowed == shadowed)
        return;
    m_shadowed = shadowed;
    for (QQuickItem* text : std::as_const(m_texts))
        style(text);
    Q_EMIT shadowedChanged();
}

// Only the children not seen before are new; those already watched report their own children.
void TextShadowScope::watchChildren(QQuickItem* item) {
    const auto children = item->childItems();
    for (QQuickItem* child : children)
        if (!m_watched.contains(child))
            watch(child);
}

void TextShadowScope::watch(QQuickItem* item) {
    m_watched.insert(item);
    if (isText(*item)) {
        m_texts.insert(item);
        style(item);
    }
    connect(item, &QQuickItem::childrenChanged, this, [this, item] { watchChildren(item); });
    connect(item, &QObject::destroyed, this, [this, item] { forget(item); });
    watchChildren(item);
}

void TextShadowScope::forget(QQuickItem* item) {
    m_watched.remove(item);
    m_texts.remove(item);
}

void TextShadowScope::style(QQuickItem* text) const {
    text->setProperty("styleColor", shadowColor);
    text->setProperty("style", m_shadowed ? raisedStyle : plainStyle);
}
