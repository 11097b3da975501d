#include "Platform/Clipboard/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

QtClipboard::QtClipboard(QObject* parent)
    : IClipboard(parent) {
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        ++m_changeCount;
        Q_EMIT changed();
    });
}

std::optional<ClipboardText> QtClipboard::text() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText())
        return std::nullopt;
    // A secret is reported as such and never read.
    if (data->hasFormat(secretHintFormat) &&
        data->data(secretHintFormat).trimmed() == QByteArrayLiteral("secret"))
        return ClipboardText{QString(), true};
    return ClipboardText{data->text(), false};
}

void QtClipboard::setText(const QString& text) {
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}
