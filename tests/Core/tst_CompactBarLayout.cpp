#include "Core/CompactBarLayout.h"
#include "FakeWidget.h"
#include "Widgets/WidgetRegistry.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// Widgets registered in the given order with ascending priorities, like the application's registry.
struct Fixture {
    std::vector<std::unique_ptr<FakeWidget>> widgets;
    WidgetRegistry registry;

    FakeWidget* add(const char* id, bool showInCompactBar = true) {
        widgets.push_back(std::make_unique<FakeWidget>(QString::fromLatin1(id), int(widgets.size())));
        widgets.back()->setShowInCompactBar(showInCompactBar);
        registry.registerWidget(widgets.back().get());
        return widgets.back().get();
    }
    QList<QObject*> objects() const {
        const QList<AnyNotchWidget*> active = registry.activeWidgets();
        return {active.begin(), active.end()};
    }
};

QStringList ids(const QList<AnyNotchWidget*>& widgets) {
    QStringList result;
    for (const AnyNotchWidget* widget : widgets)
        result << widget->id();
    return result;
}

} // namespace

class CompactBarLayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Hidden widgets and music leave the list before it is split, so the split stays even/odd.
    void sideWidgetsAlternateInTheFilteredList() {
        Fixture fixture;
        for (const char* id : {"A", "hidden1", "B", "music", "C", "D", "hidden2", "E"})
            fixture.add(id, !QByteArray(id).startsWith("hidden"));
        const auto arrangement = CompactBarLayout::arrange(fixture.registry.activeWidgets(), {1512, 200});
        QCOMPARE(ids(arrangement.leftWidgets), QStringList({"A", "C", "E"}));
        QCOMPARE(ids(arrangement.rightWidgets), QStringList({"B", "D"}));
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
        Fixture fixture;
        fixture.add("daily");
        fixture.add("music")->setHasCompactContent(musicHasContent);
        fixture.add("usage");
        const auto arrangement = CompactBarLayout::arrange(fixture.registry.activeWidgets(),
                                                           {1512, 200, musicSideWidth, sidesOnly});
        QTEST(arrangement.showsCentre, "showsCentre");
        QTEST(arrangement.sideWidth, "sideWidth");
    }

    // The view model follows the registry: a track starting changes the centre's geometry alone; a destroyed
    // registry leaves no dangling widget behind.
    void layoutFollowsLiveValuesAndOutlivesTheRegistry() {
        auto fixture = std::make_unique<Fixture>();
        FakeWidget* music = fixture->add("music");
        fixture->add("daily");
        CompactBarLayout layout;
        layout.setPanelWidth(1512);
        layout.setNotchWidth(200);
        connect(&fixture->registry, &WidgetRegistry::activeWidgetsChanged, &layout,
                [&] { layout.setWidgets(fixture->objects()); });
        layout.setWidgets(fixture->objects());
        QSignalSpy geometry(&layout, &CompactBarLayout::geometryChanged);
        QSignalSpy left(&layout, &CompactBarLayout::leftWidgetsChanged);
        music->setHasCompactContent(true);
        QCOMPARE(layout.sideWidth(), 624.0);
        QCOMPARE(geometry.count(), 1);
        QCOMPARE(left.count(), 0);
        fixture.reset();
        QVERIFY(!layout.musicWidget());
        QVERIFY(!layout.showsCentre());
    }
};

QTEST_GUILESS_MAIN(CompactBarLayoutTest)
#include "tst_CompactBarLayout.moc"
