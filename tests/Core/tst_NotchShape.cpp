#include "Core/NotchShape.h"
#include "Theme/TavimorTheme.h"

#include <QPainterPath>
#include <QSignalSpy>
#include <QtTest>

namespace {

QPainterPath toPainterPath(const QList<NotchPathElement>& elements) {
    QPainterPath path;
    for (const NotchPathElement& element : elements) {
        switch (element.kind) {
        case NotchPathElement::Kind::MoveTo:
            path.moveTo(element.to);
            break;
        case NotchPathElement::Kind::LineTo:
            path.lineTo(element.to);
            break;
        case NotchPathElement::Kind::QuadTo:
            path.quadTo(element.control, element.to);
            break;
        case NotchPathElement::Kind::Close:
            path.closeSubpath();
            break;
        }
    }
    return path;
}

} // namespace

class NotchShapeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shapePerState_data() {
        QTest::addColumn<qreal>("notchWidth");
        QTest::addColumn<qreal>("notchHeight");
        QTest::addColumn<NotchShape>("closed");
        QTest::addColumn<NotchShape>("open");
        QTest::newRow("fallback notch")
            << 200.0 << 32.0 << NotchShape{200, 38, 0, 12} << NotchShape{520, 300, 0, 16};
        QTest::newRow("notch wider than the panel")
            << 600.0 << 40.0 << NotchShape{600, 46, 0, 12} << NotchShape{600, 300, 0, 16};
        QTest::newRow("notch exactly 520")
            << 520.0 << 32.0 << NotchShape{520, 38, 0, 12} << NotchShape{520, 300, 0, 16};
    }

    void shapePerState() {
        QFETCH(qreal, notchWidth);
        QFETCH(qreal, notchHeight);
        QFETCH(NotchShape, closed);
        QFETCH(NotchShape, open);
        QCOMPARE(NotchShape::closed(notchWidth, notchHeight, 6), closed);
        QCOMPARE(NotchShape::opened(notchWidth), open);

        NotchShapeModel model;
        model.setNotchWidth(notchWidth);
        model.setNotchHeight(notchHeight);
        QCOMPARE(model.shape(), closed);
        QCOMPARE(model.compactHeight(), notchHeight + 6);
        model.setOpen(true);
        QCOMPARE(model.shape(), open);
        QCOMPARE(model.openWidth(), open.width);
    }

    void pathFollowsTheOutlineStepByStep() {
        using Kind = NotchPathElement::Kind;
        const NotchShape shape{200, 38, 4, 12};
        const QList<NotchPathElement> expected{
            {Kind::MoveTo, {400, 0}, {}},         {Kind::LineTo, {600, 0}, {}},
            {Kind::QuadTo, {600, 4}, {600, 0}},   {Kind::LineTo, {600, 26}, {}},
            {Kind::QuadTo, {588, 38}, {600, 38}}, {Kind::LineTo, {412, 38}, {}},
            {Kind::QuadTo, {400, 26}, {400, 38}}, {Kind::LineTo, {400, 4}, {}},
            {Kind::QuadTo, {400, 0}, {400, 0}},   {Kind::Close, {}, {}},
        };
        QCOMPARE(shape.pathElements(500), expected);
        QCOMPARE(shape.svgPath(500),
                 QStringLiteral("M 400.000,0.000 L 600.000,0.000 Q 600.000,0.000 600.000,4.000 "
                                "L 600.000,26.000 Q 600.000,38.000 588.000,38.000 "
                                "L 412.000,38.000 Q 400.000,38.000 400.000,26.000 "
                                "L 400.000,4.000 Q 400.000,0.000 400.000,0.000 Z"));
    }

    void topCornersStaySquareWhateverTheTopRadius() {
        for (qreal topRadius : {0.0, 10.0}) {
            const QPainterPath path = toPainterPath(NotchShape{200, 100, topRadius, 16}.pathElements(100));
            QVERIFY(path.contains(QPointF(0.5, 0.5)));
            QVERIFY(path.contains(QPointF(199.5, 0.5)));
            QVERIFY(path.contains(QPointF(199.5, topRadius / 2 + 0.5)));
            // The bottom corners are rounded: the rectangle's corner point lies outside.
            QVERIFY(!path.contains(QPointF(199.5, 99.5)));
            QVERIFY(!path.contains(QPointF(0.5, 99.5)));
            QCOMPARE(path.boundingRect(), QRectF(0, 0, 200, 100));
        }
    }

    void fillDependsOnModeAndState() {
        QCOMPARE(notchFillColor(true, false), QColor(Qt::black));
        QCOMPARE(notchFillColor(true, true).alpha(), 0);
        QCOMPARE(notchFillColor(false, false), TavimorTheme::background());
        QCOMPARE(notchFillColor(false, true), TavimorTheme::background());

        NotchShapeModel model;
        QSignalSpy fillChanges(&model, &NotchShapeModel::fillColorChanged);
        model.setLiquid(false);
        model.setOpen(true);
        QCOMPARE(model.fillColor(), TavimorTheme::background());
        QCOMPARE(fillChanges.count(), 1);
        model.setLiquid(true);
        QCOMPARE(model.fillColor().alpha(), 0);
    }

    // Animations start when the shape changes, so the spring must already be the new direction's.
    void springIsAnnouncedBeforeTheShapeMoves() {
        NotchShapeModel model;
        model.setNotchWidth(200);
        model.setNotchHeight(32);
        QStringList events;
        connect(&model, &NotchShapeModel::springChanged, this, [&] { events << QStringLiteral("spring"); });
        connect(&model, &NotchShapeModel::shapeChanged, this, [&] { events << QStringLiteral("shape"); });
        model.setOpen(true);
        QCOMPARE(model.spring(), NotchShapeModel::Spring::Open);
        QCOMPARE(events, QStringList({QStringLiteral("spring"), QStringLiteral("shape")}));
    }

    void closeButtonSpringAppliesToTheNextCloseOnly() {
        NotchShapeModel model;
        model.closeWithButtonSpring(); // closed: nothing to close
        model.setOpen(true);
        model.setOpen(false);
        QCOMPARE(model.spring(), NotchShapeModel::Spring::Close);

        model.setOpen(true);
        model.closeWithButtonSpring();
        model.setOpen(false);
        QCOMPARE(model.spring(), NotchShapeModel::Spring::CloseButton);

        model.setOpen(true);
        QCOMPARE(model.spring(), NotchShapeModel::Spring::Open);
        model.setOpen(false);
        QCOMPARE(model.spring(), NotchShapeModel::Spring::Close);
    }
};

QTEST_GUILESS_MAIN(NotchShapeTest)
#include "tst_NotchShape.moc"
