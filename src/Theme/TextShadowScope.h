#pragma once

#include <QQuickItem>

// Gives every text inside it, at any depth and including texts added later, a shadow: a black 40 % copy of
// the glyphs drawn 1 px below by the text itself. No layer and no shader, so every scene graph draws it.
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

private Q_SLOTS:
    void shadeSender();

private:
    void shade(QQuickItem* item);
    void unwatch(QQuickItem* item);

    bool m_shadowed = false;
};
