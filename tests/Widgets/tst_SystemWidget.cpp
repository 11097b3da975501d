#include "FakeInhibitor.h"
#include "InMemoryPreferences.h"
#include "Widgets/SystemWidget.h"

#include <QtTest>

class TestSystemWidget : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The delegate hands the keep-awake service over through the property; the status line follows it.
    void keepAwakeHandOverAndStatus() {
        InMemoryPreferences preferences;
        SystemWidget widget({preferences, nullptr, QString(), QString()});
        QCOMPARE(widget.keepAwakeStatus(), QString());
        const auto system = std::make_shared<FakeInhibitor>();
        const auto display = std::make_shared<FakeInhibitor>();
        CaffeinateService keepAwake(CaffeinateLocks{system, display, std::make_shared<FakeInhibitor>(), {}});
        QVERIFY(widget.setProperty("caffeinateService", QVariant::fromValue<QObject*>(&keepAwake)));
        QCOMPARE(widget.caffeinateService(), &keepAwake);
        QCOMPARE(widget.keepAwakeStatus(), QStringLiteral("Desligado"));
        widget.setKeepAwake(true);
        system->answer(true);
        display->answer(true);
        QVERIFY(keepAwake.isActive());
        QCOMPARE(widget.keepAwakeStatus(), QStringLiteral("Ativo"));
        keepAwake.activateFor(61);
        while (!system->pending.isEmpty())
            system->answer(true);
        while (!display->pending.isEmpty())
            display->answer(true);
        QCOMPARE(widget.keepAwakeStatus(), QStringLiteral("Ativo · 2 min restantes"));
        widget.setKeepAwake(false);
        QCOMPARE(widget.keepAwakeStatus(), QStringLiteral("Desligado"));
    }
};

QTEST_MAIN(TestSystemWidget)
#include "tst_SystemWidget.moc"
