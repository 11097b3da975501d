#include "Core/HealthSettingsModel.h"

#include "Foundation/L10n.h"
#include "Foundation/NotificationCenter.h"
#include "Models/ReminderPlacement.h"

HealthSettingsModel::HealthSettingsModel(IPreferences& preferences, NotificationCenter& notifications,
                                         QObject* parent)
    : QObject(parent)
    , m_store(preferences, notifications)
    , m_notifications(notifications) {
    connect(&m_store, &SettingsStore::valueChanged, this, &HealthSettingsModel::onValueChanged);
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
        {QStringLiteral("paused"), L10n::text("config.lembretes.pausar", "Pausar todos os lembretes", note)},
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

QVariantMap HealthSettingsModel::ranges() {
    QVariantMap ranges;
    for (const char* name : {"breakWorkIntervalMin", "breakDurationSec", "breakSnoozes", "blinkIntervalMin",
                             "postureIntervalMin"}) {
        const SettingsStore::IntegerKey* entry =
            SettingsStore::integerKey(QStringLiteral("tavimor.") + QLatin1String(name));
        ranges.insert(QString::fromLatin1(name),
                      QVariantMap{{QStringLiteral("minimum"), entry->setting.minimum},
                                  {QStringLiteral("maximum"), entry->setting.maximum}});
    }
    return ranges;
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

void HealthSettingsModel::onValueChanged(const QString& key) {
    const QString notification = SettingsStore::notificationOf(key);
    if (key == QLatin1String("tavimor.remindersPaused"))
        Q_EMIT pauseChanged();
    else if (notification == Notifications::breakSettingsChanged)
        Q_EMIT breakChanged();
    else if (notification == Notifications::blinkSettingsChanged)
        Q_EMIT blinkChanged();
    else if (notification == Notifications::postureSettingsChanged)
        Q_EMIT postureChanged();
}
