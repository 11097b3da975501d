#include "Theme/SymbolIcons.h"

#include <QDirIterator>
#include <QRawFont>
#include <QRegularExpression>
#include <QSet>
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

class SymbolIconsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyTableEntryIsAGlyphOfTheBundledFont() {
        QFile fontFile(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf"));
        QVERIFY(fontFile.open(QIODevice::ReadOnly));
        const QRawFont font(fontFile.readAll(), 16);
        QVERIFY(font.isValid());
        QCOMPARE(SymbolIcons::fontFamily(), font.familyName());
        for (const QString& name : SymbolIcons::knownNames())
            QVERIFY2(font.supportsCharacter(SymbolIcons::codePoint(name)), qPrintable(name));
    }

    void anUnknownNameGetsThePlaceholder() {
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("no glyph for symbol.*nosuch")));
        QCOMPARE(SymbolIcons::glyph(QStringLiteral("nosuch.symbol")),
                 SymbolIcons::glyph(QStringLiteral("square.dashed")));
        QCOMPARE(SymbolIcons::glyph(QString()), QString());
    }

    void everySymbolNameUsedInTheSourcesHasAnEntry() {
        QSet<QString> used;
        const QString sources =
            QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../../src");
        QDirIterator files(sources, {"*.cpp", "*.h", "*.qml"}, QDir::Files, QDirIterator::Subdirectories);
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
};

QTEST_MAIN(SymbolIconsTest)
#include "tst_SymbolIcons.moc"
