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

} // namespace QmlWindow
