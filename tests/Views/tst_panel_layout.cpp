#include "Core/NotchPanelHost.h"
#include "Core/ShellQml.h"
#include "FakeArtworkFetcher.h"
#include "FakeAudioSystem.h"
#include "FakeBluetooth.h"
#include "FakeCalendarStore.h"
#include "FakeClipboard.h"
#include "FakeClock.h"
#include "FakeInhibitor.h"
#include "FakeMprisSource.h"
#include "FakeProcessTable.h"
#include "FakeReminders.h"
#include "InMemoryPreferences.h"
#include "ItemTreeCheck.h"
#include "Theme/ThemeQml.h"
#include "Widgets/AudioWidget.h"
#include "Widgets/BreakWidget.h"
#include "Widgets/CaffeinateWidget.h"
#include "Widgets/DayWidget.h"
#include "Widgets/DeviceBatteryWidget.h"
#include "Widgets/LocalServersWidget.h"
#include "Widgets/MusicWidget.h"
#include "Widgets/SystemWidget.h"
#include "Widgets/UsageWidget.h"

#include <QQuickItem>
#include <QQuickView>
#include <QtTest>

#include <optional>

namespace {

const QDateTime now(QDate(2026, 3, 2), QTime(10, 10), Qt::UTC);

// The long names and titles a busy user has: the only texts a view may cut.
const QStringList longNames = {
    "Planejamento trimestral do produto com a diretoria",
    "Standup diário da equipe de plataforma",
    "Almoço com o time de design e pesquisa",
    "Revisão de arquitetura do serviço de pagamentos",
    "Entrevista com candidata para engenharia sênior",
    "Aniversário da Mariana Albuquerque Figueiredo",
    "Fones de ouvido com cancelamento de ruído do Rafael",
    "Teclado mecânico sem fio do escritório",
    "Mouse ergonômico vertical da sala de reuniões",
    "Caixa de som portátil da cozinha compartilhada",
    "Controle de videogame sem fio da sala de estar",
    "Relógio inteligente de corrida do fim de semana",
    "Microfone condensador USB do estúdio de gravação",
    "Interface de áudio externa com quatro canais",
    "Saída HDMI do monitor ultrawide da mesa principal",
    "Uma faixa de nome longo que nunca acaba mais",
    "Artista convidado, Orquestra Sinfônica e Coral",
};

CalendarOccurrence meeting(const QString& title, int startMinutes, int minutes,
                           const QString& location = {}) {
    CalendarOccurrence o;
    o.id = title;
    o.title = title;
    o.start = now.addSecs(startMinutes * 60);
    o.end = o.start.addSecs(minutes * 60);
    o.location = location;
    return o;
}

} // namespace

// Every tab of the open panel and the compact bar, fed with long realistic data in both appearances: no
// control lies over a text, only long names are cut, and the compact items share one line.
class PanelLayoutTest : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    FakeClipboard clipboard;
    FakeClock clock{now};
    FakeScheduler scheduler;
    NotificationCenter notifications;
    FakePresence presence;

    struct Scene {
        NotchStateManager stateManager;
        PanelActions actions{[] {}, [] {}};
        WidgetRegistry registry;
        std::vector<std::unique_ptr<NotchWidget>> widgets;
        QQuickView window;
    };
    std::optional<Scene> scene;
    FakeCalendarStore* calendar = nullptr;

    template <typename W> W* add(std::unique_ptr<W> widget) {
        W* raw = widget.get();
        scene->widgets.push_back(std::move(widget));
        return raw;
    }

    std::unique_ptr<DayWidget> makeDay() {
        auto store = std::make_unique<FakeCalendarStore>();
        calendar = store.get();
        store->occurrences = {meeting(longNames[3], -120, 30), meeting(longNames[1], -60, 15),
                              meeting(longNames[0], -10, 50, "https://meet.google.com/abc-defg-hij"),
                              meeting(longNames[2], 110, 60), meeting(longNames[4], 230, 45)};
        CalendarOccurrence birthday = meeting(longNames[5], -600, 24 * 60);
        birthday.isAllDay = true;
        store->occurrences.append(birthday);
        DayWidget::Parts parts;
        parts.calendarStore = std::move(store);
        parts.preferences = &preferences;
        parts.clock = &clock;
        parts.scheduler = &scheduler;
        parts.endpoint.baseUrl = QUrl("http://127.0.0.1:9"); // never reached: no token
        return std::make_unique<DayWidget>(std::move(parts));
    }

    void buildWidgets() {
        add(makeDay());
        auto* system = add(std::make_unique<SystemWidget>(
            SystemMonitorService::Dependencies{preferences, &clipboard, QStringLiteral("/proc"), {}}));
        auto music = std::make_unique<FakeMprisSource>();
        music->current = {{"org.mpris.MediaPlayer2.player",
                           "Playing",
                           longNames[15],
                           longNames[16],
                           "Álbum",
                           {},
                           245,
                           61,
                           1}};
        add(std::make_unique<MusicWidget>(
            std::make_unique<MusicService>(MusicService::Dependencies{std::move(music),
                                                                      std::make_unique<FakeArtworkFetcher>(),
                                                                      std::make_unique<FakeClock>(now),
                                                                      &scheduler,
                                                                      {}})));
        add(std::make_unique<UsageWidget>());
        add(std::make_unique<DeviceBatteryWidget>(
            DeviceBatterySources{[] { return std::nullopt; }, [] { return QList<DeviceBattery>(); }},
            &bluetooth));
        auto processes = std::make_shared<FakeProcessTable>();
        processes->sockets =
            "p4242\ncnode\nn*:3000\np4343\ncpython3\nn127.0.0.1:8000\np4444\ncpostgres\nn*:5432\n";
        add(std::make_unique<LocalServersWidget>(processes));
        auto* caffeinate = add(std::make_unique<CaffeinateWidget>(
            CaffeinateLocks{system_, display_, std::make_shared<FakeInhibitor>(), {}}, nullptr));
        system->setCaffeinateService(caffeinate->service());
        auto audio = std::make_unique<FakeAudioSystem>();
        for (std::uint32_t id = 1; id <= 4; ++id)
            audio->all.append({id, QStringLiteral("dev%1").arg(id), longNames[int(id) + 11], 0,
                               id % 2 ? 2 : 0, id % 2 ? 0 : 2, 48000});
        audio->input = 1, audio->output = 2;
        add(std::make_unique<AudioWidget>(
            std::make_unique<AudioInputService>(std::move(audio), preferences)));
        add(std::make_unique<BreakWidget>(
            preferences, notifications,
            std::make_unique<BreakService>(
                BreakService::Dependencies{preferences, clock, scheduler, presence, nullptr, notifications},
                nullptr)));
        for (const auto& widget : scene->widgets) {
            scene->registry.registerWidget(widget.get());
            widget->start();
        }
        for (const QString& text : clipboardTexts) {
            clipboard.put(text);
            system->service()->pollClipboard();
        }
        calendar->answerAccess({CalendarAccess::Answer::granted, {}});
        caffeinate->service()->activateFor(1800);
        system_->answer(true);
        display_->answer(true);
    }

    FakeBluetooth bluetooth;
    QStringList clipboardTexts;
    std::shared_ptr<FakeInhibitor> system_ = std::make_shared<FakeInhibitor>();
    std::shared_ptr<FakeInhibitor> display_ = std::make_shared<FakeInhibitor>();

    bool loadRoot() {
        scene->window.setInitialProperties({
            {QStringLiteral("stateManager"), QVariant::fromValue<QObject*>(&scene->stateManager)},
            {QStringLiteral("registry"), QVariant::fromValue<QObject*>(&scene->registry)},
            {QStringLiteral("notchWidth"), 200},
            {QStringLiteral("notchHeight"), 32},
            {QStringLiteral("panelActions"), QVariant::fromValue<QObject*>(&scene->actions)},
        });
        scene->window.setSource(QUrl(QStringLiteral("qrc:/Views/NotchContentView.qml")));
        if (!scene->window.rootObject())
            return false;
        scene->window.show();
        return QTest::qWaitForWindowExposed(&scene->window);
    }

    void saveShot(const QString& name) {
        const QString folder = qEnvironmentVariable("TAVIMOR_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            scene->window.grabWindow().save(QStringLiteral("%1/%2.png").arg(folder, name));
    }

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        registerShellQmlTypes();
        preferences.setValue("tavimor.clipboardHistoryEnabled", true);
        preferences.setValue("tavimor.breakEnabled", true);
        for (int i = 0; i < 20; ++i)
            clipboardTexts
                << QStringLiteral("Trecho copiado número %1 com um texto bem comprido que não cabe").arg(i);
        for (int i = 0; i < 8; ++i)
            bluetooth.deviceList.append({QStringLiteral("AA:00:00:00:00:0%1").arg(i), longNames[6 + i % 5],
                                         "audio-headset", true, i < 3, 15 + 10 * i});
    }

    void init() {
        scene.emplace();
        scene->window.setResizeMode(QQuickView::SizeRootObjectToView);
        scene->window.resize(1512, 340);
        scene->window.setColor(Qt::white);
    }
    void cleanup() { scene.reset(); }

    void everyTab_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("liquid") << QStringLiteral("liquid");
        QTest::newRow("dark") << QStringLiteral("dark");
    }

    void everyTab() {
        QFETCH(QString, mode);
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), mode);
        buildWidgets();
        QVERIFY(loadRoot());
        QTest::qWait(900);
        saveShot(mode + "-closed");
        // The side items lie over whatever the top of the screen shows: here a white window.
        QStringList problems = ItemTreeCheck::offCompactLine(scene->window.rootObject());
        for (const QQuickItem* side : scene->window.rootObject()->findChildren<QQuickItem*>("compactSide"))
            problems += ItemTreeCheck::lowContrastTexts(side->parentItem());
        scene->stateManager.open();
        QTest::qWait(900);
        for (const auto& widget : scene->widgets) {
            scene->stateManager.setActiveWidgetId(widget->id());
            QTest::qWait(300);
            saveShot(mode + "-" + widget->id());
            QQuickItem* root = scene->window.rootObject();
            const QStringList found =
                ItemTreeCheck::controlsOverTexts(root) + ItemTreeCheck::controlsOutsideCards(root) +
                ItemTreeCheck::overlappingControls(root) +
                ItemTreeCheck::truncatedTexts(root, longNames + clipboardTexts) +
                ItemTreeCheck::textsCutByContainers(root) + ItemTreeCheck::unhintedFlickables(root) +
                ItemTreeCheck::unevenHeaders(root);
            for (const QString& problem : found)
                problems << widget->id() + ": " + problem;
        }
        problems.removeDuplicates();
        for (const QString& problem : std::as_const(problems))
            qWarning().noquote() << problem;
        QVERIFY(problems.isEmpty());
    }
};

QTEST_MAIN(PanelLayoutTest)
#include "tst_panel_layout.moc"
