#include "Widgets/KeyboardCleanerWindow.h"

#include "Foundation/L10n.h"
#include "Platform/X11/X11Connection.h"

#include <QGuiApplication>
#include <QPointer>
#include <QQuickView>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int grabAttemptIntervalMs = 20;
constexpr int grabAttempts = 100;

// Swallows every key event that still reaches this application while the lock is on.
class KeySwallower final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
            return true;
        default:
            return false;
        }
    }
};

// What the overlay reads and calls.
class LockController final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)

public:
    using QObject::QObject;
    Q_INVOKABLE void unlock() { KeyboardCleanerWindow::hide(); }

    static QVariantMap texts() {
        return {
            {QStringLiteral("title"),
             L10n::text("Modo de Limpeza de Teclado", "Modo de Limpeza de Teclado", "")},
            {QStringLiteral("body"),
             L10n::text(
                 "Todas as teclas estão bloqueadas. Você pode limpar o teclado e a tela com segurança.",
                 "Todas as teclas estão bloqueadas. Você pode limpar o teclado e a tela com segurança.", "")},
            {QStringLiteral("unlock"), L10n::text("Desbloquear Teclado", "Desbloquear Teclado", "")}};
    }
};

// Tells the lock window's neighbours when it goes.
class LockWindowEvents final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
Q_SIGNALS:
    void windowGone();
};

LockWindowEvents& windowEvents() {
    static auto* const events = new LockWindowEvents(qApp);
    return *events;
}

struct LockState {
    QPointer<QQuickView> window;
    QPointer<KeySwallower> swallower;
    QPointer<QTimer> grabTimer;
    std::function<void()> onUnlock;
};

LockState& state() {
    static LockState lock;
    return lock;
}

void printLine(const char* line) {
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The keyboard could not be taken: say so, release everything and tell the owner at once.
void failToLock() {
    printLine("Tavimor: falha ao capturar o teclado do X (XGrabKeyboard) para bloqueá-lo");
    printLine("Tavimor: outro programa segura o teclado, ou não há X; teclado NÃO foi bloqueado");
    KeyboardCleanerWindow::hide();
}

// Task bars, pagers and window switchers list no lock: it is no window the user works in.
void keepOutOfTaskLists(QWindow& window) {
    xcb_connection_t* connection = X11::connection();
    if (!connection)
        return;
    X11::setWindowStates(connection, xcb_window_t(window.winId()),
                         {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
    xcb_flush(connection);
}

QQuickView* makeWindow(QScreen* screen) {
    auto* window = new QQuickView;
    window->setFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint);
    window->setScreen(screen);
    window->setGeometry(screen->geometry());
    window->setColor(Qt::transparent);
    window->setResizeMode(QQuickView::SizeRootObjectToView);
    window->setTitle(QStringLiteral("Tavimor — limpeza do teclado"));
    auto* controller = new LockController(window);
    window->setInitialProperties({{QStringLiteral("controller"), QVariant::fromValue<QObject*>(controller)}});
    window->setSource(QUrl(QStringLiteral("qrc:/Views/KeyboardCleaner/KeyboardCleanerOverlay.qml")));
    keepOutOfTaskLists(*window);
    return window;
}

// An X grab needs a viewable window: try until the window is on screen; a refusal once it is (another
// client holds a grab, or the platform has no grabs) is the failure path.
void tryGrab() {
    LockState& lock = state();
    if (!lock.window)
        return;
    if (lock.window->isExposed()) {
        lock.grabTimer->stop();
        if (!lock.window->setKeyboardGrabEnabled(true))
            failToLock();
        return;
    }
    if (lock.grabTimer->property("attempts").toInt() >= grabAttempts)
        return failToLock();
    lock.grabTimer->setProperty("attempts", lock.grabTimer->property("attempts").toInt() + 1);
}

} // namespace

void KeyboardCleanerWindow::show(std::function<void()> onUnlock) {
    hide();
    LockState& lock = state();
    lock.onUnlock = std::move(onUnlock);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return hide();
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return failToLock(); // only X11 grabs the keyboard for a client
    lock.swallower = new KeySwallower(qApp);
    qApp->installEventFilter(lock.swallower);
    lock.window = makeWindow(screen);
    lock.window->show();
    lock.window->raise();
    lock.window->requestActivate();
    lock.grabTimer = new QTimer(lock.window);
    lock.grabTimer->setInterval(grabAttemptIntervalMs);
    QObject::connect(lock.grabTimer, &QTimer::timeout, lock.grabTimer, &tryGrab);
    lock.grabTimer->start();
    tryGrab();
}

void KeyboardCleanerWindow::hide() {
    LockState& lock = state();
    if (lock.window) {
        lock.window->setKeyboardGrabEnabled(false);
        lock.window->hide();
        lock.window->deleteLater();
        lock.window = nullptr;
        Q_EMIT windowEvents().windowGone();
    }
    if (lock.swallower) {
        qApp->removeEventFilter(lock.swallower);
        delete lock.swallower;
    }
    if (auto callback = std::exchange(lock.onUnlock, nullptr))
        callback();
}

bool KeyboardCleanerWindow::isLocked() {
    return state().window != nullptr;
}

void KeyboardCleanerWindow::whenWindowGone(QObject* context, std::function<void()> handler) {
    QObject::connect(&windowEvents(), &LockWindowEvents::windowGone, context, std::move(handler));
}

#include "KeyboardCleanerWindow.moc"
