#pragma once

#include <QString>

// Text from outside (a player, a calendar, a device, a web service, a project's manifest) is cut where it
// enters, so no model or view ever holds or lays out megabytes: a few thousand characters are plenty for any
// title or name. Longer free text (an event's description) has a larger cap of its own.
constexpr qsizetype maxOutsideTextLength = 4096;
constexpr qsizetype maxOutsideNotesLength = 65536;

// At most `limit` UTF-16 units of `text`, never ending half-way through a surrogate pair.
inline QString cappedText(QString text, qsizetype limit = maxOutsideTextLength) {
    if (text.size() <= limit)
        return text;
    text.truncate(text.at(limit - 1).isHighSurrogate() ? limit - 1 : limit);
    text.squeeze();
    return text;
}
