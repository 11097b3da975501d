#pragma once

#include "Platform/Clipboard/IClipboard.h"

// A clipboard a test fills; counts how often its content is read.
class FakeClipboard final : public IClipboard {
public:
    void put(const QString& text, bool secret = false) {
        content = ClipboardText{text, secret};
        ++count;
        Q_EMIT changed();
    }
    quint64 changeCount() const override { return count; }
    std::optional<ClipboardText> text() const override {
        ++reads;
        return content;
    }
    void setText(const QString& text) override { put(text); }

    std::optional<ClipboardText> content;
    quint64 count = 0;
    mutable int reads = 0;
};
