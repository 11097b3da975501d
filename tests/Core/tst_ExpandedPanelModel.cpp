#include "Core/ExpandedPanelModel.h"
#include "FakeWidget.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

struct Fixture : WidgetSet {
    NotchStateManager stateManager;
    ExpandedPanelModel model;

    Fixture() {
        model.setStateManager(&stateManager);
        QObject::connect(&registry, &WidgetRegistry::activeWidgetsChanged, &model, [this] {
            const QList<AnyNotchWidget*> active = registry.activeWidgets();
            model.setWidgets({active.begin(), active.end()});
        });
    }
    QString currentId() const {
        const auto* widget = qobject_cast<const AnyNotchWidget*>(model.currentWidget());
        return widget ? widget->id() : QString();
    }
};

} // namespace

class ExpandedPanelModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tabsClusterByGroupInRegistryOrder() {
        Fixture fixture;
        fixture.add(u"daily"_qs);
        fixture.add(u"shelf"_qs, WidgetGroup::Shelf);
        FakeWidget* usage = fixture.add(u"usage"_qs, WidgetGroup::Ai);
        fixture.add(u"music"_qs);
        QCOMPARE(idsOf(fixture.model.diaADiaWidgets()), QStringList({"daily", "music"}));
        QCOMPARE(idsOf(fixture.model.shelfWidgets()), QStringList({"shelf"}));
        QVERIFY(fixture.model.showsAiSeparator());
        usage->setActive(false);
        QVERIFY(!fixture.model.showsAiSeparator());
    }

    // The selection lives in the state manager: a close clears it. A stored selection that went stale is
    // kept, but the panel shows the first widget instead.
    void selectionFallsBackToTheFirstWidget() {
        Fixture fixture;
        FakeWidget* daily = fixture.add(u"daily"_qs);
        FakeWidget* music = fixture.add(u"music"_qs);
        QCOMPARE(fixture.currentId(), u"daily"_qs);
        QSignalSpy selection(&fixture.model, &ExpandedPanelModel::selectionChanged);
        fixture.stateManager.open();
        fixture.model.select(u"music"_qs);
        QCOMPARE(fixture.currentId(), u"music"_qs);
        fixture.stateManager.close();
        QCOMPARE(fixture.currentId(), u"daily"_qs);
        QCOMPARE(selection.count(), 2);
        fixture.model.select(u"music"_qs);
        music->setActive(false);
        QCOMPARE(fixture.currentId(), u"daily"_qs);
        QCOMPARE(fixture.stateManager.activeWidgetId(), std::optional<QString>(u"music"_qs));
        daily->setActive(false); // none left
        QVERIFY(fixture.model.effectiveWidgetId().isEmpty());
        QVERIFY(!fixture.model.currentWidget());
    }
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

QTEST_GUILESS_MAIN(ExpandedPanelModelTest)
#include "tst_ExpandedPanelModel.moc"
