#include "InMemoryPreferences.h"
#include "Theme/Springs.h"
#include "Theme/SymbolIcons.h"
#include "Theme/ThemeQml.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QtTest>

#include <memory>

namespace {

struct LoadedQml {
    std::unique_ptr<QQmlEngine> engine;
    std::unique_ptr<QObject> root;
    QList<QQmlError> warnings;
};

QByteArray hostSource(const char* name) {
    QFile file(QFINDTESTDATA(QStringLiteral("qml/") + QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ThemeQmlTest : public QObject {
    Q_OBJECT

private:
    InMemoryPreferences preferences;

    LoadedQml load(const QByteArray& source) {
        LoadedQml loaded;
        loaded.engine = std::make_unique<QQmlEngine>();
        connect(loaded.engine.get(), &QQmlEngine::warnings, this,
                [&loaded](const QList<QQmlError>& warnings) { loaded.warnings.append(warnings); });
        QQmlComponent component(loaded.engine.get());
        component.setData(source, QUrl(QStringLiteral("qrc:/Theme/TestHost.qml")));
        loaded.root.reset(component.create());
        loaded.warnings.append(component.errors());
        return loaded;
    }

private Q_SLOTS:
    void initTestCase() { registerThemeQmlTypes(preferences); }

    void init() {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        preferences.remove(QStringLiteral("tavimor.appearanceMode"));
    }

    void componentsLoadWithoutWarnings_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("liquid") << QStringLiteral("liquid");
        QTest::newRow("dark") << QStringLiteral("dark");
    }

    void componentsLoadWithoutWarnings() {
        QFETCH(QString, mode);
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), mode);
        LoadedQml loaded = load(hostSource("ThemeHost.qml"));
        QVERIFY2(loaded.root, qPrintable(QDebug::toString(loaded.warnings)));
        QVERIFY2(loaded.warnings.isEmpty(), qPrintable(QDebug::toString(loaded.warnings)));
        QCOMPARE(loaded.root->property("liquid").toBool(), mode == QLatin1String("liquid"));
        QCOMPARE(loaded.root->property("fill").value<QColor>(), QColor(11, 12, 15));
        QCOMPARE(loaded.root->property("bodySize").toInt(), 13);
        QCOMPARE(loaded.root->property("hex").value<QColor>(), QColor(0, 0, 0x12));
    }

    void shadowRendersInAWindow() {
        QQuickView view;
        QList<QQmlError> warnings;
        connect(view.engine(), &QQmlEngine::warnings, this,
                [&warnings](const QList<QQmlError>& list) { warnings.append(list); });
        view.setSource(QUrl(QStringLiteral("qrc:/Theme/GlassTextShadow.qml")));
        QCOMPARE(view.status(), QQuickView::Ready);
        view.resize(80, 30);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(!view.grabWindow().isNull());
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), QStringLiteral("dark"));
        QVERIFY(!view.grabWindow().isNull());
        QVERIFY2(warnings.isEmpty(), qPrintable(QDebug::toString(warnings)));
    }

    void glassCardFollowsTheStoredMode() {
        LoadedQml loaded = load("import QtQuick\nGlassCard { width: 50; height: 50 }");
        QVERIFY(loaded.root);
        QVERIFY(loaded.root->property("liquid").toBool());
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), QStringLiteral("Liquid"));
        QVERIFY(!loaded.root->property("liquid").toBool());
    }

    void symbolIconDrawsTheMappedGlyph() {
        LoadedQml loaded = load("import QtQuick\nSymbolIcon { name: \"calendar\"; size: 12 }");
        QVERIFY(loaded.root);
        QCOMPARE(loaded.root->property("text").toString(), SymbolIcons::glyph(QStringLiteral("calendar")));
        QCOMPARE(loaded.root->property("width").toReal(), 12.0);
        QCOMPARE(loaded.root->property("font").value<QFont>().family(), SymbolIcons::fontFamily());
    }

    void springEasingDrivesAnAnimation() {
        LoadedQml loaded = load(hostSource("SpringHost.qml"));
        QVERIFY2(loaded.root, qPrintable(QDebug::toString(loaded.warnings)));
        QVERIFY(loaded.warnings.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(loaded.root->property("value").toReal() > 100.5, 2000);
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.root->property("running").toBool(), 2000);
        QCOMPARE(loaded.root->property("value").toReal(), 100.0);
    }
};

QTEST_MAIN(ThemeQmlTest)
#include "tst_ThemeQml.moc"
