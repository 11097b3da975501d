#include "Core/HealthSettingsModel.h"
#include "Foundation/NotificationCenter.h"
#include "InMemoryPreferences.h"
#include "Theme/ThemeQml.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

// The settings section loads and runs without a QML warning over its view model. (The application loads
// the break tab, the overlay and the reminder panels in the X11 test, which fails on any QML warning.)
class ReminderViewsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void healthSectionLoadsWithoutWarnings() {
        InMemoryPreferences preferences;
        NotificationCenter notifications;
        registerThemeQmlTypes(preferences);
        HealthSettingsModel settings(preferences, notifications);
        QQmlEngine engine;
        QList<QQmlError> warnings;
        connect(&engine, &QQmlEngine::warnings, this,
                [&](const QList<QQmlError>& list) { warnings << list; });
        QQuickWindow window;
        window.resize(540, 600);
        window.show();
        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/Views/Settings/HealthSection.qml")));
        std::unique_ptr<QQuickItem> item(qobject_cast<QQuickItem*>(
            component.createWithInitialProperties({{"model", QVariant::fromValue<QObject*>(&settings)}})));
        QVERIFY2(item, qPrintable(component.errorString()));
        item->setParentItem(window.contentItem());
        item->setSize(window.size());
        settings.setBlinkPosition(QStringLiteral("center"));
        settings.setBreakDurationSec(60);
        QTest::qWait(50);
        QVERIFY2(warnings.isEmpty(),
                 qPrintable(warnings.isEmpty() ? QString() : warnings.constFirst().toString()));
    }
};

QTEST_MAIN(ReminderViewsTest)
#include "tst_reminder_views.moc"
