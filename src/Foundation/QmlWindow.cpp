#include "Foundation/QmlWindow.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QUrl>

namespace QmlWindow {

QQuickWindow* create(QQmlEngine& engine, const QString& viewName, const QVariantMap& initialProperties) {
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Views/%1.qml").arg(viewName)));
    if (component.isError()) {
        qWarning().noquote() << "cannot build" << viewName << component.errorString();
        return nullptr;
    }
    QObject* root = component.createWithInitialProperties(initialProperties);
    auto* window = qobject_cast<QQuickWindow*>(root);
    if (!window) {
        qWarning().noquote() << "cannot build" << viewName << component.errorString();
        delete root;
        return nullptr;
    }
    QQmlEngine::setObjectOwnership(window, QQmlEngine::CppOwnership);
    return window;
}

void chooseRenderer() {
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

void bringForward(QQuickWindow& window) {
    window.show();
    window.raise();
    window.requestActivate();
}

} // namespace QmlWindow
