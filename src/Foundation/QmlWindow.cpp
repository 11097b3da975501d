#include "Foundation/QmlWindow.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QThreadPool>
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

namespace {

void setUnlessGiven(const char* name, const QByteArray& value) {
    if (!qEnvironmentVariableIsSet(name))
        qputenv(name, value);
}

} // namespace

void chooseRenderer() {
    const QByteArray backend = qgetenv("QT_QUICK_BACKEND");
    if (!backend.isEmpty() && backend != "software")
        return;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // Nothing then draws with OpenGL, so X11 gets no OpenGL at all: a component that merely probes it would
    // otherwise load Mesa and leave its rasteriser threads running for the life of the process.
    setUnlessGiven("QT_XCB_GL_INTEGRATION", "none");
    // A window draws its next frame at once instead of 5 ms after asking, one wake-up less per frame.
    setUnlessGiven("QT_QPA_UPDATE_IDLE_TIME", "0");
    // With shared-memory images every repaint of a region drawn before waits for the X server to finish
    // reading it: a round trip that wakes two threads. The regions redrawn are small; sending them is
    // cheaper.
    setUnlessGiven("QT_XCB_NO_MITSHM", "1");
    // The raster paint engine splits every fill taller than about 100 rows across Qt's global thread pool
    // and waits for it; waking up to one thread per core for each fill of each frame cost more CPU than the
    // fills, and more so on a busy machine. One thread keeps one hand-over per fill.
    QThreadPool::globalInstance()->setMaxThreadCount(1);
}

void bringForward(QQuickWindow& window) {
    window.show();
    window.raise();
    window.requestActivate();
}

} // namespace QmlWindow
