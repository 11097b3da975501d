#include "Core/CompactBarLayout.h"
#include "FakeWidget.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

QList<QObject*> activeObjects(const WidgetRegistry& registry) {
    const QList<AnyNotchWidget*> active = registry.activeWidgets();
    return {active.begin(), active.end()};
}

} // namespace

class CompactBarLayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
        QSignalSpy geometry(&layout, &CompactBarLayout::geometryChanged);
        QSignalSpy left(&layout, &CompactBarLayout::leftWidgetsChanged);
        music->setHasCompactContent(true);
        QCOMPARE(layout.sideWidth(), 624.0);
        QCOMPARE(geometry.count(), 1);
        QCOMPARE(left.count(), 0);
        set.reset();
        QVERIFY(!layout.musicWidget());
        QVERIFY(!layout.showsCentre());
    }
};

QTEST_GUILESS_MAIN(CompactBarLayoutTest)
#include "tst_CompactBarLayout.moc"
