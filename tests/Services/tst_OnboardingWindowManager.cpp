#include "Services/OnboardingWindowManager.h"

#include "InMemoryPreferences.h"

#include <QQuickWindow>
#include <QTest>

class TestOnboardingWindowManager : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void onlyFinishingRecordsCompletion() {
        InMemoryPreferences preferences;
        OnboardingWindowManager manager;
        manager.setPreferences(&preferences);
        manager.show();
        manager.window()->close(); // closed without finishing: offered again
        QCOMPARE(manager.window(), nullptr);
        QVERIFY(!OnboardingWindowManager::isCompleted(preferences));

        manager.show();
        QPointer<QQuickWindow> window = manager.window();
        QVERIFY(window && window->isVisible());
        manager.show();
        QCOMPARE(manager.window(), window.data());
        QMetaObject::invokeMethod(&manager, "finish");
        QCOMPARE(preferences.value(OnboardingWindowManager::completedKey), QVariant(true));
        QTRY_VERIFY(!window);
    }
};

QTEST_MAIN(TestOnboardingWindowManager)
#include "tst_OnboardingWindowManager.moc"
