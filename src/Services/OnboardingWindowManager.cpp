#include "Services/OnboardingWindowManager.h"

#include "Foundation/L10n.h"
#include "Foundation/QmlWindow.h"
#include "Platform/Calendar/EdsCalendarStore.h"
#include "Services/DiagnosticsService.h"
#include "Services/SettingsWindowManager.h"

#include <QCoreApplication>
#include <QQmlEngine>
#include <QQuickWindow>

OnboardingWindowManager::OnboardingWindowManager(QObject* parent)
    : QObject(parent) {}

OnboardingWindowManager::~OnboardingWindowManager() {
    releaseWindow();
}

OnboardingWindowManager& OnboardingWindowManager::shared() {
    static auto* const instance = [] {
        auto* manager = new OnboardingWindowManager;
        connect(qApp, &QCoreApplication::aboutToQuit, manager, &OnboardingWindowManager::releaseWindow);
        return manager;
    }();
    return *instance;
}

void OnboardingWindowManager::setPreferences(IPreferences* preferences) {
    m_preferences = preferences;
}

void OnboardingWindowManager::setScreens(IScreens* screens) {
    m_screens = screens;
}

void OnboardingWindowManager::setCalendarStore(std::unique_ptr<ICalendarStore> store) {
    m_calendarStore = std::move(store);
}

bool OnboardingWindowManager::isCompleted(const IPreferences& preferences) {
    return preferences.value(completedKey).toBool();
}

QString OnboardingWindowManager::title() const {
    return L10n::text("onboarding.janela.titulo", "Bem-vindo ao Tavimor",
                      "Title of the first-run window. The product name Tavimor is not translated.");
}

QString OnboardingWindowManager::finishText() const {
    return L10n::text("onboarding.acao.concluir", "Começar",
                      "Button that closes the first-run window for good.");
}

QVariantMap OnboardingWindowManager::calendarTexts() const {
    return {
        {QStringLiteral("title"), L10n::text("onboarding.calendario.titulo", "Calendários",
                                             "Título do passo de acesso ao calendário")},
        {QStringLiteral("description"),
         L10n::text(
             "onboarding.calendario.descricao",
             "A aba Agenda mostra as reuniões de hoje dos calendários do sistema (GNOME Agenda, Evolution e "
             "contas on-line).",
             "Explica por que o Tavimor lê os calendários")},
        {QStringLiteral("allow"), L10n::text("onboarding.calendario.permitir", "Permitir acesso",
                                             "Botão que conecta o Tavimor aos calendários do sistema")},
    };
}

void OnboardingWindowManager::requestCalendarAccess() {
    if (!m_calendarStore)
        m_calendarStore = std::make_unique<EdsCalendarStore>(Diagnostics::degraded);
    m_calendarStore->requestAccess(this, [this](const CalendarAccess& access) {
        const bool granted = access.answer == CalendarAccess::Answer::granted;
        m_calendarFailed = !granted;
        m_calendarGranted = granted;
        m_calendarStatus =
            granted ? L10n::formatted("onboarding.calendario.concedido", "Acesso concedido: %lld calendários",
                                      "Quantos calendários do sistema o Tavimor encontrou",
                                      {qint64(m_calendarStore->calendars().size())})
                    : access.message;
        Q_EMIT calendarStatusChanged();
    });
}

void OnboardingWindowManager::show() {
    if (!m_window) {
        if (!m_engine)
            m_engine = std::make_unique<QQmlEngine>();
        m_window = QmlWindow::create(*m_engine, QStringLiteral("OnboardingWindow"),
                                     {{QStringLiteral("manager"), QVariant::fromValue<QObject*>(this)}});
        if (!m_window)
            return;
        connect(m_window, SIGNAL(closing(QQuickCloseEvent*)), this, SLOT(forgetWindow()));
        SettingsWindowManager::placeBelowNotch(*m_window, m_screens);
    }
    QmlWindow::bringForward(*m_window);
}

void OnboardingWindowManager::finish() {
    if (m_preferences)
        m_preferences->setValue(completedKey, true);
    if (m_window)
        m_window->close();
}

void OnboardingWindowManager::forgetWindow() {
    if (m_window)
        m_window->deleteLater();
    m_window = nullptr;
}

void OnboardingWindowManager::releaseWindow() {
    delete m_window.data();
    m_window = nullptr;
    m_engine.reset();
}
