#include "InMemoryPreferences.h"
#include "Theme/ThemeQml.h"
#include "Widgets/KeyboardCleanerWindow.h"

#include <QtTest>

// Offscreen has no keyboard grabs: every lock here takes the failure path (the grab is checked under Xvfb).
class KeyboardCleanerWindowTest : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;

private Q_SLOTS:
    void initTestCase() { registerThemeQmlTypes(preferences); }
    // A refused grab ends the lock at once and calls the callback exactly once; a callback that hides again,
    // a second hide and a show over a showing lock never call a callback twice.
    void callsBackExactlyOnce() {
        int first = 0, second = 0;
        KeyboardCleanerWindow::show([&] {
            ++first;
            KeyboardCleanerWindow::hide();
        });
        QCOMPARE(first, 1);
        QVERIFY(!KeyboardCleanerWindow::isLocked());
        KeyboardCleanerWindow::hide();
        KeyboardCleanerWindow::show([&] { ++second; });
        KeyboardCleanerWindow::hide();
        QCOMPARE(first, 1);
        QCOMPARE(second, 1);
    }
};

QTEST_MAIN(KeyboardCleanerWindowTest)
#include "tst_KeyboardCleanerWindow.moc"
