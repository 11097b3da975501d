#include "Theme/SymbolIcons.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRawFont>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

QString sourceRoot() {
    return QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../../src");
}

// Symbol-shaped literals ("mic.fill", "calendar") on lines that deal with icons or symbols, and the names
// given to SymbolIcon items in QML. Lines that look texts up by key are left out.
QSet<QString> symbolNamesUsedIn(const QString& path) {
    static const QRegularExpression literal(QStringLiteral(R"re("([a-z][a-z0-9]*(?:\.[a-z0-9]+)*)")re"));
    static const QRegularExpression iconLine(QStringLiteral("icon|symbol|glyph|placeholder"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression qmlName(QStringLiteral(R"re(^\s*name:\s*"([a-z][a-z0-9.]*)")re"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const bool qmlWithSymbols =
        path.endsWith(QLatin1String(".qml")) && file.peek(1 << 20).contains("SymbolIcon");
    QSet<QString> names;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine());
        if (line.contains(QLatin1String("L10n")) || line.contains(QLatin1String("qsTr")))
            continue;
        if (qmlWithSymbols) {
            if (const QRegularExpressionMatch match = qmlName.match(line); match.hasMatch())
                names.insert(match.captured(1));
        }
        if (!iconLine.match(line).hasMatch())
            continue;
        for (const QRegularExpressionMatch& match : literal.globalMatch(line))
            names.insert(match.captured(1));
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
        QVERIFY(!SymbolIcons::fontFamily().isEmpty());
        QCOMPARE(SymbolIcons::fontFamily(), font.familyName());
        for (const QString& name : SymbolIcons::knownNames())
            QVERIFY2(font.supportsCharacter(SymbolIcons::codePoint(name)), qPrintable(name));
    }

    void requiredSymbolsAreCovered() {
        const QStringList required = {"calendar",
                                      "cpu",
                                      "music.note",
                                      "sparkles",
                                      "battery.100",
                                      "server.rack",
                                      "tray.full",
                                      "cup.and.saucer",
                                      "cup.and.saucer.fill",
                                      "note.text",
                                      "heart",
                                      "gearshape",
                                      "xmark",
                                      "square.dashed",
                                      "speaker.fill",
                                      "speaker.wave.2",
                                      "speaker.wave.2.fill",
                                      "headphones",
                                      "mic",
                                      "mic.fill",
                                      "airpods",
                                      "hifispeaker",
                                      "lock.fill",
                                      "lock.open",
                                      "laptopcomputer",
                                      "app.fill",
                                      "iphone",
                                      "display",
                                      "cable.connector",
                                      "wave.3.right",
                                      "waveform.badge.exclamationmark",
                                      "exclamationmark.triangle.fill",
                                      "play.fill",
                                      "pause.fill",
                                      "forward.fill",
                                      "backward.fill",
                                      "checkmark.circle",
                                      "checkmark.circle.fill"};
        for (const QString& name : required)
            QVERIFY2(SymbolIcons::contains(name), qPrintable(name));
    }

    void glyphsAndPlaceholder() {
        QCOMPARE(SymbolIcons::glyph(QStringLiteral("xmark")), QString(QChar(0xe5cd)));
        QVERIFY(SymbolIcons::glyph(QStringLiteral("mic")) != SymbolIcons::glyph(QStringLiteral("mic.fill")));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("no glyph for symbol.*nosuch")));
        QCOMPARE(SymbolIcons::glyph(QStringLiteral("nosuch.symbol")),
                 SymbolIcons::glyph(QStringLiteral("square.dashed")));
        QCOMPARE(SymbolIcons::glyph(QString()), QString());
    }

    void everySymbolNameUsedInTheSourcesHasAnEntry() {
        QSet<QString> used;
        QDirIterator files(sourceRoot(),
                           {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.qml")},
                           QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            if (!path.contains(QLatin1String("SymbolIcons.")))
                used.unite(symbolNamesUsedIn(path));
        }
        QVERIFY(used.contains(QStringLiteral("square.dashed"))); // the widget placeholder: the scan works
        QStringList missing;
        for (const QString& name : std::as_const(used)) {
            if (!SymbolIcons::contains(name))
                missing.append(name);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1String(", "))));
    }
};

QTEST_MAIN(SymbolIconsTest)
#include "tst_SymbolIcons.moc"
