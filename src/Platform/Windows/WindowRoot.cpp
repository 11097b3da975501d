#include "Platform/Windows/WindowRoot.h"

#include <QQmlComponent>

QQuickItem* loadWindowRoot(QQmlEngine& engine, const QUrl& view, const QVariantMap& properties,
                           QQuickWindow& window, const char* what) {
    QQmlComponent component(&engine, view);
    QObject* object = component.isReady() ? component.createWithInitialProperties(properties) : nullptr;
    auto* root = qobject_cast<QQuickItem*>(object);
    if (!root) {
        qWarning("%s %s could not be made: %s", what, qPrintable(view.toString()),
                 qPrintable(component.errorString()));
        delete object;
        return nullptr;
    }
    QQmlEngine::setObjectOwnership(root, QQmlEngine::CppOwnership);
    root->setParentItem(window.contentItem());
    root->setSize(window.size());
    return root;
}
