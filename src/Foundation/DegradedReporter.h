#pragma once

#include <QString>

#include <functional>

// Records that a feature is unavailable on this system: which component, why, and what the user loses.
// The application binds it to the diagnostics log; tests record the calls.
using DegradedReporter =
    std::function<void(const QString& component, const QString& reason, const QString& impact)>;

// Records that a feature once reported unavailable works again: which component, and what came back.
using RestoredReporter = std::function<void(const QString& component, const QString& detail)>;
