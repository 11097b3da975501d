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

void SettingsWindowManager::setOpenBeside(std::function<const QWindow*()> neighbour) {
    m_openBeside = std::move(neighbour);
}

void SettingsWindowManager::open() {
    if (m_window) {
        QmlWindow::bringForward(*m_window);
        return;
    }
    QQuickWindow* window = buildWindow();
    if (!window)
        return;
    place(*window);
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

QRect SettingsWindowManager::frameBeside(const QRect& neighbour, QSize size, const QRect& visible) {
    const int lowestTop = visible.bottom() + 1 - bottomMargin - size.height();
    const int top = std::max(visible.top(), std::min(neighbour.top(), lowestTop));
    const QRect right(QPoint(neighbour.right() + 1 + besideGap, top), size);
    const QRect left(QPoint(neighbour.left() - besideGap - size.width(), top), size);
    const auto fitsAcross = [&](const QRect& frame) {
        return frame.left() >= visible.left() && frame.right() <= visible.right();
    };
    if (fitsAcross(right))
        return right;
    if (fitsAcross(left))
        return left;
    const QRect atRightEdge =
        right.translated(std::max(visible.left(), visible.right() + 1 - size.width()) - right.left(), 0);
    const QRect atLeftEdge = left.translated(visible.left() - left.left(), 0);
    const auto covered = [&](const QRect& frame) { return frame.intersected(neighbour).width(); };
    return covered(atLeftEdge) < covered(atRightEdge) ? atLeftEdge : atRightEdge;
}

void SettingsWindowManager::place(QQuickWindow& window) const {
    if (!placeBesideNeighbour(window))
        placeBelowNotch(window, m_screens);
}

// Beside the neighbour window while it shows, within the visible area of the screen that holds its middle.
bool SettingsWindowManager::placeBesideNeighbour(QQuickWindow& window) const {
    const QWindow* neighbour = m_openBeside ? m_openBeside() : nullptr;
    if (!neighbour || !neighbour->isVisible() || !m_screens)
        return false;
    const QRect frame = neighbour->frameGeometry();
    const QList<ScreenInfo> screens = m_screens->screens();
    const auto holder = std::find_if(screens.cbegin(), screens.cend(), [&](const ScreenInfo& screen) {
        return screen.frame.contains(frame.center());
    });
    if (holder == screens.cend())
        return false;
    // The window manager decorates both windows alike: the frames stand side by side.
    const QMargins margins = neighbour->frameMargins();
    const QRect besideFrame = frameBeside(frame, window.size().grownBy(margins), holder->visibleFrame);
    window.setPosition(besideFrame.topLeft() + QPoint(margins.left(), margins.top()));
    return true;
}

void SettingsWindowManager::releaseWindow() {
    delete m_window.data();
    m_window = nullptr;
    m_engine.reset();
}
