#include "Core/HealthSettingsModel.h"
#include "FakeCalendarStore.h"
#include "FakePlatform.h"
#include "FakeSecretStore.h"
#include "InMemoryPreferences.h"
#include "ItemTreeCheck.h"
#include "Models/SettingsStore.h"
#include "Platform/Screens/QtScreens.h"
#include "Services/AgendaSectionModel.h"
#include "Services/KeychainService.h"
#include "Services/OnboardingWindowManager.h"
#include "Services/SettingsWindowManager.h"
#include "Services/TodoistService.h"
#include "Services/UsageService.h"
#include "Services/UsageTokenSources.h"
#include "Theme/ThemeQml.h"
#include "Widgets/UsageSettingsModel.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

// Every section of the settings window, in both appearances, at the window's one size, and the onboarding
// window at its default and least sizes: their texts read and are whole, their controls are inside the window
// (or scroll into it) and apart. Both tokens are stored, so every button shows.
class TestSettingsViews : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    FakeCalendarStore calendars;
    NotificationCenter notifications;
    std::shared_ptr<FakeSecretStore> secrets = std::make_shared<FakeSecretStore>();
    // Reads no token and calls nothing: the section shows its loading status.
    UsageService usage{{nullptr, [](QObject*, auto) {}, [](const QString&, QObject*, auto) {}}};

    QList<SettingsSection> sections() {
        const auto agenda = [this](const SettingsContext& context, QObject* parent) -> QObject* {
            return new AgendaSectionModel(calendars, context.preferences, notifications, parent);
        };
        const auto health = [this](const SettingsContext& context, QObject* parent) -> QObject* {
            return new HealthSettingsModel(context.preferences, notifications, parent);
        };
        const auto general = [](const SettingsContext& context, QObject* parent) -> QObject* {
            return new SettingsStore(context.preferences, parent);
        };
        const auto usage = [](const SettingsContext& context, QObject* parent) -> QObject* {
            return new UsageSettingsModel(context.usageService, parent);
        };
        return {{"general", "k", "Geral", "gearshape", "GeneralSection", general},
                {"agenda", "k", "Agenda", "calendar", "AgendaSection", agenda},
                {"health", "k", "Saúde", "heart", "HealthSection", health},
                {"usage", "k", "Uso", "sparkles", "UsageSection", usage}};
    }

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        KeychainService::setStore(secrets);
        secrets->items.insert({KeychainService::serviceName, TodoistService::tokenKey}, {"t", "t"});
        secrets->items.insert({KeychainService::serviceName, UsageTokenSources::manualTokenKey}, {"t", "t"});
        usage.fetch(false);
        calendars.sources = {{"work", "Trabalho", QColor("#3a7bd5")},
                             {"family", "Família e aniversários dos amigos", QColor("#e4572e")}};
    }

    // A view that fails to load would pass the checks empty: any QML warning fails.
    void init() { QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support raise).*")); }

    void sectionsReadAndFit_data() {
        QTest::addColumn<int>("section");
        QTest::addColumn<QString>("mode");
        const QList<SettingsSection> all = sections();
        for (int index = 0; index < all.size(); ++index) {
            for (const char* mode : {"dark", "liquid"})
                QTest::addRow("%s %s", qPrintable(all.at(index).id), mode) << index << mode;
        }
    }

    void sectionsReadAndFit() {
        QFETCH(int, section);
        QFETCH(QString, mode);
        preferences.setValue("tavimor.appearanceMode", mode);
        SettingsWindowManager manager;
        manager.setPreferences(&preferences);
        manager.setSections(sections());
        manager.setUsageService(&usage);
        manager.open();
        QQuickWindow* window = manager.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        calendars.answerAccess({CalendarAccess::Answer::granted, {}});
        QQuickItem* view = ItemTreeCheck::visibleItems(window->contentItem(), "settingsView").value(0);
        QVERIFY(view);
        view->setProperty("currentIndex", section);
        QTest::qWait(100); // the keychain answers and the layouts settle
        QCOMPARE(window->size(), SettingsWindowManager::windowSize);
        QCOMPARE(window->minimumSize(), SettingsWindowManager::windowSize);
        QCOMPARE(window->maximumSize(), SettingsWindowManager::windowSize);
        QVERIFY(window->flags().testFlag(Qt::CustomizeWindowHint));
        QVERIFY(!(window->flags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        const QStringList problems = ItemTreeCheck::layoutProblems(window->contentItem()) +
                                     ItemTreeCheck::truncatedTexts(window->contentItem());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    // The health section is taller than the window: the wheel scrolls its page.
    void pagesScrollWithTheWheel() {
        SettingsWindowManager manager;
        manager.setPreferences(&preferences);
        manager.setSections(sections());
        manager.open();
        QQuickWindow* window = manager.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        ItemTreeCheck::visibleItems(window->contentItem(), "settingsView")
            .value(0)
            ->setProperty("currentIndex", 2);
        QQuickItem* page = ItemTreeCheck::visibleItems(window->contentItem(), "settingsPage").value(0);
        QTRY_VERIFY(page->property("contentHeight").toDouble() > page->height());
        const QPointF inside = page->mapToScene(QPointF(page->width() / 2, page->height() / 2));
        QWheelEvent wheel(inside, window->mapToGlobal(inside), {}, {0, -360}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QGuiApplication::sendEvent(window, &wheel);
        QTRY_VERIFY(page->property("contentY").toDouble() > 0);
    }

    // The compact item's context menu, open in a window of the panel's colour.
    void menuReads() {
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData(R"(import QtQuick
            import "qrc:/Views/Controls"
            Window { width: 300; height: 200; color: "black"; property alias menu: menu
                ThemedMenu { id: menu; x: 10; y: 10; ThemedMenuItem { text: "Configurações" } ThemedMenuSeparator {}
                    ThemedMenuItem { text: "Sair do Tavimor" } } })",
                          QUrl());
        std::unique_ptr<QObject> object(component.create());
        auto* window = qobject_cast<QQuickWindow*>(object.get());
        QVERIFY2(window, qPrintable(component.errorString()));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QMetaObject::invokeMethod(window->property("menu").value<QObject*>(), "open");
        QTRY_VERIFY(window->property("menu").value<QObject*>()->property("opened").toBool());
        const QStringList problems = ItemTreeCheck::layoutProblems(window->contentItem());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    void onboardingReadsAndFits_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("least");
        for (const char* mode : {"dark", "liquid"}) {
            QTest::addRow("%s", mode) << mode << false;
            QTest::addRow("%s least", mode) << mode << true;
        }
    }

    void onboardingReadsAndFits() {
        QFETCH(QString, mode);
        QFETCH(bool, least);
        preferences.setValue("tavimor.appearanceMode", mode);
        OnboardingWindowManager manager;
        manager.show();
        QQuickWindow* window = manager.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        if (least)
            window->resize(window->minimumSize());
        QTest::qWait(50);
        QVERIFY(window->minimumWidth() > 0 && window->width() == (least ? window->minimumWidth() : 520));
        const QStringList problems = ItemTreeCheck::layoutProblems(window->contentItem()) +
                                     ItemTreeCheck::truncatedTexts(window->contentItem());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    // The first-run window opens where the settings window does, below the notch of whichever screen has
    // it; once access is granted its button is off and the status says so, while a failure lets it ask again.
    void onboardingPlacedAndShowsAccess_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("askable");
        QTest::addColumn<QString>("status");
        QTest::newRow("granted") << int(CalendarAccess::Answer::granted) << false
                                 << "Acesso concedido: 2 calendários";
        QTest::newRow("failed") << int(CalendarAccess::Answer::failed) << true << "sem registro";
    }

    void onboardingPlacedAndShowsAccess() {
        QFETCH(int, answer);
        FakeScreens screens;
        const QRect notched(1280, 0, 1920, 1080);
        const QRect side(0, 0, 1280, 800);
        screens.list = {QtScreens::describe("side", side, side, 1, false),
                        QtScreens::describe("main", notched, notched, 1, true)};
        auto store = std::make_unique<FakeCalendarStore>();
        FakeCalendarStore* calendarStore = store.get();
        calendarStore->sources = calendars.sources;
        OnboardingWindowManager manager;
        manager.setScreens(&screens);
        manager.setCalendarStore(std::move(store));
        manager.show();
        QQuickWindow* window = manager.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->position(),
                 SettingsWindowManager::positionBelowNotch(screens.list, {}, {}, window->size()).value());
        QCOMPARE(window->position(), QPoint(1280 + (1920 - window->width()) / 2, 324));
        QQuickItem* allow = ItemTreeCheck::visibleItems(window->contentItem(), "allowCalendar").value(0);
        QVERIFY(allow && allow->isEnabled());
        manager.requestCalendarAccess();
        calendarStore->answerAccess({CalendarAccess::Answer(answer), QStringLiteral("sem registro")});
        QTEST(allow->isEnabled(), "askable");
        QTEST(manager.calendarStatus(), "status");
    }
};

QTEST_MAIN(TestSettingsViews)
#include "tst_settings_views.moc"
