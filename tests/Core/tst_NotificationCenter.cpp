#include "Core/NotificationCenter.h"

#include <QSet>
#include <QTest>
#include <QThread>

class TestNotificationCenter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theNineNamesAreDistinctAndPrefixed() {
        const QStringList names{Notifications::calendarFilterChanged,   Notifications::todoistTokenSaved,
                                Notifications::notesEnabledChanged,     Notifications::breakSettingsChanged,
                                Notifications::breakPreviewRequested,   Notifications::postureSettingsChanged,
                                Notifications::posturePreviewRequested, Notifications::blinkSettingsChanged,
                                Notifications::blinkPreviewRequested};
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 9);
        for (const QString& name : names)
            QVERIFY(name.startsWith(u"tavimor."));
        QCOMPARE(Notifications::todoistTokenSaved, QStringLiteral("tavimor.todoistTokenSaved"));
    }

    void deliversToTheCurrentObserversOfThatNameOnly() {
        NotificationCenter center;
        QStringList received;
        const auto first = center.addObserver(Notifications::breakSettingsChanged, nullptr,
                                              [&] { received.append("first"); });
        center.addObserver(Notifications::breakSettingsChanged, nullptr, [&] { received.append("second"); });
        center.addObserver(Notifications::blinkSettingsChanged, nullptr, [&] { received.append("blink"); });

        center.post(Notifications::breakSettingsChanged);
        QCOMPARE(received, (QStringList{"first", "second"}));

        received.clear();
        center.removeObserver(first);
        center.removeObserver(first);
        center.post(Notifications::breakSettingsChanged);
        QCOMPARE(received, QStringList{"second"});
    }

    void aPostWithoutObserversIsNotKeptForLater() {
        NotificationCenter center;
        center.post(Notifications::calendarFilterChanged);
        int received = 0;
        center.addObserver(Notifications::calendarFilterChanged, nullptr, [&] { ++received; });
        QCoreApplication::processEvents();
        QCOMPARE(received, 0);
    }

    void anObserverGoesWithItsContext() {
        NotificationCenter center;
        int received = 0;
        auto context = std::make_unique<QObject>();
        center.addObserver(Notifications::notesEnabledChanged, context.get(), [&] { ++received; });
        context.reset();
        center.post(Notifications::notesEnabledChanged);
        QCOMPARE(received, 0);
    }

    void aPostFromAnotherThreadIsDeliveredOnTheMainThread() {
        NotificationCenter center;
        QThread* deliveredOn = nullptr;
        int received = 0;
        center.addObserver(Notifications::todoistTokenSaved, nullptr, [&] {
            deliveredOn = QThread::currentThread();
            ++received;
        });
        // Removed after the post but before delivery: not delivered.
        int removedReceived = 0;
        const auto removed =
            center.addObserver(Notifications::todoistTokenSaved, nullptr, [&] { ++removedReceived; });

        std::unique_ptr<QThread> worker(
            QThread::create([&] { center.post(Notifications::todoistTokenSaved); }));
        worker->start();
        QVERIFY(worker->wait(5000));
        QCOMPARE(received, 0);
        center.removeObserver(removed);

        QTRY_COMPARE(received, 1);
        QCOMPARE(deliveredOn, QThread::currentThread());
        QCOMPARE(removedReceived, 0);
    }

    void aHandlerMayRemoveObservers() {
        NotificationCenter center;
        int second = 0;
        NotificationCenter::Token secondToken = 0;
        center.addObserver(Notifications::blinkPreviewRequested, nullptr,
                           [&] { center.removeObserver(secondToken); });
        secondToken = center.addObserver(Notifications::blinkPreviewRequested, nullptr, [&] { ++second; });
        center.post(Notifications::blinkPreviewRequested);
        QCOMPARE(second, 0);
    }
};

QTEST_GUILESS_MAIN(TestNotificationCenter)
#include "tst_NotificationCenter.moc"
