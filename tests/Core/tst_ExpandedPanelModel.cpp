#include "Core/ExpandedPanelModel.h"
#include "FakeWidget.h"
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
    std::vector<std::unique_ptr<FakeWidget>> widgets;

    Fixture() {
        model.setStateManager(&stateManager);
        QObject::connect(&registry, &WidgetRegistry::activeWidgetsChanged, &model, [this] {
            const QList<AnyNotchWidget*> active = registry.activeWidgets();
            model.setWidgets({active.begin(), active.end()});
        });
    }

    FakeWidget* add(const char* id, WidgetGroup group = WidgetGroup::DiaADia) {
        widgets.push_back(
            std::make_unique<FakeWidget>(QString::fromLatin1(id), int(widgets.size()), nullptr, group));
        registry.registerWidget(widgets.back().get());
        return widgets.back().get();
    }
    QString currentId() const {
        const auto* widget = qobject_cast<const AnyNotchWidget*>(model.currentWidget());
        return widget ? widget->id() : QString();
    }
};

QStringList ids(const QList<QObject*>& widgets) {
    QStringList result;
    for (const QObject* widget : widgets)
        result << qobject_cast<const AnyNotchWidget*>(widget)->id();
    return result;
}

} // namespace

class ExpandedPanelModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tabsClusterByGroupInRegistryOrder() {
        Fixture fixture;
        fixture.add("daily");
        fixture.add("shelf", WidgetGroup::Shelf);
        FakeWidget* usage = fixture.add("usage", WidgetGroup::Ai);
        fixture.add("music");
        QCOMPARE(ids(fixture.model.diaADiaWidgets()), QStringList({"daily", "music"}));
        QCOMPARE(ids(fixture.model.shelfWidgets()), QStringList({"shelf"}));
        QVERIFY(fixture.model.showsAiSeparator());
        usage->setActive(false);
        QVERIFY(!fixture.model.showsAiSeparator());
    }

    // The selection lives in the state manager: a close clears it. A stored selection that went stale is
    // kept, but the panel shows the first widget instead.
    void selectionFallsBackToTheFirstWidget() {
        Fixture fixture;
        fixture.add("daily");
        FakeWidget* music = fixture.add("music");
        QCOMPARE(fixture.currentId(), QStringLiteral("daily"));
        QSignalSpy selection(&fixture.model, &ExpandedPanelModel::selectionChanged);
        fixture.stateManager.open();
        fixture.model.select(QStringLiteral("music"));
        QCOMPARE(fixture.currentId(), QStringLiteral("music"));
        fixture.stateManager.close();
        QCOMPARE(fixture.currentId(), QStringLiteral("daily"));
        QCOMPARE(selection.count(), 2);
        fixture.model.select(QStringLiteral("music"));
        music->setActive(false);
        QCOMPARE(fixture.model.effectiveWidgetId(), QStringLiteral("daily"));
        QCOMPARE(fixture.currentId(), QStringLiteral("daily"));
        QCOMPARE(fixture.stateManager.activeWidgetId(), std::optional<QString>(QStringLiteral("music")));
        fixture.widgets.front()->setActive(false); // none left
        QVERIFY(fixture.model.effectiveWidgetId().isEmpty());
        QVERIFY(!fixture.model.currentWidget());
    }
};

QTEST_GUILESS_MAIN(ExpandedPanelModelTest)
#include "tst_ExpandedPanelModel.moc"
