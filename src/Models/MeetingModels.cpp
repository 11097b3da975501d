#include "Models/MeetingModels.h"

#include "Foundation/L10n.h"

#include <QRegularExpression>
#include <QUuid>

#include <array>
#include <cmath>

namespace {

struct ServicePattern {
    MeetingService service;
    QRegularExpression expression;
};

QRegularExpression unicodePattern(const char* pattern) {
    return QRegularExpression(QString::fromLatin1(pattern), QRegularExpression::UseUnicodePropertiesOption);
}

const std::array<ServicePattern, 4>& patterns() {
    static const std::array<ServicePattern, 4> table{{
        {MeetingService::zoom, unicodePattern(R"(https?://[\w.-]*zoom\.us/[jw]/[\w?=&%.-]+)")},
        {MeetingService::meet, unicodePattern(R"(https?://meet\.google\.com/[\w-]+)")},
        {MeetingService::teams, unicodePattern(R"(https?://teams\.microsoft\.com/l/meetup-join/[^\s"<>]+)")},
        {MeetingService::webex, unicodePattern(R"(https?://[\w.-]*webex\.com/[\w./-]+(?:\?[\w=&%.-]+)?)")},
    }};
    return table;
}

const QRegularExpression& genericPattern() {
    static const QRegularExpression expression = unicodePattern(R"(https?://[^\s"<>]+)");
    return expression;
}

constexpr std::array callKeywords{"meet", "zoom", "teams", "webex", "call", "join", "conference"};

std::optional<QUrl> urlFromMatch(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || !MeetingLinkDetector::isWebAddress(url))
        return std::nullopt;
    return url;
}

bool usesTwelveHourClock(const QLocale& locale) {
    return locale.timeFormat(QLocale::ShortFormat).contains(QLatin1String("ap"), Qt::CaseInsensitive);
}

} // namespace

QString rawValue(MeetingService service) {
    switch (service) {
    case MeetingService::zoom:
        return QStringLiteral("Zoom");
    case MeetingService::meet:
        return QStringLiteral("Google Meet");
    case MeetingService::teams:
        return QStringLiteral("Teams");
    case MeetingService::webex:
        return QStringLiteral("Webex");
    case MeetingService::other:
        break;
    }
    return QStringLiteral("Link");
}

Meeting Meeting::fromOccurrence(const CalendarOccurrence& occurrence, const QDateTime& now) {
    Meeting meeting;
    meeting.id = occurrence.id.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : occurrence.id;
    meeting.title = occurrence.title.value_or(
        L10n::text("agenda.evento.sem_titulo", "Sem título", "Evento do calendário sem título preenchido."));
    meeting.startDate = occurrence.start.isValid() ? occurrence.start : now;
    meeting.endDate = occurrence.end.isValid() ? occurrence.end : meeting.startDate;
    meeting.isAllDay = occurrence.isAllDay;
    meeting.location = occurrence.location;
    meeting.notes = occurrence.notes;
    meeting.url = occurrence.url;
    meeting.attendeeCount = occurrence.attendeeCount;
    meeting.meetingLink = MeetingLinkDetector::detect(occurrence);
    if (occurrence.calendar)
        meeting.calendarInfo = {occurrence.calendar->title, occurrence.calendar->color.isValid()
                                                                ? occurrence.calendar->color
                                                                : CalendarInfo::fallbackColor};
    else
        meeting.calendarInfo = {QString(), CalendarInfo::fallbackColor};
    return meeting;
}

QString Meeting::formattedTimeRange(const QLocale& locale, const QTimeZone& zone) const {
    const QString pattern = usesTwelveHourClock(locale) ? QStringLiteral("h:mm AP") : QStringLiteral("HH:mm");
    const auto format = [&](const QDateTime& when) {
        return locale.toString(when.toTimeZone(zone), pattern);
    };
    return L10n::formatted("agenda.horario.intervalo", "%1$@ – %2$@",
                           "Faixa de horário do evento. %1$@ é o início, %2$@ o fim.",
                           {format(startDate), format(endDate)});
}

QString Meeting::countdownString(const QDateTime& now) const {
    const double seconds = double(now.msecsTo(startDate)) / 1000.0;
    if (seconds <= 0)
        return L10n::text("agenda.contagem.agora", "agora",
                          "A reunião já começou. Rótulo minúsculo ao lado do evento.");
    if (seconds < 60)
        return L10n::text("agenda.contagem.menos_de_um_minuto", "<1m",
                          "Falta menos de um minuto para a reunião. Abreviação compacta.");
    if (seconds < 3600)
        return L10n::formatted("agenda.contagem.minutos", "%dm",
                               "Minutos até a reunião. Abreviação compacta: %d minutos.",
                               {qint64(seconds / 60)});
    const auto hours = qint64(seconds / 3600);
    const auto minutes = qint64(std::fmod(seconds, 3600) / 60);
    if (minutes < 1)
        return L10n::formatted("agenda.contagem.horas", "%dh",
                               "Horas cheias até a reunião. Abreviação compacta: %d horas.", {hours});
    return L10n::formatted("agenda.contagem.horas_e_minutos", "%1$dh%2$dm",
                           "Horas e minutos até a reunião. %1$d horas, %2$d minutos.", {hours, minutes});
}

namespace MeetingLinkDetector {

bool isWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

std::optional<MeetingLink> detect(const CalendarOccurrence& occurrence) {
    std::optional<MeetingLink> link;
    if (!occurrence.url.isEmpty())
        link = matchService(occurrence.url);
    if (!link && occurrence.location)
        link = findLink(*occurrence.location);
    if (!link && occurrence.notes)
        link = findLink(*occurrence.notes);
    return link;
}

std::optional<MeetingLink> matchService(const QUrl& url) {
    if (!isWebAddress(url))
        return std::nullopt;
    const QString address = url.toString(QUrl::FullyEncoded);
    for (const auto& [service, expression] : patterns()) {
        if (expression.match(address).hasMatch())
            return MeetingLink{url, service};
    }
    return std::nullopt;
}

std::optional<MeetingLink> findLink(const QString& text) {
    for (const auto& [service, expression] : patterns()) {
        const auto match = expression.match(text);
        if (!match.hasMatch())
            continue;
        if (const auto url = urlFromMatch(match.captured()))
            return MeetingLink{*url, service};
    }
    const auto match = genericPattern().match(text);
    const auto url = match.hasMatch() ? urlFromMatch(match.captured()) : std::nullopt;
    if (!url)
        return std::nullopt;
    const QString lowered = url->toString(QUrl::FullyEncoded).toLower();
    for (const char* keyword : callKeywords) {
        if (lowered.contains(QLatin1String(keyword)))
            return MeetingLink{*url, MeetingService::other};
    }
    return std::nullopt;
}

} // namespace MeetingLinkDetector
