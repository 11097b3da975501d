#include "Services/OnboardingWindowManager.h"

#include "Core/QmlWindow.h"
#include "Foundation/L10n.h"

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

void OnboardingWindowManager::show() {
    if (!m_window) {
        if (!m_engine)
            m_engine = std::make_unique<QQmlEngine>();
        m_window = QmlWindow::create(*m_engine, QStringLiteral("OnboardingWindow"),
                                     {{QStringLiteral("manager"), QVariant::fromValue<QObject*>(this)}});
        if (!m_window)
            return;
        connect(m_window, SIGNAL(closing(QQuickCloseEvent*)), this, SLOT(forgetWindow()));
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
