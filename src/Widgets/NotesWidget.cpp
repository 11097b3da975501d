#include "Widgets/NotesWidget.h"

#include "Foundation/L10n.h"
#include "Models/SettingsStore.h"
#include "Models/TavimorPreferences.h"
#include "Platform/Preferences/IPreferences.h"

NotesWidget::NotesWidget(IPreferences& preferences, QString notesFolder, QObject* parent)
    : NotchWidget(parent)
    , m_preferences(preferences)
    , m_service(std::move(notesFolder), preferences)
    , m_enabled(readEnabled()) {}

NotesWidget::~NotesWidget() {
    if (m_observer)
        NotificationCenter::shared().removeObserver(*m_observer);
}

QString NotesWidget::name() const {
    return L10n::text("notas.aba.titulo", "Notas", "Tooltip of the notes tab.");
}

void NotesWidget::start() {
    if (!m_observer)
        m_observer = NotificationCenter::shared().addObserver(Notifications::notesEnabledChanged, this,
                                                              [this] { applyEnabled(); });
    if (m_enabled)
        m_service.start();
}

void NotesWidget::stop() {
    if (m_observer)
        NotificationCenter::shared().removeObserver(*m_observer);
    m_observer.reset();
    m_service.stop();
}

QVariantMap NotesWidget::texts() {
    return {
        {QStringLiteral("hint"), L10n::text("notas.captura.placeholder", "Anotar algo…",
                                            "Placeholder of the quick-capture field of the notes tab.")},
        {QStringLiteral("capture"),
         L10n::text("notas.captura.botao", "Anotar", "Button that adds the typed text to the inbox note.")},
        {QStringLiteral("recent"), L10n::text("notas.recentes", "Recentes", "Heading of the recent notes.")},
        {QStringLiteral("empty"),
         L10n::text("notas.vazio", "Nenhuma nota ainda.", "Shown when there are no notes.")},
    };
}

bool NotesWidget::readEnabled() const {
    return TavimorPreferences::intValue(m_preferences, QString::fromLatin1(SettingsStore::notesEnabledKey),
                                        0) != 0;
}

void NotesWidget::applyEnabled() {
    const bool enabled = readEnabled();
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled)
        m_service.start();
    else
        m_service.stop();
    Q_EMIT isActiveChanged();
}
