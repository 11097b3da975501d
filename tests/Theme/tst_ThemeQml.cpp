#include "InMemoryPreferences.h"
#include "Theme/Springs.h"
#include "Theme/SymbolIcons.h"
#include "Theme/ThemeQml.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QtTest>

#include <memory>

namespace {

struct LoadedQml {
    std::unique_ptr<QQmlEngine> engine;
    std::unique_ptr<QObject> root;
    QList<QQmlError> warnings;
};

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
        LoadedQml loaded = load(R"(
            import QtQuick
            import Tavimor 1.0
            Item {
                width: 200; height: 100
                property bool liquid: Appearance.isLiquid
                property color fill: Theme.background
                property int bodySize: Theme.body.pixelSize
                GlassCard { anchors.fill: parent; cornerRadius: 10 }
                GlassTextShadow {
                    Text { text: "Agenda"; font: Theme.sectionTitle; color: Theme.primaryLabel }
                }
                SymbolIcon { name: "mic.fill"; size: 11; color: Theme.accent }
            }
        )");
        QVERIFY2(loaded.root, qPrintable(QDebug::toString(loaded.warnings)));
        QVERIFY2(loaded.warnings.isEmpty(), qPrintable(QDebug::toString(loaded.warnings)));
        QCOMPARE(loaded.root->property("liquid").toBool(), mode == QLatin1String("liquid"));
        QCOMPARE(loaded.root->property("fill").value<QColor>(), QColor(11, 12, 15));
        QCOMPARE(loaded.root->property("bodySize").toInt(), 13);
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
        LoadedQml loaded = load(R"(
            import QtQuick
            import Tavimor 1.0
            Item {
                id: root
                property real value: 0
                property alias running: animation.running
                NumberAnimation on value {
                    id: animation
                    from: 0; to: 100
                    duration: Springs.openDuration
                    easing: Springs.open
                }
            }
        )");
        QVERIFY2(loaded.root, qPrintable(QDebug::toString(loaded.warnings)));
        QVERIFY(loaded.warnings.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(loaded.root->property("value").toReal() > 100.5, 2000);
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.root->property("running").toBool(), 2000);
        QCOMPARE(loaded.root->property("value").toReal(), 100.0);
    }
};

QTEST_MAIN(ThemeQmlTest)
#include "tst_ThemeQml.moc"
