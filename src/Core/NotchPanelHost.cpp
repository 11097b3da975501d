#include "Core/NotchPanelHost.h"

#include "Core/NotchGeometry.h"
#include "Core/NotchShape.h"

#include <QPointer>

#include <charconv>
#include <cmath>
#include <cstdio>

PanelActions::PanelActions(std::function<void()> close, std::function<void()> settings,
                           std::function<void(const QVariantList&)> drop, QObject* parent)
    : QObject(parent)
    , m_close(std::move(close))
    , m_settings(std::move(settings))
    , m_drop(std::move(drop)) {}

void PanelActions::closePanel() {
    m_close();
}

void PanelActions::openSettings() {
    if (m_settings)
        m_settings();
}

void PanelActions::dropFiles(const QVariantList& urls) {
    if (m_drop)
        m_drop(urls);
}

NotchPanelHost::NotchPanelHost(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(std::move(dependencies))
    , m_actions([this] { closePanelNow(); }, m_deps.openSettings,
                [this](const QVariantList& urls) { dropOnShelf(urls); }) {}

NotchPanelHost::~NotchPanelHost() {
    cancelPendingClose();
}

namespace {

// A double the way the rest of the system prints one: shortest round-trip digits, always with a fraction.
QString decimalText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    if (std::isfinite(value) && !text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')))
        text += QLatin1String(".0");
    return text;
}

} // namespace

QString NotchPanelHost::profileLine(const QString& modelName, double width, double height, double drop) {
    return QStringLiteral("Tavimor notch profile: %1, width=%2, height=%3, drop=%4")
        .arg(modelName, decimalText(width), decimalText(height), decimalText(drop));
}

void NotchPanelHost::setupPanel() {
    if (m_window)
        m_window->orderOut();
    const std::unique_ptr<IPanelWindow> oldWindow = std::move(m_window);
    setExpanded(false);
    const QList<ScreenInfo> screens = m_deps.screens.screens();
    if (screens.isEmpty())
        return; // no screen to show on; a later screen change builds the panel

    const ScreenInfo screen = currentNotchScreen();
    const QSizeF notch = NotchGeometry::notchSize(screen);
    std::printf("%s\n", qPrintable(profileLine(m_deps.profile.modelName, notch.width(), notch.height(),
                                               m_deps.profile.compactVisibleDrop)));
    std::fflush(stdout);

    const QRectF frame = NotchGeometry::panelFrame(screen);
    PanelWindowSpec spec;
    spec.frame = frame;
    spec.hoverZone = NotchGeometry::hoverZone(screen).translated(-frame.topLeft());
    const qreal middle = frame.width() / 2;
    spec.closedOutline =
        NotchShape::closed(notch.width(), notch.height(), m_deps.profile.compactVisibleDrop).path(middle);
    spec.openOutline = NotchShape::opened(notch.width()).path(middle);
    spec.rootUrl = m_deps.rootUrl;
    spec.initialProperties = {
        {QStringLiteral("stateManager"), QVariant::fromValue<QObject*>(&m_deps.stateManager)},
        {QStringLiteral("registry"), QVariant::fromValue<QObject*>(&m_deps.registry)},
        {QStringLiteral("notchWidth"), notch.width()},
        {QStringLiteral("notchHeight"), notch.height()},
        {QStringLiteral("panelActions"), QVariant::fromValue<QObject*>(&m_actions)},
    };
    spec.handlers = windowHandlers();
    m_window = m_deps.windowFactory.create(std::move(spec));
    m_window->show();
    m_hoverMonitoring = true;
    m_dragMonitoring = true;
}

PanelWindowHandlers NotchPanelHost::windowHandlers() {
    QPointer<NotchPanelHost> self(this);
    PanelWindowHandlers handlers;
    handlers.pointerMoved = [self](QPointF pos) {
        if (self && self->m_hoverMonitoring)
            self->handleMouseMoved(pos);
    };
    handlers.pointerLeft = [self] {
        if (self && self->m_hoverMonitoring)
            self->handlePointerLeft();
    };
    handlers.dragMoved = [self](QPointF pos, bool hasLocalFileUrls) {
        if (self && self->m_dragMonitoring)
            self->handleDragMoved(pos, hasLocalFileUrls);
    };
    // A drag that wanders off leaves no pointer events behind it; judge it like the pointer leaving.
    handlers.dragLeft = [self] {
        if (self && self->m_dragMonitoring)
            self->handlePointerLeft();
    };
    return handlers;
}

void NotchPanelHost::stopHoverMonitor() {
    m_hoverMonitoring = false;
}

void NotchPanelHost::stopDragMonitor() {
    m_dragMonitoring = false;
}

void NotchPanelHost::cancelPendingClose() {
    if (m_pendingClose == IScheduler::invalidHandle)
        return;
    m_deps.scheduler.cancel(m_pendingClose);
    m_pendingClose = IScheduler::invalidHandle;
}

ScreenInfo NotchPanelHost::currentNotchScreen() const {
    return NotchGeometry::notchScreen(m_deps.screens.screens(), m_deps.screens.mainScreen());
}

std::optional<QRectF> NotchPanelHost::panelFrame() const {
    if (!m_window)
        return std::nullopt;
    return m_window->frame();
}

bool NotchPanelHost::insideKeepOpenZone(QPointF globalPos, const ScreenInfo& screen) const {
    return NotchGeometry::contains(NotchGeometry::keepOpenZone(panelFrame(), screen), globalPos);
}

void NotchPanelHost::handleMouseMoved(QPointF globalPos) {
    const ScreenInfo screen = currentNotchScreen();
    if (!m_deps.stateManager.isOpen()) {
        if (!NotchGeometry::contains(NotchGeometry::hoverZone(screen), globalPos))
            return;
        readBackdrop();
        m_deps.stateManager.open();
        setExpanded(true);
        if (m_window)
            m_window->makeKey();
        return;
    }
    if (insideKeepOpenZone(globalPos, screen)) {
        cancelPendingClose();
        if (m_window && !m_window->isKey())
            m_window->makeKey();
        return;
    }
    scheduleCloseIfNone();
}

void NotchPanelHost::handlePointerLeft() {
    if (m_deps.stateManager.isOpen())
        scheduleCloseIfNone();
}

void NotchPanelHost::handleDragMoved(QPointF globalPos, bool hasLocalFileUrls) {
    if (m_deps.stateManager.isOpen() || !hasLocalFileUrls)
        return;
    if (!NotchGeometry::contains(NotchGeometry::hoverZone(currentNotchScreen()), globalPos))
        return;
    readBackdrop();
    m_deps.stateManager.open();
    m_deps.stateManager.setActiveWidgetId(shelfWidgetId);
    setExpanded(true);
}

void NotchPanelHost::handleCovered() {
    if (m_deps.stateManager.isOpen())
        closePanelNow();
}

void NotchPanelHost::handleUncovered() {
    if (m_deps.stateManager.isOpen())
        handleMouseMoved(m_deps.pointerPosition());
}

void NotchPanelHost::scheduleCloseIfNone() {
    if (m_pendingClose != IScheduler::invalidHandle)
        return;
    m_pendingClose = m_deps.scheduler.after(closeDelayMs, this, [this] { runDelayedClose(); });
}

void NotchPanelHost::runDelayedClose() {
    m_pendingClose = IScheduler::invalidHandle;
    if (insideKeepOpenZone(m_deps.pointerPosition(), currentNotchScreen()))
        return;
    closePanelNow();
}

void NotchPanelHost::closePanelNow() {
    cancelPendingClose();
    if (m_window)
        m_window->resignKey();
    m_deps.stateManager.close();
    setExpanded(false);
}

void NotchPanelHost::setExpanded(bool expanded) {
    if (m_window)
        m_window->setExpanded(expanded);
    if (m_isExpanded == expanded)
        return;
    m_isExpanded = expanded;
    Q_EMIT isExpandedChanged();
}

void NotchPanelHost::readBackdrop() {
    if (!m_window || !m_deps.readBackdrop)
        return;
    const QRectF frame = m_window->frame();
    const QRectF open =
        NotchGeometry::openOutline(frame.width(), NotchGeometry::notchSize(currentNotchScreen()));
    m_deps.readBackdrop(open.translated(frame.topLeft()).toAlignedRect(), open);
}

// Files dropped on the panel go to the shelf widget's drop entry, "addUrls".
void NotchPanelHost::dropOnShelf(const QVariantList& urls) {
    for (AnyNotchWidget* widget : m_deps.registry.widgets()) {
        if (widget->id() == shelfWidgetId && widget->viewModel())
            QMetaObject::invokeMethod(widget->viewModel(), "addUrls", Q_ARG(QVariantList, urls));
    }
}
