#include "Core/HealthSettingsModel.h"

#include "Core/NotificationCenter.h"
#include "Foundation/L10n.h"
#include "Models/ReminderPlacement.h"
#include "Models/ReminderSchedule.h"
#include "Models/TavimorPreferences.h"
#include "Platform/Preferences/IPreferences.h"

#include <algorithm>

const HealthSettingsModel::IntegerSetting HealthSettingsModel::workInterval{"tavimor.breakWorkIntervalMin",
                                                                            20, 1, 180};
const HealthSettingsModel::IntegerSetting HealthSettingsModel::breakDuration{
    "tavimor.breakDurationSec", 20, 5, int(ReminderSchedule::maxBreakDurationSec)};
const HealthSettingsModel::IntegerSetting HealthSettingsModel::snoozes{"tavimor.breakSnoozes", 4, 0, 10};
const HealthSettingsModel::IntegerSetting HealthSettingsModel::blinkInterval{"tavimor.blinkIntervalMin", 5, 1,
                                                                             60};
const HealthSettingsModel::IntegerSetting HealthSettingsModel::postureInterval{"tavimor.postureIntervalMin",
                                                                               30, 5, 120};

HealthSettingsModel::HealthSettingsModel(IPreferences& preferences, NotificationCenter& notifications,
                                         QObject* parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_notifications(notifications) {}

QString HealthSettingsModel::blinkPosition() const {
    return ReminderPlacement::rawValue(TavimorPreferences::blinkPosition(m_preferences));
}

QString HealthSettingsModel::blinkSize() const {
    return ReminderPlacement::rawValue(TavimorPreferences::blinkSize(m_preferences));
}

QString HealthSettingsModel::posturePosition() const {
    return ReminderPlacement::rawValue(TavimorPreferences::posturePosition(m_preferences));
}

QString HealthSettingsModel::postureSize() const {
    return ReminderPlacement::rawValue(TavimorPreferences::postureSize(m_preferences));
}

QVariantList HealthSettingsModel::positions() const {
    QVariantList list;
    for (const auto& [position, raw] : ReminderPlacement::positionRawValues)
        list.append(QVariantMap{{QStringLiteral("raw"), QString::fromLatin1(raw)},
                                {QStringLiteral("title"), ReminderPlacement::title(position)}});
    return list;
}

QVariantList HealthSettingsModel::sizes() const {
    QVariantList list;
    for (const auto& [size, raw] : ReminderPlacement::sizeRawValues)
        list.append(QVariantMap{{QStringLiteral("raw"), QString::fromLatin1(raw)},
                                {QStringLiteral("title"), ReminderPlacement::title(size)}});
    return list;
}

QVariantMap HealthSettingsModel::texts() const {
    const char* note = "Seção de pausas e lembretes nas configurações";
    return {
        {QStringLiteral("breaks"), L10n::text("config.pausas.titulo", "Pausas", note)},
        {QStringLiteral("breakEnabled"), L10n::text("config.pausas.ativar", "Pausas programadas", note)},
        {QStringLiteral("workInterval"), L10n::text("config.pausas.intervalo", "Trabalho (min)", note)},
        {QStringLiteral("breakDuration"), L10n::text("config.pausas.duracao", "Duração da pausa (s)", note)},
        {QStringLiteral("snoozes"), L10n::text("config.pausas.sonecas", "Sonecas por pausa", note)},
        {QStringLiteral("strict"), L10n::text("config.pausas.estrito", "Modo estrito", note)},
        {QStringLiteral("blink"), L10n::text("config.piscar.titulo", "Lembrete de piscar", note)},
        {QStringLiteral("posture"), L10n::text("config.postura.titulo", "Lembrete de postura", note)},
        {QStringLiteral("enabled"), L10n::text("config.lembrete.ativar", "Ativado", note)},
        {QStringLiteral("interval"), L10n::text("config.lembrete.intervalo", "Intervalo (min)", note)},
        {QStringLiteral("position"), L10n::text("config.lembrete.posicao", "Posição", note)},
        {QStringLiteral("size"), L10n::text("config.lembrete.tamanho", "Tamanho", note)},
        {QStringLiteral("preview"), L10n::text("config.lembrete.previa", "Pré-visualizar", note)},
    };
}

void HealthSettingsModel::setBlinkPosition(const QString& raw) {
    if (ReminderPlacement::positionFromRaw(raw))
        write("tavimor.blinkPosition", raw, Area::blink);
}

void HealthSettingsModel::setBlinkSize(const QString& raw) {
    if (ReminderPlacement::sizeFromRaw(raw))
        write("tavimor.blinkSize", raw, Area::blink);
}

void HealthSettingsModel::setPosturePosition(const QString& raw) {
    if (ReminderPlacement::positionFromRaw(raw))
        write("tavimor.posturePosition", raw, Area::posture);
}

void HealthSettingsModel::setPostureSize(const QString& raw) {
    if (ReminderPlacement::sizeFromRaw(raw))
        write("tavimor.postureSize", raw, Area::posture);
}

void HealthSettingsModel::previewBreak() {
    m_notifications.post(Notifications::breakPreviewRequested);
}

void HealthSettingsModel::previewBlink() {
    m_notifications.post(Notifications::blinkPreviewRequested);
}

void HealthSettingsModel::previewPosture() {
    m_notifications.post(Notifications::posturePreviewRequested);
}

bool HealthSettingsModel::flag(const char* key) const {
    return m_preferences.value(QString::fromLatin1(key)).toBool();
}

// What the section shows: the stored value within its range, so that a stepper never starts outside it.
int HealthSettingsModel::integer(const IntegerSetting& setting) const {
    const qint64 stored =
        TavimorPreferences::intValue(m_preferences, QString::fromLatin1(setting.key), setting.defaultValue);
    return int(std::clamp<qint64>(stored, setting.minimum, setting.maximum));
}

void HealthSettingsModel::setFlag(const char* key, bool on, Area area) {
    write(key, on, area);
}

void HealthSettingsModel::setInteger(const IntegerSetting& setting, int value, Area area) {
    write(setting.key, std::clamp(value, setting.minimum, setting.maximum), area);
}

// Writes only a real change, then tells the area's service and the section.
void HealthSettingsModel::write(const char* key, const QVariant& value, Area area) {
    const QString name = QString::fromLatin1(key);
    if (m_preferences.contains(name) && m_preferences.value(name) == value)
        return;
    m_preferences.setValue(name, value);
    switch (area) {
    case Area::breaks:
        m_notifications.post(Notifications::breakSettingsChanged);
        Q_EMIT breakChanged();
        break;
    case Area::blink:
        m_notifications.post(Notifications::blinkSettingsChanged);
        Q_EMIT blinkChanged();
        break;
    case Area::posture:
        m_notifications.post(Notifications::postureSettingsChanged);
        Q_EMIT postureChanged();
        break;
    }
}
