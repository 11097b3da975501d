#pragma once

#include "Platform/Calendar/ICalendarStore.h"

#include <QColor>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>
#include <QUrl>

#include <optional>

// The video-call provider of a meeting link; the raw value is its display name.
enum class MeetingService { zoom, meet, teams, webex, other };

QString rawValue(MeetingService service);

struct MeetingLink {
    QUrl url;
    MeetingService service = MeetingService::other;
};

struct CalendarInfo {
    // What a calendar without a colour of its own is drawn in: the system blue.
    static inline const QColor fallbackColor{0x00, 0x7A, 0xFF};

    QString title;
    QColor color;
};

// One calendar event as the day agenda shows it.
struct Meeting {
    QString id;
    QString title;
    QDateTime startDate;
    QDateTime endDate;
    bool isAllDay = false;
    std::optional<QString> location;
    std::optional<QString> notes;
    QUrl url;
    int attendeeCount = 0;
    std::optional<MeetingLink> meetingLink;
    CalendarInfo calendarInfo;

    // Missing fields take their fallbacks: a random id, the untitled text, `now` as start, the start as end,
    // the system blue for a calendar without colour.
    static Meeting fromOccurrence(const CalendarOccurrence& occurrence, const QDateTime& now);

    // "9:00 – 9:30" in the locale's 12- or 24-hour style, times shown in `zone`.
    QString formattedTimeRange(const QLocale& locale, const QTimeZone& zone) const;
    // "agora", "<1m", "25m", "2h", "1h5m" for the time left until the start.
    QString countdownString(const QDateTime& now) const;
    bool isRunning(const QDateTime& now) const { return startDate <= now && now < endDate; }
};

// Finds the video-call link of an event: the event's own address when it belongs to a known provider,
// else the first provider link in the location, then the notes, else the first web address there that
// looks like a call. Only http and https addresses are ever taken.
namespace MeetingLinkDetector {

std::optional<MeetingLink> detect(const CalendarOccurrence& occurrence);
std::optional<MeetingLink> findLink(const QString& text);
std::optional<MeetingLink> matchService(const QUrl& url);
// Whether an address may be handed to the desktop's opener as a meeting or task link.
bool isWebAddress(const QUrl& url);

} // namespace MeetingLinkDetector
