#include "Core/ShellQml.h"
#include "FakeClipboard.h"
#include "InMemoryPreferences.h"
#include "Models/SettingsStore.h"
#include "Theme/ThemeQml.h"
#include "Widgets/NotesWidget.h"
#include "Widgets/ShelfWidget.h"
#include "Widgets/SystemWidget.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtTest>

// The feature views load over their real view models in both appearances without a QML warning.
class TestFeatureViews : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    FakeClipboard clipboard;
    QTemporaryDir folder;

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        registerShellQmlTypes();
        clipboard.put("copied text");
    }

    void loadsWithoutWarnings_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("mode");
        for (const char* mode : {"liquid", "dark"}) {
            for (const char* view :
                 {"System/SystemCompactView", "System/SystemExpandedView", "Notes/NotesExpandedView",
                  "Shelf/ShelfExpandedView", "Settings/GeneralSection"})
                QTest::addRow("%s %s", view, mode) << view << mode;
        }
    }

    void loadsWithoutWarnings() {
        QFETCH(QString, view);
        QFETCH(QString, mode);
        preferences.setValue("tavimor.appearanceMode", mode);
        preferences.setValue("tavimor.clipboardHistoryEnabled", true);
        SystemWidget system({preferences, &clipboard, QStringLiteral("/proc"), QString()});
        CaffeinateService keepAwake;
        system.setCaffeinateService(&keepAwake);
        system.start();
        system.service()->pollClipboard();
        NotesWidget notes(preferences, folder.filePath("Notes"));
        ShelfWidget shelf(folder.filePath("Shelf"), folder.filePath("Desktop"));
        SettingsStore settings(preferences);
        QObject* model = view.startsWith(u"System")  ? static_cast<QObject*>(&system)
                         : view.startsWith(u"Notes") ? static_cast<QObject*>(&notes)
                         : view.startsWith(u"Shelf") ? static_cast<QObject*>(&shelf)
                                                     : static_cast<QObject*>(&settings);

        QQmlEngine engine;
        QList<QQmlError> warnings;
        connect(&engine, &QQmlEngine::warnings, this,
                [&](const QList<QQmlError>& list) { warnings += list; });
        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Views/%1.qml").arg(view)));
        std::unique_ptr<QObject> created(
            component.createWithInitialProperties({{"model", QVariant::fromValue(model)}}));
        QVERIFY2(created, qPrintable(component.errorString()));
        QQuickWindow window;
        window.resize(496, 220);
        auto* item = qobject_cast<QQuickItem*>(created.get());
        item->setParentItem(window.contentItem());
        item->setSize(window.size());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.value(0).toString()));
    }
};

QTEST_MAIN(TestFeatureViews)
#include "tst_feature_views.moc"
