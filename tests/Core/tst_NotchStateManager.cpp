#include "Core/NotchStateManager.h"

#include <QSignalSpy>
#include <QTest>

class TestNotchStateManager : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theHookRunsOncePerRealChangeAfterTheStateChanged() {
        NotchStateManager manager;
        QSignalSpy state(&manager, &NotchStateManager::stateChanged);
        QList<std::pair<bool, bool>> calls; // (argument, isOpen when called)
        manager.setOnOpenChange([&](bool opened) { calls.append({opened, manager.isOpen()}); });
        manager.close(); // already closed
        manager.open();
        manager.open();
        QVERIFY(manager.contentVisible());
        manager.close();
        manager.close();
        QCOMPARE(calls, (QList<std::pair<bool, bool>>{{true, true}, {false, false}}));
        QCOMPARE(state.count(), 2);
        QVERIFY(!manager.contentVisible());
    }

    void closeClearsTheSelectionButACloseThatDoesNothingKeepsIt() {
        NotchStateManager manager;
        QSignalSpy selection(&manager, &NotchStateManager::activeWidgetIdChanged);
        manager.setActiveWidgetId(QStringLiteral("music"));
        manager.setProperty("activeWidgetId", QStringLiteral("music"));
        QCOMPARE(selection.count(), 1);
        manager.close();
        QCOMPARE(manager.activeWidgetId(), std::optional<QString>(QStringLiteral("music")));

        // A file drag opens first and selects the shelf afterwards; the selection stands until the next
        // close.
        manager.setActiveWidgetId(std::nullopt);
        manager.open();
        manager.setActiveWidgetId(QStringLiteral("shelf"));
        manager.open();
        QCOMPARE(manager.property("activeWidgetId").toString(), QStringLiteral("shelf"));
        manager.close();
        QCOMPARE(manager.activeWidgetId(), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestNotchStateManager)
#include "tst_NotchStateManager.moc"
