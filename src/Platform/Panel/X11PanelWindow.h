#pragma once

#include "Foundation/DegradedReporter.h"
#include "Platform/Panel/BlurBehindWatch.h"
#include "Platform/Panel/CompositorWatch.h"
#include "Platform/Panel/IPanelWindow.h"

#include <QList>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRect>
#include <QRectF>

#include <cstdint>

// The notch panel as an X11 dock window: frameless, above other windows on every workspace, no taskbar entry,
// transparent where nothing is drawn. Clicks pass through everywhere but its X input shape, which it keeps
// in step with the expanded flag and the compact items the root view reports. Without a compositing manager
// the transparent band would be drawn black, so the window is then cut to what it draws instead: the outline
// and the capsules of the compact bar the root view reports. Where the compositor blurs behind a region, it
// is asked to for what the panel draws.
class X11PanelWindow final : public QQuickWindow, public IPanelWindow {
    Q_OBJECT
public:
    X11PanelWindow(QQmlEngine& engine, PanelWindowSpec spec, bool compositor, bool blurBehind);
    ~X11PanelWindow() override;

    QRectF frame() const override { return m_spec.frame; }
    void show() override;
    void orderOut() override;
    void setExpanded(bool expanded) override;
    bool isKey() const override { return isActive(); }
    void makeKey() override;
    void resignKey() override;

    bool isNativeX11() const { return m_x11; }
    QQuickItem* rootItem() const { return m_root; }
    // The compositing manager started or stopped: switches between the see-through band and the cut one.
    void setCompositor(bool running);
    // The compositor started or stopped blurring behind a window region.
    void setBlurBehind(bool active);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private Q_SLOTS:
    void readCompactItemRects();
    void readCompactCapsules();

private:
    void configureWindow();
    void loadRoot(QQmlEngine& engine);
    void forwardPointerEvent(QEvent* event);
    void forwardDragEvent(QEvent* event);
    void applyInputRegion();
    void applyInputShape();
    bool hasXWindow() const { return m_x11 && handle(); }
    void applyCutShape();
    void applyCardInputShape();
    void applyBlurRegion();
    const QPainterPath& outline() const;
    QList<QRectF> cardRects() const;
    std::uint32_t activeWindow() const;
    std::uint32_t rootWindow() const;

    PanelWindowSpec m_spec;
    QPointer<QQuickItem> m_root;
    QList<QRectF> m_compactItemRects;
    QList<QRectF> m_compactCapsules;
    bool m_expanded = false;
    bool m_x11 = false;
    bool m_compositor = true;
    bool m_blurBehind = false;
    QList<QRect> m_appliedBlurRegion;
    qreal m_appliedRatio = 0;
    std::uint32_t m_previousActiveWindow = 0;
};

// Builds X11 panel windows sharing one QML engine and keeps them in step with the compositing manager.
// Records once per run that the platform is not X11, and each time the panel is left without a compositor.
class X11PanelWindowFactory final : public IPanelWindowFactory {
public:
    explicit X11PanelWindowFactory(DegradedReporter reportDegraded);
    QQmlEngine& engine() { return m_engine; }
    std::unique_ptr<IPanelWindow> create(PanelWindowSpec spec) override;
    const BlurBehindWatch& blurBehind() const { return m_blurBehind; }

private:
    void noteCompositor(bool running);

    DegradedReporter m_reportDegraded;
    QQmlEngine m_engine;
    CompositorWatch m_compositor;
    BlurBehindWatch m_blurBehind{m_compositor};
    bool m_nonX11Reported = false;
    bool m_compositorLossReported = false;
};
