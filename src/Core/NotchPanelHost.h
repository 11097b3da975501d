#pragma once

#include "Core/NotchStateManager.h"
#include "Core/PanelHost.h"
#include "Foundation/Clock.h"
#include "Models/NotchHardwareProfile.h"
#include "Platform/Panel/IPanelWindow.h"
#include "Platform/Screens/IScreens.h"
#include "Widgets/WidgetRegistry.h"

#include <QObject>
#include <QPointF>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

// The panel's buttons, and files dropped on it, as QML hands them over.
class PanelActions : public QObject {
    Q_OBJECT
public:
    PanelActions(std::function<void()> close, std::function<void()> settings,
                 std::function<void(const QVariantList&)> drop = {}, QObject* parent = nullptr);

    Q_INVOKABLE void closePanel();
    Q_INVOKABLE void openSettings();
    Q_INVOKABLE void dropFiles(const QVariantList& urls);

private:
    std::function<void()> m_close;
    std::function<void()> m_settings;
    std::function<void(const QVariantList&)> m_drop;
};

// Builds the notch panel on the notch screen and opens and closes it as the pointer and file drags come and
// go: the hover zone opens it, the keep-open zone holds it open, and leaving that zone closes it 0.45 s later
// unless the pointer is back by then.
class NotchPanelHost : public QObject, public IPanelHost {
    Q_OBJECT
    Q_PROPERTY(bool isExpanded READ isExpanded NOTIFY isExpandedChanged)

public:
    static constexpr int closeDelayMs = 450;
    static inline const QString shelfWidgetId = QStringLiteral("shelf");

    struct Dependencies {
        NotchStateManager& stateManager;
        WidgetRegistry& registry;
        IScreens& screens;
        IScheduler& scheduler;
        IPanelWindowFactory& windowFactory;
        std::function<QPointF()> pointerPosition;
        NotchHardwareProfile profile;
        std::function<void()> openSettings;
        QUrl rootUrl = QUrl(QStringLiteral("qrc:/Views/NotchContentView.qml"));
        // Reads what lies under the open panel (global, and in the window) just before it opens over it.
        std::function<void(const QRect& global, const QRectF& inWindow)> readBackdrop = {};
    };

    explicit NotchPanelHost(Dependencies dependencies, QObject* parent = nullptr);
    ~NotchPanelHost() override;

    void setupPanel() override;
    void stopHoverMonitor() override;
    void stopDragMonitor() override;
    void cancelPendingClose() override;

    void handleMouseMoved(QPointF globalPos);
    void handlePointerLeft();
    void handleDragMoved(QPointF globalPos, bool hasLocalFileUrls);
    // A full-screen window (a break) has come over the panel: no pointer event reaches the panel until it
    // goes, so an open panel closes now rather than staying open beneath it and after it.
    void handleCovered();
    // A window that held every pointer event back from the panel (the keyboard lock) has gone, and the
    // pointer may have gone anywhere meanwhile: an open panel judges where it is now, as if it had just moved
    // there.
    void handleUncovered();

    bool isExpanded() const { return m_isExpanded; }
    bool hasPendingClose() const { return m_pendingClose != IScheduler::invalidHandle; }
    bool hasPanel() const { return m_window != nullptr; }
    PanelActions* panelActions() { return &m_actions; }

    // "Tavimor notch profile: <model>, width=<w>, height=<h>, drop=<d>", numbers as 200.0 or 6.5.
    static QString profileLine(const QString& modelName, double width, double height, double drop);

Q_SIGNALS:
    void isExpandedChanged();

private:
    ScreenInfo currentNotchScreen() const;
    std::optional<QRectF> panelFrame() const;
    bool insideKeepOpenZone(QPointF globalPos, const ScreenInfo& screen) const;
    PanelWindowHandlers windowHandlers();
    void scheduleCloseIfNone();
    void runDelayedClose();
    void closePanelNow();
    void setExpanded(bool expanded);
    void readBackdrop();
    void dropOnShelf(const QVariantList& urls);

    Dependencies m_deps;
    PanelActions m_actions;
    std::unique_ptr<IPanelWindow> m_window;
    IScheduler::Handle m_pendingClose = IScheduler::invalidHandle;
    bool m_isExpanded = false;
    bool m_hoverMonitoring = false;
    bool m_dragMonitoring = false;
};
