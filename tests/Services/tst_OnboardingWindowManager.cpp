#include "Services/OnboardingWindowManager.h"
#include "Services/UpdaterService.h"

#include "InMemoryPreferences.h"

#include <QQuickWindow>
#include <QTest>

class TestOnboardingWindowManager : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showBuildsOneWindowAndFinishingRecordsCompletion() {
        InMemoryPreferences preferences;
        OnboardingWindowManager manager;
        manager.setPreferences(&preferences);
        QVERIFY(!OnboardingWindowManager::isCompleted(preferences));

        manager.show();
        QPointer<QQuickWindow> window = manager.window();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->title(), manager.title());
        manager.show();
        QCOMPARE(manager.window(), window.data());

        QMetaObject::invokeMethod(&manager, "finish");
        QVERIFY(OnboardingWindowManager::isCompleted(preferences));
        QCOMPARE(preferences.value(OnboardingWindowManager::completedKey), QVariant(true));
        QCOMPARE(manager.window(), nullptr);
        QTRY_VERIFY(!window);
    }

    void closingWithoutFinishingLeavesItToBeOfferedAgain() {
        InMemoryPreferences preferences;
        OnboardingWindowManager manager;
        manager.setPreferences(&preferences);
        manager.show();
        manager.window()->close();
        QCOMPARE(manager.window(), nullptr);
        QVERIFY(!OnboardingWindowManager::isCompleted(preferences));
        manager.show();
        QVERIFY(manager.window());
    }

    void theUpdaterReportsItselfUnavailableOnce() {
        UpdaterService updater;
        QStringList entries;
        updater.setDegradedReporter(
            [&](const QString& component, const QString& reason, const QString& impact) {
                QVERIFY(!reason.isEmpty() && !impact.isEmpty());
                entries.append(component);
            });
        updater.start();
        updater.start();
        updater.invalidateCanCheckObservation();
        updater.invalidateCanCheckObservation();
        QCOMPARE(entries, QStringList{QStringLiteral("Updater")});
    }
};

QTEST_MAIN(TestOnboardingWindowManager)
#include "tst_OnboardingWindowManager.moc"
