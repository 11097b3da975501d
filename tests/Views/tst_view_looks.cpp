#include "Core/NotchShape.h"
#include "Core/ShellQml.h"
#include "FakeArtworkFetcher.h"
#include "FakeClock.h"
#include "FakeMprisSource.h"
#include "FakePlatform.h"
#include "FakeReminders.h"
#include "FakeScreenCapture.h"
#include "Foundation/NotificationCenter.h"
#include "Foundation/QmlWindow.h"
#include "InMemoryPreferences.h"
#include "ItemTreeCheck.h"
#include "Platform/Screens/QtScreens.h"
#include "Services/BlinkService.h"
#include "Services/BreakOverlayWindowManager.h"
#include "Services/BreakService.h"
#include "Services/PostureService.h"
#include "Theme/BackdropMaterial.h"
#include "Theme/LookItems.h"
#include "Theme/PanelBackdrop.h"
#include "Theme/Springs.h"
#include "Theme/ThemeQml.h"
#include "Widgets/BreakWidget.h"
#include "Widgets/MusicWidget.h"

#include <QAnimationDriver>
#include <QDirIterator>
#include <QFontInfo>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

namespace {

const QColor coverColour(200, 40, 120);
const QColor grey(128, 128, 128);

// How much of the accent (a yellow green) a pixel shows over a grey or black backdrop: 0 for greys.
int tint(QColor pixel) {
    return pixel.green() - pixel.blue();
}

int distance(QColor a, QColor b) {
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
}

bool near(QColor a, QColor b) {
    return distance(a, b) < 24;
}

// Animation time that moves only when the test moves it, from 0 at each start of the animations.
class SteppedAnimationTime final : public QAnimationDriver {
public:
    SteppedAnimationTime() { install(); }
    ~SteppedAnimationTime() override { uninstall(); }
    qint64 elapsed() const override { return m_elapsed; }
    // Lets animations just asked for begin, then moves them on by ms.
    void advanceBy(qint64 ms) {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        m_elapsed += ms;
        advance();
    }

protected:
    void start() override {
        m_elapsed = 0;
        QAnimationDriver::start();
    }

private:
    qint64 m_elapsed = 0;
};
// The widest spread of grey levels within a 16 px square of `area`: readable text spreads far (black strokes
// on white, or still 25 levels under black at 90 %), frosted glass or a dense tint over it barely at all.
int widestLocalSpread(const QImage& image, QRect area) {
    int widest = 0;
    for (int y = area.top(); y + 16 <= area.bottom(); y += 8) {
        for (int x = area.left(); x + 16 <= area.right(); x += 8) {
            int low = 255, high = 0;
            for (int dy = 0; dy < 16; ++dy)
                for (int dx = 0; dx < 16; ++dx) {
                    const int grey = qGray(image.pixel(x + dx, y + dy));
                    low = std::min(low, grey), high = std::max(high, grey);
                }
            widest = std::max(widest, high - low);
        }
    }
    return widest;
}

// The darkest and the brightest grey level in `area`.
std::pair<int, int> greyRange(const QImage& image, QRect area) {
    int darkest = 255, brightest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const int grey = qGray(image.pixel(x, y));
            darkest = std::min(darkest, grey), brightest = std::max(brightest, grey);
        }
    return {darkest, brightest};
}

// Under this, no word of a page beneath can be made out.
constexpr int unreadableSpread = 12;

// The two ways a backdrop can come: a capture of what lies beneath, or nothing that could be read.
void addCaptureRows() {
    QTest::addColumn<bool>("readable");
    QTest::newRow("frosted capture") << true;
    QTest::newRow("nothing read") << false;
}

// How much darker than the grey backdrop each row of the image is, summed over the columns of the bright
// (white) glyphs drawn over it; `inkTop` and `inkBottom` get the first and last rows of those glyphs.
QList<int> rowShades(const QImage& image, int* inkTop, int* inkBottom) {
    int left = image.width(), right = -1;
    *inkTop = image.height();
    *inkBottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).lightness() > grey.lightness() + 60) {
                left = std::min(left, x), right = std::max(right, x);
                *inkTop = std::min(*inkTop, y), *inkBottom = std::max(*inkBottom, y);
            }
    QList<int> shades;
    for (int y = 0; y < image.height(); ++y) {
        int sum = 0;
        for (int x = left; x <= right; ++x)
            sum += std::max(0, grey.lightness() - image.pixelColor(x, y).lightness());
        shades.append(sum);
    }
    return shades;
}

// The bounds of the bright glyphs over the grey backdrop, and of what lies darker than it around them.
std::pair<QRect, QRect> inkAndShade(const QImage& image) {
    QRect ink, shade;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int lightness = image.pixelColor(x, y).lightness();
            if (lightness > grey.lightness() + 60)
                ink |= QRect(x, y, 1, 1);
            else if (lightness < grey.lightness() - 6)
                shade |= QRect(x, y, 1, 1);
        }
    return {ink, shade};
}

// The regions the software scene graph flushes to the window, one per frame, as its renderer logs them.
QStringList* flushedRegions = nullptr;
QtMessageHandler testMessages = nullptr;

void collectFlushedRegion(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    static const QRegularExpression render(QStringLiteral(R"(^render (QRegion\([^)]*\)))"));
    const QRegularExpressionMatch match = render.match(message);
    if (match.hasMatch())
        flushedRegions->append(match.captured(1));
    else
        testMessages(type, context, message);
}

QStringList regionsFlushedDuring(int ms) {
    QStringList regions;
    flushedRegions = &regions;
    QLoggingCategory::setFilterRules(QStringLiteral("qt.scenegraph.softwarecontext.renderer.debug=true"));
    testMessages = qInstallMessageHandler(collectFlushedRegion);
    QTest::qWait(ms);
    qInstallMessageHandler(testMessages);
    QLoggingCategory::setFilterRules(QString());
    return regions;
}

} // namespace

// The soft looks of the views (covers clipped to rounded squares, shadows, glows) as the default software
// scene graph draws them, read back pixel by pixel.
class ViewLooksTest : public QObject {
    Q_OBJECT

    InMemoryPreferences preferences;
    FakeScheduler scheduler;
    QQmlEngine engine;

    struct Shown {
        std::unique_ptr<QQuickWindow> window;
        QQuickItem* view = nullptr;
        QImage grab() const { return window->grabWindow(); }
    };

    Shown show(const QString& file, const QVariantMap& properties, QSize size, QColor backdrop,
               const QImage& screen = {}) {
        Shown shown{std::make_unique<QQuickWindow>()};
        shown.window->setColor(backdrop);
        shown.window->resize(size);
        if (!screen.isNull()) {
            // What the screen shows beneath the window: drawn first, under the view.
            auto* beneath = new BackdropMaterial(shown.window->contentItem());
            beneath->setImage(screen);
            beneath->setSize(size);
        }
        const QString url =
            file.startsWith(QLatin1String("qrc:")) ? file : QStringLiteral("qrc:/Views/%1.qml").arg(file);
        shown.view = ItemTreeCheck::placeView(engine, *shown.window, QUrl(url), properties);
        shown.window->show();
        return shown;
    }

    // A player playing a track whose cover is one plain colour, in that image format.
    std::unique_ptr<MusicWidget> playingMusic(bool playing, QImage::Format format,
                                              FakeMprisSource** player = nullptr) {
        auto source = std::make_unique<FakeMprisSource>();
        if (player)
            *player = source.get();
        auto artwork = std::make_unique<FakeArtworkFetcher>();
        FakeArtworkFetcher* fetcher = artwork.get();
        const QString address = QStringLiteral("https://example.test/cover.png");
        source->current = {{"org.mpris.MediaPlayer2.test",
                            playing ? "Playing" : "Paused",
                            "Song",
                            "Band",
                            {},
                            address,
                            200,
                            20,
                            1}};
        auto widget = std::make_unique<MusicWidget>(std::make_unique<MusicService>(MusicService::Dependencies{
            std::move(source), std::move(artwork), std::make_unique<FakeClock>(), &scheduler, {}}));
        widget->start();
        QImage cover(300, 200, format);
        cover.setColorTable({coverColour.rgb(), coverColour.rgb()});
        cover.fill(format == QImage::Format_Mono ? QColor(Qt::color0) : coverColour);
        fetcher->finish(QUrl(address), cover);
        return widget;
    }

    // The cover's rectangle in the window, once drawn.
    static QRect coverRect(const Shown& shown) {
        const auto covers = shown.view->findChildren<QQuickItem*>(QStringLiteral("artwork"));
        for (const QQuickItem* cover : covers)
            if (cover->property("hasImage").toBool())
                return cover->mapRectToScene(cover->boundingRect()).toRect();
        return {};
    }

    // The break service with its tab and overlay models, idle 20 minutes before the next break or in a
    // 20-second break.
    struct BreakScene {
        FakeClock clock;
        FakeScheduler ticks{&clock};
        FakePresence presence;
        NotificationCenter notifications;
        std::unique_ptr<BreakWidget> widget;
        std::unique_ptr<BreakOverlayModel> overlay;
        QObject* model(const QString& view) const {
            return view.startsWith(QLatin1String("Reminders")) ? static_cast<QObject*>(overlay.get())
                                                               : widget->viewModel();
        }
    };

    std::unique_ptr<BreakScene> breakScene(bool inBreak) {
        preferences.setValue(QStringLiteral("tavimor.breakEnabled"), true);
        preferences.setValue(QStringLiteral("tavimor.breakWorkIntervalMin"), 20);
        preferences.setValue(QStringLiteral("tavimor.breakDurationSec"), 20);
        auto scene = std::make_unique<BreakScene>();
        scene->widget = std::make_unique<BreakWidget>(
            preferences, scene->notifications,
            std::make_unique<BreakService>(BreakService::Dependencies{preferences, scene->clock, scene->ticks,
                                                                      scene->presence, nullptr,
                                                                      scene->notifications},
                                           nullptr));
        scene->widget->start();
        if (inBreak)
            scene->widget->service()->takeBreakNow();
        scene->overlay = std::make_unique<BreakOverlayModel>(
            *scene->widget->service(),
            BreakTip{QStringLiteral("Olhe para o horizonte"), QStringLiteral("Far")}, true);
        return scene;
    }

    // A second of the break goes by, or the next break moves a minute nearer.
    void changeFigure(BreakScene& scene, bool inBreak) {
        if (inBreak) {
            scene.ticks.advance(1000);
        } else {
            preferences.setValue(QStringLiteral("tavimor.breakWorkIntervalMin"), 19);
            scene.notifications.post(Notifications::breakSettingsChanged);
        }
    }

    // Where a probe of the compact player's play state reads its pixel.
    static QPoint probePoint(const Shown& shown, const QString& probe) {
        const auto* item = shown.view->findChild<QQuickItem*>(probe);
        const QPointF local = probe == QLatin1String("pauseSign")     ? QPointF(2.5, 5) // in the first bar
                              : probe == QLatin1String("coverShadow") ? QPointF(-2, item->height() / 2)
                                                                      : QPointF(10, 1);
        return item->mapToScene(local).toPoint();
    }

private Q_SLOTS:
    void initTestCase() {
        QmlWindow::chooseRenderer();
        registerThemeQmlTypes(preferences);
        registerShellQmlTypes();
    }
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    // Every QML file the application carries uses only what the software scene graph draws: no layer
    // effect, shader or graphical-effects module, which it would silently leave blank.
    void noEffectTheSoftwareSceneGraphSkips() {
        const QRegularExpression effect(QStringLiteral(
            R"(layer\.effect|\bShaderEffect\b|\bMultiEffect\b|GraphicalEffects|QtQuick\.Effects)"));
        int files = 0;
        for (const char* folder : {":/Views", ":/Theme"}) {
            QDirIterator it(QString::fromLatin1(folder), {QStringLiteral("*.qml")}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile file(it.next());
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QString text = QString::fromUtf8(file.readAll());
                QVERIFY2(!effect.match(text).hasMatch(), qPrintable(file.fileName()));
                ++files;
            }
        }
        QVERIFY(files > 20);
    }

    // The outline's spring draws each of its steps in one frame: nothing the outline does while a frame is
    // drawn asks for a second one, which would find nothing to draw.
    void outlineSpringDrawsOneFramePerStep() {
        NotchShapeModel model;
        model.setNotchWidth(200);
        model.setNotchHeight(32);
        const Shown shown = show(QStringLiteral("NotchOutline"),
                                 {{"shapeModel", QVariant::fromValue(&model)}}, QSize(600, 340), Qt::white);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        QCOMPARE(shown.grab().pixelColor(300, 20), QColor(Qt::black)); // the closed outline
        auto* motion = shown.view->findChild<NotchShapeMotion*>();
        QVERIFY(motion);
        int steps = 0;
        int frames = 0;
        connect(motion, &NotchShapeMotion::shapeChanged, this, [&] { ++steps; });
        connect(shown.window.get(), &QQuickWindow::frameSwapped, this, [&] { ++frames; });
        model.setOpen(true);
        QTRY_COMPARE(motion->progress(), 1.0);
        QTest::qWait(100);
        QVERIFY2(steps > 5 && frames <= steps + 1,
                 qPrintable(QStringLiteral("%1 frames for %2 steps").arg(frames).arg(steps)));
        // Liquid: the open panel leaves the backdrop showing.
        QCOMPARE(shown.grab().pixelColor(300, 20), QColor(Qt::white));
    }

    // While music plays, each frame of the level bars redraws the marker's 18 × 14 region and nothing else.
    void levelBarFramesRedrawOnlyTheMarker() {
        const auto music = playingMusic(true, QImage::Format_RGB32);
        const Shown shown =
            show(QStringLiteral("Music/MusicCompactView"),
                 {{"model", QVariant::fromValue<QObject*>(music.get())}}, {480, 40}, Qt::black);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        const auto* bars = shown.view->findChild<QQuickItem*>(QStringLiteral("levelBars"));
        QVERIFY(bars);
        QTRY_VERIFY(bars->property("animating").toBool());
        QTest::qWait(400); // the player has faded in
        const QRect marker = bars->mapRectToScene(bars->boundingRect()).toAlignedRect();
        QCOMPARE(marker.size(), QSize(18, 14));
        const QString markerRegion = QStringLiteral("QRegion(%1,%2 18x14)").arg(marker.x()).arg(marker.y());
        const QStringList regions = regionsFlushedDuring(400);
        QVERIFY2(regions.size() >= 6, qPrintable(regions.join(u' ')));
        for (const QString& region : regions)
            QCOMPARE(region, markerRegion);
    }

    // The cover fills its rounded square beside the notch and in the tab, its corners cut; while playing
    // the small one casts an accent shadow, while paused none.
    void covers_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<int>("shadowTint");
        QTest::addColumn<QImage::Format>("format"); // a cover of one colour may come as a 1-bit palette
        QTest::newRow("compact playing") << "Music/MusicCompactView" << true << 12 << QImage::Format_RGB32;
        QTest::newRow("compact paused") << "Music/MusicCompactView" << false << 0 << QImage::Format_Mono;
        QTest::newRow("card") << "Music/MusicExpandedView" << true << 0 << QImage::Format_Mono;
    }

    void covers() {
        QFETCH(QString, view);
        QFETCH(bool, playing);
        QFETCH(int, shadowTint);
        QFETCH(QImage::Format, format);
        const auto music = playingMusic(playing, format);
        const QColor backdrop(32, 32, 32);
        const Shown shown =
            show(view, {{"model", QVariant::fromValue<QObject*>(music.get())}}, {480, 160}, backdrop);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        QTRY_VERIFY(!coverRect(shown).isEmpty());
        const QRect cover = coverRect(shown);
        QTRY_VERIFY(near(shown.grab().pixelColor(cover.center()), coverColour));
        const QImage image = shown.grab();
        QVERIFY(near(image.pixelColor(cover.left() + cover.width() / 4, cover.bottom() - 2), coverColour));
        QVERIFY(!near(image.pixelColor(cover.topLeft()), coverColour));
        const int outside = tint(image.pixelColor(cover.left() - 2, cover.center().y()));
        QVERIFY2(shadowTint ? outside >= shadowTint : outside == 0, qPrintable(QString::number(outside)));
    }

    // Mid-way through its animation the blink panel shows the accent eye with its glow on the dark disc,
    // whose shadow falls below it.
    void blinkPanel() {
        BlinkReminderState state;
        const Shown shown =
            show("Reminders/BlinkReminderView",
                 {{"state", QVariant::fromValue<QObject*>(&state)}, {"scale", 1.0}}, {92, 92}, grey);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        state.setVisible(true);
        const auto eyePixels = [](const QImage& image) {
            int count = 0;
            for (int y = 35; y < 57; ++y)
                for (int x = 35; x < 57; ++x)
                    count += tint(image.pixelColor(x, y)) > 230;
            return count;
        };
        QImage image;
        QTRY_VERIFY_WITH_TIMEOUT(eyePixels(image = shown.grab()) > 40, 1500);
        int eyeTop = 20;
        while (eyeTop < 46 && tint(image.pixelColor(46, eyeTop)) < 150)
            ++eyeTop;
        const int glow = tint(image.pixelColor(46, eyeTop - 3));
        QVERIFY2(glow > 15, qPrintable(QStringLiteral("%1 at %2").arg(glow).arg(eyeTop)));
        const QColor shadow = image.pixelColor(46, 46 + 28 + 3);
        QVERIFY2(shadow.lightness() < grey.lightness() - 8, qPrintable(shadow.name()));
    }

    // The blink disc's rim fades from brighter at the top to fainter at the bottom.
    void blinkDiscRim() {
        BlinkReminderState state;
        const Shown shown =
            show("Reminders/BlinkReminderView",
                 {{"state", QVariant::fromValue<QObject*>(&state)}, {"scale", 1.0}}, {92, 92}, Qt::black);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        SteppedAnimationTime time;
        state.setVisible(true);
        time.advanceBy(Springs::blinkDuration() + 10);
        const QImage image = shown.grab();
        // The brightest pixel of the middle column within the given rows: the rim crosses it there.
        const auto rim = [&image](int from, int to) {
            int brightest = 0;
            for (int y = from; y < to; ++y)
                brightest = std::max(brightest, image.pixelColor(46, y).lightness());
            return brightest;
        };
        const int top = rim(14, 24);
        const int bottom = rim(68, 78);
        QVERIFY2(bottom > 4 && top >= bottom + 25, qPrintable(QStringLiteral("%1 %2").arg(top).arg(bottom)));
    }

    // In flight the posture panel shows the arrow, glowing and wider than the trail under it.
    void postureArrow() {
        PostureReminderState state;
        const Shown shown =
            show("Reminders/PostureReminderView",
                 {{"state", QVariant::fromValue<QObject*>(&state)}, {"scale", 1.0}}, {120, 220}, Qt::black);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        state.setOpacity(1);
        state.setFlying(true);
        // The widest row of accent pixels and the lowest one, which belongs to the trail.
        const auto widths = [](const QImage& image) {
            int widest = 0, trail = 0;
            for (int y = 0; y < image.height(); ++y) {
                int accent = 0;
                for (int x = 0; x < image.width(); ++x)
                    accent += tint(image.pixelColor(x, y)) > 60;
                widest = std::max(widest, accent);
                trail = accent > 0 ? accent : trail;
            }
            return std::pair(widest, trail);
        };
        std::pair<int, int> seen;
        QTRY_VERIFY2_WITH_TIMEOUT((seen = widths(shown.grab())).second > 0 && seen.first >= 2 * seen.second,
                                  qPrintable(QStringLiteral("%1 %2").arg(seen.first).arg(seen.second)), 1000);
    }

    // Between playing and paused the compact player's looks cross-fade: half-way the pause sign, the
    // progress line and the cover's accent shadow each stand between their two ends; the level bars move
    // while they fade out and stop their frames once gone.
    void playStateCrossFades_data() {
        QTest::addColumn<QString>("probe");
        QTest::newRow("pause sign") << "pauseSign";
        QTest::newRow("progress line") << "compactProgress";
        QTest::newRow("cover shadow") << "coverShadow";
    }

    void playStateCrossFades() {
        QFETCH(QString, probe);
        FakeMprisSource* player = nullptr;
        const auto music = playingMusic(true, QImage::Format_RGB32, &player);
        const Shown shown =
            show("Music/MusicCompactView", {{"model", QVariant::fromValue<QObject*>(music.get())}},
                 {480, 160}, QColor(32, 32, 32));
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        QTRY_VERIFY(!coverRect(shown).isEmpty());
        QTRY_VERIFY(near(shown.grab().pixelColor(coverRect(shown).center()), coverColour));
        const QPoint point = probePoint(shown, probe);
        const QQuickItem* bars = shown.view->findChild<QQuickItem*>(QStringLiteral("levelBars"));
        SteppedAnimationTime time;
        const QColor playing = shown.grab().pixelColor(point);
        MprisPlayer paused = player->current.first();
        paused.status = QStringLiteral("Paused");
        player->setPlayers({paused});
        time.advanceBy(90);
        const QColor halfway = shown.grab().pixelColor(point);
        const bool barsMoveHalfway = bars->property("animating").toBool();
        time.advanceBy(100);
        const QColor pausedLook = shown.grab().pixelColor(point);
        const bool barsMoveHidden = bars->property("animating").toBool();
        const QString seen =
            QStringLiteral("%1 %2 %3").arg(playing.name(), halfway.name(), pausedLook.name());
        QVERIFY2(distance(halfway, playing) >= 3 && distance(halfway, pausedLook) >= 3, qPrintable(seen));
        QVERIFY2(distance(halfway, playing) + distance(halfway, pausedLook) <=
                     distance(playing, pausedLook) + 6,
                 qPrintable(seen));
        QVERIFY(barsMoveHalfway);
        QVERIFY(!barsMoveHidden);
    }

    // The break's figures roll: half-way through a change the figure is neither the old nor the new one.
    // The tab's figure rolls towards the next break; a break's own seconds change in place there.
    void figuresRoll_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("figure");
        QTest::addColumn<bool>("inBreak");
        QTest::addColumn<bool>("rolls");
        QTest::newRow("overlay countdown") << "Reminders/BreakOverlayView"
                                           << "countdown" << true << true;
        QTest::newRow("tab, next break") << "Break/BreakExpandedView"
                                         << "bigValue" << false << true;
        QTest::newRow("tab, during a break") << "Break/BreakExpandedView"
                                             << "bigValue" << true << false;
    }

    void figuresRoll() {
        QFETCH(QString, view);
        QFETCH(QString, figure);
        QFETCH(bool, inBreak);
        QFETCH(bool, rolls);
        const auto scene = breakScene(inBreak);
        const Shown shown =
            show(view, {{"model", QVariant::fromValue(scene->model(view))}}, {496, 400}, Qt::black);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        const QQuickItem* item = shown.view->findChild<QQuickItem*>(figure);
        // The figure's line with room above and below for characters on their way.
        const QRect area = item->mapRectToScene(item->boundingRect()).toRect().adjusted(-30, -30, 30, 30);
        SteppedAnimationTime time;
        const QImage before = shown.grab().copy(area);
        time.advanceBy(120);
        QVERIFY(shown.grab().copy(area) == before); // shown as it is, nothing rolls in
        changeFigure(*scene, inBreak);
        time.advanceBy(120);
        const QImage halfway = shown.grab().copy(area);
        time.advanceBy(Springs::smoothDuration());
        const QImage after = shown.grab().copy(area);
        QVERIFY(after != before);
        QCOMPARE(halfway != after, rolls);
        QVERIFY(halfway != before);
    }

    // A figure that changes while it or its window is hidden shows its new value at once when it shows again,
    // and a roll under way when it hides is over when it shows.
    void hiddenFiguresShowAsTheyAre_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("figure");
        QTest::addColumn<bool>("windowHides");
        QTest::addColumn<bool>("changesWhileShown");
        QTest::newRow("overlay, window hidden") << "Reminders/BreakOverlayView"
                                                << "countdown" << true << false;
        QTest::newRow("overlay, hidden mid-roll") << "Reminders/BreakOverlayView"
                                                  << "countdown" << true << true;
        QTest::newRow("tab, figure hidden") << "Break/BreakExpandedView"
                                            << "bigValue" << false << false;
    }

    void hiddenFiguresShowAsTheyAre() {
        QFETCH(QString, view);
        QFETCH(QString, figure);
        QFETCH(bool, windowHides);
        QFETCH(bool, changesWhileShown);
        const bool inBreak = view.startsWith(QLatin1String("Reminders"));
        const auto scene = breakScene(inBreak);
        const Shown shown =
            show(view, {{"model", QVariant::fromValue(scene->model(view))}}, {496, 400}, Qt::black);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        const QQuickItem* item = shown.view->findChild<QQuickItem*>(figure);
        const QRect area = item->mapRectToScene(item->boundingRect()).toRect().adjusted(-30, -30, 30, 30);
        SteppedAnimationTime time;
        const QImage before = shown.grab().copy(area);
        QObject* hidden = windowHides ? static_cast<QObject*>(shown.window.get()) : shown.view;
        if (changesWhileShown) {
            changeFigure(*scene, inBreak);
            time.advanceBy(60);
        }
        hidden->setProperty("visible", false);
        if (!changesWhileShown)
            changeFigure(*scene, inBreak);
        time.advanceBy(60);
        hidden->setProperty("visible", true);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        const QImage shownFirst = shown.grab().copy(area);
        time.advanceBy(120);
        QVERIFY(shown.grab().copy(area) == shownFirst); // nothing rolls in
        QVERIFY(shownFirst != before);
    }

    // The tip's title and the tab's figure are drawn in the rounded face.
    void roundedFace_data() {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("text");
        QTest::newRow("tip title") << "Reminders/BreakOverlayView"
                                   << "tipTitle";
        QTest::newRow("tab figure") << "Break/BreakExpandedView"
                                    << "bigValue";
    }

    void roundedFace() {
        QFETCH(QString, view);
        QFETCH(QString, text);
        const auto scene = breakScene(false);
        const Shown shown =
            show(view, {{"model", QVariant::fromValue(scene->model(view))}}, {496, 400}, Qt::black);
        const QQuickItem* item = shown.view->findChild<QQuickItem*>(text);
        QCOMPARE(QFontInfo(item->property("font").value<QFont>()).family(), QStringLiteral("Quicksand"));
    }

    // Over a page of text the break overlay lies on frosted glass, a capture of the screen read as the break
    // began, or, when nothing could be read, on an opaque backdrop: beside the tip no word of the page shows.
    void overlayHidesThePageBeneath_data() { addCaptureRows(); }

    void overlayHidesThePageBeneath() {
        QFETCH(bool, readable);
        const QSize size(1280, 800);
        const QImage page = FakeScreenCapture::textPage(size);
        FakeScreens screens;
        screens.list = {
            QtScreens::describe("a", QRect(QPoint(0, 0), size), QRect(QPoint(0, 0), size), 1, true)};
        FakeReminderWindows windows;
        FakeScreenCapture capture;
        capture.screen = readable ? page : QImage();
        FakeClock clock;
        FakePresence presence;
        NotificationCenter notifications;
        BreakService service({preferences, clock, scheduler, presence, nullptr, notifications}, nullptr);
        BreakOverlayWindowManager overlay(screens, windows, clock);
        overlay.setScreenCapture(&capture);
        overlay.present(service);
        QCOMPARE(windows.made.size(), 1);
        const Shown shown =
            show("Reminders/BreakOverlayView", windows.made.first()->spec.properties, size, Qt::black, page);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        const int spread = widestLocalSpread(shown.grab(), QRect(40, 150, 320, 500));
        QVERIFY2(spread < unreadableSpread, qPrintable(QString::number(spread)));
        overlay.dismiss();
    }

    // Over a page of text a liquid card lies on frosted glass read as the panel opened or, when nothing could
    // be read, under a dense tint: no word of the page shows through it.
    void liquidCardHidesThePageBeneath_data() { addCaptureRows(); }

    void liquidCardHidesThePageBeneath() {
        QFETCH(bool, readable);
        const QSize size(520, 300);
        const QImage page = FakeScreenCapture::textPage(size);
        FakeScreenCapture capture;
        capture.screen = readable ? page : QImage();
        PanelBackdrop::readBehind(capture, true, QRect(QPoint(700, 0), size), QRectF(QPointF(0, 0), size));
        const auto clearGlass = qScopeGuard([] { PanelBackdrop::publish({}, {}); });
        const Shown shown =
            show("qrc:/Theme/GlassCard.qml", {{"liquid", true}, {"cornerRadius", 16}}, size, Qt::black, page);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        QCOMPARE(capture.areas, QList<QRect>{QRect(QPoint(700, 0), size)});
        const int spread =
            widestLocalSpread(shown.grab(), QRect(QPoint(0, 0), size).adjusted(20, 20, -20, -20));
        QVERIFY2(spread < unreadableSpread, qPrintable(QString::number(spread)));
    }

    // Beside the notch, over a white window, the play-state marker (white pause sign, accent level bars) lies
    // on the compact bar's dark backing.
    void compactPlayerOverWhite_data() {
        QTest::addColumn<bool>("playing");
        QTest::newRow("playing") << true;
        QTest::newRow("paused") << false;
    }

    void compactPlayerOverWhite() {
        QFETCH(bool, playing);
        const auto music = playingMusic(playing, QImage::Format_RGB32);
        const Shown shown =
            show("Music/MusicCompactView", {{"model", QVariant::fromValue<QObject*>(music.get())}}, {480, 60},
                 Qt::white);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        const QQuickItem* marker =
            shown.view->findChild<QQuickItem*>(QStringLiteral("levelBars"))->parentItem();
        const QRect area = marker->mapRectToScene(marker->boundingRect()).toRect();
        std::pair<int, int> range;
        QTRY_VERIFY2_WITH_TIMEOUT((range = greyRange(shown.grab(), area)).first < 40 && range.second > 150,
                                  qPrintable(QStringLiteral("%1 %2").arg(range.first).arg(range.second)),
                                  1000);
    }

    // On liquid glass a text casts a soft shadow: below its glyphs the rows darken, less and less over
    // several rows, and more below than above them (it falls 1 px down). On the dark style there is none.
    void textShadow_data() {
        QTest::addColumn<QString>("appearance");
        QTest::addColumn<bool>("shadowed");
        QTest::newRow("liquid") << "liquid" << true;
        QTest::newRow("dark") << "dark" << false;
    }

    void textShadow() {
        QFETCH(QString, appearance);
        QFETCH(bool, shadowed);
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), appearance);
        QQuickWindow window;
        window.setColor(grey);
        window.resize(200, 60);
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport Tavimor 1.0\nGlassTextShadow { x: 20; y: 12\n"
                          "Text { text: 'HIH HIH'; color: 'white'; font.pixelSize: 24 } }",
                          QUrl(QStringLiteral("qrc:/Theme/TextShadowTest.qml")));
        std::unique_ptr<QQuickItem> scope(qobject_cast<QQuickItem*>(component.create()));
        QVERIFY2(scope, qPrintable(component.errorString()));
        scope->setParentItem(window.contentItem());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        int top = 0, bottom = 0;
        QList<int> shades;
        QTRY_VERIFY((shades = rowShades(window.grabWindow(), &top, &bottom)).size() > 0 && bottom > top);
        const QString seen = QStringLiteral("rows %1-%2, shades below %3 %4 %5 %6, above %7")
                                 .arg(top)
                                 .arg(bottom)
                                 .arg(shades[bottom + 1])
                                 .arg(shades[bottom + 2])
                                 .arg(shades[bottom + 3])
                                 .arg(shades[bottom + 4])
                                 .arg(shades[top - 1]);
        if (!shadowed) {
            QVERIFY2(*std::max_element(shades.begin(), shades.end()) == 0, qPrintable(seen));
            return;
        }
        QVERIFY2(shades[bottom + 1] > shades[bottom + 2] && shades[bottom + 2] > shades[bottom + 3] &&
                     shades[bottom + 3] > 0,
                 qPrintable(seen));
        QVERIFY2(shades[bottom + 1] > 2 * shades[top - 1], qPrintable(seen));
    }

    // The shadow follows the lines the text draws, however it cuts, wraps, aligns and places them: it lies
    // around the glyphs, a little wider, neither short of their last line nor beyond it. (Faint edges of thin
    // strokes fall under the threshold, hence the slack at the top and bottom.)
    void textShadowFollowsTheLines_data() {
        QTest::addColumn<QString>("text");
        const QString longTitle = QStringLiteral("text: 'A title much too long to fit'; width: 90; ");
        QTest::newRow("cut at the end") << longTitle + "elide: Text.ElideRight";
        QTest::newRow("cut in the middle") << longTitle + "elide: Text.ElideMiddle";
        QTest::newRow("cut at the start") << longTitle + "elide: Text.ElideLeft";
        QTest::newRow("wrapped and centred")
            << "text: 'Centred words over lines'; width: 110; wrapMode: Text.Wrap; "
               "horizontalAlignment: Text.AlignHCenter";
        QTest::newRow("two lines, the second cut")
            << "text: 'Words that run on over many more lines than two'; width: 120; "
               "wrapMode: Text.Wrap; maximumLineCount: 2; elide: Text.ElideRight";
        QTest::newRow("a line break") << "text: 'First\\nsecond line'";
        QTest::newRow("right aligned") << "text: 'Right'; width: 200; horizontalAlignment: Text.AlignRight";
        QTest::newRow("centred in a tall box")
            << "text: 'Middle'; height: 80; verticalAlignment: Text.AlignVCenter";
        QTest::newRow("padded") << "text: 'Padded'; leftPadding: 14; topPadding: 9";
    }

    void textShadowFollowsTheLines() {
        QFETCH(QString, text);
        preferences.remove(QStringLiteral("tavimor.appearanceMode"));
        QQuickWindow window;
        window.setColor(grey);
        window.resize(260, 130);
        QQmlComponent component(&engine);
        component.setData(QStringLiteral("import QtQuick\nGlassTextShadow { x: 20; y: 15\n"
                                         "Text { color: 'white'; font.pixelSize: 15; %1 } }")
                              .arg(text)
                              .toUtf8(),
                          QUrl(QStringLiteral("qrc:/Theme/TextShadowTest.qml")));
        std::unique_ptr<QQuickItem> scope(qobject_cast<QQuickItem*>(component.create()));
        QVERIFY2(scope, qPrintable(component.errorString()));
        scope->setParentItem(window.contentItem());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        std::pair<QRect, QRect> seenBounds;
        QTRY_VERIFY(!(seenBounds = inkAndShade(window.grabWindow())).second.isEmpty());
        const auto [ink, shade] = seenBounds;
        const auto within = [](int value, int from, int to) { return value >= from && value <= to; };
        const QString seen = QStringLiteral("ink %1,%2 %3,%4, shade %5,%6 %7,%8")
                                 .arg(ink.left())
                                 .arg(ink.top())
                                 .arg(ink.right())
                                 .arg(ink.bottom())
                                 .arg(shade.left())
                                 .arg(shade.top())
                                 .arg(shade.right())
                                 .arg(shade.bottom());
        QVERIFY2(within(shade.left(), ink.left() - 4, ink.left()) &&
                     within(shade.right(), ink.right(), ink.right() + 4) &&
                     within(shade.top(), ink.top() - 3, ink.top() + 3) &&
                     within(shade.bottom(), ink.bottom() - 2, ink.bottom() + 5),
                 qPrintable(seen));
    }

    // A text's shadow is drawn again only when the lines it shadows change: not for a colour, a place or the
    // same text set again.
    void textShadowDrawnOnlyWhenItsLinesChange_data() {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("drawn");
        QFont larger = QGuiApplication::font();
        larger.setPixelSize(17);
        QTest::newRow("the same text") << QByteArray("text") << QVariant("Elapsed 1:23") << 0;
        QTest::newRow("another colour") << QByteArray("color") << QVariant(QColor(Qt::red)) << 0;
        QTest::newRow("a fainter colour") << QByteArray("color") << QVariant(QColor(255, 255, 255, 100)) << 0;
        QTest::newRow("moved") << QByteArray("x") << QVariant(40) << 0;
        QTest::newRow("a new text") << QByteArray("text") << QVariant("Elapsed 1:24") << 1;
        QTest::newRow("a larger font") << QByteArray("font") << QVariant(larger) << 1;
        QTest::newRow("cut shorter") << QByteArray("width") << QVariant(50) << 1;
    }

    void textShadowDrawnOnlyWhenItsLinesChange() {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(int, drawn);
        preferences.remove(QStringLiteral("tavimor.appearanceMode"));
        QQuickWindow window;
        window.setColor(grey);
        window.resize(200, 60);
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nGlassTextShadow { x: 10; y: 10\n"
                          "Text { objectName: 'label'; text: 'Elapsed 1:23'; color: 'white'; width: 100;"
                          " elide: Text.ElideRight } }",
                          QUrl(QStringLiteral("qrc:/Theme/TextShadowTest.qml")));
        std::unique_ptr<QQuickItem> scope(qobject_cast<QQuickItem*>(component.create()));
        QVERIFY2(scope, qPrintable(component.errorString()));
        scope->setParentItem(window.contentItem());
        QSignalSpy frames(&window, &QQuickWindow::frameSwapped);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(!inkAndShade(window.grabWindow()).second.isEmpty());
        const int before = BakedLook::imagesDrawn();
        QObject* label = scope->findChild<QObject*>(QStringLiteral("label"));
        frames.clear();
        label->setProperty(property.constData(), value);
        // A shadow is drawn again, if at all, before the next frame; a change that asks for none has none.
        frames.wait(300);
        QCOMPARE(BakedLook::imagesDrawn() - before, drawn);
    }

    // The break overlay's backdrop carries the accent glow around the middle and none far from it.
    void overlayGlow() {
        FakeClock clock;
        FakePresence presence;
        NotificationCenter notifications;
        BreakService service({preferences, clock, scheduler, presence, nullptr, notifications}, nullptr);
        BreakOverlayModel model(service, {QStringLiteral("Look away"), QStringLiteral("Far")}, true);
        const QSize size(1600, 1000);
        const Shown shown = show("Reminders/BreakOverlayView",
                                 {{"model", QVariant::fromValue<QObject*>(&model)}}, size, Qt::black);
        QVERIFY(QTest::qWaitForWindowExposed(shown.window.get()));
        const QImage image = shown.grab();
        const int y = size.height() / 2 - 150;
        const int near = tint(image.pixelColor(size.width() / 2, y));
        const int far = tint(image.pixelColor(20, y));
        QVERIFY2(near >= far + 12, qPrintable(QStringLiteral("%1 %2").arg(near).arg(far)));
    }
};

QTEST_MAIN(ViewLooksTest)
#include "tst_view_looks.moc"
