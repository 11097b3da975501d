#include "Platform/X11/OutlineRegion.h"

#include <QTest>

#include <algorithm>

namespace {

bool covers(const QList<QRect>& rects, QPoint pixel) {
    return std::any_of(rects.cbegin(), rects.cend(),
                       [pixel](const QRect& rect) { return rect.contains(pixel); });
}

QPainterPath rectangle(const QRectF& rect) {
    QPainterPath path;
    path.addRect(rect);
    return path;
}

// A panel hanging from the top edge with quadratic bottom corners of 16.
QPainterPath hangingPanel() {
    QPainterPath path;
    path.moveTo(700, 0);
    path.lineTo(1220, 0);
    path.lineTo(1220, 284);
    path.quadTo(1220, 300, 1204, 300);
    path.lineTo(716, 300);
    path.quadTo(700, 300, 700, 284);
    path.closeSubpath();
    return path;
}

} // namespace

class TestOutlineRegion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pixelsInsideTheOutlinesOnly_data() {
        QTest::addColumn<QList<QPainterPath>>("outlines");
        QTest::addColumn<QSizeF>("window");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QList<QPoint>>("inside");
        QTest::addColumn<QList<QPoint>>("outside");

        const QList<QPainterPath> sideCapsule{OutlineRegion::capsule(QRectF(10, 5, 100, 18))};
        QTest::newRow("capsule: its middle and the tips of its ends, not the corners beyond them")
            << sideCapsule << QSizeF(200, 40) << 1.0
            << QList<QPoint>{{60, 14}, {10, 13}, {109, 13}, {17, 5}, {102, 22}}
            << QList<QPoint>{{10, 5}, {15, 5}, {109, 22}, {104, 22}, {60, 4}, {60, 23}, {9, 13}, {110, 13}};
        QTest::newRow("capsule at twice the density: the same outline in device pixels")
            << sideCapsule << QSizeF(200, 40) << 2.0 << QList<QPoint>{{120, 28}, {20, 27}, {219, 27}}
            << QList<QPoint>{{20, 10}, {31, 10}, {219, 45}, {19, 27}, {220, 27}};
        QTest::newRow("a disc is a capsule with equal sides")
            << QList<QPainterPath>{OutlineRegion::capsule(QRectF(0, 0, 34, 34))} << QSizeF(34, 34) << 1.0
            << QList<QPoint>{{17, 17}, {0, 17}, {17, 33}}
            << QList<QPoint>{{0, 0}, {33, 0}, {3, 30}, {33, 33}};
        QTest::newRow("quadratic corners: square at the top, rounded at the bottom")
            << QList<QPainterPath>{hangingPanel()} << QSizeF(1920, 340) << 1.0
            << QList<QPoint>{{700, 0}, {1219, 0}, {960, 299}, {700, 284}, {716, 299}, {1203, 299}}
            << QList<QPoint>{{700, 299}, {702, 297}, {1219, 299}, {1217, 297}, {699, 100}, {960, 300}};
        QTest::newRow("overlapping outlines unite; what lies outside the window is dropped")
            << QList<QPainterPath>{rectangle(QRectF(100, -10, 50, 30)),
                                   OutlineRegion::capsule(QRectF(140, 5, 80, 10)),
                                   rectangle(QRectF(-20, 0, 10, 10))}
            << QSizeF(200, 40) << 1.0 << QList<QPoint>{{100, 0}, {145, 10}, {199, 10}}
            << QList<QPoint>{{0, 5}, {200, 10}, {100, 20}, {160, 15}};
    }

    void pixelsInsideTheOutlinesOnly() {
        QFETCH(QList<QPainterPath>, outlines);
        QFETCH(QSizeF, window);
        QFETCH(qreal, ratio);
        QFETCH(QList<QPoint>, inside);
        QFETCH(QList<QPoint>, outside);
        const QList<QRect> rects = OutlineRegion::toDeviceRows(outlines, window, ratio);
        const QRect bounds(QPoint(0, 0), (window * ratio).toSize());
        for (const QRect& rect : rects)
            QVERIFY2(bounds.contains(rect), qPrintable(QStringLiteral("%1,%2 %3x%4 outside the window")
                                                           .arg(rect.x())
                                                           .arg(rect.y())
                                                           .arg(rect.width())
                                                           .arg(rect.height())));
        for (const QPoint& pixel : inside)
            QVERIFY2(covers(rects, pixel),
                     qPrintable(QStringLiteral("%1,%2 left out").arg(pixel.x()).arg(pixel.y())));
        for (const QPoint& pixel : outside)
            QVERIFY2(!covers(rects, pixel),
                     qPrintable(QStringLiteral("%1,%2 taken in").arg(pixel.x()).arg(pixel.y())));
    }

    // Rows covering the same columns are one rectangle: an X request stays small whatever the outline's
    // height.
    void equalRowsMerge() {
        QCOMPARE(OutlineRegion::toDeviceRows({rectangle(QRectF(10, 0, 200, 300))}, QSizeF(400, 340), 1.0),
                 QList<QRect>{QRect(10, 0, 200, 300)});
        const QList<QRect> capsule = OutlineRegion::toDeviceRows(
            {OutlineRegion::capsule(QRectF(0, 0, 100, 28))}, QSizeF(100, 28), 1.0);
        QVERIFY(capsule.size() <= 28);
        QVERIFY(
            std::any_of(capsule.cbegin(), capsule.cend(), [](const QRect& row) { return row.height() > 1; }));
    }
};

QTEST_GUILESS_MAIN(TestOutlineRegion)
#include "tst_OutlineRegion.moc"
