#include "Foundation/NotificationCenter.h"

#include <QTest>
#include <QThread>

class TestNotificationCenter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void deliversToTheCurrentObserversOfThatNameOnly() {
        NotificationCenter center;
        center.post(Notifications::breakSettingsChanged); // nobody listens: not kept for later
        QStringList received;
        NotificationCenter::Token third = 0;
        const auto first = center.addObserver(Notifications::breakSettingsChanged, nullptr, [&] {
            received.append("first");
            center.removeObserver(third); // a handler may remove a later observer
        });
        center.addObserver(Notifications::breakSettingsChanged, nullptr, [&] { received.append("second"); });
        third = center.addObserver(Notifications::breakSettingsChanged, nullptr,
                                   [&] { received.append("third"); });
        center.addObserver(Notifications::blinkSettingsChanged, nullptr, [&] { received.append("blink"); });
        auto context = std::make_unique<QObject>();
        center.addObserver(Notifications::breakSettingsChanged, context.get(),
                           [&] { received.append("gone"); });
        context.reset();
        QCoreApplication::processEvents();
        QCOMPARE(received, QStringList());

        center.post(Notifications::breakSettingsChanged);
        QCOMPARE(received, (QStringList{"first", "second"}));
        received.clear();
        center.removeObserver(first);
        center.removeObserver(first);
        center.post(Notifications::breakSettingsChanged);
        QCOMPARE(received, QStringList{"second"});
    }

    void aPostFromAnotherThreadIsDeliveredOnTheMainThread() {
        NotificationCenter center;
        QList<QThread*> deliveredOn;
        center.addObserver(Notifications::todoistTokenSaved, nullptr,
                           [&] { deliveredOn.append(QThread::currentThread()); });
        int removedReceived = 0;
        const auto removed =
            center.addObserver(Notifications::todoistTokenSaved, nullptr, [&] { ++removedReceived; });

        std::unique_ptr<QThread> worker(
            QThread::create([&] { center.post(Notifications::todoistTokenSaved); }));
        worker->start();
        QVERIFY(worker->wait(5000));
        QVERIFY(deliveredOn.isEmpty());
        center.removeObserver(removed); // after the post, before delivery: not delivered
        QTRY_COMPARE(deliveredOn, QList<QThread*>{QThread::currentThread()});
        QCOMPARE(removedReceived, 0);
    }
};

QTEST_GUILESS_MAIN(TestNotificationCenter)
#include "tst_NotificationCenter.moc"
