#include "Theme/Springs.h"

#include <QtTest>

class SpringsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // An animation ends where its curve ends: exactly at 1, however far the spring overshot on the way.
    void curvesStartAtZeroAndEndExactlyAtOne() {
        for (const QEasingCurve& curve : {Springs::open(), Springs::close(), Springs::compactBar(),
                                          Springs::closeButton(), Springs::blink()}) {
            QCOMPARE(curve.valueForProgress(0), 0.0);
            QCOMPARE(curve.valueForProgress(1), 1.0);
            QVERIFY(qAbs(curve.valueForProgress(0.999) - 1) < 0.002);
        }
        QVERIFY(Springs::open().valueForProgress(0.5) > 1); // the opening spring overshoots
    }
};

QTEST_GUILESS_MAIN(SpringsTest)
#include "tst_Springs.moc"
