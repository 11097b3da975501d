#include "Platform/Keys/ApplicationKeyMonitor.h"

#include <QKeyEvent>
#include <QTest>
#include <QWindow>

namespace {

class KeyRecordingWindow final : public QWindow {
public:
    QList<int> received;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() != Qt::Key_Control)
            received.append(event->key());
    }
};

} // namespace

class TestApplicationKeyMonitor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aConsumedPressNeverReachesTheWindowAndOthersPassUntouched() {
        KeyRecordingWindow window;
        ApplicationKeyMonitor monitor;
        int calls = 0;
        monitor.setHandler([&](int key, Qt::KeyboardModifiers modifiers) {
            ++calls;
            return key == Qt::Key_Comma && modifiers.testFlag(Qt::ControlModifier);
        });
        QTest::keyRelease(&window, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(calls, 0); // releases are not shown to the handler
        QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
        QTest::keyClick(&window, Qt::Key_Comma);
        QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(window.received, (QList<int>{Qt::Key_Comma, Qt::Key_A}));

        monitor.clearHandler();
        calls = 0;
        QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(calls, 0);
        QCOMPARE(window.received.last(), int(Qt::Key_Comma));
    }
};

QTEST_MAIN(TestApplicationKeyMonitor)
#include "tst_ApplicationKeyMonitor.moc"
