#include "FakeSecretStore.h"
#include "Foundation/L10n.h"
#include "InMemoryPreferences.h"
#include "Models/UsageArithmetic.h"
#include "Services/DiagnosticsService.h"
#include "Theme/TavimorAppearanceMode.h"
#include "Theme/TavimorTheme.h"
#include "Theme/ThemeQml.h"
#include "Widgets/UsageSettingsModel.h"
#include "Widgets/UsageWidget.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QtTest>

#include <limits>

using namespace UsageArithmetic;
using namespace Qt::StringLiterals;

namespace {
const QDateTime now(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
constexpr double inf = std::numeric_limits<double>::infinity(),
                 noValue = std::numeric_limits<double>::quiet_NaN();
} // namespace

// The usage texts and figures, from the arithmetic up to the widget's view models.
class TestUsageWidget : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    std::shared_ptr<FakeSecretStore> store = std::make_shared<FakeSecretStore>();

    // The widget's service shows `utilization` (none: no figures yet); `failing` makes its fetches find no
    // token.
    static std::unique_ptr<UsageWidget> widgetWith(std::optional<double> utilization, bool failing = false) {
        UsageServiceParts parts;
        parts.readToken = [failing](QObject*, auto done) {
            done({failing ? std::nullopt : std::optional(QStringLiteral("t")), -25300});
        };
        parts.callUsageAPI = [](const QString&, QObject*, auto) {};
        auto widget = std::make_unique<UsageWidget>(parts);
        if (utilization)
            widget->service().applyResponse(
                {UsagePeriod{*utilization, "2099-01-01T00:00:00Z"}, UsagePeriod{}, {}});
        if (failing)
            widget->service().fetch(false);
        return widget;
    }

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        KeychainService::setStore(store);
    }

    // duration(a seconds); age(a seconds ago); reset(in a seconds); runsOut(a % left, reset in b s, session
    // window, or the weekly window for runsOutWeekly). NaN for b: no reset date.
    void texts() {
        const struct {
            const char* function;
            double a, b;
            const char* text;
        } rows[] = {
            // clang-format off
            {"duration", 59.9, 0, "0m"}, {"duration", 60, 0, "1m"}, {"duration", 3600, 0, "1h 0m"},
            {"duration", 5400, 0, "1h 30m"}, {"duration", 86400, 0, "1d"}, {"duration", 90060, 0, "1d 1h"},
            {"duration", 604800, 0, "7d"}, {"duration", noValue, 0, "0m"}, {"duration", -inf, 0, "0m"},
            {"duration", inf, 0, "384307168202282325d 7h"}, {"age", -10, 0, "agora"}, {"age", 59, 0, "agora"},
            {"age", 60, 0, "Há 1m"}, {"age", 7199, 0, "Há 1h"}, {"age", 90000, 0, "Há 25h"},
            {"age", 2e11, 0, "Há 55555555h"}, {"reset", 0, 0, "agora"}, {"reset", 30, 0, "em 0m"},
            {"reset", 5400, 0, "em 1h 30m"}, {"reset", 2e11, 0, "em 2314814d 19h"}, {"reset", -2e11, 0, "agora"},
            {"runsOut", 40, 10800, "em 1h 20m"}, {"runsOut", 80, 10800, ""}, {"runsOut", 5, 1000, "em 14m"},
            {"runsOut", 10, 600, ""}, {"runsOutWeekly", 30, 259200, "em 1d 17h"}, {"runsOut", 40, 17950, ""},
            {"runsOut", 40, 20000, ""}, {"runsOut", 99, 10800, ""}, {"runsOut", 98.9, 17900, "em 2h 29m"},
            {"runsOut", noValue, 10800, ""}, {"runsOut", 40, noValue, ""},
            // clang-format on
        };
        const auto in = [](double seconds) { return now.addMSecs(qint64(seconds * 1000)); };
        for (const auto& [function, a, b, expected] : rows) {
            const QString name = QString::fromLatin1(function);
            const QString text = name == u"duration" ? durationString(a)
                                 : name == u"age"    ? relativeTime(in(-a), now)
                                 : name == u"reset"
                                     ? timeUntil(in(a), now)
                                     : runsOutIn(a, std::isnan(b) ? QDateTime() : in(b),
                                                 name == u"runsOut" ? sessionPeriod : weeklyPeriod, now)
                                           .value_or(QString());
            QVERIFY2(text == QString::fromUtf8(expected),
                     qPrintable(u"%1 %2 %3: %4"_s.arg(name).arg(a).arg(b).arg(text)));
        }
    }

    void resetTimes() {
        const QDateTime ten(QDate(2025, 6, 1), QTime(10, 0), Qt::UTC);
        QCOMPARE(parseResetTime(QStringLiteral("2025-06-01T10:00:00.123Z")), ten.addMSecs(123));
        QCOMPARE(parseResetTime(QStringLiteral("2025-06-01T10:00:00+02:00")), ten.addSecs(-7200));
        QCOMPARE(parseResetTime(QStringLiteral("2025-06-01T10:00:00.1234-01:30")), ten.addMSecs(5400123));
        for (const char* bad : {"2025-06-01 10:00:00", "2025-06-01T10:00:00", "2025-06-01T10:00:00+0200",
                                "2025-13-01T10:00:00Z", "2025-06-01T24:00:00Z", "0000-01-01T00:00:00Z",
                                "2025-06-01t10:00:00z", "2025-06-01T10:00:00+24:00", "٢٠٢٥-06-01T10:00:00Z"})
            QVERIFY2(!parseResetTime(QString::fromUtf8(bad)), bad);
    }

    // The compact figure and colour and the session row, by the utilization the service last read.
    void figures() {
        const QColor danger = TavimorTheme::danger(), accent = TavimorTheme::accent(),
                     plain = TavimorTheme::compactText();
        // utilization, failing, compact text, percent of the session row (empty when no rows show), compact
        // colour, low, fraction
        using Row = std::tuple<std::optional<double>, bool, const char*, const char*, QColor, bool, double>;
        const Row rows[] = {
            // clang-format off
            {120, false, "0%", "0% restante", danger, true, 0.01}, {85.6, false, "14%", "14% restante", danger, true, 0.144},
            {85.5, false, "15%", "15% restante", accent, true, 0.145},
            {80.5, false, "20%", "20% restante", accent, false, 0.195}, {70, false, "30%", "30% restante", plain, false, 0.3},
            {100, false, "0%", "0% restante", danger, true, 0.01}, {-5, false, "105%", "105% restante", plain, false, 1},
            {45, true, "55%", "", plain, false, 0}, {qQNaN(), false, "0%", "0% restante", danger, true, 0.01},
            {-1e300, false, "9223372036854775807%", "9223372036854775807% restante", plain, false, 1},
            // clang-format on
        };
        for (const auto& [utilization, failing, compact, percent, colour, low, fraction] : rows) {
            const auto widget = widgetWith(utilization, failing);
            const auto* model = qobject_cast<UsageViewModel*>(widget->viewModel());
            const QVariantMap session = model->rows().value(0).toMap();
            const bool rowsShown = *percent;
            QCOMPARE(model->compactText(), QString::fromUtf8(compact));
            QCOMPARE(model->compactColor(), colour);
            QCOMPARE(model->loadingText().isEmpty(), failing || rowsShown);
            QCOMPARE(model->errorText().isEmpty(), !failing);
            QCOMPARE(session.value("percentText", "").toString(), QString::fromUtf8(percent));
            QCOMPARE(session.value("low", false).toBool(), low);
            QCOMPARE(session.value("fraction", 0.0).toDouble(), fraction);
            QCOMPARE(session.value("resetText").toString().startsWith(u"Reset em "), rowsShown);
        }
    }

    // The card's title, the compact figure and the dark mode's description come from the translation table
    // by their keys, and read as written when the table lacks them.
    void textsByKey_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("translation");
        QTest::addColumn<QString>("asWritten");
        QTest::addColumn<QString>("translated");
        QTest::newRow("usage title") << "title"
                                     << "Claude"
                                     << "Claude Code"
                                     << "Claude"
                                     << "Claude Code";
        QTest::newRow("compact figure") << "compact"
                                        << "%lld%"
                                        << "%lld %"
                                        << "42%"
                                        << "42 %";
        QTest::newRow("dark description") << "dark"
                                          << "config.aparencia.dark.descricao"
                                          << "Solid black."
                                          << "Preto sólido, como hoje."
                                          << "Solid black.";
    }

    void textsByKey() {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(QString, translation);
        QFETCH(QString, asWritten);
        QFETCH(QString, translated);
        const auto widget = widgetWith(58);
        const auto* model = qobject_cast<UsageViewModel*>(widget->viewModel());
        const auto read = [&] {
            return text == u"title"     ? model->property("title").toString()
                   : text == u"compact" ? model->compactText()
                                        : AppearanceMode::description(TavimorAppearanceMode::dark);
        };
        QCOMPARE(read(), asWritten);
        L10n::setCatalogue({{key, translation}});
        const QString fromTable = read();
        L10n::setCatalogue({});
        QCOMPARE(fromTable, translated);
    }

    // A save the secret store refuses is shown in the status line and logged without the token; a pasted
    // token is stored trimmed, and the row follows whether one is stored.
    void settingsRow() {
        QTemporaryDir logDir;
        Diagnostics::setLogFilePathForTesting(logDir.filePath(QStringLiteral("tavimor.log")));
        Diagnostics::setSystemLogSinkForTesting({});
        const auto widget = widgetWith(40);
        UsageSettingsModel settings(&widget->service());
        QTest::failOnWarning(QRegularExpression(QStringLiteral("UsageSection")));
        QQmlEngine engine; // the section loads over its model without a warning
        QQmlComponent section(&engine, QUrl(QStringLiteral("qrc:/Views/Settings/UsageSection.qml")));
        const std::unique_ptr<QObject> row(
            section.createWithInitialProperties({{"model", QVariant::fromValue(&settings)}}));
        QVERIFY2(row && section.errors().isEmpty(), qPrintable(section.errorString()));
        QCOMPARE(settings.statusText(), QStringLiteral("Conectado · 60% da sessão restante"));
        QSignalSpy saved(&settings, &UsageSettingsModel::saved);
        store->forcedStatus.insert(QStringLiteral("add"), SecretStatus::authFailed);
        settings.save(QStringLiteral("  pasted\r\n"));
        QTRY_VERIFY(settings.saveFailed());
        QCOMPARE(saved.size(), 0); // the view keeps the typed token
        QCOMPARE(settings.statusText(), QStringLiteral("Não foi possível salvar o token (status -25293)."));
        Diagnostics::flush();
        QFile log(logDir.filePath(QStringLiteral("tavimor.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray logged = log.readAll();
        QVERIFY(logged.contains("[WARN]") && logged.contains("-25293") && !logged.contains("pasted"));
        store->forcedStatus.clear();
        settings.save(QStringLiteral("  pasted\r\n"));
        QTRY_VERIFY(settings.hasManualToken());
        QVERIFY(!settings.saveFailed() && store->items.first().secret == "pasted");
        QCOMPARE(saved.size(), 1);
        settings.remove();
        QTRY_VERIFY(!settings.hasManualToken());
        Diagnostics::setLogFilePathForTesting({});
    }
};

QTEST_MAIN(TestUsageWidget)
#include "tst_UsageWidget.moc"
