#include "Services/SettingsWindowManager.h"

#include "Foundation/L10n.h"
#include "Foundation/QmlWindow.h"

#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>

#include <algorithm>

namespace {

std::optional<ScreenInfo> screenOf(const QQuickWindow& window, const QList<ScreenInfo>& screens) {
    if (!window.screen())
        return std::nullopt;
    const QString name = window.screen()->name();
    const auto found = std::find_if(screens.cbegin(), screens.cend(),
                                    [&](const ScreenInfo& screen) { return screen.name == name; });
    return found != screens.cend() ? std::optional<ScreenInfo>(*found) : std::nullopt;
}

} // namespace

SettingsWindowManager::SettingsWindowManager(QObject* parent)
    : QObject(parent) {}

SettingsWindowManager::~SettingsWindowManager() {
    releaseWindow();
}

SettingsWindowManager& SettingsWindowManager::shared() {
    static auto* const instance = [] {
        auto* manager = new SettingsWindowManager;
        connect(qApp, &QCoreApplication::aboutToQuit, manager, &SettingsWindowManager::releaseWindow);
        return manager;
    }();
    return *instance;
}

void SettingsWindowManager::setScreens(IScreens* screens) {
    m_screens = screens;
}

void SettingsWindowManager::setPreferences(IPreferences* preferences) {
    m_preferences = preferences;
}

void SettingsWindowManager::setSections(QList<SettingsSection> sections) {
    m_sections = std::move(sections);
}

void SettingsWindowManager::setUsageService(QObject* service) {
    m_usageService = service;
}

void SettingsWindowManager::open() {
    if (m_window) {
        QmlWindow::bringForward(*m_window);
        return;
    }
    QQuickWindow* window = buildWindow();
    if (!window)
        return;
    placeBelowNotch(*window, m_screens);
    QmlWindow::bringForward(*window);
    m_window = window;
}

void SettingsWindowManager::windowWillClose() {
    if (m_window)
        m_window->deleteLater();
    m_window = nullptr;
}

QString SettingsWindowManager::windowTitle() {
    return L10n::text("config.janela.titulo", "Tavimor · Configurações",
                      "Title of the settings window. The product name Tavimor is not translated.");
}

std::optional<QPoint> SettingsWindowManager::positionBelowNotch(const QList<ScreenInfo>& screens,
                                                                const std::optional<ScreenInfo>& windowScreen,
                                                                const std::optional<ScreenInfo>& mainScreen,
                                                                QSize size) {
    const auto notched = std::find_if(screens.cbegin(), screens.cend(),
                                      [](const ScreenInfo& screen) { return screen.safeAreaTopInset > 0; });
    std::optional<ScreenInfo> reference;
    if (notched != screens.cend())
        reference = *notched;
    else if (windowScreen)
        reference = windowScreen;
    else if (mainScreen)
        reference = mainScreen;
    else if (!screens.isEmpty())
        reference = screens.first();
    if (!reference)
        return std::nullopt;

    const QRect visible = reference->visibleFrame;
    const int top =
        std::min(visible.top() + topOffset, visible.top() + visible.height() - bottomMargin - size.height());
    const int left = visible.x() + (visible.width() - size.width()) / 2;
    return QPoint(left, top);
}

QQuickWindow* SettingsWindowManager::buildWindow() {
    if (!m_engine)
        m_engine = std::make_unique<QQmlEngine>();
    QQuickWindow* window = QmlWindow::create(*m_engine, QStringLiteral("SettingsWindow"));
    if (!window)
        return nullptr;
    window->setProperty("sections", buildSections(window));
    window->setTitle(windowTitle());
    // Title and close button only: no minimise or maximise button or action.
    window->setFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window->setMinimumSize(windowSize);
    window->setMaximumSize(windowSize);
    window->resize(windowSize);
    connect(window, SIGNAL(closing(QQuickCloseEvent*)), this, SLOT(windowWillClose()));
    return window;
}

QVariantList SettingsWindowManager::buildSections(QObject* window) const {
    QVariantList sections;
    if (!m_preferences)
        return sections;
    const SettingsContext context{*m_preferences, m_usageService};
    for (const SettingsSection& section : m_sections) {
        sections.append(QVariantMap{
            {QStringLiteral("id"), section.id},
            {QStringLiteral("title"),
             L10n::text(section.titleKey, section.titleDefault,
                        "Title of a section of the settings window, in its sidebar.")},
            {QStringLiteral("symbolName"), section.icon},
            {QStringLiteral("source"), QStringLiteral("qrc:/Views/Settings/%1.qml").arg(section.view)},
            {QStringLiteral("model"), QVariant::fromValue(section.makeModel(context, window))},
        });
    }
    return sections;
}

void SettingsWindowManager::placeBelowNotch(QQuickWindow& window, const IScreens* screens) {
    const QList<ScreenInfo> all = screens ? screens->screens() : QList<ScreenInfo>();
    const std::optional<ScreenInfo> mainScreen = screens ? screens->mainScreen() : std::nullopt;
    const auto position = positionBelowNotch(all, screenOf(window, all), mainScreen, window.size());
    if (position) {
        window.setPosition(*position);
    } else if (const QScreen* screen = window.screen()) {
        window.setPosition(screen->availableGeometry().center() -
                           QPoint(window.width() / 2, window.height() / 2));
    }
}

void SettingsWindowManager::releaseWindow() {
    delete m_window.data();
    m_window = nullptr;
    m_engine.reset();
}
