#include "FakeInhibitor.h"
#include "InMemoryPreferences.h"
#include "Platform/Hardware/MacHardware.h"
#include "Theme/ThemeQml.h"
#include "Widgets/CaffeinateWidget.h"
#include "Widgets/KeyboardCleanerWindow.h"
#include "Widgets/SystemWidget.h"

#include <QtTest>

// The system card: the keep-awake line, the keyboard cleaner and the machine's name.
class TestSystemWidget : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;

private Q_SLOTS:
    void initTestCase() { registerThemeQmlTypes(preferences); }

    // The delegate hands the keep-awake service over through the property; the status line follows it and
    // counts the whole minutes left.
    void keepAwakeHandOverAndStatus() {
        SystemWidget widget({preferences, nullptr, QString(), QString()});
        const auto system = std::make_shared<FakeInhibitor>(), display = std::make_shared<FakeInhibitor>();
        CaffeinateService keepAwake(CaffeinateLocks{system, display, std::make_shared<FakeInhibitor>(), {}});
        QVERIFY(widget.setProperty("caffeinateService", QVariant::fromValue<QObject*>(&keepAwake)));
        QCOMPARE(widget.keepAwakeStatus(), QStringLiteral("Desligado"));
        widget.setKeepAwake(true);
        system->answer(true);
        display->answer(true);
        QCOMPARE(widget.keepAwakeStatus(), QStringLiteral("Ativo"));
        keepAwake.activateFor(61);
        while (!system->pending.isEmpty())
            system->answer(true);
        while (!display->pending.isEmpty())
            display->answer(true);
        QCOMPARE(widget.keepAwakeStatus(), QStringLiteral("Ativo · 1 min restantes"));
        widget.setKeepAwake(false);
        QCOMPARE(widget.keepAwakeStatus(), QStringLiteral("Desligado"));
    }

    // The keep-awake tab and the system tab, each in its own words, count the same minutes left at the same
    // moment: whole minutes, the seconds under a minute dropped.
    void keepAwakeTabsAgreeOnTimeLeft_data() {
        QTest::addColumn<qint64>("secondsLeft");
        QTest::addColumn<QString>("keepAwakeTab");
        QTest::addColumn<QString>("systemTab");
        QTest::newRow("under a minute") << qint64(59) << "faltam 0min"
                                        << "Ativo · 0 min restantes";
        QTest::newRow("a minute and a second") << qint64(61) << "faltam 1min"
                                               << "Ativo · 1 min restantes";
        QTest::newRow("a second short of 30") << qint64(1799) << "faltam 29min"
                                              << "Ativo · 29 min restantes";
        QTest::newRow("an hour and 59 s") << qint64(3659) << "faltam 1h"
                                          << "Ativo · 60 min restantes";
    }

    void keepAwakeTabsAgreeOnTimeLeft() {
        QFETCH(qint64, secondsLeft);
        const auto system = std::make_shared<FakeInhibitor>(), display = std::make_shared<FakeInhibitor>();
        CaffeinateWidget keepAwakeTab(CaffeinateLocks{system, display, std::make_shared<FakeInhibitor>(), {}},
                                      nullptr);
        SystemWidget systemTab({preferences, nullptr, QString(), QString()});
        systemTab.setCaffeinateService(keepAwakeTab.service());
        keepAwakeTab.service()->activateFor(secondsLeft);
        system->answer(true);
        display->answer(true);
        QTEST(keepAwakeTab.statusText().section(QStringLiteral(" • "), 1), "keepAwakeTab");
        QTEST(systemTab.keepAwakeStatus(), "systemTab");
    }

    // Offscreen has no keyboard grabs, so the cleaner's lock always takes the failure path (the grab is
    // checked under Xvfb). A refused grab ends the lock at once and calls the callback exactly once; a
    // callback that hides again, a second hide and a show over a showing lock never call a callback twice.
    void keyboardCleanerCallsBackExactlyOnce() {
        int first = 0, second = 0;
        KeyboardCleanerWindow::show([&] {
            ++first;
            KeyboardCleanerWindow::hide();
        });
        QCOMPARE(first, 1);
        QVERIFY(!KeyboardCleanerWindow::isLocked());
        KeyboardCleanerWindow::hide();
        KeyboardCleanerWindow::show([&] { ++second; });
        KeyboardCleanerWindow::hide();
        QCOMPARE(first, 1);
        QCOMPARE(second, 1);
    }

    // Only the exact "unknown" is no model, named by the host; Mac15,1 has no row of its own; the prefixes
    // are case-sensitive.
    void machineDisplayNames() {
        QCOMPARE(MacHardware::displayName("unknown"), QSysInfo::machineHostName());
        const std::pair<const char*, const char*> cases[] = {{"Unknown", "Unknown"},
                                                             {"Mac14,15", "MacBook Air (Mac14,15)"},
                                                             {"Mac15,1", "Mac (Mac15,1)"},
                                                             {"macmini9,1", "macmini9,1"}};
        for (const auto& [identifier, expected] : cases)
            QCOMPARE(MacHardware::displayName(identifier), QString(expected));
    }

    // The DMI product name wins over the device-tree model unless it is blank; the device tree ends at a NUL.
    void identifierFromTheFirmware() {
        QTemporaryDir root;
        const auto write = [&](const QString& path, const QByteArray& contents) {
            QDir().mkpath(QFileInfo(root.filePath(path)).absolutePath());
            QFile file(root.filePath(path));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(contents);
        };
        QCOMPARE(MacHardware::readModelIdentifier(root.path()), QStringLiteral("unknown"));
        write("proc/device-tree/model", QByteArray("Raspberry Pi 4 Model B\0junk", 27));
        QCOMPARE(MacHardware::readModelIdentifier(root.path()), QStringLiteral("Raspberry Pi 4 Model B"));
        write("sys/class/dmi/id/product_name", " \n");
        QCOMPARE(MacHardware::readModelIdentifier(root.path()), QStringLiteral("Raspberry Pi 4 Model B"));
        write("sys/class/dmi/id/product_name", "Mac17,3\n");
        QCOMPARE(MacHardware::readModelIdentifier(root.path()), QStringLiteral("Mac17,3"));
    }
};

QTEST_MAIN(TestSystemWidget)
#include "tst_SystemWidget.moc"
