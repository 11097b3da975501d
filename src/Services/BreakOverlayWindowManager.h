#pragma once

#include "Foundation/Clock.h"
#include "Platform/Capture/IScreenCapture.h"
#include "Platform/Screens/IScreens.h"
#include "Platform/Windows/IReminderWindow.h"
#include "Services/BreakService.h"

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct BreakTip {
    QString title;
    QString subtitle;
};

// What every overlay window of one break shows, read from the break service: the clock, the tip, the
// countdown, the buttons and the lines under them. Its buttons act through the service.
class BreakOverlayModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString tipTitle READ tipTitle CONSTANT)
    Q_PROPERTY(QString tipSubtitle READ tipSubtitle CONSTANT)
    Q_PROPERTY(bool opaque READ opaque CONSTANT)
    Q_PROPERTY(QString clock READ clock NOTIFY countdownChanged)
    Q_PROPERTY(QString countdown READ countdown NOTIFY countdownChanged)
    Q_PROPERTY(bool showsSkip READ showsSkip NOTIFY actionsChanged)
    Q_PROPERTY(bool showsSnooze READ showsSnooze NOTIFY actionsChanged)
    Q_PROPERTY(QString snoozeLine READ snoozeLine NOTIFY actionsChanged)
    Q_PROPERTY(QString hint READ hint NOTIFY actionsChanged)
    Q_PROPERTY(bool hintStyled READ hintStyled NOTIFY actionsChanged)
    Q_PROPERTY(QString skipLabel READ skipLabel CONSTANT)
    Q_PROPERTY(QString snoozeLabel READ snoozeLabel CONSTANT)
    Q_PROPERTY(QString lockLabel READ lockLabel CONSTANT)

public:
    BreakOverlayModel(BreakService& service, BreakTip tip, bool opaque, QObject* parent = nullptr);

    QString tipTitle() const { return m_tip.title; }
    QString tipSubtitle() const { return m_tip.subtitle; }
    bool opaque() const { return m_opaque; }
    QString clock() const;
    QString countdown() const;
    bool showsSkip() const;
    bool showsSnooze() const;
    QString snoozeLine() const; // empty when no snoozes are allowed at all
    QString hint() const;
    bool hintStyled() const;
    QString skipLabel() const;
    QString snoozeLabel() const;
    QString lockLabel() const;

    Q_INVOKABLE void skip();
    Q_INVOKABLE void snooze();
    Q_INVOKABLE void lockScreen();

    // "MM:SS" of the seconds left, never negative.
    static QString countdownText(qint64 remaining);
    // The text with its balanced "**" pairs turned bold, as escaped styled text; none when the pairs do
    // not balance, and then the text is shown as it is.
    static std::optional<QString> boldMarkup(const QString& text);

Q_SIGNALS:
    void countdownChanged(); // every second of the break, with the clock
    void actionsChanged();   // the buttons and the lines under them

private:
    QPointer<BreakService> m_service;
    BreakTip m_tip;
    bool m_opaque;
};

// The break on screen: one overlay window per screen while a break runs, rebuilt when screens change, the
// first taking the keyboard focus; Escape pressed twice within 1.5 s skips the break. Between breaks the
// windows are ordered out and kept for the next break on the same screens. Each overlay lies on frosted
// glass: the compositor's blur where it offers one, else a frosted capture of its screen taken before the
// break comes on screen, else its backdrop is opaque.
class BreakOverlayWindowManager final : public QObject, public IBreakOverlay {
    Q_OBJECT
public:
    static constexpr qint64 escapePairMs = 1500;
    using RandomIndex = std::function<int(int count)>;

    BreakOverlayWindowManager(IScreens& screens, IReminderWindowFactory& windows, const IClock& clock,
                              RandomIndex randomIndex = {}, QObject* parent = nullptr);
    ~BreakOverlayWindowManager() override;

    // How many pixels at the top of a screen stay covered by the notch panel; the clock goes below them.
    using TopCover = std::function<int(const ScreenInfo& screen)>;
    void setTopCover(TopCover cover) { m_topCover = std::move(cover); }
    // Where the screens are read from for the frosted backdrops; none leaves them to the compositor or
    // opaque.
    void setScreenCapture(IScreenCapture* capture) { m_capture = capture; }

    void present(BreakService& service) override;
    void dismiss() override;

    static QList<BreakTip> tips();
    BreakOverlayModel* model() const { return m_model.get(); }
    void escapePressed();

Q_SIGNALS:
    // A break has come on screen: until it goes, the pointer reaches nothing beneath it.
    void presented();

private:
    bool takeBackdrops(const QList<ScreenInfo>& screens);
    QImage backdropFor(const ScreenInfo& screen);
    bool showKeptWindows();
    void rebuildWindows();
    void orderOutWindows();

    IScreens& m_screens;
    IReminderWindowFactory& m_factory;
    const IClock& m_clock;
    RandomIndex m_randomIndex;
    TopCover m_topCover;
    IScreenCapture* m_capture = nullptr;
    bool m_blurBehind = false;                   // this break's overlays ask the compositor to blur
    bool m_frosts = false;                       // this break's overlays lie on frosted captures
    bool m_keptWindowsBlurBehind = false;        // the windows made so far asked it
    QList<std::pair<QRect, QImage>> m_backdrops; // this break's frosted screens, by screen frame
    std::unique_ptr<BreakOverlayModel> m_model;  // outlives the windows whose views read it
    std::vector<std::unique_ptr<IReminderWindow>> m_windows;
    QPointer<BreakService> m_service;
    QDateTime m_lastEscape;
    QMetaObject::Connection m_screenObserver;
};
