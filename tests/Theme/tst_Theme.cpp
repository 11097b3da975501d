#include "InMemoryPreferences.h"
#include "Theme/AppearanceSettings.h"
#include "Theme/LookItems.h"
#include "Theme/Springs.h"
#include "Theme/SymbolIcons.h"
#include "Theme/TavimorTheme.h"
#include "Theme/ThemeQml.h"

#include <QDirIterator>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QRawFont>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Symbol-shaped literals ("mic.fill") on lines about icons or symbols, and the names given to SymbolIcon
// items in QML. Lines that look texts up by key are left out.
QSet<QString> symbolNamesUsedIn(const QString& path) {
    static const QRegularExpression literal(QStringLiteral(R"re("([a-z][a-z0-9]*(?:\.[a-z0-9]+)*)")re"));
    static const QRegularExpression iconLine(QStringLiteral("icon|symbol|glyph|placeholder"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression qmlName(QStringLiteral(R"re(^\s*name:\s*"([a-z][a-z0-9.]*)")re"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const bool qmlWithSymbols = path.endsWith(u".qml") && file.peek(1 << 20).contains("SymbolIcon");
    QSet<QString> names;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine());
        if (line.contains(u"L10n") || line.contains(u"qsTr"))
            continue;
        if (const auto match = qmlName.match(line); qmlWithSymbols && match.hasMatch())
            names.insert(match.captured(1));
        if (iconLine.match(line).hasMatch()) {
            for (const QRegularExpressionMatch& match : literal.globalMatch(line))
                names.insert(match.captured(1));
        }
    }
    return names;
}

} // namespace

class ThemeTest : public QObject {
    Q_OBJECT

private:
    InMemoryPreferences preferences;
    QQmlEngine engine;

    // The engine's warnings go through the message handler, so any of them fails the test.
    std::unique_ptr<QObject> load(const QByteArray& source) {
        QQmlComponent component(&engine);
        component.setData(source, QUrl(QStringLiteral("qrc:/Theme/TestHost.qml")));
        std::unique_ptr<QObject> root(component.create());
        if (!root)
            qWarning().noquote() << component.errorString();
        return root;
    }

    // Whether each text under `root` carries a shadow.
    static QList<bool> shadowedTexts(QObject* root) {
        QList<bool> found;
        QList<QQuickItem*> pending{qobject_cast<QQuickItem*>(root)};
        while (!pending.isEmpty()) {
            QQuickItem* item = pending.takeLast();
            if (item->metaObject()->indexOfProperty("styleColor") >= 0)
                found.append(item->findChild<TextShadow*>() != nullptr);
            pending.append(item->childItems());
        }
        return found;
    }

private Q_SLOTS:
    void initTestCase() { registerThemeQmlTypes(preferences); }

    void init() {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        preferences.remove(QStringLiteral("tavimor.appearanceMode"));
    }

    // The glass card and the text shadow load in both appearances. On liquid glass every text inside the
    // holder gets a shadow, texts a repeater adds later too; on the dark style none.
    void textShadowReachesEveryTextInside() {
        const auto root = load("import QtQuick\nGlassTextShadow { id: holder; property int texts: 1\n"
                               "GlassCard { width: 200; height: 100; cornerRadius: 10 }\n"
                               "Row { Repeater { model: holder.texts; Text { text: index } } } }");
        QVERIFY(root);
        root->setProperty("texts", 3);
        const auto shadows = [&] { return shadowedTexts(root.get()); };
        QCOMPARE(shadows(), QList<bool>(3, true));
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), QStringLiteral("dark"));
        QCOMPARE(shadows(), QList<bool>(3, false));
        QVERIFY(load("import QtQuick\nGlassCard { width: 200; height: 100 }"));
    }

    // Rows added one by one to a long list cost only themselves: 3,000 of them take well under the seconds
    // that looking at the whole list again for each would.
    void aLongListGrowsRowByRow() {
        const auto root =
            load("import QtQuick\nGlassTextShadow { function add(n) { for (var i = 0; i < n; ++i)"
                 " rows.append({t: 'row ' + i}) }\n"
                 "Column { Repeater { model: ListModel { id: rows }\n"
                 "Row { Text { text: t } Text { text: index } } } } }");
        QVERIFY(root);
        QElapsedTimer elapsed;
        elapsed.start();
        QMetaObject::invokeMethod(root.get(), "add", Q_ARG(QVariant, 3000));
        qInfo("3,000 rows added in %lld ms", elapsed.elapsed());
        QVERIFY(elapsed.elapsed() < 3000);
        QCOMPARE(shadowedTexts(root.get()), QList<bool>(6000, true));
    }

    void everyTableEntryIsAGlyphOfTheBundledFont() {
        QFile fontFile(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf"));
        QVERIFY(fontFile.open(QIODevice::ReadOnly));
        const QRawFont font(fontFile.readAll(), 16);
        QVERIFY(font.isValid());
        QCOMPARE(SymbolIcons::fontFamily(), font.familyName());
        for (const QString& name : SymbolIcons::knownNames()) {
            QVERIFY2(font.supportsCharacter(SymbolIcons::codePoint(name)), qPrintable(name));
            const char32_t badge = SymbolIcons::badgeCodePoint(name);
            QVERIFY2(!badge || font.supportsCharacter(badge), qPrintable(name));
        }
    }

    void everySymbolNameUsedInTheSourcesHasAnEntry() {
        QSet<QString> used;
        QDirIterator files(QStringLiteral(TAVIMOR_SOURCE_DIR), {"*.cpp", "*.h", "*.qml"}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            if (const QString path = files.next(); !path.contains(u"SymbolIcons."))
                used.unite(symbolNamesUsedIn(path));
        }
        QVERIFY(used.contains(QStringLiteral("square.dashed"))); // the widget placeholder: the scan works
        QStringList missing;
        for (const QString& name : std::as_const(used)) {
            if (!SymbolIcons::contains(name))
                missing.append(name);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", ")));
    }
    void colorFromHex_data() {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("blanks, lower case, no hash") << QStringLiteral(" 0b0c0f\n") << QColor(11, 12, 15);
        QTest::newRow("0X prefix behind hash") << QStringLiteral("#0X1A1B1F") << QColor(0x1A, 0x1B, 0x1F);
        QTest::newRow("no shorthand") << QStringLiteral("#FFF") << QColor(0, 15, 255);
        QTest::newRow("stops at non-hex") << QStringLiteral("#12G456") << QColor(0, 0, 0x12);
        QTest::newRow("no leading digit") << QStringLiteral("#zz1234") << QColor(Qt::black);
        QTest::newRow("unicode punctuation trimmed") << QStringLiteral("«#E4FC00»") << QColor(0xE4, 0xFC, 0);
        QTest::newRow("overflow saturates") << QStringLiteral("123456789ABCDEF0123") << QColor(Qt::white);
    }

    void colorFromHex() {
        QFETCH(QString, hex);
        QFETCH(QColor, expected);
        const QColor color = TavimorTheme::colorFromHex(hex);
        QCOMPARE(color, expected);
        QCOMPARE(color.alphaF(), 1.0);
    }

    // The liquid card and the tab bar keep the light tint over a blurred backdrop and darken where nothing
    // blurs; views already loaded follow, and only a real change is announced.
    void liquidFillsFollowTheBlurBehind() {
        const auto root =
            load("import QtQuick\nimport Tavimor 1.0\nItem { property color bar: Theme.tabBarFill\n"
                 "GlassCard { width: 200; height: 100; liquid: true } }");
        QVERIFY(root);
        const auto cardFill = [&] {
            return root->findChild<QQuickItem*>()->childItems().at(1)->property("color").value<QColor>();
        };
        const auto barFill = [&] { return root->property("bar").value<QColor>(); };
        TavimorTheme theme;
        QSignalSpy changes(&theme, &TavimorTheme::blurBehindChanged);
        const QRgb darkFill = TavimorTheme::cardFill(false).rgba();
        for (const auto& [blur, card, bar] :
             {std::tuple{true, 0.35, 0.55}, {true, 0.35, 0.55}, {false, 0.97, 0.75}}) {
            TavimorTheme::setBlurBehind(blur);
            QCOMPARE(TavimorTheme::blurBehind(), blur);
            QCOMPARE(cardFill().rgb(), QColor(Qt::black).rgb());
            QCOMPARE(qRound(cardFill().alphaF() * 100), qRound(card * 100));
            QCOMPARE(qRound(barFill().alphaF() * 100), qRound(bar * 100));
            QCOMPARE(TavimorTheme::cardFill(false).rgba(), darkFill);
        }
        QCOMPARE(changes.count(), 2);
    }

    // Only the exact raw value selects liquid; an absent or non-text value reads as the default. A change is
    // announced only when the raw value, or whether it is liquid, really changes.
    void storedModeIsMatchedExactly() {
        QVERIFY(!AppearanceMode::fromRaw(QStringLiteral("Liquid")));
        QCOMPARE(AppearanceMode::fromStored(QStringLiteral("Liquid")), TavimorAppearanceMode::dark);
        InMemoryPreferences preferences;
        AppearanceSettings settings(preferences);
        QSignalSpy rawSpy(&settings, &AppearanceSettings::modeRawChanged);
        QSignalSpy liquidSpy(&settings, &AppearanceSettings::isLiquidChanged);
        const QString key = QStringLiteral("tavimor.appearanceMode");
        preferences.setValue(key, 1);                        // not text: the default
        preferences.setValue(key, QStringLiteral("liquid")); // the default again
        preferences.setValue(QStringLiteral("tavimor.other"), QStringLiteral("dark"));
        QVERIFY(settings.isLiquid());
        QCOMPARE(rawSpy.count(), 0);
        preferences.setValue(key, QStringLiteral("dark"));
        preferences.setValue(key, QStringLiteral("Dark")); // other text, still dark
        preferences.setValue(key, QString());
        QVERIFY(!settings.isLiquid());
        QCOMPARE(rawSpy.count(), 3);
        QCOMPARE(liquidSpy.count(), 1);
        preferences.remove(key);
        QCOMPARE(settings.modeRaw(), QStringLiteral("liquid"));
        QCOMPARE(liquidSpy.count(), 2);
    }

    // An animation ends where its curve ends: exactly at 1, however far the spring overshot on the way.
    void curvesStartAtZeroAndEndExactlyAtOne() {
        for (const QEasingCurve& curve : {Springs::open(), Springs::close(), Springs::compactBar(),
                                          Springs::closeButton(), Springs::blink(), Springs::smooth()}) {
            QCOMPARE(curve.valueForProgress(0), 0.0);
            QCOMPARE(curve.valueForProgress(1), 1.0);
            QVERIFY(qAbs(curve.valueForProgress(0.999) - 1) < 0.002);
        }
        QVERIFY(Springs::open().valueForProgress(0.5) > 1); // the opening spring overshoots
    }
};

QTEST_MAIN(ThemeTest)
#include "tst_Theme.moc"
