#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// Maps the system symbol names the views use ("mic.fill", "calendar", ...) to glyphs of the bundled Material
// Icons font. Names stay the logical identifiers in C++; only drawing goes through this table. Exposed to QML
// as the "Icons" singleton.
class SymbolIcons : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString fontFamily READ fontFamily CONSTANT)

public:
    explicit SymbolIcons(QObject* parent = nullptr);

    // Loads the embedded font once per process and gives its family name.
    static QString fontFamily();

    static bool contains(const QString& name);
    static QStringList knownNames();
    static char32_t codePoint(const QString& name); // the placeholder's for unknown names

    // The glyph text of a symbol; an unknown name gives the "square.dashed" placeholder and a debug warning,
    // an empty name draws nothing.
    Q_INVOKABLE static QString glyph(const QString& name);
    // The badge drawn small over the symbol's lower right corner, for the names whose meaning the font has
    // no single glyph for (a waveform with a warning mark); 0 and "" for every other name.
    static char32_t badgeCodePoint(const QString& name);
    Q_INVOKABLE static QString badgeGlyph(const QString& name);
};
