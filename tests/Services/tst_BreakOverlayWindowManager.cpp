#include "FakeClock.h"
#include "FakePlatform.h"
#include "FakeReminders.h"
#include "Foundation/NotificationCenter.h"
#include "InMemoryPreferences.h"
#include "Platform/Screens/QtScreens.h"
#include "Services/BreakOverlayWindowManager.h"

#include <QtTest>

class BreakOverlayTest : public QObject {
    Q_OBJECT

    FakeClock clock;
    InMemoryPreferences preferences;
    FakePresence presence;
    NotificationCenter notifications;
    FakeScreens screens;
    FakeReminderWindows windows;
    int tipDraws = 0;
    BreakOverlayWindowManager* overlay = nullptr;
    std::unique_ptr<BreakService> service;

    QList<FakeReminderWindows::Window*> shown() const {
        QList<FakeReminderWindows::Window*> list;
        for (auto* window : windows.made)
            if (window->visible)
                list.append(window);
        return list;
    }

private Q_SLOTS:
    void init() {
        screens.list = {
            QtScreens::describe(QStringLiteral("a"), QRect(0, 0, 1280, 800), QRect(0, 0, 1280, 800), 1, true),
            QtScreens::describe(QStringLiteral("b"), QRect(1280, 0, 1280, 800), QRect(1280, 0, 1280, 800), 1,
                                false)};
        windows.made.clear();
        tipDraws = 0;
        preferences.setValue(QStringLiteral("tavimor.breakEnabled"), true);
        preferences.remove(QStringLiteral("tavimor.breakStrict"));
        preferences.remove(QStringLiteral("tavimor.breakSnoozes"));
        auto manager =
            std::make_unique<BreakOverlayWindowManager>(screens, windows, clock, [this](int count) {
                ++tipDraws;
                return count - 1;
            });
        overlay = manager.get();
        service = std::make_unique<BreakService>(
            BreakService::Dependencies{preferences, clock, presence, nullptr, notifications},
            std::move(manager));
        service->takeBreakNow();
    }

    // One window per screen, the first taking the focus; a second present changes nothing; a screen added
    // during the break gets its window, with the same tip; the break ending orders all out.
    void followsScreenChanges() {
        overlay->present(*service);
        QCOMPARE(shown().size(), 2);
        QCOMPARE(shown().at(1)->spec.geometry, QRect(1280, 0, 1280, 800));
        QVERIFY(shown().at(0)->spec.takesFocus && !shown().at(1)->spec.takesFocus);
        screens.list.append(QtScreens::describe(QStringLiteral("c"), QRect(0, 800, 800, 600),
                                                QRect(0, 800, 800, 600), 1, false));
        Q_EMIT screens.screensChanged();
        QCOMPARE(shown().size(), 3);
        QCOMPARE(tipDraws, 1);
        service->skip();
        QCOMPARE(shown().size(), 0);
        Q_EMIT screens.screensChanged();
        QCOMPARE(shown().size(), 0);
        // The next break on the same screens shows the kept windows over its own model.
        service->takeBreakNow();
        QCOMPARE(shown().size(), 3);
        QCOMPARE(windows.made.size(), 5);
        QCOMPARE(shown().at(2)->spec.properties.value("model").value<QObject*>(), overlay->model());
    }

    // Escape presses (milliseconds after the previous one) and whether the break is still on afterwards.
    void escapeTwice_data() {
        QTest::addColumn<QList<int>>("gaps");
        QTest::addColumn<bool>("strict");
        QTest::addColumn<bool>("stillOn");
        QTest::newRow("once") << QList<int>{0} << false << true;
        QTest::newRow("twice within 1.5 s") << QList<int>{0, 1400} << false << false;
        QTest::newRow("second press 2 s later") << QList<int>{0, 2000} << false << true;
        QTest::newRow("third press pairs with the second") << QList<int>{0, 2000, 1000} << false << false;
        QTest::newRow("strict without snoozes") << QList<int>{0, 100} << true << true;
    }

    void escapeTwice() {
        QFETCH(QList<int>, gaps);
        QFETCH(bool, strict);
        if (strict) {
            preferences.setValue(QStringLiteral("tavimor.breakStrict"), true);
            preferences.setValue(QStringLiteral("tavimor.breakSnoozes"), 0);
            service->applySettings();
        }
        for (int gap : gaps) {
            clock.advance(gap);
            windows.made.constFirst()->spec.escapePressed();
        }
        QTEST(service->phase() == BreakService::Phase::active, "stillOn");
    }

    // Strict without snoozes: the hint says the break cannot be skipped and no snooze line is shown; the
    // countdown never goes below zero.
    void textsAndMarkup() {
        preferences.setValue(QStringLiteral("tavimor.breakStrict"), true);
        preferences.setValue(QStringLiteral("tavimor.breakSnoozes"), 0);
        service->applySettings();
        QCOMPARE(overlay->model()->hint(), QStringLiteral("Pausa obrigatória — aproveite para descansar."));
        QVERIFY(overlay->model()->snoozeLine().isEmpty());
        QCOMPARE(BreakOverlayModel::countdownText(-3), QStringLiteral("00:00"));
        const std::pair<const char*, const char*> markup[] = {
            {"Press **Esc** twice", "Press <b>Esc</b> twice"},
            {"Press **Esc twice", ""}, // unpaired: shown as it is
            {"<img src=x> **a&b**", "&lt;img src=x&gt; <b>a&amp;b</b>"}};
        for (const auto& [text, styled] : markup)
            QCOMPARE(BreakOverlayModel::boldMarkup(QString::fromUtf8(text)).value_or(QString()),
                     QString::fromUtf8(styled));
    }
};

QTEST_GUILESS_MAIN(BreakOverlayTest)
#include "tst_BreakOverlayWindowManager.moc"
