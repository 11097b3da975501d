#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>

// What the panel window reports back: pointer moves and crossings, and file drags. Positions are global,
// in logical pixels.
struct PanelWindowHandlers {
    std::function<void(QPointF)> pointerMoved;
    std::function<void()> pointerLeft;
    std::function<void(QPointF, bool hasLocalFileUrls)> dragMoved;
    std::function<void()> dragLeft;
};

// Everything a panel window is built from. Shapes other than `frame` are in the window's own coordinates.
struct PanelWindowSpec {
    QRectF frame;
    QRectF hoverZone;
    // The outline drawn around the notch while the panel is closed, and while it is open.
    QPainterPath closedOutline;
    QPainterPath openOutline;
    QUrl rootUrl;
    QVariantMap initialProperties;
    PanelWindowHandlers handlers;
};

// The borderless band across the top of the notch screen that hosts the root view. Only the input region
// takes clicks; everything else passes through to the windows beneath.
class IPanelWindow {
public:
    virtual ~IPanelWindow() = default;

    virtual QRectF frame() const = 0;
    virtual void show() = 0;
    virtual void orderOut() = 0;
    // Expanded: the whole band takes input. Otherwise only the hover zone and the compact items do.
    virtual void setExpanded(bool expanded) = 0;
    virtual bool isKey() const = 0;
    virtual void makeKey() = 0;
    virtual void resignKey() = 0;
};

class IPanelWindowFactory {
public:
    virtual ~IPanelWindowFactory() = default;
    virtual std::unique_ptr<IPanelWindow> create(PanelWindowSpec spec) = 0;
};
