#include "Widgets/WidgetRegistry.h"

#include "FakeWidget.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// The eleven widgets of the panel in registration order, with their priorities; notes and break are off.
struct PanelRegistry : WidgetSet {
    CallLog calls;
    QHash<QString, FakeWidget*> byId;

    PanelRegistry() {
        log = &calls;
        const std::pair<const char*, int> entries[] = {
            {"daily", 1}, {"system", 2},     {"music", 3}, {"usage", 4}, {"devices", 5}, {"servers", 6},
            {"shelf", 7}, {"caffeinate", 8}, {"audio", 4}, {"notes", 9}, {"break", 10}};
        for (const auto& [id, priority] : entries) {
            FakeWidget* widget = byId[id] = add(QString::fromLatin1(id), WidgetGroup::DiaADia, priority);
            widget->setActive(qstrcmp(id, "notes") && qstrcmp(id, "break"));
        }
    }
    QStringList activeIds() const { return idsOf(registry.activeWidgets()); }
};

} // namespace

class TestWidgetRegistry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Active widgets sort by priority, ties in registration order. A record whose widget is gone is
    // announced, falls back to the placeholder and is left out of the active widgets and of start and stop.
    void activeWidgetsAndVanishedRecords() {
        PanelRegistry panel;
        QCOMPARE(panel.activeIds(), (QStringList{"daily", "system", "music", "usage", "audio", "devices",
                                                 "servers", "shelf", "caffeinate"}));
        panel.byId["notes"]->setActive(true);
        QCOMPARE(panel.activeIds().mid(8), (QStringList{"caffeinate", "notes"}));
        panel.byId["system"]->setActive(false);
        QVERIFY(!panel.activeIds().contains("system"));

        QSignalSpy changed(&panel.registry, &WidgetRegistry::activeWidgetsChanged);
        panel.byId["music"]->setBodies({}, QUrl(QStringLiteral("qrc:/Views/Music.qml")));
        panel.widgets.at(2).reset();
        QVERIFY(changed.count() >= 1);
        QVERIFY(!panel.activeIds().contains("music"));
        const AnyNotchWidget* record = panel.registry.widgets().at(2);
        QCOMPARE(record->id(), QStringLiteral("music"));
        QCOMPARE(record->icon(), AnyNotchWidget::placeholderIcon);
        QVERIFY(record->expandedBody().isEmpty());
        QCOMPARE(record->viewModel(), nullptr);

        panel.registry.stopAll({QStringLiteral("caffeinate")});
        QCOMPARE(panel.calls.entries,
                 (QStringList{"daily.stop", "system.stop", "usage.stop", "devices.stop", "servers.stop",
                              "shelf.stop", "audio.stop", "notes.stop", "break.stop"}));
    }
};

QTEST_GUILESS_MAIN(TestWidgetRegistry)
#include "tst_WidgetRegistry.moc"
