#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

// Whether a compositing manager runs on the X screen, followed as it starts and stops: the owner of the
// "_NET_WM_CM_S<screen>" selection, watched through XFixes selection events on the application's own X
// connection. Off X11 there is nothing to watch and the answer stays yes.
class CompositorWatch final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit CompositorWatch(QObject* parent = nullptr);
    ~CompositorWatch() override;

    bool isRunning() const { return m_running; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

Q_SIGNALS:
    void runningChanged(bool running);

private:
    std::uint32_t m_selection = 0;
    int m_selectionNotify = -1; // the XFixes event code; -1 when nothing is watched
    bool m_running = true;
};
