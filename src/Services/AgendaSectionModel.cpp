#include "Services/AgendaSectionModel.h"

#include "Foundation/L10n.h"
#include "Services/CalendarService.h"
#include "Services/KeychainService.h"
#include "Services/TodoistService.h"

AgendaSectionModel::AgendaSectionModel(ICalendarStore& store, IPreferences& preferences,
                                       NotificationCenter& notifications, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_preferences(preferences)
    , m_notifications(notifications) {
    for (const QVariant& id : preferences.value(CalendarService::selectedCalendarsKey).toList()) {
        if (id.typeId() == QMetaType::QString)
            m_selected.insert(id.toString());
    }
    connect(&store, &ICalendarStore::changed, this, &AgendaSectionModel::calendarsChanged);
    store.requestAccess(this, [this](const CalendarAccess& access) {
        m_calendarError = access.answer == CalendarAccess::Answer::granted ? QString() : access.message;
        Q_EMIT calendarsChanged();
    });
    KeychainService::loadAsync(TodoistService::tokenKey, this, [this](const KeychainRead& read) {
        setTokenState(read.value.has_value(), m_busy, m_tokenStatus, m_tokenFailed);
    });
}

QVariantList AgendaSectionModel::calendars() const {
    QVariantList list;
    for (const CalendarSource& source : CalendarService::sortedByTitle(m_store.calendars()))
        list.append(QVariantMap{
            {QStringLiteral("id"), source.id},
            {QStringLiteral("title"), source.title},
            {QStringLiteral("color"), source.color.isValid() ? source.color : CalendarInfo::fallbackColor},
            {QStringLiteral("selected"), m_selected.contains(source.id)}});
    return list;
}

void AgendaSectionModel::setCalendarSelected(const QString& id, bool selected) {
    if (m_selected.contains(id) == selected)
        return;
    selected ? void(m_selected.insert(id)) : void(m_selected.remove(id));
    Q_EMIT calendarsChanged();
    saveCalendarSelection();
}

void AgendaSectionModel::saveCalendarSelection() {
    QStringList ids(m_selected.cbegin(), m_selected.cend());
    ids.sort();
    m_preferences.setValue(CalendarService::selectedCalendarsKey, ids);
    m_notifications.post(Notifications::calendarFilterChanged);
}

void AgendaSectionModel::saveToken(const QString& token) {
    const QString trimmed = token.trimmed();
    if (trimmed.isEmpty()) {
        removeToken();
        return;
    }
    setTokenState(m_hasToken, true, QString(), false);
    KeychainService::saveAsync(
        TodoistService::tokenKey, trimmed, this, [this](std::optional<KeychainError> error) {
            if (error) {
                setTokenState(
                    m_hasToken, false,
                    L10n::formatted("config.tarefas.erro_salvar",
                                    "Não foi possível salvar o token no chaveiro (erro %lld)",
                                    "O chaveiro do sistema recusou guardar o token; %lld é o código.",
                                    {qint64(error->status)}),
                    true);
                return;
            }
            setTokenState(
                true, false,
                L10n::text("config.tarefas.salvo", "Token salvo", "Confirmação de que o token foi guardado"),
                false);
            m_notifications.post(Notifications::todoistTokenSaved);
        });
}

void AgendaSectionModel::removeToken() {
    setTokenState(m_hasToken, true, QString(), false);
    KeychainService::removeAsync(TodoistService::tokenKey, this, [this] {
        setTokenState(false, false,
                      L10n::text("config.tarefas.removido", "Token removido",
                                 "Confirmação de que o token foi apagado do chaveiro"),
                      false);
        m_notifications.post(Notifications::todoistTokenSaved);
    });
}

void AgendaSectionModel::setTokenState(bool hasToken, bool busy, const QString& status, bool failed) {
    if (m_hasToken == hasToken && m_busy == busy && m_tokenStatus == status && m_tokenFailed == failed)
        return;
    m_hasToken = hasToken;
    m_busy = busy;
    m_tokenStatus = status;
    m_tokenFailed = failed;
    Q_EMIT tokenStateChanged();
}

QVariantMap AgendaSectionModel::texts() const {
    return {
        {QStringLiteral("calendarsTitle"),
         L10n::text("config.agenda.calendarios", "Calendários", "Título da lista de calendários da agenda")},
        {QStringLiteral("calendarsHint"),
         L10n::text("config.agenda.dica", "Nenhum marcado: todos os calendários aparecem na agenda.",
                    "Explica que sem seleção a agenda usa todos os calendários")},
        {QStringLiteral("tokenTitle"), L10n::text("config.tarefas.token", "Token do Todoist",
                                                  "Rótulo do campo do token da API do Todoist")},
        {QStringLiteral("tokenPresent"), L10n::text("config.tarefas.token_presente", "Um token está guardado",
                                                    "Indica que já existe um token no chaveiro")},
        {QStringLiteral("save"), L10n::text("config.acao.salvar", "Salvar", "Botão que guarda o token")},
        {QStringLiteral("remove"), L10n::text("config.acao.remover", "Remover", "Botão que apaga o token")},
    };
}
