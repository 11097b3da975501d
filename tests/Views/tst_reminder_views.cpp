#include "Core/HealthSettingsModel.h"
#include "Core/NotificationCenter.h"
#include "FakeClock.h"
#include "FakePlatform.h"
#include "FakeReminders.h"
#include "InMemoryPreferences.h"
#include "Platform/Screens/QtScreens.h"
#include "Services/BlinkService.h"
#include "Services/BreakOverlayWindowManager.h"
#include "Services/PostureService.h"
#include "Theme/ThemeQml.h"
#include "Widgets/BreakWidget.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

// The health views load and run without a QML warning, in both appearances, over real view models.
class ReminderViewsTest : public QObject {
    Q_OBJECT

    FakeClock clock;
    InMemoryPreferences preferences;
    FakePresence presence;
    NotificationCenter notifications;
    FakeScreens screens;
    FakeReminderWindows windows;

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        screens.list = {QtScreens::describe(QStringLiteral("a"), QRect(0, 0, 1280, 800),
                                            QRect(0, 0, 1280, 800), 1, true)};
    }

    void loadsWithoutWarnings_data() {
        QTest::addColumn<QString>("appearance");
        QTest::newRow("liquid") << "liquid";
        QTest::newRow("dark") << "dark";
    }

    void loadsWithoutWarnings() {
        QFETCH(QString, appearance);
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), appearance);
        preferences.setValue(QStringLiteral("tavimor.breakEnabled"), true);
        auto overlay = std::make_unique<BreakOverlayWindowManager>(screens, windows, clock);
        BreakOverlayWindowManager* manager = overlay.get();
        BreakWidget widget(
            preferences, notifications,
            std::make_unique<BreakService>(
                BreakService::Dependencies{preferences, clock, presence, nullptr, notifications},
                std::move(overlay)));
        widget.start();
        widget.service()->takeBreakNow();
        BlinkReminderState blink;
        PostureReminderState posture;
        HealthSettingsModel settings(preferences, notifications);
        const std::pair<const char*, QVariantMap> views[] = {
            {"Reminders/BreakOverlayView", {{"model", QVariant::fromValue<QObject*>(manager->model())}}},
            {"Reminders/BlinkReminderView",
             {{"state", QVariant::fromValue<QObject*>(&blink)}, {"scale", 1.4}}},
            {"Reminders/PostureReminderView",
             {{"state", QVariant::fromValue<QObject*>(&posture)}, {"scale", 0.6}}},
            {"Break/BreakExpandedView", {{"model", QVariant::fromValue(widget.viewModel())}}},
            {"Settings/HealthSection", {{"model", QVariant::fromValue<QObject*>(&settings)}}},
        };
        QQmlEngine engine;
        QList<QQmlError> warnings;
        connect(&engine, &QQmlEngine::warnings, this,
                [&](const QList<QQmlError>& list) { warnings << list; });
        QQuickWindow window;
        window.resize(640, 480);
        window.show();
        for (const auto& [name, properties] : views) {
            QQmlComponent component(&engine,
                                    QUrl(QStringLiteral("qrc:/Views/%1.qml").arg(QLatin1String(name))));
            std::unique_ptr<QQuickItem> item(
                qobject_cast<QQuickItem*>(component.createWithInitialProperties(properties)));
            QVERIFY2(item, qPrintable(component.errorString()));
            item->setParentItem(window.contentItem());
            item->setSize(window.size());
            blink.setVisible(true);
            blink.setClosed(true);
            posture.setFlying(true);
            posture.setOpacity(1);
            widget.service()->tick();
            QTest::qWait(50);
        }
        widget.service()->skip();
        QTest::qWait(50);
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.isEmpty() ? QString() : warnings.constFirst().toString()));
        widget.stop();
    }
};

QTEST_MAIN(ReminderViewsTest)
#include "tst_reminder_views.moc"
