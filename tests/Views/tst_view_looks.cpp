#include "Core/NotchShape.h"
#include "Core/ShellQml.h"
#include "FakeArtworkFetcher.h"
#include "FakeClock.h"
#include "FakeMprisSource.h"
#include "FakeReminders.h"
#include "Foundation/NotificationCenter.h"
#include "Foundation/QmlWindow.h"
#include "InMemoryPreferences.h"
#include "ItemTreeCheck.h"
#include "Services/BlinkService.h"
#include "Services/BreakOverlayWindowManager.h"
#include "Services/BreakService.h"
#include "Services/PostureService.h"
#include "Theme/ThemeQml.h"
#include "Widgets/MusicWidget.h"

#include <QDirIterator>
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

bool near(QColor a, QColor b) {
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) < 24;
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

    Shown show(const QString& file, const QVariantMap& properties, QSize size, QColor backdrop) {
        Shown shown{std::make_unique<QQuickWindow>()};
        shown.window->setColor(backdrop);
        shown.window->resize(size);
        shown.view = ItemTreeCheck::placeView(
            engine, *shown.window, QUrl(QStringLiteral("qrc:/Views/%1.qml").arg(file)), properties);
        shown.window->show();
        return shown;
    }

    // A player playing a track whose cover is one plain colour, in that image format.
    std::unique_ptr<MusicWidget> playingMusic(bool playing, QImage::Format format) {
        auto source = std::make_unique<FakeMprisSource>();
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
