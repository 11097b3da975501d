#include "Core/NotchGeometry.h"
#include "Core/NotchShape.h"
#include "Platform/Screens/QtScreens.h"

#include <QtTest>

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

const ScreenInfo primary =
    QtScreens::describe("p", QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1050), 1, true);

// A 200 × 32 notch dropping 6 px, its shape moved by `motion`.
void followNotch(NotchShapeModel& model, NotchShapeMotion& motion) {
    model.setNotchWidth(200);
    model.setNotchHeight(32);
    model.setVisibleDrop(6);
    motion.setModel(&model);
}

} // namespace

class NotchShapeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The closed outline hugs the notch, 6 below it; the open panel is at least 520 wide.
    void shapePerState() {
        const struct {
            qreal notchWidth, notchHeight;
            NotchShape closed, open;
        } cases[] = {
            {200, 32, {200, 38, 0, 12}, {520, 300, 0, 16}},
            {600, 40, {600, 46, 0, 12}, {600, 300, 0, 16}},
        };
        for (const auto& c : cases) {
            NotchShapeModel model;
            model.setNotchWidth(c.notchWidth);
            model.setNotchHeight(c.notchHeight);
            QCOMPARE(model.shape(), c.closed);
            model.setOpen(true);
            QCOMPARE(model.shape(), c.open);
        }
    }

    // Square top corners (the control point sits on the corner), rounded bottom ones.
    void pathFollowsTheOutline() {
        QCOMPARE(NotchShape({200, 38, 4, 12}).svgPath(500),
                 QStringLiteral("M 400.000,0.000 L 600.000,0.000 Q 600.000,0.000 600.000,4.000 "
                                "L 600.000,26.000 Q 600.000,38.000 588.000,38.000 "
                                "L 412.000,38.000 Q 400.000,38.000 400.000,26.000 "
                                "L 400.000,4.000 Q 400.000,0.000 400.000,0.000 Z"));
    }

    // The path a window is cut to runs along the same outline: square top corners, bottom corners cut by the
    // curve, the bounds of the shape.
    void windowPathFollowsTheOutline() {
        const QPainterPath path = NotchShape({520, 300, 0, 16}).path(960);
        QCOMPARE(path.boundingRect(), QRectF(700, 0, 520, 300));
        for (const QPointF inside : {QPointF(700.5, 0.5), QPointF(1219.5, 0.5), QPointF(960, 299.5),
                                     QPointF(700.5, 284), QPointF(1205, 299.5)})
            QVERIFY(path.contains(inside));
        for (const QPointF outside : {QPointF(700.5, 299.5), QPointF(1219.5, 299.5), QPointF(1217, 297)})
            QVERIFY(!path.contains(outside));
    }

    // Animations start when the shape changes, so the spring must already be the new direction's. The close
    // button's spring carries the next close only, and only when asked for while open.
    void springIsAnnouncedBeforeTheShapeMoves() {
        NotchShapeModel model;
        QStringList events;
        connect(&model, &NotchShapeModel::springChanged, this, [&] { events << QStringLiteral("spring"); });
        connect(&model, &NotchShapeModel::shapeChanged, this, [&] { events << QStringLiteral("shape"); });
        model.closeWithButtonSpring(); // closed: nothing to close
        model.setOpen(true);
        QCOMPARE(model.spring(), NotchShapeModel::Spring::Open);
        QCOMPARE(events, QStringList({QStringLiteral("spring"), QStringLiteral("shape")}));
        model.setOpen(false);
        QCOMPARE(model.spring(), NotchShapeModel::Spring::Close);
        model.setOpen(true);
        model.closeWithButtonSpring();
        model.setOpen(false);
        QCOMPARE(model.spring(), NotchShapeModel::Spring::CloseButton);
        model.setOpen(true);
        model.setOpen(false);
        QCOMPARE(model.spring(), NotchShapeModel::Spring::Close);
    }

    // One progress value carries every value of the shape by the same fraction, overshoot included, and each
    // step of it is one change of the shape: the view builds the path once per frame.
    void motionMovesTheWholeShapeAtOnce_data() {
        QTest::addColumn<qreal>("progress");
        QTest::addColumn<QRectF>("expected"); // width, height, top and bottom radius
        QTest::newRow("start") << 0.0 << QRectF(200, 38, 0, 12);
        QTest::newRow("half-way") << 0.5 << QRectF(360, 169, 0, 14);
        QTest::newRow("overshoot") << 1.05 << QRectF(536, 313.1, 0, 16.2);
        QTest::newRow("end") << 1.0 << QRectF(520, 300, 0, 16);
    }
    void motionMovesTheWholeShapeAtOnce() {
        QFETCH(qreal, progress);
        QFETCH(QRectF, expected);
        NotchShapeModel model;
        NotchShapeMotion motion;
        followNotch(model, motion);
        QSignalSpy retargeted(&motion, &NotchShapeMotion::retargeted);
        model.setOpen(true);
        QCOMPARE(retargeted.size(), 1);
        motion.setProgress(0.25);
        QSignalSpy shapeChanged(&motion, &NotchShapeMotion::shapeChanged);
        motion.setProgress(progress);
        QCOMPARE(shapeChanged.size(), 1);
        const NotchShape shape = motion.shape();
        QCOMPARE(QRectF(shape.width, shape.height, shape.topRadius, shape.bottomRadius), expected);
    }

    // Closing half-way through the opening springs back from the shape on screen, not from the open one.
    void newTargetStartsFromTheShapeShown() {
        NotchShapeModel model;
        NotchShapeMotion motion;
        followNotch(model, motion);
        model.setOpen(true);
        motion.setProgress(0.5);
        const NotchShape halfOpen = motion.shape();
        model.setOpen(false);
        QCOMPARE(motion.progress(), 0.0);
        QCOMPARE(motion.shape(), halfOpen);
        motion.setProgress(1);
        QCOMPARE(motion.shape(), model.shape());
    }

    void notchScreenPrefersFirstNotchThenMainThenFirst() {
        const ScreenInfo left = plainScreen("left", QRect(-1280, 0, 1280, 1024));
        const ScreenInfo laptop = notchedScreen("laptop", QRect(0, 0, 1512, 982), 180, 32);
        const ScreenInfo right = plainScreen("right", QRect(1280, 0, 800, 600));
        QCOMPARE(notchScreen({left, laptop}, left).name, QStringLiteral("laptop"));
        QCOMPARE(notchScreen({left, right}, right).name, QStringLiteral("right"));
        QCOMPARE(notchScreen({left}, std::nullopt).name, QStringLiteral("left"));
        // The primary screen carries a virtual notch, so it wins over a plain main screen.
        QCOMPARE(notchScreen({left, primary}, left).name, QStringLiteral("p"));
    }

    // A screen without a notch draws the 200 by 32 outline at its top centre; the hover zone must be built
    // from that same rectangle, not from an empty one in a corner.
    void notchAreas() {
        ScreenInfo notched = notchedScreen("n", QRect(100, 50, 1512, 982), 180, 32);
        QCOMPARE(notchRect(notched), QRect(666, 0, 180, 32));
        QCOMPARE(effectiveNotchRect(notched), QRectF(766, 50, 180, 32));
        notched.auxiliaryTopRightArea.reset();
        QCOMPARE(notchSize(notched), QSizeF(200, 32));

        const ScreenInfo plain = plainScreen("p", QRect(1920, 100, 1280, 1024));
        QCOMPARE(effectiveNotchRect(plain), QRectF(1920 + 540, 100, 200, 32));
        QCOMPARE(hoverZone(plain), QRectF(1920 + 540 - 24, 100 - 12, 248, 56));
        // The keep-open zone hangs from the screen's top around the panel; its bottom edge is outside.
        const QRectF zone = keepOpenZone(panelFrame(plain), plain);
        QCOMPARE(zone, QRectF(1920 + 640 - 300, 100, 600, 340));
        QVERIFY(!contains(zone, QPointF(1920 + 340, 440)));
        QVERIFY(keepOpenZone(std::nullopt, plain).isEmpty());
    }
};

QTEST_GUILESS_MAIN(NotchShapeTest)
#include "tst_NotchShape.moc"
