#include "Core/CompactBarLayout.h"
#include "Core/ExpandedPanelModel.h"
#include "FakeWidget.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

QList<QObject*> activeObjects(const WidgetRegistry& registry) {
    const QList<AnyNotchWidget*> active = registry.activeWidgets();
    return {active.begin(), active.end()};
}

struct Fixture : WidgetSet {
    NotchStateManager stateManager;
    ExpandedPanelModel model;

    Fixture() {
        model.setStateManager(&stateManager);
        QObject::connect(&registry, &WidgetRegistry::activeWidgetsChanged, &model,
                         [this] { model.setWidgets(activeObjects(registry)); });
    }
    QString currentId() const {
        const auto* widget = qobject_cast<const AnyNotchWidget*>(model.currentWidget());
        return widget ? widget->id() : QString();
    }
};

} // namespace

class PanelContentTest : public QObject {
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
        fixture.stateManager.open();
        fixture.model.select(u"music"_qs);
        QCOMPARE(fixture.currentId(), u"music"_qs);
        fixture.stateManager.close();
        QCOMPARE(fixture.currentId(), u"daily"_qs);
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
        QList<std::pair<bool, bool>> calls; // (argument, isOpen when called)
        manager.setOnOpenChange([&](bool opened) { calls.append({opened, manager.isOpen()}); });
        manager.setActiveWidgetId(QStringLiteral("music"));
        manager.close();
        QCOMPARE(manager.activeWidgetId(), std::optional<QString>(QStringLiteral("music")));
        manager.open();
        manager.setActiveWidgetId(QStringLiteral("shelf"));
        manager.open();
        QCOMPARE(manager.property("activeWidgetId").toString(), QStringLiteral("shelf"));
        manager.close();
        manager.close();
        QCOMPARE(calls, (QList<std::pair<bool, bool>>{{true, true}, {false, false}}));
        QCOMPARE(manager.activeWidgetId(), std::nullopt);
    }
    // Hidden widgets and music leave the list before it is split, so the split stays even/odd.
    void sideWidgetsAlternateInTheFilteredList() {
        WidgetSet set;
        for (const char* id : {"A", "hidden1", "B", "music", "C", "D", "hidden2", "E"})
            set.add(QString::fromLatin1(id))->setShowInCompactBar(!QByteArray(id).startsWith("hidden"));
        const auto arrangement = CompactBarLayout::arrange(set.registry.activeWidgets(), {1512, 200});
        QCOMPARE(idsOf(arrangement.leftWidgets), QStringList({"A", "C", "E"}));
        QCOMPARE(idsOf(arrangement.rightWidgets), QStringList({"B", "D"}));
    }

    void centreRegion_data() {
        QTest::addColumn<bool>("musicHasContent");
        QTest::addColumn<bool>("sidesOnly");
        QTest::addColumn<qreal>("musicSideWidth");
        QTest::addColumn<bool>("showsCentre");
        QTest::addColumn<qreal>("sideWidth");
        QTest::newRow("music playing") << true << false << 32.0 << true << 624.0;
        QTest::newRow("music playing on Mac17,3") << true << false << 34.0 << true << 622.0;
        QTest::newRow("music without a track") << false << false << 32.0 << false << 650.0;
        QTest::newRow("open panel keeps only the sides") << true << true << 32.0 << false << 650.0;
    }

    void centreRegion() {
        QFETCH(bool, musicHasContent);
        QFETCH(bool, sidesOnly);
        QFETCH(qreal, musicSideWidth);
        WidgetSet set;
        set.add(u"daily"_qs);
        set.add(u"music"_qs)->setHasCompactContent(musicHasContent);
        set.add(u"usage"_qs);
        const auto arrangement =
            CompactBarLayout::arrange(set.registry.activeWidgets(), {1512, 200, musicSideWidth, sidesOnly});
        QTEST(arrangement.showsCentre, "showsCentre");
        QTEST(arrangement.sideWidth, "sideWidth");
    }

    // The view model follows the registry: a track starting changes the centre's geometry alone; a destroyed
    // registry leaves no dangling widget behind.
    void layoutFollowsLiveValuesAndOutlivesTheRegistry() {
        auto set = std::make_unique<WidgetSet>();
        FakeWidget* music = set->add(u"music"_qs);
        set->add(u"daily"_qs);
        CompactBarLayout layout;
        layout.setPanelWidth(1512);
        layout.setNotchWidth(200);
        connect(&set->registry, &WidgetRegistry::activeWidgetsChanged, &layout,
                [&] { layout.setWidgets(activeObjects(set->registry)); });
        layout.setWidgets(activeObjects(set->registry));
        QSignalSpy left(&layout, &CompactBarLayout::leftWidgetsChanged);
        music->setHasCompactContent(true);
        QCOMPARE(layout.sideWidth(), 624.0);
        QCOMPARE(left.count(), 0);
        set.reset();
        QVERIFY(!layout.musicWidget());
        QVERIFY(!layout.showsCentre());
    }
};

QTEST_GUILESS_MAIN(PanelContentTest)
#include "tst_PanelContent.moc"
