#pragma once

#include <QQuickItem>
#include <QSet>

// Gives every text inside it, at any depth and including texts added later, a shadow while `shadowed`: a
// TextShadow under its glyphs (black 40 %, blurred, 1 px down), an image drawn once on the CPU, so every
// scene graph draws it. Each item inside is looked at once, when it arrives: a long list that grows costs
// only its new rows.
class TextShadowScope : public QQuickItem {
    Q_OBJECT
    Q_PROPERTY(bool shadowed READ shadowed WRITE setShadowed NOTIFY shadowedChanged)

public:
    explicit TextShadowScope(QQuickItem* parent = nullptr);
    ~TextShadowScope() override;

    bool shadowed() const { return m_shadowed; }
    void setShadowed(bool shadowed);

Q_SIGNALS:
    void shadowedChanged();

private:
    void watchChildren(QQuickItem* item);
    void watch(QQuickItem* item);
    void forget(QQuickItem* item);
    void shade(QQuickItem* text) const;

    bool m_shadowed = false;
    QSet<QQuickItem*> m_watched; // every item inside, alive
    QSet<QQuickItem*> m_texts;
};
