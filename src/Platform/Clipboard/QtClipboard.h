#pragma once

#include "Platform/Clipboard/IClipboard.h"

// The clipboard of the application's display (the X11 CLIPBOARD selection), counted through Qt's change
// notifications (on X11 the XFixes selection events: nothing polls).
class QtClipboard final : public IClipboard {
    Q_OBJECT
public:
    static inline const QString secretHintFormat = QStringLiteral("x-kde-passwordManagerHint");

    explicit QtClipboard(QObject* parent = nullptr);

    quint64 changeCount() const override { return m_changeCount; }
    std::optional<ClipboardText> text() const override;
    void setText(const QString& text) override;

private:
    quint64 m_changeCount = 1;
};
