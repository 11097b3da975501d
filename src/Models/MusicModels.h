#pragma once

#include <QImage>
#include <QString>

#include <optional>

// The track the music tab and the compact bar show. An empty title means that nothing is playing.
struct NowPlayingInfo {
    QString title;
    QString artist;
    QString album;
    QImage artwork;         // null when the player gives none
    double duration = 0;    // seconds, 0 when unknown
    double elapsedTime = 0; // seconds
    bool isPlaying = false;
    std::optional<QString> appBundleIdentifier; // the player that reports the track

    QString elapsedString() const;
    QString durationString() const;

    // Whole minutes and the remaining seconds, "%d:%02d", never wrapped into hours; a negative, infinite or
    // not-a-number value gives 0:00.
    static QString formatTime(double seconds);
    // Elapsed over duration, clamped to minimum...1; the minimum when either is not a usable number.
    static double progressFraction(double elapsed, double duration, double minimum);
};
