#include "Foundation/QmlWindow.h"

#include <QTest>
#include <QThread>
#include <QThreadPool>

// The software scene graph leaves X11 without OpenGL, draws each frame at once, without shared-memory round
// trips, and paints with one helper thread; what the user sets, and every other renderer, is left alone.
class TestQmlWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rendererEnvironment_data() {
        QTest::addColumn<QByteArray>("backend");
        QTest::addColumn<QByteArray>("givenGl");
        QTest::addColumn<QByteArray>("expectedGl");
        QTest::addColumn<QByteArray>("expectedIdle");
        QTest::addColumn<QByteArray>("expectedShm");
        QTest::addColumn<int>("expectedPaintThreads");
        // First: the global pool keeps the limit the software rows set.
        QTest::newRow("another renderer") << QByteArray("rhi") << QByteArray() << QByteArray() << QByteArray()
                                          << QByteArray() << QThread::idealThreadCount();
        QTest::newRow("software by default")
            << QByteArray() << QByteArray() << QByteArray("none") << QByteArray("0") << QByteArray("1") << 1;
        QTest::newRow("software by name") << QByteArray("software") << QByteArray() << QByteArray("none")
                                          << QByteArray("0") << QByteArray("1") << 1;
        QTest::newRow("the user's choice stays") << QByteArray() << QByteArray("glx") << QByteArray("glx")
                                                 << QByteArray("0") << QByteArray("1") << 1;
    }
    void rendererEnvironment() {
        QFETCH(QByteArray, backend);
        QFETCH(QByteArray, givenGl);
        for (const char* name :
             {"QT_QUICK_BACKEND", "QT_XCB_GL_INTEGRATION", "QT_QPA_UPDATE_IDLE_TIME", "QT_XCB_NO_MITSHM"})
            qunsetenv(name);
        if (!backend.isEmpty())
            qputenv("QT_QUICK_BACKEND", backend);
        if (!givenGl.isEmpty())
            qputenv("QT_XCB_GL_INTEGRATION", givenGl);

        QmlWindow::chooseRenderer();

        QTEST(qgetenv("QT_XCB_GL_INTEGRATION"), "expectedGl");
        QTEST(qgetenv("QT_QPA_UPDATE_IDLE_TIME"), "expectedIdle");
        QTEST(qgetenv("QT_XCB_NO_MITSHM"), "expectedShm");
        QTEST(QThreadPool::globalInstance()->maxThreadCount(), "expectedPaintThreads");
    }
};

QTEST_GUILESS_MAIN(TestQmlWindow)
#include "tst_QmlWindow.moc"
