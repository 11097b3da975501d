#include "Core/NotchGeometry.h"
#include "Platform/QtScreens.h"

#include <QTest>

using namespace NotchGeometry;

namespace {

ScreenInfo plainScreen(const QString& name, QRect frame) {
    return ScreenInfo{name, frame, frame, 0, std::nullopt, std::nullopt, 1.0};
}

ScreenInfo notchedScreen(const QString& name, QRect frame, int notchWidth, int inset) {
    ScreenInfo screen = plainScreen(name, frame);
    const int side = (frame.width() - notchWidth) / 2;
    screen.safeAreaTopInset = inset;
    screen.auxiliaryTopLeftArea = QRect(frame.x(), frame.y(), side, inset);
    screen.auxiliaryTopRightArea = QRect(frame.x() + frame.width() - side, frame.y(), side, inset);
    return screen;
}

} // namespace

class TestNotchGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void notchScreenPrefersFirstNotchThenMainThenFirst() {
        const ScreenInfo left = plainScreen("left", QRect(-1280, 0, 1280, 1024));
        const ScreenInfo laptop = notchedScreen("laptop", QRect(0, 0, 1512, 982), 180, 32);
        const ScreenInfo other = notchedScreen("other", QRect(1512, 0, 1512, 982), 180, 38);

        QCOMPARE(notchScreen({left, laptop, other}, left).name, QStringLiteral("laptop"));
        QCOMPARE(notchScreen({left, other, laptop}, laptop).name, QStringLiteral("other"));
        QCOMPARE(notchScreen({left, plainScreen("right", QRect(1280, 0, 800, 600))}, plainScreen("right", {}))
                     .name,
                 QStringLiteral("right"));
        QCOMPARE(notchScreen({left}, std::nullopt).name, QStringLiteral("left"));
        QCOMPARE(notchScreen({}, std::nullopt), ScreenInfo{});
    }

    void notchRectAndSizeFollowTheAuxiliaryAreas() {
        const ScreenInfo notched = notchedScreen("n", QRect(100, 50, 1512, 982), 180, 32);
        QCOMPARE(notchRect(notched), QRect(666, 0, 180, 32));
        QCOMPARE(notchSize(notched), QSizeF(180, 32));
        QCOMPARE(effectiveNotchRect(notched), QRectF(766, 50, 180, 32));

        ScreenInfo leftOnly = notched;
        leftOnly.auxiliaryTopRightArea.reset();
        QCOMPARE(notchRect(leftOnly), QRect(666, 0, 0, 0));
        QCOMPARE(notchSize(leftOnly), QSizeF(200, 32));

        ScreenInfo noInset = notched;
        noInset.safeAreaTopInset = 0;
        QCOMPARE(notchSize(noInset), QSizeF(180, 32));
    }

    // A screen without a notch draws the 200 by 32 outline at its top centre; the hover zone must be built
    // from that same rectangle, not from an empty one in a corner.
    void screenWithoutNotchHoversOverTheDrawnOutline() {
        const ScreenInfo plain = plainScreen("p", QRect(1920, 0, 1280, 1024));
        QCOMPARE(notchRect(plain), QRect());
        QCOMPARE(effectiveNotchRect(plain), QRectF(1920 + 540, 0, 200, 32));
        QCOMPARE(hoverZone(plain), QRectF(1920 + 540 - 24, -12, 248, 56));
        QVERIFY(contains(hoverZone(plain), QPointF(1920 + 640, 16)));
        QVERIFY(!contains(hoverZone(plain), QPointF(1920, 0)));
    }

    void virtualNotchOfThePrimaryScreenGivesTheSameZones() {
        const ScreenInfo primary =
            QtScreens::describe("p", QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1050), 1, true);
        QCOMPARE(notchRect(primary), QRect(860, 0, 200, 32));
        QCOMPARE(hoverZone(primary), QRectF(836, -12, 248, 56));
        const ScreenInfo secondary =
            QtScreens::describe("s", QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 1024), 1, false);
        QCOMPARE(secondary.safeAreaTopInset, 0);
        QVERIFY(!secondary.auxiliaryTopLeftArea);
        QCOMPARE(notchScreen({secondary, primary}, secondary).name, QStringLiteral("p"));
    }

    void containsIsHalfOpen_data() {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("inside");
        // hover zone of a 1920 px primary screen: x 836..1084, y -12..44
        QTest::newRow("top-left corner") << QPointF(836, -12) << true;
        QTest::newRow("right edge") << QPointF(1084, 0) << false;
        QTest::newRow("just before right edge") << QPointF(1083.9, 0) << true;
        QTest::newRow("bottom edge") << QPointF(900, 44) << false;
        QTest::newRow("just above bottom edge") << QPointF(900, 43.5) << true;
        QTest::newRow("left of zone") << QPointF(835.5, 0) << false;
    }

    void containsIsHalfOpen() {
        QFETCH(QPointF, point);
        QFETCH(bool, inside);
        const ScreenInfo primary =
            QtScreens::describe("p", QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080), 1, true);
        QCOMPARE(contains(hoverZone(primary), point), inside);
        QVERIFY(!contains(QRectF(), QPointF(0, 0)));
    }

    void keepOpenZoneHangsFromTheScreenTopAroundThePanel() {
        const ScreenInfo screen = plainScreen("s", QRect(1920, 100, 1280, 1024));
        const QRectF panel = panelFrame(screen);
        QCOMPARE(panel, QRectF(1920, 100, 1280, 340));
        const QRectF zone = keepOpenZone(panel, screen);
        QCOMPARE(zone, QRectF(1920 + 640 - 300, 100, 600, 340));
        QVERIFY(contains(zone, QPointF(1920 + 340, 439)));
        QVERIFY(!contains(zone, QPointF(1920 + 340, 440)));
        QVERIFY(!contains(zone, QPointF(1920 + 940, 200)));
        QVERIFY(keepOpenZone(std::nullopt, screen).isEmpty());
        QVERIFY(!contains(keepOpenZone(std::nullopt, screen), QPointF(0, 0)));
    }

    void outlinesAreCentredInTheBand() {
        QCOMPARE(closedOutline(1920, QSizeF(200, 32), 6), QRectF(860, 0, 200, 38));
        QCOMPARE(openOutline(1920, QSizeF(200, 32)), QRectF(700, 0, 520, 300));
        QCOMPARE(openOutline(1920, QSizeF(600, 32)), QRectF(660, 0, 600, 300));
    }
};

QTEST_GUILESS_MAIN(TestNotchGeometry)
#include "tst_NotchGeometry.moc"
