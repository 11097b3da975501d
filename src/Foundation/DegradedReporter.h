#pragma once

#include <QString>

#include <functional>

// Records that a feature is unavailable on this system: which component, why, and what the user loses.
// The application binds it to the diagnostics log; tests record the calls.
using DegradedReporter =
    std::function<void(const QString& component, const QString& reason, const QString& impact)>;
