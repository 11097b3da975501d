#pragma once

#include "Platform/Screens/IScreens.h"

class QScreen;

// The screens as Qt reports them. Linux screens report no notch, so the primary screen is given a virtual
// one: a 32 px top inset with auxiliary areas on both sides that leave a 200 px notch at the top centre.
class QtScreens final : public IScreens {
    Q_OBJECT
public:
    static constexpr int virtualNotchWidth = 200;
    static constexpr int virtualNotchHeight = 32;

    explicit QtScreens(QObject* parent = nullptr);

    QList<ScreenInfo> screens() const override { return m_screens; }
    std::optional<ScreenInfo> mainScreen() const override { return m_mainScreen; }

    static ScreenInfo describe(const QString& name, const QRect& frame, const QRect& visibleFrame,
                               qreal devicePixelRatio, bool primary);

private:
    void watch(QScreen* screen);
    void scheduleRefresh();
    void readScreens();
    void refresh();

    QList<ScreenInfo> m_screens;
    std::optional<ScreenInfo> m_mainScreen;
    bool m_refreshPending = false;
};
