#pragma once

#include <QList>
#include <QString>

#include <optional>

class IPreferences;

// The user's choice of panel style, stored as its raw value under "tavimor.appearanceMode".
enum class TavimorAppearanceMode { dark, liquid };

namespace AppearanceMode {

inline constexpr const char* preferenceKey = "tavimor.appearanceMode";
inline constexpr const char* defaultRawValue = "liquid";

QList<TavimorAppearanceMode> allCases();
QString rawValue(TavimorAppearanceMode mode);
std::optional<TavimorAppearanceMode> fromRaw(const QString& raw);

// How every view reads the stored text: liquid exactly when it is "liquid", dark for anything else.
TavimorAppearanceMode fromStored(const QString& stored);

// The stored text, read like a text binding with a default: an absent key, or one holding something other
// than text, reads as the default.
QString storedRaw(const IPreferences& preferences);

QString title(TavimorAppearanceMode mode);
QString description(TavimorAppearanceMode mode);

} // namespace AppearanceMode
