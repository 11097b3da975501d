#pragma once

#include "Platform/Panel/CompositorWatch.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

// Whether the compositing manager blurs what lies behind a window region: it runs, and the root window's
// "_NET_SUPPORTED" lists "_KDE_NET_WM_BLUR_BEHIND_REGION". Looked at again when the compositor comes or goes
// and when the root's supported list changes. Off X11 the answer stays no.
class BlurBehindWatch final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit BlurBehindWatch(const CompositorWatch& compositor, QObject* parent = nullptr);
    ~BlurBehindWatch() override;

    bool isActive() const { return m_active; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

Q_SIGNALS:
    void activeChanged(bool active);

private:
    bool isOffered() const;
    void update();

    const CompositorWatch& m_compositor;
    std::uint32_t m_root = 0;
    std::uint32_t m_supportedAtom = 0;
    bool m_active = false;
};
