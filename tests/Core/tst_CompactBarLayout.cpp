#include "Core/CompactBarLayout.h"
#include "StubWidget.h"
#include "Widgets/WidgetRegistry.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// Widgets registered in the given order with ascending priorities, like the application's registry.
struct Fixture {
    WidgetRegistry registry;
    std::vector<std::unique_ptr<StubWidget>> widgets;

    StubWidget* add(const QString& id, bool showInCompactBar = true) {
        widgets.push_back(std::make_unique<StubWidget>(id, int(widgets.size())));
        widgets.back()->setShowInCompactBar(showInCompactBar);
        registry.registerWidget(widgets.back().get());
        return widgets.back().get();
    }

    CompactBarArrangement arrange(const CompactBarInput& input) const {
        return CompactBarLayout::arrange(registry.activeWidgets(), input);
    }
};

QStringList ids(const QList<AnyNotchWidget*>& widgets) {
    QStringList result;
    for (const AnyNotchWidget* widget : widgets)
        result << widget->id();
    return result;
}

QList<QObject*> objects(const QList<AnyNotchWidget*>& widgets) {
    return {widgets.begin(), widgets.end()};
}

const CompactBarInput laptop{1512, 200, 32, false};

} // namespace

class CompactBarLayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sideWidgetsAlternateInTheFilteredList() {
        Fixture fixture;
        fixture.add(QStringLiteral("A"));
        fixture.add(QStringLiteral("hidden1"), false);
        fixture.add(QStringLiteral("B"));
        fixture.add(QStringLiteral("music"));
        fixture.add(QStringLiteral("C"));
        fixture.add(QStringLiteral("D"));
        fixture.add(QStringLiteral("hidden2"), false);
        fixture.add(QStringLiteral("E"));
        const CompactBarArrangement arrangement = fixture.arrange(laptop);
        QCOMPARE(ids(arrangement.leftWidgets), QStringList({"A", "C", "E"}));
        QCOMPARE(ids(arrangement.rightWidgets), QStringList({"B", "D"}));
        QCOMPARE(arrangement.musicWidget->id(), QStringLiteral("music"));
    }

    void centreRegion_data() {
        QTest::addColumn<bool>("hasMusic");
        QTest::addColumn<bool>("musicHasContent");
        QTest::addColumn<bool>("sidesOnly");
        QTest::addColumn<qreal>("musicSideWidth");
        QTest::addColumn<bool>("showsCentre");
        QTest::addColumn<qreal>("centreWidth");
        QTest::addColumn<qreal>("sideWidth");
        QTest::newRow("music playing") << true << true << false << 32.0 << true << 264.0 << 624.0;
        QTest::newRow("music playing on Mac17,3") << true << true << false << 34.0 << true << 268.0 << 622.0;
        QTest::newRow("no music widget") << false << false << false << 32.0 << false << 212.0 << 650.0;
        QTest::newRow("music without a track") << true << false << false << 32.0 << false << 212.0 << 650.0;
        QTest::newRow("open panel keeps only the sides")
            << true << true << true << 32.0 << false << 212.0 << 650.0;
    }

    void centreRegion() {
        QFETCH(bool, hasMusic);
        QFETCH(bool, musicHasContent);
        QFETCH(bool, sidesOnly);
        QFETCH(qreal, musicSideWidth);
        Fixture fixture;
        fixture.add(QStringLiteral("daily"));
        if (hasMusic)
            fixture.add(QStringLiteral("music"))->setHasCompactContent(musicHasContent);
        fixture.add(QStringLiteral("usage"));
        const CompactBarArrangement arrangement = fixture.arrange({1512, 200, musicSideWidth, sidesOnly});
        QTEST(arrangement.showsCentre, "showsCentre");
        QTEST(arrangement.centreWidth, "centreWidth");
        QTEST(arrangement.sideWidth, "sideWidth");
        // The side items stay whatever happens in the centre, and music is never among them.
        QCOMPARE(ids(arrangement.leftWidgets), QStringList({"daily"}));
        QCOMPARE(ids(arrangement.rightWidgets), QStringList({"usage"}));
    }

    void musicIsNeverASideItem() {
        Fixture fixture;
        fixture.add(QStringLiteral("music"), true);
        fixture.add(QStringLiteral("daily"));
        const CompactBarArrangement arrangement = fixture.arrange(laptop);
        QCOMPARE(ids(arrangement.leftWidgets), QStringList({"daily"}));
        QVERIFY(arrangement.rightWidgets.isEmpty());
    }

    void noWidgetsGiveAnEmptyBar() {
        Fixture fixture;
        const CompactBarArrangement arrangement = fixture.arrange(laptop);
        QVERIFY(!arrangement.musicWidget);
        QVERIFY(arrangement.leftWidgets.isEmpty() && arrangement.rightWidgets.isEmpty());
        QCOMPARE(arrangement.sideWidth, 650.0);
    }

    // The view model follows the registry: a track starting or the panel opening changes the centre.
    void layoutFollowsLiveValuesAndPanelState() {
        Fixture fixture;
        StubWidget* music = fixture.add(QStringLiteral("music"));
        fixture.add(QStringLiteral("daily"));
        CompactBarLayout layout;
        layout.setPanelWidth(1512);
        layout.setNotchWidth(200);
        layout.setMusicSideWidth(32);
        connect(&fixture.registry, &WidgetRegistry::activeWidgetsChanged, &layout,
                [&] { layout.setWidgets(objects(fixture.registry.activeWidgets())); });
        layout.setWidgets(objects(fixture.registry.activeWidgets()));
        QCOMPARE(layout.sideWidth(), 650.0);

        QSignalSpy geometry(&layout, &CompactBarLayout::geometryChanged);
        QSignalSpy left(&layout, &CompactBarLayout::leftWidgetsChanged);
        music->setHasCompactContent(true);
        QVERIFY(layout.showsCentre());
        QCOMPARE(layout.sideWidth(), 624.0);
        QCOMPARE(geometry.count(), 1);
        QCOMPARE(left.count(), 0);

        layout.setSidesOnly(true);
        QVERIFY(!layout.showsCentre());
        QCOMPARE(layout.sideMargin(), 6.0);
        QCOMPARE(geometry.count(), 2);
    }

    void forgetsWidgetsThatAreDestroyed() {
        auto registry = std::make_unique<WidgetRegistry>();
        StubWidget music(QStringLiteral("music"), 0);
        music.setHasCompactContent(true);
        registry->registerWidget(&music);
        CompactBarLayout layout;
        layout.setWidgets(objects(registry->activeWidgets()));
        QVERIFY(layout.musicWidget());
        registry.reset();
        QVERIFY(!layout.musicWidget());
        QVERIFY(!layout.showsCentre());
    }
};

QTEST_GUILESS_MAIN(CompactBarLayoutTest)
#include "tst_CompactBarLayout.moc"
