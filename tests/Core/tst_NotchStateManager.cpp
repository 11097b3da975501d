#include "Core/NotchStateManager.h"

#include <QSignalSpy>
#include <QTest>

class TestNotchStateManager : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The hook runs once per real change, after the state changed. A real close clears the selection; a
    // close that changes nothing keeps it, and a selection made after opening (a file drag picks the shelf)
    // stands until the next close.
    void hookAndSelectionFollowRealChangesOnly() {
        NotchStateManager manager;
        QSignalSpy state(&manager, &NotchStateManager::stateChanged);
        QList<std::pair<bool, bool>> calls; // (argument, isOpen when called)
        manager.setOnOpenChange([&](bool opened) { calls.append({opened, manager.isOpen()}); });
        manager.setActiveWidgetId(QStringLiteral("music"));
        manager.close();
        QCOMPARE(manager.activeWidgetId(), std::optional<QString>(QStringLiteral("music")));
        manager.open();
        manager.setActiveWidgetId(QStringLiteral("shelf"));
        manager.open();
        QVERIFY(manager.contentVisible());
        QCOMPARE(manager.property("activeWidgetId").toString(), QStringLiteral("shelf"));
        manager.close();
        manager.close();
        QCOMPARE(calls, (QList<std::pair<bool, bool>>{{true, true}, {false, false}}));
        QCOMPARE(state.count(), 2);
        QVERIFY(!manager.contentVisible());
        QCOMPARE(manager.activeWidgetId(), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestNotchStateManager)
#include "tst_NotchStateManager.moc"
