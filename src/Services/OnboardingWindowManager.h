#pragma once

#include "Platform/Calendar/ICalendarStore.h"
#include "Platform/Preferences/IPreferences.h"
#include "Platform/Screens/IScreens.h"

#include <QObject>
#include <QPointer>
#include <QQuickWindow>

#include <memory>

class QQmlEngine;

// The first-run window. show() brings it forward or builds it; finishing it records that onboarding is done,
// so that it is not offered again at the next launch.
class OnboardingWindowManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString finishText READ finishText CONSTANT)
    Q_PROPERTY(QVariantMap calendarTexts READ calendarTexts CONSTANT)
    Q_PROPERTY(QString calendarStatus READ calendarStatus NOTIFY calendarStatusChanged)
    Q_PROPERTY(bool calendarFailed READ calendarFailed NOTIFY calendarStatusChanged)
    // Once access is granted there is nothing left to ask for: the button that asks is off.
    Q_PROPERTY(bool calendarGranted READ calendarGranted NOTIFY calendarStatusChanged)

public:
    static inline const QString completedKey = QStringLiteral("tavimor.onboarding.completed");

    explicit OnboardingWindowManager(QObject* parent = nullptr);
    ~OnboardingWindowManager() override;

    // Created on first use; it gives up its window when the application is about to quit.
    static OnboardingWindowManager& shared();

    void setPreferences(IPreferences* preferences);
    // The window opens below the notch, where the settings window opens.
    void setScreens(IScreens* screens);
    // The calendar step asks this store; without one it makes the desktop's on first use.
    void setCalendarStore(std::unique_ptr<ICalendarStore> store);
    QQuickWindow* window() const { return m_window; }

    static bool isCompleted(const IPreferences& preferences);

    QString title() const;
    QString finishText() const;
    QVariantMap calendarTexts() const;
    QString calendarStatus() const { return m_calendarStatus; }
    bool calendarFailed() const { return m_calendarFailed; }
    bool calendarGranted() const { return m_calendarGranted; }

    Q_INVOKABLE void requestCalendarAccess();

    void show();
    // Stores the completion and closes the window.
    Q_INVOKABLE void finish();

Q_SIGNALS:
    void calendarStatusChanged();

private Q_SLOTS:
    void forgetWindow();

private:
    void releaseWindow();

    QPointer<IPreferences> m_preferences;
    QPointer<IScreens> m_screens;
    QPointer<QQuickWindow> m_window;
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<ICalendarStore> m_calendarStore;
    QString m_calendarStatus;
    bool m_calendarFailed = false;
    bool m_calendarGranted = false;
};
