#include "Platform/ApplicationKeyMonitor.h"

#include <QKeyEvent>
#include <QTest>
#include <QWindow>

namespace {

class KeyRecordingWindow final : public QWindow {
public:
    QList<int> received;

protected:
    void keyPressEvent(QKeyEvent* event) override { received.append(event->key()); }
};

} // namespace

class TestApplicationKeyMonitor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aConsumedPressNeverReachesTheWindowAndOthersPassUntouched() {
        KeyRecordingWindow window;
        ApplicationKeyMonitor monitor;
        QList<std::pair<int, Qt::KeyboardModifiers>> seen;
        monitor.setHandler([&](int key, Qt::KeyboardModifiers modifiers) {
            seen.append({key, modifiers});
            return key == Qt::Key_Comma && modifiers.testFlag(Qt::ControlModifier);
        });

        QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
        QTest::keyClick(&window, Qt::Key_Comma);
        QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
        window.received.removeAll(Qt::Key_Control); // the modifier key is pressed too
        QCOMPARE(window.received, (QList<int>{Qt::Key_Comma, Qt::Key_A}));
        QVERIFY(seen.contains({Qt::Key_Comma, Qt::ControlModifier}));

        monitor.clearHandler();
        seen.clear();
        QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
        QVERIFY(seen.isEmpty());
        QCOMPARE(window.received.last(), int(Qt::Key_Comma));
    }

    void keyReleasesAndOtherEventsAreIgnored() {
        KeyRecordingWindow window;
        ApplicationKeyMonitor monitor;
        int calls = 0;
        monitor.setHandler([&](int, Qt::KeyboardModifiers) {
            ++calls;
            return true;
        });
        QTest::keyRelease(&window, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(calls, 0);
    }
};

QTEST_MAIN(TestApplicationKeyMonitor)
#include "tst_ApplicationKeyMonitor.moc"
