#include "Models/SettingsStore.h"

#include "Foundation/L10n.h"
#include "Foundation/NotificationCenter.h"
#include "Models/ReminderPlacement.h"
#include "Models/ReminderSchedule.h"
#include "Models/TavimorPreferences.h"
#include "Platform/Preferences/IPreferences.h"
#include "Theme/TavimorAppearanceMode.h"

#include <algorithm>
#include <array>

namespace {

template <std::size_t N, typename Table> constexpr std::array<const char*, N> rawsOf(const Table& table) {
    std::array<const char*, N> raws{};
    for (std::size_t i = 0; i < N; ++i)
        raws[i] = table[i].second;
    return raws;
}
constexpr auto positions = rawsOf<9>(ReminderPlacement::positionRawValues);
constexpr auto sizes = rawsOf<3>(ReminderPlacement::sizeRawValues);

const std::array<SettingsStore::IntegerKey, 5> integers{{
    {ReminderSchedule::blinkIntervalMin, Notifications::blinkSettingsChanged},
    {ReminderSchedule::postureIntervalMin, Notifications::postureSettingsChanged},
    {ReminderSchedule::breakWorkIntervalMin, Notifications::breakSettingsChanged},
    {ReminderSchedule::breakDurationSec, Notifications::breakSettingsChanged},
    {ReminderSchedule::breakSnoozes, Notifications::breakSettingsChanged},
}};

// The pause of all reminders is announced to nobody: the break, blink and posture services read it whenever a
// reminder falls due.
const QString readWhenDue;

const std::array<SettingsStore::FlagKey, 5> flags{{
    {"tavimor.remindersPaused", readWhenDue},
    {"tavimor.blinkEnabled", Notifications::blinkSettingsChanged},
    {"tavimor.postureEnabled", Notifications::postureSettingsChanged},
    {"tavimor.breakEnabled", Notifications::breakSettingsChanged},
    {"tavimor.breakStrict", Notifications::breakSettingsChanged},
}};

const std::array<SettingsStore::TextKey, 4> textEntries{{
    {"tavimor.blinkPosition", "top", positions, Notifications::blinkSettingsChanged},
    {"tavimor.posturePosition", "top", positions, Notifications::postureSettingsChanged},
    {"tavimor.blinkSize", "small", sizes, Notifications::blinkSettingsChanged},
    {"tavimor.postureSize", "small", sizes, Notifications::postureSettingsChanged},
}};

template <typename Entry> const char* keyOf(const Entry& entry) {
    return entry.key;
}
const char* keyOf(const SettingsStore::IntegerKey& entry) {
    return entry.setting.key;
}

template <typename Entry, std::size_t N>
const Entry* find(const std::array<Entry, N>& table, const QString& key) {
    const auto found =
        std::find_if(table.begin(), table.end(), [&](const Entry& entry) { return key == keyOf(entry); });
    return found != table.end() ? &*found : nullptr;
}

bool isOneOf(std::span<const char* const> raws, const QString& raw) {
    return std::any_of(raws.begin(), raws.end(), [&](const char* candidate) { return raw == candidate; });
}

} // namespace

const SettingsStore::IntegerKey* SettingsStore::integerKey(const QString& key) {
    return find(integers, key);
}

QString SettingsStore::notificationOf(const QString& key) {
    if (const IntegerKey* entry = integerKey(key))
        return entry->notification;
    if (const TextKey* entry = find(textEntries, key))
        return entry->notification;
    if (const FlagKey* entry = find(flags, key))
        return entry->notification;
    return {};
}

SettingsStore::SettingsStore(IPreferences& preferences, QObject* parent)
    : SettingsStore(preferences, NotificationCenter::shared(), parent) {}

SettingsStore::SettingsStore(IPreferences& preferences, NotificationCenter& notifications, QObject* parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_notifications(notifications) {
    connect(&preferences, &IPreferences::changed, this, &SettingsStore::onPreferenceChanged);
}

QString SettingsStore::selectedMode() const {
    return AppearanceMode::rawValue(AppearanceMode::fromStored(AppearanceMode::storedRaw(m_preferences)));
}

void SettingsStore::setAppearanceMode(const QString& raw) {
    if (AppearanceMode::fromRaw(raw))
        m_preferences.setValue(QString::fromLatin1(AppearanceMode::preferenceKey), raw);
}

QVariantMap SettingsStore::texts() {
    return {
        {QStringLiteral("appearanceTitle"), L10n::text("config.aparencia.titulo", "Aparência",
                                                       "Heading of the appearance modes in the settings.")},
        {QStringLiteral("notesTitle"),
         L10n::text("config.notas.titulo", "Notas", "Heading of the notes settings.")},
        {QStringLiteral("notesSwitch"), L10n::text("config.notas.ativar", "Mostrar a aba de notas",
                                                   "Switch that shows the notes tab in the panel.")},
        {QStringLiteral("notesDetail"),
         L10n::text("config.notas.detalhe",
                    "Captura rápida numa nota de entrada e a lista das notas recentes.",
                    "Explains the notes tab under its switch in the settings.")},
    };
}

bool SettingsStore::notesEnabled() const {
    const QVariant stored = m_preferences.value(QString::fromLatin1(notesEnabledKey));
    return stored.isValid() && TavimorPreferences::integerReading(stored) != 0;
}

void SettingsStore::setNotesEnabled(bool enabled) {
    write(QString::fromLatin1(notesEnabledKey), enabled, Notifications::notesEnabledChanged);
}

int SettingsStore::integerValue(const QString& key) const {
    const IntegerKey* entry = find(integers, key);
    return entry ? ReminderSchedule::value(m_preferences, entry->setting) : 0;
}

void SettingsStore::setIntegerValue(const QString& key, int value) {
    const IntegerKey* entry = find(integers, key);
    if (!entry)
        return;
    write(key, std::clamp(value, entry->setting.minimum, entry->setting.maximum), entry->notification);
}

QString SettingsStore::textValue(const QString& key) const {
    const TextKey* entry = find(textEntries, key);
    if (!entry)
        return {};
    const QString stored = m_preferences.value(key).toString();
    return isOneOf(entry->rawValues, stored) ? stored : QString::fromLatin1(entry->defaultValue);
}

void SettingsStore::setTextValue(const QString& key, const QString& raw) {
    const TextKey* entry = find(textEntries, key);
    if (!entry || !isOneOf(entry->rawValues, raw))
        return;
    write(key, raw, entry->notification);
}

bool SettingsStore::flagValue(const QString& key) const {
    return find(flags, key) && m_preferences.value(key).toBool();
}

void SettingsStore::setFlagValue(const QString& key, bool on) {
    if (const FlagKey* entry = find(flags, key))
        write(key, on, entry->notification);
}

void SettingsStore::write(const QString& key, const QVariant& value, const QString& notification) {
    if (m_preferences.contains(key) && m_preferences.value(key) == value)
        return;
    m_preferences.setValue(key, value);
    if (!notification.isEmpty())
        m_notifications.post(notification);
}

void SettingsStore::onPreferenceChanged(const QString& key) {
    if (key == QLatin1String(AppearanceMode::preferenceKey))
        Q_EMIT appearanceModeChanged();
    else if (key == QLatin1String(notesEnabledKey))
        Q_EMIT notesEnabledChanged();
    else
        Q_EMIT valueChanged(key);
}
