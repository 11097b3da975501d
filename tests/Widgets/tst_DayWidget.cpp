#include "Widgets/DayWidget.h"

#include "FakeCalendarStore.h"
#include "FakeClock.h"
#include "InMemoryPreferences.h"
#include "ItemTreeCheck.h"
#include "Theme/TavimorTheme.h"
#include "Theme/ThemeQml.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

static const QDateTime nine(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);

class DayWidgetTest : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    FakeClock clock{nine};
    FakeScheduler scheduler;
    FakeCalendarStore* store = nullptr;
    QList<QUrl> opened;
    std::unique_ptr<DayWidget> widget;

    DayViewModel& model() { return *static_cast<DayViewModel*>(widget->viewModel()); }

    void startWith(const QList<CalendarOccurrence>& occurrences) {
        store->occurrences = occurrences;
        widget->start();
        store->answerAccess({CalendarAccess::Answer::granted, {}});
    }

    static CalendarOccurrence meetingAt(int startSeconds, const QString& location = {}) {
        CalendarOccurrence o;
        o.id = QStringLiteral("m%1").arg(startSeconds);
        o.title = QStringLiteral("Meeting");
        o.start = nine.addSecs(startSeconds);
        o.end = nine.addSecs(startSeconds + 1800);
        if (!location.isEmpty())
            o.location = location;
        return o;
    }

private Q_SLOTS:
    void initTestCase() { registerThemeQmlTypes(preferences); }

    void init() {
        auto fakeStore = std::make_unique<FakeCalendarStore>();
        store = fakeStore.get();
        opened.clear();
        DayWidget::Parts parts;
        parts.calendarStore = std::move(fakeStore);
        parts.preferences = &preferences;
        parts.clock = &clock;
        parts.scheduler = &scheduler;
        parts.endpoint.baseUrl = QUrl("http://127.0.0.1:9"); // never reached: no token
        parts.openUrl = [this](const QUrl& url) { return !(opened << url).isEmpty(); };
        widget = std::make_unique<DayWidget>(std::move(parts));
    }

    // Seconds to the start -> compact glyph, compact text and hero countdown colours.
    void countdownColours() {
        const QColor accent = TavimorTheme::accent(), compact = TavimorTheme::compactText(),
                     text = TavimorTheme::text(), primary = TavimorTheme::primaryLabel();
        const std::tuple<int, QColor, QColor, QColor> cases[] = {
            {240, accent, accent, TavimorTheme::danger()},
            {300, compact, text, accent},
            {600, compact, text, accent},
            {900, compact, compact, primary},
            {-600, compact, compact, primary}};
        for (const auto& [seconds, glyph, compactText, hero] : cases) {
            init();
            startWith({meetingAt(seconds)});
            QCOMPARE(model().compactGlyphColor(), glyph);
            QCOMPARE(model().compactTextColor(), compactText);
            QCOMPARE(model().hero().value("countdownColor").value<QColor>(), hero);
            QCOMPARE(model().hero().value("isRunning").toBool(), seconds < 0);
        }
    }

    void agendaRowsAndEmptyDay() {
        CalendarOccurrence allDay = meetingAt(-9 * 3600);
        allDay.id = "all";
        allDay.isAllDay = true;
        startWith({meetingAt(-3600), meetingAt(-600), meetingAt(3600), allDay});
        QCOMPARE(model().hero().value("id").toString(), QString("m-600"));
        QStringList rows;
        for (const QVariant& row : model().agendaRows())
            rows << row.toMap().value("id").toString() + "@" + row.toMap().value("opacity").toString();
        QCOMPARE(rows, QStringList({"m-3600@0.4", "m3600@0.8"}));
        QVERIFY(model().allDayRows().size() == 1 && !model().showsEmptyAgenda());

        store->occurrences.clear();
        Q_EMIT store->changed();
        QVERIFY(model().showsEmptyAgenda());
        QCOMPARE(model().tasksBody(), QString("noToken"));
    }

    // The views load without a warning, draw the hero with its join button, and the button opens the link.
    void viewsJoinAndStayQuiet() {
        startWith({meetingAt(1200, "Sala https://meet.google.com/abc-defg-hij")});
        QTest::failOnWarning(QRegularExpression(".*"));
        QQmlEngine engine;
        QQuickWindow window;
        window.resize(520, 220);
        for (const QUrl& body : {widget->compactBody(), widget->expandedBody()})
            QVERIFY(ItemTreeCheck::placeView(engine, window, body,
                                             {{"model", QVariant::fromValue<QObject*>(&model())}}));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* join = window.findChild<QQuickItem*>("joinButton");
        QVERIFY(join && join->isVisible());
        QTest::mouseClick(&window, Qt::LeftButton, {},
                          join->mapToScene(QPointF(join->width() / 2, join->height() / 2)).toPoint());
        QCOMPARE(opened, QList<QUrl>{QUrl("https://meet.google.com/abc-defg-hij")});
        model().join("unknown");
        QCOMPARE(opened.size(), 1);
    }
};

QTEST_MAIN(DayWidgetTest)
#include "tst_DayWidget.moc"
