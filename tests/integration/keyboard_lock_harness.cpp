// Shows the keyboard-cleaning lock on the X server in $DISPLAY and reports on stdout: "button <x> <y>" (the
// unlock button's centre on screen) once locked, and "unlocked" when the lock ends; exits shortly after.
#include "Platform/Preferences/JsonPreferences.h"
#include "Theme/ThemeQml.h"
#include "Widgets/KeyboardCleanerWindow.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QQuickWindow>
#include <QTimer>

#include <cstdio>

namespace {

void reportButton() {
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        auto* view = qobject_cast<QQuickView*>(window);
        auto* button =
            view && view->rootObject() ? view->rootObject()->findChild<QQuickItem*>("unlockButton") : nullptr;
        if (!button)
            continue;
        const QPointF centre = button->mapToGlobal(QPointF(button->width() / 2, button->height() / 2));
        std::printf("button %d %d\n", int(centre.x()), int(centre.y()));
        std::fflush(stdout);
        return;
    }
    QTimer::singleShot(100, &reportButton);
}

} // namespace

int main(int argc, char* argv[]) {
    QQuickWindow::setDefaultAlphaBuffer(true);
    QGuiApplication app(argc, argv);
    JsonPreferences preferences;
    registerThemeQmlTypes(preferences);
    KeyboardCleanerWindow::show([] {
        std::printf("unlocked\n");
        std::fflush(stdout);
        QTimer::singleShot(500, qApp, &QCoreApplication::quit);
    });
    if (KeyboardCleanerWindow::isLocked())
        QTimer::singleShot(300, &reportButton);
    return QGuiApplication::exec();
}
