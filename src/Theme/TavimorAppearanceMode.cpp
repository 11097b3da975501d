#include "Theme/TavimorAppearanceMode.h"

#include "Foundation/L10n.h"
#include "Platform/Preferences/IPreferences.h"

namespace AppearanceMode {

QList<TavimorAppearanceMode> allCases() {
    return {TavimorAppearanceMode::dark, TavimorAppearanceMode::liquid};
}

QString rawValue(TavimorAppearanceMode mode) {
    return mode == TavimorAppearanceMode::liquid ? QStringLiteral("liquid") : QStringLiteral("dark");
}

std::optional<TavimorAppearanceMode> fromRaw(const QString& raw) {
    for (TavimorAppearanceMode mode : allCases()) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}

TavimorAppearanceMode fromStored(const QString& stored) {
    return stored == QLatin1String("liquid") ? TavimorAppearanceMode::liquid : TavimorAppearanceMode::dark;
}

QString storedRaw(const IPreferences& preferences) {
    const QVariant stored = preferences.value(QString::fromLatin1(preferenceKey));
    if (stored.typeId() != QMetaType::QString)
        return QString::fromLatin1(defaultRawValue);
    return stored.toString();
}

QString title(TavimorAppearanceMode mode) {
    if (mode == TavimorAppearanceMode::liquid)
        return L10n::text("config.aparencia.liquid.titulo", "Liquid",
                          "Nome do modo de aparência do painel com fundo translúcido. Manter curto.");
    return L10n::text("config.aparencia.dark.titulo", "Dark",
                      "Nome do modo de aparência do painel. É nome de tema — manter curto.");
}

QString description(TavimorAppearanceMode mode) {
    if (mode == TavimorAppearanceMode::liquid)
        return L10n::text(
            "config.aparencia.liquid.descricao", "Fundo translúcido.",
            "Explica o modo translúcido: com um gerenciador de composição o fundo deixa ver a área "
            "de trabalho, desfocada onde o compositor oferece desfoque.");
    return L10n::text("config.aparencia.dark.descricao", "Preto sólido, como hoje.",
                      "Explica o modo Dark na tela de aparência.");
}

} // namespace AppearanceMode
