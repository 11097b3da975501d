// A stand-in for the application that shows only the notch panel, for the benchmark. It wires the panel the
// way the application does and reports each open and close on stdout.

#include "Core/NotchPanelHost.h"
#include "Core/NotchStateManager.h"
#include "Core/ShellQml.h"
#include "Foundation/Clock.h"
#include "Foundation/QmlWindow.h"
#include "Models/NotchHardwareProfile.h"
#include "Platform/Panel/X11PanelWindow.h"
#include "Platform/Preferences/JsonPreferences.h"
#include "Platform/Screens/QtScreens.h"
#include "Services/DiagnosticsService.h"
#include "Theme/ThemeQml.h"
#include "Widgets/WidgetRegistry.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QmlWindow::chooseRenderer();
    QGuiApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    const QStringList arguments = QGuiApplication::arguments();

    JsonPreferences preferences;
    registerThemeQmlTypes(preferences);
    registerShellQmlTypes();
    NotchStateManager stateManager;
    WidgetRegistry registry;
    QtScreens screens;
    QtScheduler scheduler;
    X11PanelWindowFactory windowFactory(Diagnostics::degraded);
    NotchPanelHost::Dependencies dependencies{stateManager,
                                              registry,
                                              screens,
                                              scheduler,
                                              windowFactory,
                                              [] { return QPointF(QCursor::pos()); },
                                              NotchHardwareProfile::current(),
                                              [] { std::printf("settings\n"); }};
    if (arguments.size() > 1)
        dependencies.rootUrl = QUrl::fromUserInput(arguments.at(1), QDir::currentPath());
    NotchPanelHost host(dependencies);

    QObject::connect(&stateManager, &NotchStateManager::stateChanged, [&stateManager] {
        std::printf("panel %s\n", stateManager.isOpen() ? "open" : "closed");
        std::fflush(stdout);
    });
    QObject::connect(&screens, &IScreens::screensChanged, &host, [&] {
        host.stopHoverMonitor();
        host.cancelPendingClose();
        stateManager.close();
        host.setupPanel();
    });
    host.setupPanel();
    return QGuiApplication::exec();
}
