#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The usage endpoint's answer, read leniently: a field that is missing or of the wrong type never makes the
// whole answer fail; it reads as absent or as 0.
struct UsagePeriod {
    double utilization = 0; // percent of the window used
    std::optional<QString> resetsAt;
};

// Pay-as-you-go credits beyond the subscription's windows.
struct ExtraUsage {
    bool isEnabled = false;             // "is_enabled"
    std::optional<double> usedCredits;  // "used_credits"
    std::optional<double> monthlyLimit; // "monthly_limit"
};

struct UsageResponse {
    std::optional<UsagePeriod> fiveHour;       // "five_hour"
    std::optional<UsagePeriod> sevenDay;       // "seven_day"
    std::optional<UsagePeriod> sevenDaySonnet; // "seven_day_sonnet"
    std::optional<ExtraUsage> extraUsage{};    // "extra_usage"
};

// Any valid JSON text decodes (a top-level scalar or array gives every field absent); anything else,
// the empty body included, gives none and the parser's reason in `error`.
std::optional<UsageResponse> decodeUsageResponse(const QByteArray& body, QString* error = nullptr);
