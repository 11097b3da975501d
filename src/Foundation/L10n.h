#pragma once

#include <QHash>
#include <QString>
#include <QVariantList>

// User-visible texts are looked up by key; the Brazilian-Portuguese default is written at each call site
// (the same key may carry different defaults at different sites). A catalogue for another locale is a JSON
// object {"key": "text"} named after the locale ("en.json", "en_US.json") and is picked up without code
// changes.
namespace L10n {

QString text(const char* key, const char* defaultText, const char* translatorNote);

// printf-style formats as the catalogue writes them: %@ (text), %d %i %ld %lld %u (integers, with flags
// and width such as %02d), %%, and positional %1$@ / %2$lld. Unknown sequences stay as written, and a
// missing argument leaves its specifier. Nothing reaches the C library's printf.
QString format(const QString& pattern, const QVariantList& arguments);

// Looks the key up and fills it in.
QString formatted(const char* key, const char* defaultText, const char* translatorNote,
                  const QVariantList& arguments);

// Loads the catalogue for the given locale name (e.g. "en_US", falling back to "en") from the built-in
// catalogues and from extraDirectory. An empty or "pt_BR" locale, or one without a catalogue, uses the
// call-site defaults. The interface's language becomes the default QLocale, so that dates and numbers follow
// the texts whatever the process locale ("C" included).
void loadCatalogue(const QString& localeName, const QString& extraDirectory = {});
void setCatalogue(QHash<QString, QString> entries);

} // namespace L10n
