#pragma once

#include <QString>

#include <array>
#include <optional>

// Where and how large the blink and posture reminders appear. Raw values equal the case names and match
// exactly, case included.
enum class ReminderPosition {
    topLeading,
    top,
    topTrailing,
    leading,
    center,
    trailing,
    bottomLeading,
    bottom,
    bottomTrailing,
};

enum class ReminderSize { small, medium, large };

namespace ReminderPlacement {

inline constexpr std::array<std::pair<ReminderPosition, const char*>, 9> positionRawValues{{
    {ReminderPosition::topLeading, "topLeading"},
    {ReminderPosition::top, "top"},
    {ReminderPosition::topTrailing, "topTrailing"},
    {ReminderPosition::leading, "leading"},
    {ReminderPosition::center, "center"},
    {ReminderPosition::trailing, "trailing"},
    {ReminderPosition::bottomLeading, "bottomLeading"},
    {ReminderPosition::bottom, "bottom"},
    {ReminderPosition::bottomTrailing, "bottomTrailing"},
}};

inline constexpr std::array<std::pair<ReminderSize, const char*>, 3> sizeRawValues{{
    {ReminderSize::small, "small"},
    {ReminderSize::medium, "medium"},
    {ReminderSize::large, "large"},
}};

template <typename Enum, std::size_t N>
QString rawValueIn(const std::array<std::pair<Enum, const char*>, N>& table, Enum value) {
    for (const auto& [candidate, raw] : table) {
        if (candidate == value)
            return QString::fromLatin1(raw);
    }
    return {};
}

template <typename Enum, std::size_t N>
std::optional<Enum> fromRawIn(const std::array<std::pair<Enum, const char*>, N>& table, const QString& raw) {
    for (const auto& [candidate, text] : table) {
        if (raw == QLatin1String(text))
            return candidate;
    }
    return std::nullopt;
}

inline QString rawValue(ReminderPosition position) {
    return rawValueIn(positionRawValues, position);
}
inline QString rawValue(ReminderSize size) {
    return rawValueIn(sizeRawValues, size);
}

inline std::optional<ReminderPosition> positionFromRaw(const QString& raw) {
    return fromRawIn(positionRawValues, raw);
}

inline std::optional<ReminderSize> sizeFromRaw(const QString& raw) {
    return fromRawIn(sizeRawValues, raw);
}

} // namespace ReminderPlacement
