#include "Core/ExpandedPanelModel.h"
#include "StubWidget.h"
#include "Theme/TavimorTheme.h"
#include "Widgets/WidgetRegistry.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

struct Fixture {
    WidgetRegistry registry;
    NotchStateManager stateManager;
    ExpandedPanelModel model;
    std::vector<std::unique_ptr<StubWidget>> widgets;

    Fixture() {
        model.setStateManager(&stateManager);
        QObject::connect(&registry, &WidgetRegistry::activeWidgetsChanged, &model, [this] { refresh(); });
    }

    StubWidget* add(const QString& id, WidgetGroup group) {
        widgets.push_back(std::make_unique<StubWidget>(id, int(widgets.size()), group));
        registry.registerWidget(widgets.back().get());
        return widgets.back().get();
    }

    void refresh() {
        const QList<AnyNotchWidget*> active = registry.activeWidgets();
        model.setWidgets({active.begin(), active.end()});
    }
};

QStringList ids(const QList<QObject*>& widgets) {
    QStringList result;
    for (const QObject* widget : widgets)
        result << qobject_cast<const AnyNotchWidget*>(widget)->id();
    return result;
}

QString currentId(const ExpandedPanelModel& model) {
    const auto* widget = qobject_cast<const AnyNotchWidget*>(model.currentWidget());
    return widget ? widget->id() : QString();
}

} // namespace

class ExpandedPanelModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tabsClusterByGroupInRegistryOrder() {
        Fixture fixture;
        fixture.add(QStringLiteral("daily"), WidgetGroup::DiaADia);
        fixture.add(QStringLiteral("shelf"), WidgetGroup::Shelf);
        fixture.add(QStringLiteral("usage"), WidgetGroup::Ai);
        fixture.add(QStringLiteral("caffeinate"), WidgetGroup::Caffeinate);
        fixture.add(QStringLiteral("music"), WidgetGroup::DiaADia);
        fixture.add(QStringLiteral("servers"), WidgetGroup::Ai);
        QCOMPARE(ids(fixture.model.diaADiaWidgets()), QStringList({"daily", "music"}));
        QCOMPARE(ids(fixture.model.shelfWidgets()), QStringList({"shelf"}));
        QCOMPARE(ids(fixture.model.aiWidgets()), QStringList({"usage", "servers"}));
        QCOMPARE(ids(fixture.model.caffeinateWidgets()), QStringList({"caffeinate"}));
        QVERIFY(fixture.model.showsAiSeparator());
    }

    void noAiGroupDrawsNoSeparator() {
        Fixture fixture;
        fixture.add(QStringLiteral("daily"), WidgetGroup::DiaADia);
        StubWidget* usage = fixture.add(QStringLiteral("usage"), WidgetGroup::Ai);
        fixture.add(QStringLiteral("caffeinate"), WidgetGroup::Caffeinate);
        QVERIFY(fixture.model.showsAiSeparator());
        usage->setActive(false);
        QVERIFY(!fixture.model.showsAiSeparator());
        QVERIFY(fixture.model.aiWidgets().isEmpty());
    }

    void selectionFallsBackToTheFirstWidget() {
        Fixture fixture;
        fixture.add(QStringLiteral("daily"), WidgetGroup::DiaADia);
        StubWidget* music = fixture.add(QStringLiteral("music"), WidgetGroup::DiaADia);
        QCOMPARE(fixture.model.effectiveWidgetId(), QStringLiteral("daily")); // unset
        QCOMPARE(currentId(fixture.model), QStringLiteral("daily"));

        fixture.model.select(QStringLiteral("music"));
        QCOMPARE(fixture.stateManager.activeWidgetId(), std::optional<QString>(QStringLiteral("music")));
        QCOMPARE(currentId(fixture.model), QStringLiteral("music"));

        music->setActive(false); // the stored selection goes stale but is kept
        QCOMPARE(fixture.model.effectiveWidgetId(), QStringLiteral("daily"));
        QCOMPARE(currentId(fixture.model), QStringLiteral("daily"));
        QCOMPARE(fixture.stateManager.activeWidgetId(), std::optional<QString>(QStringLiteral("music")));

        fixture.stateManager.setActiveWidgetId(QStringLiteral("nonexistent"));
        QCOMPARE(fixture.model.effectiveWidgetId(), QStringLiteral("daily"));
    }

    void selectionFollowsTheStateManager() {
        Fixture fixture;
        fixture.add(QStringLiteral("daily"), WidgetGroup::DiaADia);
        fixture.add(QStringLiteral("shelf"), WidgetGroup::Shelf);
        QSignalSpy selection(&fixture.model, &ExpandedPanelModel::selectionChanged);
        fixture.stateManager.open();
        fixture.stateManager.setActiveWidgetId(QStringLiteral("shelf"));
        QCOMPARE(currentId(fixture.model), QStringLiteral("shelf"));
        QCOMPARE(selection.count(), 1);
        fixture.stateManager.close(); // clears the selection
        QCOMPARE(currentId(fixture.model), QStringLiteral("daily"));
        QCOMPARE(selection.count(), 2);
    }

    void noActiveWidgetsSelectNothing() {
        Fixture fixture;
        fixture.add(QStringLiteral("daily"), WidgetGroup::DiaADia)->setActive(false);
        fixture.stateManager.setActiveWidgetId(QStringLiteral("daily"));
        QVERIFY(fixture.model.effectiveWidgetId().isEmpty());
        QVERIFY(!fixture.model.currentWidget());
        QVERIFY(fixture.model.diaADiaWidgets().isEmpty());
        QVERIFY(!fixture.model.showsAiSeparator());
    }

    void atMostOneTabIsHighlighted() {
        Fixture fixture;
        for (const char* id : {"daily", "system", "music"})
            fixture.add(QString::fromLatin1(id), WidgetGroup::DiaADia);
        fixture.stateManager.setActiveWidgetId(QStringLiteral("system"));
        int highlighted = 0;
        for (const QObject* widget : fixture.model.diaADiaWidgets()) {
            const bool selected =
                qobject_cast<const AnyNotchWidget*>(widget)->id() == fixture.model.effectiveWidgetId();
            highlighted += ExpandedPanelModel::tabForeground(selected) == TavimorTheme::accent() ? 1 : 0;
        }
        QCOMPARE(highlighted, 1);
        QCOMPARE(ExpandedPanelModel::tabBackground(false).alpha(), 0);
        QCOMPARE(ExpandedPanelModel::tabBackground(true).rgb(), TavimorTheme::accent().rgb());
    }

    void toolColoursFollowTheMode() {
        QCOMPARE(ExpandedPanelModel::toolForeground(true), TavimorTheme::secondaryLabel());
        QCOMPARE(ExpandedPanelModel::toolForeground(false), TavimorTheme::muted());
        QCOMPARE(ExpandedPanelModel::toolBackground(false), TavimorTheme::surface());
        QCOMPARE(ExpandedPanelModel::dividerColor(false), TavimorTheme::surface());
        QCOMPARE(ExpandedPanelModel::toolBackground(true), QColor(0, 0, 0, 26));
        QCOMPARE(ExpandedPanelModel::dividerColor(true), QColor(0, 0, 0, 31));
    }
};

QTEST_GUILESS_MAIN(ExpandedPanelModelTest)
#include "tst_ExpandedPanelModel.moc"
