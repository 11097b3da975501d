#include "Widgets/WidgetRegistry.h"

#include "CallLog.h"
#include "FakeWidget.h"

#include <QSignalSpy>
#include <QTest>

#include <map>
#include <memory>

namespace {

// The eleven widgets of the panel in registration order, with their priorities; notes and break are off.
struct PanelRegistry {
    CallLog log;
    std::map<QString, std::unique_ptr<FakeWidget>> widgets;
    WidgetRegistry registry;

    PanelRegistry() {
        const std::pair<const char*, int> entries[] = {
            {"daily", 1}, {"system", 2},     {"music", 3}, {"usage", 4}, {"devices", 5}, {"servers", 6},
            {"shelf", 7}, {"caffeinate", 8}, {"audio", 4}, {"notes", 9}, {"break", 10}};
        for (const auto& [id, priority] : entries) {
            auto& widget = widgets[id];
            widget = std::make_unique<FakeWidget>(id, priority, &log);
            widget->setActive(qstrcmp(id, "notes") && qstrcmp(id, "break"));
            registry.registerWidget(widget.get());
        }
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
        QSignalSpy changed(&panel.registry, &WidgetRegistry::activeWidgetsChanged);
        QCOMPARE(panel.activeIds(), (QStringList{"daily", "system", "music", "usage", "audio", "devices",
                                                 "servers", "shelf", "caffeinate"}));
        panel.widgets["notes"]->setActive(true);
        QCOMPARE(panel.activeIds().mid(8), (QStringList{"caffeinate", "notes"}));
        panel.widgets["system"]->setActive(false);
        QVERIFY(!panel.activeIds().contains("system"));
        QCOMPARE(changed.count(), 2);
        panel.widgets["music"]->setIcon(QStringLiteral("music.note"));
        QCOMPARE(panel.registry.widgets().at(2)->icon(), QStringLiteral("music.note"));
    }

    void aRecordWhoseWidgetIsGoneFallsBackAndIsLeftOutOfStartAndStop() {
        PanelRegistry panel;
        QSignalSpy changed(&panel.registry, &WidgetRegistry::activeWidgetsChanged);
        panel.widgets["music"]->setBodies({}, QUrl(QStringLiteral("qrc:/Views/Music.qml")));
        panel.widgets["music"].reset();
        QVERIFY(changed.count() >= 1);
        QVERIFY(!panel.activeIds().contains("music"));
        const AnyNotchWidget* record = panel.registry.widgets().at(2);
        QCOMPARE(record->id(), QStringLiteral("music"));
        QCOMPARE(record->icon(), AnyNotchWidget::placeholderIcon);
        QVERIFY(record->expandedBody().isEmpty());
        QCOMPARE(record->viewModel(), nullptr);

        panel.registry.stopAll({QStringLiteral("caffeinate")});
        QCOMPARE(panel.log.entries,
                 (QStringList{"daily.stop", "system.stop", "usage.stop", "devices.stop", "servers.stop",
                              "shelf.stop", "audio.stop", "notes.stop", "break.stop"}));
    }
};

QTEST_GUILESS_MAIN(TestWidgetRegistry)
#include "tst_WidgetRegistry.moc"
