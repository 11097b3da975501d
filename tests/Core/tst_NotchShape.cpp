#include "Core/NotchShape.h"
#include "Theme/TavimorTheme.h"

#include <QSignalSpy>
#include <QtTest>

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
    }

    void shapePerState() {
        QFETCH(qreal, notchWidth);
        QFETCH(qreal, notchHeight);
        QFETCH(NotchShape, closed);
        QFETCH(NotchShape, open);
        NotchShapeModel model;
        model.setNotchWidth(notchWidth);
        model.setNotchHeight(notchHeight);
        QCOMPARE(model.shape(), closed);
        model.setOpen(true);
        QCOMPARE(model.shape(), open);
    }

    // Square top corners (the control point sits on the corner), rounded bottom ones.
    void pathFollowsTheOutline() {
        QCOMPARE(NotchShape({200, 38, 4, 12}).svgPath(500),
                 QStringLiteral("M 400.000,0.000 L 600.000,0.000 Q 600.000,0.000 600.000,4.000 "
                                "L 600.000,26.000 Q 600.000,38.000 588.000,38.000 "
                                "L 412.000,38.000 Q 400.000,38.000 400.000,26.000 "
                                "L 400.000,4.000 Q 400.000,0.000 400.000,0.000 Z"));
    }

    void fillDependsOnModeAndState() {
        QCOMPARE(notchFillColor(true, false), QColor(Qt::black));
        QCOMPARE(notchFillColor(true, true).alpha(), 0);
        QCOMPARE(notchFillColor(false, true), TavimorTheme::background());
        NotchShapeModel model;
        QSignalSpy fillChanges(&model, &NotchShapeModel::fillColorChanged);
        model.setLiquid(false);
        model.setOpen(true);
        QCOMPARE(fillChanges.count(), 1);
    }

    // Animations start when the shape changes, so the spring must already be the new direction's.
    void springIsAnnouncedBeforeTheShapeMoves() {
        NotchShapeModel model;
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
        model.setOpen(false);
        QCOMPARE(model.spring(), NotchShapeModel::Spring::Close);
    }
};

QTEST_GUILESS_MAIN(NotchShapeTest)
#include "tst_NotchShape.moc"
