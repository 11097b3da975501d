#include "Platform/Panel/X11PanelWindow.h"

#include "Platform/Panel/PanelInputRegion.h"
#include "Platform/Windows/WindowRoot.h"
#include "Platform/X11/OutlineRegion.h"
#include "Platform/X11/X11Connection.h"

#include <QDragMoveEvent>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlatformSurfaceEvent>
#include <QQmlProperty>
#include <QQuickItem>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

constexpr int dockWindowType = 0x4; // the xcb plugin's dock window type
constexpr std::uint32_t sourceIsPager = 2;

bool hasLocalFileUrl(const QMimeData* mimeData) {
    if (!mimeData || !mimeData->hasUrls())
        return false;
    const QList<QUrl> urls = mimeData->urls();
    return std::any_of(urls.cbegin(), urls.cend(), [](const QUrl& url) { return url.isLocalFile(); });
}

} // namespace

X11PanelWindow::X11PanelWindow(QQmlEngine& engine, PanelWindowSpec spec, bool compositor, bool blurBehind)
    : m_spec(std::move(spec))
    , m_x11(X11::connection() != nullptr)
    , m_compositor(compositor)
    , m_blurBehind(blurBehind) {
    configureWindow();
    create();
    if (m_x11)
        X11::showOnAllDesktops(X11::connection(), xcb_window_t(winId()));
    applyInputRegion();
    loadRoot(engine);
}

X11PanelWindow::~X11PanelWindow() {
    delete m_root.data();
}

void X11PanelWindow::configureWindow() {
    setTitle(QStringLiteral("Tavimor"));
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setProperty("_q_xcb_wm_window_type", dockWindowType);
    QSurfaceFormat surfaceFormat = format();
    surfaceFormat.setAlphaBufferSize(8);
    setFormat(surfaceFormat);
    setColor(Qt::transparent);
    setGeometry(m_spec.frame.toAlignedRect());
}

void X11PanelWindow::loadRoot(QQmlEngine& engine) {
    m_root = loadWindowRoot(engine, m_spec.rootUrl, m_spec.initialProperties, *this, "Panel root view");
    if (!m_root)
        return;
    const QQmlProperty itemRects(m_root, QStringLiteral("compactItemRects"));
    if (itemRects.isValid() && itemRects.hasNotifySignal())
        itemRects.connectNotifySignal(this, SLOT(readCompactItemRects()));
    const QQmlProperty capsules(m_root, QStringLiteral("compactCapsules"));
    if (capsules.isValid() && capsules.hasNotifySignal())
        capsules.connectNotifySignal(this, SLOT(readCompactCapsules()));
    readCompactItemRects();
    readCompactCapsules();
}

void X11PanelWindow::show() {
    QQuickWindow::show();
    applyInputRegion();
}

void X11PanelWindow::orderOut() {
    hide();
}

void X11PanelWindow::setExpanded(bool expanded) {
    if (m_expanded == expanded)
        return;
    m_expanded = expanded;
    applyInputRegion();
}

bool X11PanelWindow::event(QEvent* event) {
    const bool handled = QQuickWindow::event(event);
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        forwardPointerEvent(event);
        break;
    case QEvent::Leave:
        if (m_spec.handlers.pointerLeft)
            m_spec.handlers.pointerLeft();
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        forwardDragEvent(event);
        break;
    case QEvent::DragLeave:
        if (m_spec.handlers.dragLeft)
            m_spec.handlers.dragLeft();
        break;
    case QEvent::PlatformSurface:
        if (static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
            QPlatformSurfaceEvent::SurfaceCreated) {
            m_appliedBlurRegion.clear(); // a new X window has no region yet
            applyInputRegion();
        }
        break;
    case QEvent::Expose:
        if (!qFuzzyCompare(m_appliedRatio, devicePixelRatio()))
            applyInputRegion();
        break;
    default:
        break;
    }
    return handled;
}

void X11PanelWindow::resizeEvent(QResizeEvent* event) {
    QQuickWindow::resizeEvent(event);
    if (m_root)
        m_root->setSize(size());
    applyInputRegion();
}

void X11PanelWindow::forwardPointerEvent(QEvent* event) {
    if (!m_spec.handlers.pointerMoved)
        return;
    if (event->type() == QEvent::Enter) {
        m_spec.handlers.pointerMoved(static_cast<QEnterEvent*>(event)->globalPosition());
        return;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->buttons() == Qt::NoButton)
        m_spec.handlers.pointerMoved(mouse->globalPosition());
}

void X11PanelWindow::forwardDragEvent(QEvent* event) {
    if (!m_spec.handlers.dragMoved)
        return;
    const auto* drag = static_cast<QDragMoveEvent*>(event);
    m_spec.handlers.dragMoved(QPointF(position()) + drag->position(), hasLocalFileUrl(drag->mimeData()));
}

void X11PanelWindow::readCompactItemRects() {
    const QList<QRectF> rects = PanelInputRegion::rectsFromQml(m_root->property("compactItemRects"));
    if (rects == m_compactItemRects)
        return;
    m_compactItemRects = rects;
    if (hasXWindow() && !m_compositor)
        applyCardInputShape();
    else if (hasXWindow() && !m_expanded)
        applyInputShape();
    applyBlurRegion();
}

void X11PanelWindow::readCompactCapsules() {
    const QList<QRectF> capsules = PanelInputRegion::rectsFromQml(m_root->property("compactCapsules"));
    if (capsules == m_compactCapsules)
        return;
    m_compactCapsules = capsules;
    if (hasXWindow() && !m_compositor)
        applyCutShape();
    applyBlurRegion();
}

void X11PanelWindow::setCompositor(bool running) {
    if (m_compositor == running)
        return;
    m_compositor = running;
    if (!hasXWindow())
        return;
    if (running) // no bounding shape: the whole band is drawn, see-through
        X11::clearShape(X11::connection(), xcb_window_t(winId()), XCB_SHAPE_SK_BOUNDING);
    applyInputRegion();
}

void X11PanelWindow::setBlurBehind(bool active) {
    if (m_blurBehind == active)
        return;
    m_blurBehind = active;
    applyBlurRegion();
}

void X11PanelWindow::applyInputRegion() {
    if (!hasXWindow())
        return;
    if (m_compositor) {
        applyInputShape();
    } else {
        applyCutShape();
        applyCardInputShape();
    }
    applyBlurRegion();
}

void X11PanelWindow::applyInputShape() {
    const QSizeF band = size();
    const QList<QRect> rects = PanelInputRegion::toDevicePixels(
        PanelInputRegion::logicalRects(m_expanded, band, m_spec.hoverZone, m_compactItemRects), band,
        devicePixelRatio());
    xcb_connection_t* connection = X11::connection();
    X11::setShape(connection, xcb_window_t(winId()), XCB_SHAPE_SK_INPUT, rects);
    xcb_flush(connection);
    m_appliedRatio = devicePixelRatio();
}

// Without a compositor the transparent band would be painted black, so the window is cut to what it draws:
// the outline around the notch with its curves and the compact bar's capsules. Built when the open state, the
// capsules or the window change, not on the frames of an animation.
void X11PanelWindow::applyCutShape() {
    const qreal ratio = devicePixelRatio();
    QList<QPainterPath> outlines{outline()};
    for (const QRectF& capsule : std::as_const(m_compactCapsules))
        outlines.append(OutlineRegion::capsule(capsule));
    xcb_connection_t* connection = X11::connection();
    X11::setShape(connection, xcb_window_t(winId()), XCB_SHAPE_SK_BOUNDING,
                  OutlineRegion::toDeviceRows(outlines, size(), ratio));
    xcb_flush(connection);
    m_appliedRatio = ratio;
}

// Input on a cut window stays on the outline's bounds and the compact items (the cut trims it further): the
// music item over the notch, drawn but never clicked, lets clicks through.
void X11PanelWindow::applyCardInputShape() {
    xcb_connection_t* connection = X11::connection();
    X11::setShape(connection, xcb_window_t(winId()), XCB_SHAPE_SK_INPUT,
                  PanelInputRegion::toDevicePixels(cardRects(), size(), devicePixelRatio()));
    xcb_flush(connection);
}

const QPainterPath& X11PanelWindow::outline() const {
    return m_expanded ? m_spec.openOutline : m_spec.closedOutline;
}

// The outline's bounds and the compact items: where the panel draws its cards.
QList<QRectF> X11PanelWindow::cardRects() const {
    QList<QRectF> rects{outline().boundingRect()};
    rects.append(m_compactItemRects);
    return rects;
}

// Asks the compositor to blur what lies behind the cards and the compact bar's capsules (the music item's
// backing among them), or withdraws the request. The property is written only when the region changes. An
// empty region would blur the whole window, so none is written.
void X11PanelWindow::applyBlurRegion() {
    if (!hasXWindow())
        return;
    const QList<QRect> region =
        m_blurBehind && m_compositor
            ? PanelInputRegion::toDevicePixels(cardRects() + m_compactCapsules, size(), devicePixelRatio())
            : QList<QRect>();
    if (region == m_appliedBlurRegion)
        return;
    m_appliedBlurRegion = region;
    xcb_connection_t* connection = X11::connection();
    X11::setBlurBehindRegion(connection, xcb_window_t(winId()), region);
    xcb_flush(connection);
}

std::uint32_t X11PanelWindow::rootWindow() const {
    xcb_connection_t* connection = X11::connection();
    const auto cookie = xcb_get_geometry(connection, xcb_window_t(winId()));
    const X11::ReplyPtr<xcb_get_geometry_reply_t> reply(xcb_get_geometry_reply(connection, cookie, nullptr),
                                                        &std::free);
    return reply ? reply->root : std::uint32_t(XCB_NONE);
}

std::uint32_t X11PanelWindow::activeWindow() const {
    xcb_connection_t* connection = X11::connection();
    const auto cookie = xcb_get_property(connection, 0, rootWindow(),
                                         X11::atom(connection, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1);
    const X11::ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr),
                                                        &std::free);
    if (!reply || xcb_get_property_value_length(reply.get()) < int(sizeof(std::uint32_t)))
        return XCB_NONE;
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

void X11PanelWindow::makeKey() {
    if (m_x11 && !isActive()) {
        const std::uint32_t active = activeWindow();
        if (active != winId())
            m_previousActiveWindow = active;
    }
    requestActivate();
}

// Hands the focus back to the window that had it before the panel took it. Window managers may refuse.
void X11PanelWindow::resignKey() {
    if (!m_x11 || !isActive() || m_previousActiveWindow == XCB_NONE)
        return;
    xcb_connection_t* connection = X11::connection();
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = m_previousActiveWindow;
    message.type = X11::atom(connection, "_NET_ACTIVE_WINDOW");
    message.data.data32[0] = sourceIsPager;
    message.data.data32[1] = XCB_CURRENT_TIME;
    message.data.data32[2] = xcb_window_t(winId());
    xcb_send_event(connection, 0, rootWindow(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
    m_previousActiveWindow = XCB_NONE;
}

X11PanelWindowFactory::X11PanelWindowFactory(DegradedReporter reportDegraded)
    : m_reportDegraded(std::move(reportDegraded)) {
    QObject::connect(&m_compositor, &CompositorWatch::runningChanged, &m_compositor,
                     [this](bool running) { noteCompositor(running); });
}

std::unique_ptr<IPanelWindow> X11PanelWindowFactory::create(PanelWindowSpec spec) {
    auto window = std::make_unique<X11PanelWindow>(m_engine, std::move(spec), m_compositor.isRunning(),
                                                   m_blurBehind.isActive());
    QObject::connect(&m_compositor, &CompositorWatch::runningChanged, window.get(),
                     &X11PanelWindow::setCompositor);
    QObject::connect(&m_blurBehind, &BlurBehindWatch::activeChanged, window.get(),
                     &X11PanelWindow::setBlurBehind);
    if (!window->isNativeX11() && !m_nonX11Reported) {
        m_nonX11Reported = true;
        m_reportDegraded(QStringLiteral("panel"),
                         QStringLiteral("platform \"%1\" is not X11").arg(QGuiApplication::platformName()),
                         QStringLiteral("the panel cannot stay above other windows or let clicks through its "
                                        "band; run under X11 or XWayland (QT_QPA_PLATFORM=xcb)"));
    } else if (window->isNativeX11()) {
        noteCompositor(m_compositor.isRunning());
    }
    return window;
}

// One line each time the panel is left without a compositor.
void X11PanelWindowFactory::noteCompositor(bool running) {
    if (running || m_compositorLossReported) {
        m_compositorLossReported = !running;
        return;
    }
    m_compositorLossReported = true;
    m_reportDegraded(
        QStringLiteral("panel"), QStringLiteral("no compositing manager is running"),
        QStringLiteral("no transparency: the panel is cut to its outline, which clips its animations "
                       "and takes input only on the outline"));
}
