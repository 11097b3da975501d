#include "FakeClock.h"
#include "FakeSecretStore.h"
#include "InMemoryPreferences.h"
#include "Theme/TavimorTheme.h"
#include "Theme/ThemeQml.h"
#include "Widgets/UsageSettingsModel.h"
#include "Widgets/UsageWidget.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QTest>

using TokenRead = UsageTokenSources::TokenRead;

class TestUsageWidget : public QObject {
    Q_OBJECT

    FakeClock clock;
    InMemoryPreferences preferences;
    std::shared_ptr<FakeSecretStore> store;
    std::optional<TokenRead> nextRead;

    UsageServiceParts parts() {
        UsageServiceParts parts;
        parts.clock = &clock;
        parts.readToken = [this](QObject*, auto done) { done(nextRead.value_or(TokenRead{})); };
        parts.callUsageAPI = [](const QString&, QObject*, auto) {};
        return parts;
    }

    // The widget with its service showing `utilization` (NaN: no figures) and, if set, a failed fetch after
    // it.
    std::unique_ptr<UsageWidget> widgetWith(double utilization, bool failed) {
        auto widget = std::make_unique<UsageWidget>(parts());
        if (!std::isnan(utilization))
            widget->service().applyResponse({UsagePeriod{utilization, QStringLiteral("2026-03-02T10:00:00Z")},
                                             UsagePeriod{50, {}},
                                             {},
                                             {}});
        if (failed)
            widget->service().fetch(false);
        return widget;
    }

    // Loads a view over the model offscreen; fails on any QML warning.
    std::unique_ptr<QQuickItem> load(QQmlEngine& engine, const char* url, QObject* model) {
        QList<QQmlError> warnings;
        connect(&engine, &QQmlEngine::warnings, this, [&](const auto& more) { warnings.append(more); });
        QQmlComponent component(&engine, QUrl(QString::fromLatin1(url)));
        std::unique_ptr<QQuickItem> item(qobject_cast<QQuickItem*>(
            component.createWithInitialProperties({{QStringLiteral("model"), QVariant::fromValue(model)}})));
        warnings.append(component.errors());
        [&] { QVERIFY2(item && warnings.isEmpty(), qPrintable(warnings.value(0).toString())); }();
        return item;
    }

    static QList<QQuickItem*> itemsNamed(QQuickItem* root, const QString& name) {
        QList<QQuickItem*> found;
        for (QQuickItem* child : root->childItems())
            found +=
                (child->objectName() == name ? QList{child} : QList<QQuickItem*>{}) + itemsNamed(child, name);
        return found;
    }

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        store = std::make_shared<FakeSecretStore>();
        KeychainService::setStore(store);
    }

    void figures_data() {
        QTest::addColumn<double>("utilization");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<QString>("compact");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("percent"); // of the session row; empty: no rows
        QTest::addColumn<bool>("low");
        QTest::addColumn<double>("fraction");
        const QColor danger = TavimorTheme::danger(), accent = TavimorTheme::accent(),
                     plain = TavimorTheme::compactText();
        // clang-format off
        QTest::newRow("nothing yet") << qQNaN() << false << "–" << plain << "" << false << 0.0;
        QTest::newRow("14.4 left") << 85.6 << false << "14%" << danger << "14% restante" << true << 0.144;
        QTest::newRow("14.5 left") << 85.5 << false << "15%" << accent << "15% restante" << true << 0.145;
        QTest::newRow("19.5 left") << 80.5 << false << "20%" << accent << "20% restante" << false << 0.195;
        QTest::newRow("30 left") << 70.0 << false << "30%" << plain << "30% restante" << false << 0.3;
        QTest::newRow("used up") << 100.0 << false << "0%" << danger << "0% restante" << true << 0.01;
        QTest::newRow("past the top") << -5.0 << false << "105%" << plain << "105% restante" << false << 1.0;
        QTest::newRow("failure keeps the compact figure") << 45.0 << true << "55%" << plain << "" << false << 0.0;
        // clang-format on
    }

    void figures() {
        QFETCH(double, utilization);
        QFETCH(bool, failed);
        QFETCH(QString, compact);
        QFETCH(QColor, colour);
        QFETCH(QString, percent);
        QFETCH(bool, low);
        QFETCH(double, fraction);
        const auto widget = widgetWith(utilization, failed);
        const auto* model = qobject_cast<UsageViewModel*>(widget->viewModel());
        QCOMPARE(model->compactText(), compact);
        QCOMPARE(model->compactColor(), colour);
        QCOMPARE(model->rows().size(), percent.isEmpty() ? 0 : 2);
        QCOMPARE(model->loadingText().isEmpty(), failed || !percent.isEmpty());
        QCOMPARE(model->errorText().isEmpty(), !failed);
        const QVariantMap session = model->rows().value(0).toMap();
        QCOMPARE(session.value("percentText", "").toString(), percent);
        QCOMPARE(session.value("low", false).toBool(), low);
        QCOMPARE(session.value("fraction", 0.0).toDouble(), fraction);
        QCOMPARE(session.value("resetText", "").toString(), percent.isEmpty() ? "" : "Reset em 1h 0m");
    }

    // Both views and the settings section load warning-free in both looks; the bar never overflows its track
    // and outside texts stay plain.
    void viewsLoad() {
        for (const char* mode : {"liquid", "dark"}) {
            preferences.setValue(QStringLiteral("tavimor.appearanceMode"), QString::fromLatin1(mode));
            QQmlEngine engine;
            const auto widget = widgetWith(-5, false);
            const auto compact = load(engine, "qrc:/Views/Usage/UsageCompactView.qml", widget->viewModel());
            const auto card = load(engine, "qrc:/Views/Usage/UsageExpandedView.qml", widget->viewModel());
            card->setSize({400, 300});
            const auto fills = itemsNamed(card.get(), QStringLiteral("usageBarFill"));
            QCOMPARE(fills.size(), 2);
            QCOMPARE(fills.first()->width(), fills.first()->parentItem()->width());
            nextRead = TokenRead{std::nullopt, -25300};
            widget->service().fetch(false);
            const auto* error = itemsNamed(card.get(), QStringLiteral("usageError")).value(0);
            QCOMPARE(error->property("textFormat").toInt(), int(Qt::PlainText));
            QVERIFY(error->property("text").toString().startsWith(QStringLiteral("Não autenticado")));
            UsageSettingsModel settings(&widget->service());
            load(engine, "qrc:/Views/Settings/UsageSection.qml", &settings);
        }
    }

    void settingsRow() {
        const auto widget = widgetWith(40, false);
        UsageSettingsModel settings(&widget->service());
        QCOMPARE(settings.statusText(), QStringLiteral("Conectado · 60% da sessão restante"));
        store->forcedStatus.insert(QStringLiteral("add"), SecretStatus::authFailed);
        settings.save(QStringLiteral("  pasted\r\n"));
        QTRY_VERIFY(settings.saveFailed());
        QCOMPARE(settings.statusText(), QStringLiteral("Não foi possível salvar o token (status -25293)."));
        store->forcedStatus.clear();
        settings.save(QStringLiteral("  pasted\r\n"));
        QTRY_VERIFY(settings.hasManualToken());
        QVERIFY(!settings.saveFailed() && store->items.first().secret == "pasted");
    }
};

QTEST_MAIN(TestUsageWidget)
#include "tst_UsageWidget.moc"
