#include "Models/UsageResponse.h"

#include <QTest>

class TestUsageResponse : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Lenient reading: each row gives the body and what it decodes to ("-" absent, else utilization/reset).
    void decodes_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("fiveHour");
        QTest::addColumn<QString>("sevenDay");
        QTest::addColumn<bool>("extraEnabled");
        QTest::newRow("empty object") << QByteArray("{}") << "-"
                                      << "-" << false;
        QTest::newRow("array") << QByteArray("[]") << "-"
                               << "-" << false;
        QTest::newRow("null string") << QByteArray(" null ") << "-"
                                     << "-" << false;
        QTest::newRow("null window") << QByteArray(R"({"five_hour": null})") << "0/"
                                     << "-" << false;
        QTest::newRow("text utilization") << QByteArray(R"({"five_hour": {"utilization": "42"}})") << "0/"
                                          << "-" << false;
        QTest::newRow("full") << QByteArray(R"({"five_hour": {"utilization": 42, "resets_at": "x"},
            "seven_day": {"utilization": 7.5, "resets_at": 3}, "extra_usage": {"is_enabled": true}, "other": 1})")
                              << "42/x"
                              << "7.5/" << true;
        QTest::newRow("window as array") << QByteArray(R"({"seven_day": [1, 2]})") << "-"
                                         << "0/" << false;
    }

    void decodes() {
        QFETCH(QByteArray, body);
        QFETCH(QString, fiveHour);
        QFETCH(QString, sevenDay);
        QFETCH(bool, extraEnabled);
        const auto describe = [](const std::optional<UsagePeriod>& period) {
            return period ? QString::number(period->utilization) + u'/' + period->resetsAt.value_or(QString())
                          : QStringLiteral("-");
        };
        const std::optional<UsageResponse> response = decodeUsageResponse(body);
        QVERIFY(response);
        QCOMPARE(describe(response->fiveHour), fiveHour);
        QCOMPARE(describe(response->sevenDay), sevenDay);
        QCOMPARE(response->extraUsage.value_or(ExtraUsage{}).isEnabled, extraEnabled);
    }

    void refusesWhatIsNotOneJsonValue() {
        for (const QByteArray body : {"", " ", "1, 2", "1],[2", "{", "{\"a\": \"\xff\"}", "<html>"})
            QVERIFY2(!decodeUsageResponse(body), body.constData());
    }
};

QTEST_GUILESS_MAIN(TestUsageResponse)
#include "tst_UsageResponse.moc"
