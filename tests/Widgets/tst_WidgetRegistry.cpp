#include "Widgets/WidgetRegistry.h"

#include "CallLog.h"
#include "FakeWidget.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

namespace {

struct Entry {
    const char* id;
    int priority;
};

// The eleven widgets of the panel, in registration order, with their priorities.
constexpr Entry panelWidgets[] = {{"daily", 1},   {"system", 2},  {"music", 3}, {"usage", 4},
                                  {"devices", 5}, {"servers", 6}, {"shelf", 7}, {"caffeinate", 8},
                                  {"audio", 4},   {"notes", 9},   {"break", 10}};

struct PanelRegistry {
    CallLog log;
    std::vector<std::unique_ptr<FakeWidget>> widgets;
    WidgetRegistry registry;

    PanelRegistry() {
        for (const Entry& entry : panelWidgets) {
            const QString id = QString::fromLatin1(entry.id);
            const bool active = id != u"notes" && id != u"break"; // both off until the user enables them
            widgets.push_back(std::make_unique<FakeWidget>(id, entry.priority, &log, active));
            registry.registerWidget(widgets.back().get());
        }
    }

    FakeWidget* widget(const QString& id) {
        for (const auto& widget : widgets) {
            if (widget->id() == id)
                return widget.get();
        }
        return nullptr;
    }

    QStringList activeIds() const {
        QStringList ids;
        for (const AnyNotchWidget* record : registry.activeWidgets())
            ids.append(record->id());
        return ids;
    }
};

} // namespace

class TestWidgetRegistry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void activeWidgetsSortByPriorityWithTiesInRegistrationOrder() {
        PanelRegistry panel;
        QCOMPARE(panel.activeIds(), (QStringList{"daily", "system", "music", "usage", "audio", "devices",
                                                 "servers", "shelf", "caffeinate"}));

        panel.widget("notes")->setActive(true);
        QCOMPARE(panel.activeIds().mid(8), (QStringList{"caffeinate", "notes"}));

        panel.widget("system")->setActive(false);
        QVERIFY(!panel.activeIds().contains("system"));
    }

    void bulkStartAndStopFollowRegistrationOrder() {
        PanelRegistry panel;
        panel.registry.stopAll({QStringLiteral("caffeinate")});
        QCOMPARE(panel.log.entries.size(), 10);
        QVERIFY(!panel.log.entries.contains("caffeinate.stop"));

        panel.log.clear();
        panel.registry.stopAll({});
        QCOMPARE(panel.log.entries.size(), 11);
        QCOMPARE(panel.log.entries.first(), QStringLiteral("daily.stop"));
        QCOMPARE(panel.log.entries.last(), QStringLiteral("break.stop"));

        panel.log.clear();
        panel.registry.pauseExpandedOnly();
        panel.registry.pauseExpandedOnly();
        QCOMPARE(panel.log.entries, (QStringList{"devices.stop", "servers.stop", "shelf.stop", "devices.stop",
                                                 "servers.stop", "shelf.stop"}));

        panel.log.clear();
        panel.registry.resumeExpandedOnly();
        QCOMPARE(panel.log.entries, (QStringList{"devices.start", "servers.start", "shelf.start"}));
    }

    void aRecordWhoseWidgetIsGoneFallsBackAndDoesNothing() {
        CallLog log;
        auto widget = std::make_unique<FakeWidget>(QStringLiteral("music"), 3, &log);
        widget->setIcon(QStringLiteral("music.note"));
        WidgetRegistry registry;
        registry.registerWidget(widget.get());
        registry.registerWidget(widget.get()); // registered twice: two records
        QCOMPARE(registry.widgets().size(), 2);
        QSignalSpy changed(&registry, &WidgetRegistry::activeWidgetsChanged);

        widget.reset();
        QVERIFY(changed.count() >= 1);
        QVERIFY(registry.activeWidgets().isEmpty());
        const AnyNotchWidget* record = registry.widgets().first();
        QCOMPARE(record->id(), QStringLiteral("music"));
        QCOMPARE(record->priority(), 3);
        QCOMPARE(record->icon(), AnyNotchWidget::placeholderIcon);
        QVERIFY(!record->hasCompactContent());
        QVERIFY(record->showInCompactBar());
        QVERIFY(record->expandedBody().isEmpty());
        QCOMPARE(record->viewModel(), nullptr);
        registry.startAll();
        registry.stopAll();
        QVERIFY(log.entries.isEmpty());
    }

    void liveValueChangesReachTheViews() {
        FakeWidget widget(QStringLiteral("caffeinate"), 8);
        WidgetRegistry registry;
        QSignalSpy changed(&registry, &WidgetRegistry::activeWidgetsChanged);
        registry.registerWidget(&widget);
        QCOMPARE(changed.count(), 1);

        widget.setIcon(QStringLiteral("cup.and.saucer.fill"));
        QCOMPARE(registry.widgets().first()->icon(), QStringLiteral("cup.and.saucer.fill"));
        widget.setActive(false);
        QCOMPARE(changed.count(), 3);
        QCOMPARE(registry.property("activeWidgets").value<QList<QObject*>>().size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWidgetRegistry)
#include "tst_WidgetRegistry.moc"
