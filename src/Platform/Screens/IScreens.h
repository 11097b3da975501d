#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <optional>

// One display as the panel geometry sees it. Rectangles are global, in logical pixels, Qt's frame
// (origin top-left of the virtual desktop, y down). A screen with a notch reports a top safe-area inset and
// the two auxiliary areas left and right of the notch.
struct ScreenInfo {
    QString name;
    QRect frame;
    QRect visibleFrame;
    int safeAreaTopInset = 0;
    std::optional<QRect> auxiliaryTopLeftArea;
    std::optional<QRect> auxiliaryTopRightArea;
    qreal devicePixelRatio = 1.0;

    bool operator==(const ScreenInfo&) const = default;
};

class IScreens : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Every screen, in the platform's order.
    virtual QList<ScreenInfo> screens() const = 0;
    // The primary screen, if any.
    virtual std::optional<ScreenInfo> mainScreen() const = 0;

Q_SIGNALS:
    // Screens were added, removed or changed; bursts are coalesced into one signal.
    void screensChanged();
};
