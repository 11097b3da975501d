#include "Models/MusicModels.h"

#include <algorithm>
#include <cmath>

QString NowPlayingInfo::elapsedString() const {
    return formatTime(elapsedTime);
}

QString NowPlayingInfo::durationString() const {
    return formatTime(duration);
}

QString NowPlayingInfo::formatTime(double seconds) {
    // Beyond this the minutes no longer fit the text anyone reads; clamping keeps the conversion defined.
    constexpr double longest = 1e15;
    const long long whole =
        std::isfinite(seconds) && seconds > 0 ? static_cast<long long>(std::min(seconds, longest)) : 0;
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

double NowPlayingInfo::progressFraction(double elapsed, double duration, double minimum) {
    if (!std::isfinite(duration) || duration <= 0 || !std::isfinite(elapsed))
        return minimum;
    const double ratio = elapsed / duration;
    return ratio > 0 ? std::clamp(ratio, minimum, 1.0) : minimum;
}
