#pragma once

#include "Platform/Preferences/IPreferences.h"
#include "Platform/Screens/IScreens.h"
#include "Services/SettingsSection.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QQuickWindow>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>

class QQmlEngine;

// The process-wide launcher of the settings window: any part of the application asks it to open the window,
// and it either brings the existing window forward or builds a new one below the notch. One window at most.
class SettingsWindowManager final : public QObject {
    Q_OBJECT

public:
    // The window keeps this size: it can be neither resized nor minimised nor maximised. A section taller
    // than the window scrolls.
    static constexpr QSize windowSize{540, 600};
    // Distance from the top of the visible area to the window, and the least margin kept below it.
    static constexpr int topOffset = 324;
    static constexpr int bottomMargin = 20;
    // Space left between the window and a window it opens beside.
    static constexpr int besideGap = 16;

    explicit SettingsWindowManager(QObject* parent = nullptr);
    ~SettingsWindowManager() override;

    // Created on first use; it gives up its window when the application is about to quit.
    static SettingsWindowManager& shared();

    void setScreens(IScreens* screens);
    // The preferences the sections write, and the sections the window shows, in sidebar order.
    void setPreferences(IPreferences* preferences);
    void setSections(QList<SettingsSection> sections);
    // What the usage section's view model is built over.
    QObject* usageService() const { return m_usageService; }
    void setUsageService(QObject* service);
    QQuickWindow* window() const { return m_window; }
    // A window that a new settings window opens beside while it shows, rather than on top of it (none when
    // the function gives none).
    void setOpenBeside(std::function<const QWindow*()> neighbour);

    static QString windowTitle();

    // Top-left corner that puts a window of the given size below the notch: on the first screen with a notch,
    // else on the window's own screen, else the main screen, else the first screen. None when there is no
    // screen at all (the window is then centred on whatever screen it has).
    static std::optional<QPoint> positionBelowNotch(const QList<ScreenInfo>& screens,
                                                    const std::optional<ScreenInfo>& windowScreen,
                                                    const std::optional<ScreenInfo>& mainScreen, QSize size);
    // Moves the window to positionBelowNotch() on the given screens; the first-run window is placed so too.
    static void placeBelowNotch(QQuickWindow& window, const IScreens* screens);
    // The frame of a window of the given size beside `neighbour` within `visible`: level with its top (kept
    // within the area and above the bottom margin), on its right, else on its left; where neither side has
    // room, against the area's edge that covers less of it.
    static QRect frameBeside(const QRect& neighbour, QSize size, const QRect& visible);

public Q_SLOTS:
    void open();
    // The window is closing: forget it, so that the next open() builds a fresh one.
    void windowWillClose();

private:
    QQuickWindow* buildWindow();
    void place(QQuickWindow& window) const;
    bool placeBesideNeighbour(QQuickWindow& window) const;
    QVariantList buildSections(QObject* window) const;
    void releaseWindow();

    QPointer<IScreens> m_screens;
    QPointer<IPreferences> m_preferences;
    QList<SettingsSection> m_sections;
    QPointer<QObject> m_usageService;
    QPointer<QQuickWindow> m_window;
    std::unique_ptr<QQmlEngine> m_engine;
    std::function<const QWindow*()> m_openBeside;
};
