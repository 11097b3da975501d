#include "Services/BreakOverlayWindowManager.h"

#include "Foundation/ImageBlur.h"
#include "Foundation/L10n.h"

#include <QRandomGenerator>
#include <QTimer>

#include <utility>

namespace {

QString escapeHint() {
    return L10n::text("pausas.esc_para_pular", "Pressione **Esc** duas vezes para pular a pausa",
                      "Dica de teclado; o texto entre ** aparece em negrito");
}

// Declared so that the windows go before the model their views read.
struct Doomed {
    std::unique_ptr<BreakOverlayModel> model;
    std::vector<std::unique_ptr<IReminderWindow>> windows;
};

} // namespace

BreakOverlayModel::BreakOverlayModel(BreakService& service, BreakTip tip, bool opaque, QObject* parent)
    : QObject(parent)
    , m_service(&service)
    , m_tip(std::move(tip))
    , m_opaque(opaque) {
    connect(&service, &BreakService::remainingChanged, this, &BreakOverlayModel::countdownChanged);
    for (auto signal : {&BreakService::canSkipChanged, &BreakService::canSnoozeChanged,
                        &BreakService::snoozesRemainingChanged, &BreakService::maxSnoozesChanged})
        connect(&service, signal, this, &BreakOverlayModel::actionsChanged);
}

QString BreakOverlayModel::clock() const {
    if (!m_service)
        return {};
    const IClock& clock = m_service->clock();
    return clock.now().toTimeZone(clock.localZone()).toString(QStringLiteral("HH:mm"));
}

QString BreakOverlayModel::countdown() const {
    return countdownText(m_service ? m_service->remaining() : 0);
}

bool BreakOverlayModel::showsSkip() const {
    return m_service && m_service->canSkip();
}

bool BreakOverlayModel::showsSnooze() const {
    return m_service && m_service->canSnooze();
}

QString BreakOverlayModel::snoozeLine() const {
    if (!m_service || m_service->maxSnoozes() < 1)
        return {};
    return L10n::formatted("pausas.sonecas_restantes", "%lld soneca(s) disponível(is)",
                           "Sonecas ainda disponíveis nesta pausa; %lld é o número, pode ser zero",
                           {m_service->snoozesRemaining()});
}

QString BreakOverlayModel::hint() const {
    if (!showsSkip())
        return L10n::text("pausas.obrigatoria", "Pausa obrigatória — aproveite para descansar.",
                          "Texto do modo estrito, quando a pausa não pode ser pulada");
    const QString text = escapeHint();
    return boldMarkup(text).value_or(text);
}

bool BreakOverlayModel::hintStyled() const {
    return showsSkip() && boldMarkup(escapeHint()).has_value();
}

QString BreakOverlayModel::skipLabel() const {
    return L10n::text("pausas.acao.pular", "Pular pausa", "Botão da tela de pausa que pula a pausa");
}

QString BreakOverlayModel::snoozeLabel() const {
    return L10n::text("pausas.acao.soneca", "Soneca", "Botão da tela de pausa que adia a pausa");
}

QString BreakOverlayModel::lockLabel() const {
    return L10n::text("pausas.acao.bloquear", "Bloquear tela", "Botão que bloqueia a tela durante a pausa");
}

void BreakOverlayModel::skip() {
    if (m_service)
        m_service->skip();
}

void BreakOverlayModel::snooze() {
    if (m_service)
        m_service->snooze();
}

void BreakOverlayModel::lockScreen() {
    if (m_service)
        m_service->lockScreen();
}

QString BreakOverlayModel::countdownText(qint64 remaining) {
    const qint64 seconds = std::max<qint64>(0, remaining);
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

std::optional<QString> BreakOverlayModel::boldMarkup(const QString& text) {
    const QStringList parts = text.split(QStringLiteral("**"));
    if (parts.size() % 2 == 0)
        return std::nullopt;
    QString markup;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString escaped = parts[i].toHtmlEscaped();
        markup += i % 2 ? QStringLiteral("<b>") + escaped + QStringLiteral("</b>") : escaped;
    }
    return markup;
}

BreakOverlayWindowManager::BreakOverlayWindowManager(IScreens& screens, IReminderWindowFactory& windows,
                                                     const IClock& clock, RandomIndex randomIndex,
                                                     QObject* parent)
    : QObject(parent)
    , m_screens(screens)
    , m_factory(windows)
    , m_clock(clock)
    , m_randomIndex(std::move(randomIndex)) {
    if (!m_randomIndex)
        m_randomIndex = [](int count) { return int(QRandomGenerator::system()->bounded(count)); };
}

BreakOverlayWindowManager::~BreakOverlayWindowManager() {
    dismiss();
}

QList<BreakTip> BreakOverlayWindowManager::tips() {
    const char* titleNote = "Título da dica mostrada na tela de pausa";
    const char* subtitleNote = "Explicação da dica mostrada na tela de pausa";
    return {
        {L10n::text("pausas.dica.horizonte.titulo", "Olhe para o horizonte", titleNote),
         L10n::text("pausas.dica.horizonte.subtitulo",
                    "Fixe os olhos em algo distante até a contagem terminar.", subtitleNote)},
        {L10n::text("pausas.dica.alongar.titulo", "Levante e alongue", titleNote),
         L10n::text("pausas.dica.alongar.subtitulo", "Fique de pé, estique os braços e solte os ombros.",
                    subtitleNote)},
        {L10n::text("pausas.dica.respirar.titulo", "Respire fundo", titleNote),
         L10n::text("pausas.dica.respirar.subtitulo", "Quatro segundos inspirando, quatro segundos soltando.",
                    subtitleNote)},
        {L10n::text("pausas.dica.olhos.titulo", "Descanse os olhos", titleNote),
         L10n::text("pausas.dica.olhos.subtitulo", "Pisque devagar algumas vezes e relaxe o olhar.",
                    subtitleNote)},
        {L10n::text("pausas.dica.agua.titulo", "Beba uma água", titleNote),
         L10n::text("pausas.dica.agua.subtitulo", "Hidrate-se antes de voltar ao trabalho.", subtitleNote)},
    };
}

void BreakOverlayWindowManager::present(BreakService& service) {
    if (m_service)
        return;
    m_service = &service;
    const QList<BreakTip> all = tips();
    const bool translucent = m_factory.translucencyAvailable();
    m_blurBehind = translucent && m_factory.blurBehindAvailable();
    m_frosts = translucent && !m_blurBehind && m_capture != nullptr;
    const bool frosted = m_blurBehind || takeBackdrops(m_screens.screens());
    auto previous = std::make_shared<Doomed>();
    previous->model = std::exchange(m_model, std::make_unique<BreakOverlayModel>(
                                                 service, all.at(m_randomIndex(int(all.size()))), !frosted));
    if (!showKeptWindows())
        rebuildWindows();
    QTimer::singleShot(0, [previous] {});
    m_screenObserver =
        connect(&m_screens, &IScreens::screensChanged, this, &BreakOverlayWindowManager::rebuildWindows);
    Q_EMIT presented();
}

void BreakOverlayWindowManager::dismiss() {
    disconnect(m_screenObserver);
    m_lastEscape = {};
    m_service = nullptr;
    orderOutWindows();
    m_backdrops.clear();
}

// Read while no overlay is on screen, or an overlay would frost itself. Whether every screen has one.
bool BreakOverlayWindowManager::takeBackdrops(const QList<ScreenInfo>& screens) {
    m_backdrops.clear();
    bool all = m_frosts;
    for (const ScreenInfo& screen : screens)
        all &= !backdropFor(screen).isNull();
    return all;
}

// The screen's frosted capture of this break (null when it could not be read), read now for a screen that
// came during the break.
QImage BreakOverlayWindowManager::backdropFor(const ScreenInfo& screen) {
    if (!m_frosts)
        return {};
    for (const auto& [frame, backdrop] : std::as_const(m_backdrops))
        if (frame == screen.frame)
            return backdrop;
    m_backdrops.append({screen.frame, ImageBlur::frosted(m_capture->grab(screen.frame))});
    return m_backdrops.last().second;
}

// The windows of the last break, ordered out, show the next one when the screens are still the same:
// showing a window again is much quicker than making one.
bool BreakOverlayWindowManager::showKeptWindows() {
    const QList<ScreenInfo> screens = m_screens.screens();
    if (m_windows.empty() || m_windows.size() != std::size_t(screens.size()) ||
        m_keptWindowsBlurBehind != m_blurBehind)
        return false;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        if (m_windows[std::size_t(i)]->geometry() != screens[i].frame)
            return false;
    }
    for (qsizetype i = 0; i < screens.size(); ++i) {
        IReminderWindow& window = *m_windows[std::size_t(i)];
        window.setViewProperty("model", QVariant::fromValue<QObject*>(m_model.get()));
        window.setViewProperty("backdrop", backdropFor(screens[i]));
        window.show();
    }
    return true;
}

void BreakOverlayWindowManager::escapePressed() {
    if (!m_service)
        return;
    const QDateTime now = m_clock.now();
    if (m_lastEscape.isValid() && m_lastEscape.msecsTo(now) < escapePairMs) {
        m_lastEscape = {};
        m_service->skip();
    } else {
        m_lastEscape = now;
    }
}

void BreakOverlayWindowManager::rebuildWindows() {
    if (!m_service || !m_model)
        return;
    orderOutWindows();
    // A button or key of the view itself may have brought us here: the old windows go once the event
    // is finished.
    auto replaced = std::make_shared<Doomed>();
    replaced->windows = std::move(m_windows);
    QTimer::singleShot(0, [replaced] {});
    const QList<ScreenInfo> screens = m_screens.screens();
    m_keptWindowsBlurBehind = m_blurBehind;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        ReminderWindowSpec spec;
        spec.kind = ReminderWindowSpec::Kind::overlay;
        spec.geometry = screens[i].frame;
        spec.view = QUrl(QStringLiteral("qrc:/Views/Reminders/BreakOverlayView.qml"));
        spec.properties = {{QStringLiteral("model"), QVariant::fromValue<QObject*>(m_model.get())},
                           {QStringLiteral("topInset"), m_topCover ? m_topCover(screens[i]) : 0},
                           {QStringLiteral("backdrop"), backdropFor(screens[i])}};
        spec.takesFocus = i == 0;
        spec.blurBehind = m_blurBehind;
        spec.escapePressed = [self = QPointer<BreakOverlayWindowManager>(this)] {
            if (self)
                self->escapePressed();
        };
        m_windows.push_back(m_factory.create(std::move(spec)));
        m_windows.back()->show();
    }
}

void BreakOverlayWindowManager::orderOutWindows() {
    for (const auto& window : m_windows)
        window->orderOut();
}
