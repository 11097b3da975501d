#pragma once

#include <QString>
#include <QVariantMap>

class QQmlEngine;
class QQuickWindow;

namespace QmlWindow {

// Builds the window declared by a QML file under qrc:/Views (its root must be a Window), with the given
// initial properties. The caller owns the window. Returns null, with the QML errors logged, when it cannot be
// built.
QQuickWindow* create(QQmlEngine& engine, const QString& viewName, const QVariantMap& initialProperties = {});

// Shows the window, brings it above the application's other windows and asks for keyboard focus.
void bringForward(QQuickWindow& window);

// Every window draws with the software scene graph, which needs a fraction of the memory of OpenGL through
// Mesa, unless QT_QUICK_BACKEND (for example "rhi") asks for another. That scene graph silently draws nothing
// for a layer effect, a shader or a graphical-effects item, so the views draw their shadows, glows and
// rounded covers as images prepared on the CPU instead. Call before the first window exists.
void chooseRenderer();

} // namespace QmlWindow
