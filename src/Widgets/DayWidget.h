#pragma once

#include "Foundation/AlignedTimer.h"
#include "Foundation/Clock.h"
#include "Platform/Calendar/ICalendarStore.h"
#include "Platform/Preferences/IPreferences.h"
#include "Platform/Web/WebClient.h"
#include "Services/CalendarService.h"
#include "Services/TodoistService.h"
#include "Widgets/NotchWidget.h"

#include <QColor>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <memory>

class DayWidget;

// What the day tab and its compact item show, decided here and read by the QML views: texts, colours,
// opacities and which block shows. Everything is worked out on each read; `changed` fires when a service
// changes and on the minute tick.
class DayViewModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasNextMeeting READ hasNextMeeting NOTIFY changed)
    Q_PROPERTY(QString compactCountdown READ compactCountdown NOTIFY changed)
    Q_PROPERTY(QColor compactGlyphColor READ compactGlyphColor NOTIFY changed)
    Q_PROPERTY(QColor compactTextColor READ compactTextColor NOTIFY changed)
    Q_PROPERTY(QVariantMap hero READ hero NOTIFY changed)
    Q_PROPERTY(QVariantList agendaRows READ agendaRows NOTIFY changed)
    Q_PROPERTY(QVariantList allDayRows READ allDayRows NOTIFY changed)
    Q_PROPERTY(bool showsEmptyAgenda READ showsEmptyAgenda NOTIFY changed)
    Q_PROPERTY(QString tasksBody READ tasksBody NOTIFY changed)
    Q_PROPERTY(QString tasksError READ tasksError NOTIFY changed)
    Q_PROPERTY(QVariantList taskRows READ taskRows NOTIFY changed)
    Q_PROPERTY(QString overdueCountText READ overdueCountText NOTIFY changed)
    Q_PROPERTY(QString todayCountText READ todayCountText NOTIFY changed)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY changed)
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)

public:
    DayViewModel(DayWidget& widget, CalendarService& calendar, TodoistService& todoist, const IClock& clock);

    bool hasNextMeeting() const { return m_calendar.nextMeeting().has_value(); }
    QString compactCountdown() const;
    QColor compactGlyphColor() const;
    QColor compactTextColor() const;
    QVariantMap hero() const;
    QVariantList agendaRows() const;
    QVariantList allDayRows() const;
    bool showsEmptyAgenda() const;
    // "error", "noToken", "empty" or "list".
    QString tasksBody() const;
    QString tasksError() const { return m_todoist.errorText(); }
    QVariantList taskRows() const;
    QString overdueCountText() const;
    QString todayCountText() const;
    bool isLoading() const { return m_todoist.isLoading(); }
    QVariantMap texts() const;

    // Countdown colour of the hero for the seconds left until the start.
    static QColor heroCountdownColor(double secondsToStart);
    static double rowOpacity(const Meeting& meeting, const QDateTime& now);
    static QString dueText(const TodoistTask& task, bool overdue);

    Q_INVOKABLE void join(const QString& meetingId);
    Q_INVOKABLE void closeTask(const QString& taskId);
    Q_INVOKABLE void openSettings();
    Q_INVOKABLE void quit();

Q_SIGNALS:
    void changed();

private:
    double secondsToStart(const Meeting& meeting) const;
    QVariantMap meetingRow(const Meeting& meeting) const;

    DayWidget& m_widget;
    CalendarService& m_calendar;
    TodoistService& m_todoist;
    const IClock& m_clock;
};

// The first tab: today's agenda beside the task service's open tasks, and the countdown to the next meeting
// in the compact bar. It owns both services and a one-minute tick that moves every countdown on screen.
class DayWidget final : public NotchWidget {
    Q_OBJECT
    Q_PROPERTY(QObject* service READ service CONSTANT)

public:
    static constexpr int tickIntervalMs = 60'000;

    struct Parts {
        std::unique_ptr<ICalendarStore> calendarStore;
        IPreferences* preferences = nullptr;
        const IClock* clock = nullptr;
        IScheduler* scheduler = nullptr;
        TodoistEndpoint endpoint;
        std::function<bool(const QUrl&)> openUrl; // the desktop's opener
        std::function<void()> openSettings;       // the settings window
        std::function<void()> quit;               // ends the application
    };

    explicit DayWidget(Parts parts, QObject* parent = nullptr);
    // The running application's widget: the desktop's calendars, the task service's public API.
    static std::unique_ptr<DayWidget> makeDefault(IPreferences& preferences, IScheduler& scheduler);

    QString id() const override { return QStringLiteral("daily"); }
    QString name() const override { return m_name; }
    int priority() const override { return 1; }
    WidgetGroup group() const override { return WidgetGroup::DiaADia; }
    QString icon() const override { return QStringLiteral("calendar"); }
    bool showInCompactBar() const override { return true; }
    QUrl compactBody() const override;
    QUrl expandedBody() const override;
    QObject* viewModel() override { return &m_viewModel; }
    void start() override;
    void stop() override;

    QObject* service() { return &m_calendarService; }

Q_SIGNALS:
    void tickChanged();

private:
    friend class DayViewModel;

    Parts m_parts;
    QString m_name;
    WebClient m_web;
    CalendarService m_calendarService;
    TodoistService m_todoistService;
    AlignedTimer m_tickTimer;
    DayViewModel m_viewModel;
};
