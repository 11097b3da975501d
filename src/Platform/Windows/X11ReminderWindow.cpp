#include "Platform/Windows/X11ReminderWindow.h"

#include "Platform/Windows/WindowRoot.h"

#include "Platform/X11/OutlineRegion.h"
#include "Platform/X11/X11Connection.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QQmlProperty>
#include <QScreen>

#include <xcb/shape.h>

namespace {

constexpr int notificationWindowType = 0x800; // the xcb plugin's notification window type
QScreen* screenAt(const QRect& geometry) {
    QScreen* found = QGuiApplication::screenAt(geometry.center());
    return found ? found : QGuiApplication::primaryScreen();
}

} // namespace

X11ReminderWindow::X11ReminderWindow(QQmlEngine& engine, ReminderWindowSpec spec, bool cutToOutline)
    : m_spec(std::move(spec)) {
    configure();
    create();
    loadRoot(engine);
    if (cutToOutline)
        followOutline();
}

X11ReminderWindow::~X11ReminderWindow() {
    delete m_root.data();
}

void X11ReminderWindow::configure() {
    const bool overlay = m_spec.kind == ReminderWindowSpec::Kind::overlay;
    setTitle(overlay ? QStringLiteral("Tavimor — pausa") : QStringLiteral("Tavimor — lembrete"));
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    if (!overlay) {
        flags |= Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput;
        setProperty("_q_xcb_wm_window_type", notificationWindowType);
    }
    setFlags(flags);
    setColor(Qt::transparent);
    if (QScreen* screen = screenAt(m_spec.geometry))
        setScreen(screen);
    setGeometry(m_spec.geometry);
    if (overlay)
        setWindowStates(Qt::WindowFullScreen);
}

// Qt merges its own states (above, full screen) into what is already on an unmapped window, so these stay. A
// window manager removes them from a window it lets go of, so they are set again before every map: a kept
// window shown for the next break or reminder would otherwise come back in the task bar.
void X11ReminderWindow::setX11Hints() {
    xcb_connection_t* connection = X11::connection();
    if (!connection)
        return;
    QList<QByteArray> states{"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR",
                             "_NET_WM_STATE_SKIP_PAGER"};
    if (m_spec.kind == ReminderWindowSpec::Kind::overlay)
        states.append("_NET_WM_STATE_FULLSCREEN");
    const auto window = xcb_window_t(winId());
    X11::setWindowStates(connection, window, states);
    X11::showOnAllDesktops(connection, window);
    if (m_spec.blurBehind)
        X11::setBlurBehindRegion(connection, window,
                                 {QRect(QPoint(0, 0), m_spec.geometry.size() * devicePixelRatio())});
    xcb_flush(connection);
}

void X11ReminderWindow::loadRoot(QQmlEngine& engine) {
    m_root = loadWindowRoot(engine, m_spec.view, m_spec.properties, *this, "Reminder view");
}

void X11ReminderWindow::followOutline() {
    const QQmlProperty outline(m_root, QStringLiteral("outline"));
    if (!outline.isValid() || !outline.hasNotifySignal())
        return;
    outline.connectNotifySignal(this, SLOT(applyOutline()));
    applyOutline();
}

// Sets the bounding shape to the capsule around the view's outline. A shape on a window's own X window lasts
// while Qt keeps it, hidden or shown.
void X11ReminderWindow::applyOutline() {
    xcb_connection_t* connection = X11::connection();
    const QRectF outline = m_root ? m_root->property("outline").toRectF() : QRectF();
    if (!connection || outline.isEmpty())
        return;
    X11::setShape(connection, xcb_window_t(winId()), XCB_SHAPE_SK_BOUNDING,
                  OutlineRegion::toDeviceRows({OutlineRegion::capsule(outline)}, size(), devicePixelRatio()));
    xcb_flush(connection);
}

void X11ReminderWindow::show() {
    if (!isVisible())
        setX11Hints();
    if (m_spec.kind == ReminderWindowSpec::Kind::overlay)
        showFullScreen();
    else
        QQuickWindow::show();
    raise();
    if (m_spec.takesFocus)
        requestActivate();
}

void X11ReminderWindow::setViewProperty(const char* name, const QVariant& value) {
    if (m_root)
        m_root->setProperty(name, value);
}

void X11ReminderWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_spec.escapePressed) {
        event->accept();
        m_spec.escapePressed();
        return;
    }
    QQuickWindow::keyPressEvent(event);
}

void X11ReminderWindow::resizeEvent(QResizeEvent* event) {
    QQuickWindow::resizeEvent(event);
    if (m_root)
        m_root->setSize(size());
}

bool X11ReminderWindowFactory::translucencyAvailable() {
    xcb_connection_t* connection = X11::connection();
    return !connection || X11::compositorRunning(connection);
}

bool X11ReminderWindowFactory::blurBehindAvailable() {
    xcb_connection_t* connection = X11::connection();
    const xcb_screen_t* screen = connection ? X11::screen(connection, X11::screenNumber()) : nullptr;
    return screen && X11::compositorRunning(connection) && X11::blurBehindOffered(connection, screen->root);
}

std::unique_ptr<IReminderWindow> X11ReminderWindowFactory::create(ReminderWindowSpec spec) {
    if (!m_reported && spec.kind == ReminderWindowSpec::Kind::overlay && X11::connection() &&
        !translucencyAvailable() && m_reportDegraded) {
        m_reported = true;
        m_reportDegraded(QStringLiteral("pausas"), QStringLiteral("nenhum compositor de janelas em execução"),
                         QStringLiteral("a tela de pausa é desenhada opaca, sem transparência"));
    }
    const bool cutToOutline =
        spec.kind == ReminderWindowSpec::Kind::panel && X11::connection() && !translucencyAvailable();
    return std::make_unique<X11ReminderWindow>(m_engine, std::move(spec), cutToOutline);
}
