#pragma once

#include "Foundation/Clock.h"
#include "Models/ReminderPlacement.h"
#include "Platform/Screens/IScreens.h"
#include "Platform/Windows/IReminderWindow.h"

#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

// The panels of one reminder: one small click-through window per screen at the same grid position, all
// hosting the same view over one shared state, and the timed steps of the show in progress.
class ReminderPanels final : public QObject {
    Q_OBJECT
public:
    static constexpr double margin = 24;

    struct Dependencies {
        IScreens& screens;
        IReminderWindowFactory& windows;
        IScheduler& scheduler;
        const IClock& clock;
        ReminderCoordinator& coordinator;
    };

    ReminderPanels(Dependencies dependencies, QUrl view, QObject* state, QObject* parent = nullptr);
    ~ReminderPanels() override;

    // Holds the position for durationMs and puts one panel of the size on every screen, stacked beside
    // another reminder that still holds it; the panels are shown at once.
    void showAt(ReminderPosition position, QSizeF size, double scale, qint64 durationMs);
    void orderOut();
    // Runs the step delayMs from now unless cancelPending() comes first.
    void after(int delayMs, std::function<void()> step);
    void cancelPending();

    QList<QRect> geometries() const;

private:
    Dependencies m_deps;
    QUrl m_view;
    QObject* m_state;
    std::vector<std::unique_ptr<IReminderWindow>> m_panels;
    QList<IScheduler::Handle> m_pending;
};
