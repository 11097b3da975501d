#pragma once

#include <QObject>
#include <QString>

#include <optional>

// What the clipboard holds, as far as the history cares.
struct ClipboardText {
    QString text;
    bool secret = false; // its owner marked it as a password (the "x-kde-passwordManagerHint" target)
};

// The desktop's clipboard. changeCount() grows, and changed() is emitted, whenever the content changes, so a
// check that finds the same count has nothing to read.
class IClipboard : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual quint64 changeCount() const = 0;
    virtual std::optional<ClipboardText> text() const = 0; // none when it holds no text
    virtual void setText(const QString& text) = 0;

Q_SIGNALS:
    void changed();
};
