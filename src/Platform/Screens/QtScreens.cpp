#include "Platform/Screens/QtScreens.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>

QtScreens::QtScreens(QObject* parent)
    : IScreens(parent) {
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        scheduleRefresh();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &QtScreens::scheduleRefresh);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &QtScreens::scheduleRefresh);
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    readScreens();
}

ScreenInfo QtScreens::describe(const QString& name, const QRect& frame, const QRect& visibleFrame,
                               qreal devicePixelRatio, bool primary) {
    ScreenInfo info{name, frame, visibleFrame, 0, std::nullopt, std::nullopt, devicePixelRatio};
    if (!primary)
        return info;
    const int sideWidth = std::max(0, (frame.width() - virtualNotchWidth) / 2);
    info.safeAreaTopInset = virtualNotchHeight;
    info.auxiliaryTopLeftArea = QRect(frame.x(), frame.y(), sideWidth, virtualNotchHeight);
    info.auxiliaryTopRightArea =
        QRect(frame.x() + frame.width() - sideWidth, frame.y(), sideWidth, virtualNotchHeight);
    return info;
}

void QtScreens::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &QtScreens::scheduleRefresh);
    connect(screen, &QScreen::availableGeometryChanged, this, &QtScreens::scheduleRefresh);
}

void QtScreens::scheduleRefresh() {
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshPending = false;
        refresh();
    });
}

void QtScreens::readScreens() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    m_screens.clear();
    m_mainScreen.reset();
    for (const QScreen* screen : QGuiApplication::screens()) {
        m_screens.append(describe(screen->name(), screen->geometry(), screen->availableGeometry(),
                                  screen->devicePixelRatio(), screen == primary));
        if (screen == primary)
            m_mainScreen = m_screens.last();
    }
}

void QtScreens::refresh() {
    const QList<ScreenInfo> oldScreens = m_screens;
    const std::optional<ScreenInfo> oldMainScreen = m_mainScreen;
    readScreens();
    if (m_screens != oldScreens || m_mainScreen != oldMainScreen)
        Q_EMIT screensChanged();
}
