#include "Core/NotchStateManager.h"

#include <QSignalSpy>
#include <QTest>

class TestNotchStateManager : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theHookRunsOncePerRealChangeAfterTheStateChanged() {
        NotchStateManager manager;
        QList<std::pair<bool, bool>> calls; // (argument, isOpen when called)
        manager.setOnOpenChange([&](bool opened) { calls.append({opened, manager.isOpen()}); });

        manager.close(); // already closed
        manager.open();
        manager.open();
        QVERIFY(manager.contentVisible());
        manager.close();
        manager.close();
        QCOMPARE(calls, (QList<std::pair<bool, bool>>{{true, true}, {false, false}}));
        QVERIFY(!manager.contentVisible());
    }

    void closeClearsTheSelectionButACloseThatDoesNothingKeepsIt() {
        NotchStateManager manager;
        manager.setActiveWidgetId(QStringLiteral("music"));
        manager.close();
        QCOMPARE(manager.activeWidgetId(), std::optional<QString>(QStringLiteral("music")));

        // A file drag opens first and selects the shelf afterwards; the selection stands until the next
        // close.
        std::optional<QString> selectionSeenByHook = QStringLiteral("unset");
        manager.setOnOpenChange([&](bool) { selectionSeenByHook = manager.activeWidgetId(); });
        manager.setActiveWidgetId(std::nullopt);
        manager.open();
        manager.setActiveWidgetId(QStringLiteral("shelf"));
        QCOMPARE(selectionSeenByHook, std::nullopt);
        manager.open();
        QCOMPARE(manager.activeWidgetId(), std::optional<QString>(QStringLiteral("shelf")));
        manager.close();
        QCOMPARE(manager.activeWidgetId(), std::nullopt);
    }

    void observersHearOnlyRealChanges() {
        NotchStateManager manager;
        QSignalSpy state(&manager, &NotchStateManager::stateChanged);
        QSignalSpy selection(&manager, &NotchStateManager::activeWidgetIdChanged);
        QSignalSpy content(&manager, &NotchStateManager::contentVisibleChanged);
        QSignalSpy hook(&manager, &NotchStateManager::onOpenChangeChanged);

        manager.setState(NotchStateManager::State::Closed);
        manager.setContentVisible(false);
        manager.setActiveWidgetId(std::nullopt);
        manager.setProperty("activeWidgetId", QVariant());
        QCOMPARE(state.count() + selection.count() + content.count(), 0);

        manager.setProperty("activeWidgetId", QStringLiteral("daily"));
        manager.setActiveWidgetId(QStringLiteral("daily"));
        QCOMPARE(selection.count(), 1);
        QCOMPARE(manager.property("activeWidgetId").toString(), QStringLiteral("daily"));

        manager.setOnOpenChange(nullptr);
        manager.setOnOpenChange(nullptr);
        QCOMPARE(hook.count(), 2); // assigning the hook always notifies
    }
};

QTEST_GUILESS_MAIN(TestNotchStateManager)
#include "tst_NotchStateManager.moc"
