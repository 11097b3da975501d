#include "Theme/TextShadowScope.h"

#include "Theme/LookItems.h"

namespace {

// Text.Normal: no copy of the glyphs below them.
constexpr int plainStyle = 0;

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
        shade(text);
    Q_EMIT shadowedChanged();
}

// Only the children not seen before are new; those already watched report their own children. The shadows
// this scope gives its texts are no content of it.
void TextShadowScope::watchChildren(QQuickItem* item) {
    const auto children = item->childItems();
    for (QQuickItem* child : children)
        if (!m_watched.contains(child) && !qobject_cast<TextShadow*>(child))
            watch(child);
}

void TextShadowScope::watch(QQuickItem* item) {
    m_watched.insert(item);
    if (isText(*item)) {
        m_texts.insert(item);
        shade(item);
    }
    connect(item, &QQuickItem::childrenChanged, this, [this, item] { watchChildren(item); });
    connect(item, &QObject::destroyed, this, [this, item] { forget(item); });
    watchChildren(item);
}

void TextShadowScope::forget(QQuickItem* item) {
    m_watched.remove(item);
    m_texts.remove(item);
}

void TextShadowScope::shade(QQuickItem* text) const {
    auto* shadow = text->findChild<TextShadow*>(QString(), Qt::FindDirectChildrenOnly);
    if (m_shadowed && !shadow) {
        new TextShadow(text);
    } else if (!m_shadowed && shadow) {
        delete shadow;
        text->setProperty("style", plainStyle);
    }
}
