#include "Widgets/DayWidget.h"

#include "Foundation/L10n.h"
#include "Platform/Calendar/EdsCalendarStore.h"
#include "Services/DiagnosticsService.h"
#include "Services/SettingsWindowManager.h"
#include "Theme/TavimorTheme.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QLocale>

namespace {

QString emptyAgendaText() {
    return L10n::text("agenda.vazia", "Dia livre", "Estado vazio da agenda: nenhum evento hoje");
}

// The task service's public API, or a loopback stand-in named by TAVIMOR_TODOIST_API (end-to-end tests). The
// token is never sent to any other host.
QUrl taskServiceUrl() {
    const QUrl override(qEnvironmentVariable("TAVIMOR_TODOIST_API"));
    const bool loopback =
        override.scheme() == QLatin1String("http") &&
        (override.host() == QLatin1String("127.0.0.1") || override.host() == QLatin1String("localhost"));
    return loopback ? override : TodoistEndpoint{}.baseUrl;
}

} // namespace

DayViewModel::DayViewModel(DayWidget& widget, CalendarService& calendar, TodoistService& todoist,
                           const IClock& clock)
    : m_widget(widget)
    , m_calendar(calendar)
    , m_todoist(todoist)
    , m_clock(clock) {
    for (auto signal : {&CalendarService::meetingsChanged, &CalendarService::errorChanged})
        connect(&calendar, signal, this, &DayViewModel::changed);
    for (auto signal : {&TodoistService::tasksChanged, &TodoistService::projectsChanged,
                        &TodoistService::isLoadingChanged, &TodoistService::errorChanged,
                        &TodoistService::completingTaskIdsChanged, &TodoistService::tokenChanged})
        connect(&todoist, signal, this, &DayViewModel::changed);
    connect(&widget, &DayWidget::tickChanged, this, &DayViewModel::changed);
}

double DayViewModel::secondsToStart(const Meeting& meeting) const {
    return double(m_clock.now().msecsTo(meeting.startDate)) / 1000.0;
}

QString DayViewModel::compactCountdown() const {
    const std::optional<Meeting> next = m_calendar.nextMeeting();
    return next ? next->countdownString(m_clock.now()) : QString();
}

QColor DayViewModel::compactGlyphColor() const {
    const std::optional<Meeting> next = m_calendar.nextMeeting();
    const double s = next ? secondsToStart(*next) : 0;
    return s > 0 && s < 300 ? TavimorTheme::accent() : TavimorTheme::compactText();
}

QColor DayViewModel::compactTextColor() const {
    const std::optional<Meeting> next = m_calendar.nextMeeting();
    const double s = next ? secondsToStart(*next) : 0;
    if (s > 0 && s < 300)
        return TavimorTheme::accent();
    if (s >= 300 && s < 900)
        return TavimorTheme::text();
    return TavimorTheme::compactText();
}

QColor DayViewModel::heroCountdownColor(double secondsToStart) {
    if (secondsToStart > 0 && secondsToStart < 300)
        return TavimorTheme::danger();
    if (secondsToStart >= 300 && secondsToStart < 900)
        return TavimorTheme::accent();
    return TavimorTheme::primaryLabel();
}

double DayViewModel::rowOpacity(const Meeting& meeting, const QDateTime& now) {
    if (meeting.isRunning(now))
        return 1.0;
    return now < meeting.startDate ? 0.8 : 0.4;
}

QVariantMap DayViewModel::meetingRow(const Meeting& meeting) const {
    const QDateTime now = m_clock.now();
    return {{QStringLiteral("id"), meeting.id},
            {QStringLiteral("title"), meeting.title},
            {QStringLiteral("timeRange"), meeting.formattedTimeRange(QLocale(), m_clock.localZone())},
            {QStringLiteral("calendarColor"), meeting.calendarInfo.color},
            {QStringLiteral("opacity"), rowOpacity(meeting, now)}};
}

QVariantMap DayViewModel::hero() const {
    const std::optional<Meeting> next = m_calendar.nextMeeting();
    if (!next)
        return {};
    QVariantMap hero = meetingRow(*next);
    hero.insert(QStringLiteral("isRunning"), next->isRunning(m_clock.now()));
    hero.insert(QStringLiteral("countdown"), next->countdownString(m_clock.now()));
    hero.insert(QStringLiteral("countdownColor"), heroCountdownColor(secondsToStart(*next)));
    hero.insert(QStringLiteral("hasLink"), next->meetingLink.has_value());
    return hero;
}

QVariantList DayViewModel::agendaRows() const {
    const std::optional<Meeting> next = m_calendar.nextMeeting();
    QVariantList rows;
    for (const Meeting& meeting : m_calendar.todayMeetings()) {
        if (!next || meeting.id != next->id)
            rows.append(meetingRow(meeting));
    }
    return rows;
}

QVariantList DayViewModel::allDayRows() const {
    QVariantList rows;
    for (const Meeting& meeting : m_calendar.allDayEvents())
        rows.append(meetingRow(meeting));
    return rows;
}

bool DayViewModel::showsEmptyAgenda() const {
    return !hasNextMeeting() && m_calendar.todayMeetings().isEmpty() && m_calendar.allDayEvents().isEmpty();
}

QString DayViewModel::tasksBody() const {
    if (m_todoist.error())
        return QStringLiteral("error");
    if (!m_todoist.hasToken())
        return QStringLiteral("noToken");
    if (m_todoist.overdueTasks().isEmpty() && m_todoist.todayTasks().isEmpty() && !m_todoist.isLoading())
        return QStringLiteral("empty");
    return QStringLiteral("list");
}

QString DayViewModel::dueText(const TodoistTask& task, bool overdue) {
    if (!task.dueDate)
        return {};
    if (overdue)
        return task.dueDate->left(10).right(5);
    return task.dueDate->size() > 10 ? task.dueDate->mid(11, 5) : QString();
}

QVariantList DayViewModel::taskRows() const {
    const QDateTime now = m_clock.now();
    QVariantList rows;
    for (const TodoistTask& task : m_todoist.overdueTasks() + m_todoist.todayTasks()) {
        const bool overdue = task.isOverdue(now, m_clock.localZone());
        const auto& projects = m_todoist.projects();
        const auto project = std::find_if(projects.cbegin(), projects.cend(),
                                          [&](const TodoistProject& p) { return p.id == task.projectId; });
        rows.append(QVariantMap{
            {QStringLiteral("id"), task.id},
            {QStringLiteral("content"), task.content},
            {QStringLiteral("isOverdue"), overdue},
            {QStringLiteral("completing"), m_todoist.completingTaskIds().contains(task.id)},
            {QStringLiteral("projectName"), project != projects.cend() ? project->name : QString()},
            {QStringLiteral("dueText"), dueText(task, overdue)}});
    }
    return rows;
}

QString DayViewModel::overdueCountText() const {
    const auto count = m_todoist.overdueTasks().size();
    return count == 0
               ? QString()
               : L10n::formatted("tarefas.contagem.atrasadas", "%lld atrasadas",
                                 "Quantas tarefas estão atrasadas; %lld é a contagem", {qint64(count)});
}

QString DayViewModel::todayCountText() const {
    const auto count = m_todoist.todayTasks().size();
    return count == 0 ? QString()
                      : L10n::formatted("tarefas.contagem.hoje", "%lld hoje",
                                        "Quantas tarefas vencem hoje; %lld é a contagem", {qint64(count)});
}

QVariantMap DayViewModel::texts() const {
    return {
        {QStringLiteral("agendaTitle"),
         L10n::text("agenda.coluna.titulo", "Agenda", "Cabeçalho da coluna com os eventos do dia")},
        {QStringLiteral("nowBadge"), L10n::text("agenda.badge.agora", "AGORA",
                                                "Selo no evento que está acontecendo neste momento; fica em "
                                                "caixa alta")},
        {QStringLiteral("join"),
         L10n::text("agenda.acao.entrar", "Entrar", "Botão que abre o link da videochamada da reunião")},
        {QStringLiteral("emptyAgenda"), emptyAgendaText()},
        {QStringLiteral("tasksTitle"),
         L10n::text("tarefas.coluna.titulo", "Tarefas", "Cabeçalho da coluna de tarefas do Todoist")},
        {QStringLiteral("noToken"),
         L10n::text("tarefas.sem_token", "Configure o token do Todoist nas settings",
                    "Aviso de que falta conectar o Todoist nas configurações")},
        {QStringLiteral("tasksEmpty"),
         L10n::text("tarefas.vazia", "Tudo feito!", "Estado vazio da lista de tarefas: nada pendente")},
        {QStringLiteral("overdueBadge"),
         L10n::text("tarefas.badge.atrasada", "ATRASADA", "Selo na tarefa vencida; fica em caixa alta")},
        {QStringLiteral("settingsMenu"),
         L10n::text("config.menu.configuracoes", "Configurações",
                    "Item do menu de contexto que abre a janela de configurações")},
        {QStringLiteral("quitMenu"),
         L10n::text("config.menu.sair", "Sair do Tavimor", "Item do menu de contexto que encerra o app")},
    };
}

void DayViewModel::join(const QString& meetingId) {
    const auto& meetings = m_calendar.meetings();
    const auto meeting =
        std::find_if(meetings.cbegin(), meetings.cend(), [&](const Meeting& m) { return m.id == meetingId; });
    if (meeting == meetings.cend() || !meeting->meetingLink)
        return;
    const QUrl& url = meeting->meetingLink->url;
    if (MeetingLinkDetector::isWebAddress(url) && m_widget.m_parts.openUrl)
        m_widget.m_parts.openUrl(url);
}

void DayViewModel::closeTask(const QString& taskId) {
    if (!m_todoist.completingTaskIds().contains(taskId))
        m_todoist.closeTask(taskId);
}

void DayViewModel::openSettings() {
    if (m_widget.m_parts.openSettings)
        m_widget.m_parts.openSettings();
}

void DayViewModel::quit() {
    if (m_widget.m_parts.quit)
        m_widget.m_parts.quit();
}

DayWidget::DayWidget(Parts parts, QObject* parent)
    : NotchWidget(parent)
    , m_parts(std::move(parts))
    , m_name(L10n::text("daily.aba.titulo", "Daily", "Tooltip da aba que junta agenda e tarefas do dia"))
    , m_calendarService(*m_parts.calendarStore, *m_parts.preferences, *m_parts.clock, *m_parts.scheduler)
    , m_todoistService(m_web, *m_parts.clock, *m_parts.scheduler, m_parts.endpoint)
    , m_viewModel(*this, m_calendarService, m_todoistService, *m_parts.clock) {
    m_tickTimer.setInterval(tickIntervalMs);
    connect(&m_tickTimer, &AlignedTimer::timeout, this, &DayWidget::tickChanged);
}

std::unique_ptr<DayWidget> DayWidget::makeDefault(IPreferences& preferences, IScheduler& scheduler) {
    static const SystemClock clock;
    Parts parts;
    parts.calendarStore = std::make_unique<EdsCalendarStore>(Diagnostics::degraded);
    parts.preferences = &preferences;
    parts.clock = &clock;
    parts.scheduler = &scheduler;
    parts.endpoint.baseUrl = taskServiceUrl();
    parts.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    parts.openSettings = [] { SettingsWindowManager::shared().open(); };
    parts.quit = [] { QCoreApplication::quit(); };
    return std::make_unique<DayWidget>(std::move(parts));
}

QUrl DayWidget::compactBody() const {
    return QUrl(QStringLiteral("qrc:/Views/Day/DayCompactView.qml"));
}

QUrl DayWidget::expandedBody() const {
    return QUrl(QStringLiteral("qrc:/Views/Day/DayExpandedView.qml"));
}

void DayWidget::start() {
    m_calendarService.start();
    m_todoistService.start();
    m_tickTimer.start();
}

void DayWidget::stop() {
    m_calendarService.stop();
    m_todoistService.stop();
    m_tickTimer.stop();
}
