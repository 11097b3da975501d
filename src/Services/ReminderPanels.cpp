#include "Services/ReminderPanels.h"

ReminderPanels::ReminderPanels(Dependencies dependencies, QUrl view, QObject* state, QObject* parent)
    : QObject(parent)
    , m_deps(dependencies)
    , m_view(std::move(view))
    , m_state(state) {}

ReminderPanels::~ReminderPanels() {
    cancelPending();
}

void ReminderPanels::showAt(ReminderPosition position, QSizeF size, double scale, qint64 durationMs) {
    const double offset =
        m_deps.coordinator.reserve(position, this, durationMs, size.height(), m_deps.clock.now());
    orderOut();
    m_panels.clear();
    for (const ScreenInfo& screen : m_deps.screens.screens()) {
        const QPointF origin = ReminderPlacement::stacked(
            position, ReminderPlacement::origin(position, screen, size, margin), offset);
        ReminderWindowSpec spec;
        spec.kind = ReminderWindowSpec::Kind::panel;
        spec.geometry = QRectF(origin, size).toAlignedRect();
        spec.view = m_view;
        spec.properties = {{QStringLiteral("state"), QVariant::fromValue(m_state)},
                           {QStringLiteral("scale"), scale}};
        m_panels.push_back(m_deps.windows.create(std::move(spec)));
        m_panels.back()->show();
    }
}

void ReminderPanels::orderOut() {
    for (const auto& panel : m_panels)
        panel->orderOut();
}

void ReminderPanels::after(int delayMs, std::function<void()> step) {
    m_pending.append(m_deps.scheduler.after(delayMs, this, std::move(step)));
}

void ReminderPanels::cancelPending() {
    for (const IScheduler::Handle handle : std::as_const(m_pending))
        m_deps.scheduler.cancel(handle);
    m_pending.clear();
}

QList<QRect> ReminderPanels::geometries() const {
    QList<QRect> rects;
    for (const auto& panel : m_panels)
        rects.append(panel->geometry());
    return rects;
}
