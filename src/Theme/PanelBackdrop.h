#pragma once

#include "Platform/Capture/IScreenCapture.h"

#include <QImage>
#include <QObject>
#include <QRectF>

// The frosted glass of the open panel's liquid cards: what lay under the open panel as it opened, read before
// the panel drew there, and frosted. One for the process, as the panel is; exposed to QML as the
// "PanelBackdrop" singleton, every instance announcing a new image.
class PanelBackdrop : public QObject {
    Q_OBJECT
    Q_PROPERTY(QImage image READ image NOTIFY changed)
    Q_PROPERTY(QRectF area READ area NOTIFY changed)

public:
    explicit PanelBackdrop(QObject* parent = nullptr);
    ~PanelBackdrop() override;

    // Null while there is no glass to draw.
    static QImage image();
    // Where the image lies in the panel window's coordinates.
    static QRectF area();

    // Reads and frosts what the screens show in `global` (logical pixels), to lie at `inWindow`. Nothing is
    // read, and the glass goes, on the dark style, whose cards lie on the opaque panel, and where the
    // compositor blurs behind the panel itself.
    static void readBehind(IScreenCapture& capture, bool liquid, const QRect& global, const QRectF& inWindow);
    static void publish(const QImage& frosted, const QRectF& area);

Q_SIGNALS:
    void changed();
};
