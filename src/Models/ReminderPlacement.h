#pragma once

#include "Platform/Screens/IScreens.h"

#include <QDateTime>
#include <QHash>
#include <QPointF>
#include <QSizeF>
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
std::optional<Enum> fromRawIn(const std::array<std::pair<Enum, const char*>, N>& table, const QString& raw) {
    for (const auto& [candidate, text] : table) {
        if (raw == QLatin1String(text))
            return candidate;
    }
    return std::nullopt;
}

inline std::optional<ReminderPosition> positionFromRaw(const QString& raw) {
    return fromRawIn(positionRawValues, raw);
}

inline std::optional<ReminderSize> sizeFromRaw(const QString& raw) {
    return fromRawIn(sizeRawValues, raw);
}

} // namespace ReminderPlacement

namespace ReminderPlacement {

// Every dimension of a reminder panel and its drawing is multiplied by its size's scale.
double scale(ReminderSize size);
QString title(ReminderPosition position);
QString title(ReminderSize size);

// The top row (0), the middle row (1) or the bottom row (2) of the grid.
int row(ReminderPosition position);

// The top-left corner of a panel of the given size at the position on the screen, margin away from the
// visible frame's edges. On a screen with a notch the top row starts 4 px below the notch's lower edge.
QPointF origin(ReminderPosition position, const ScreenInfo& screen, QSizeF size, double margin);

// The origin moved by a stacking offset away from the screen edge of its row: down on the top and middle
// rows, up on the bottom row.
QPointF stacked(ReminderPosition position, QPointF origin, double offset);

} // namespace ReminderPlacement

// Keeps the blink and posture reminders from covering each other when they share a grid position. The one
// reserving a position while another owner's panel is still there is stacked beside it. There is one shared
// table for the process; tests make their own.
class ReminderCoordinator {
public:
    static constexpr double gap = 12;

    static ReminderCoordinator& shared();

    // The offset (0 or more) the caller's panel must move away from its row's edge; the position is then
    // held by the caller until now + durationMs.
    double reserve(ReminderPosition position, const void* owner, qint64 durationMs, double height,
                   const QDateTime& now);

private:
    struct Hold {
        const void* owner = nullptr;
        QDateTime until;
        double height = 0;
    };
    QHash<int, Hold> holds;
};
