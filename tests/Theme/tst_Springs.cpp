#include "Theme/Springs.h"

#include <QtTest>

class SpringsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void curvesEndExactlyAtOneAfterTheirOvershoot() {
        const std::pair<QEasingCurve, double> curves[] = {{Springs::open(), 1.046},
                                                          {Springs::close(), 1.015},
                                                          {Springs::compactBar(), 0},
                                                          {Springs::closeButton(), 0},
                                                          {Springs::blink(), 0}};
        for (const auto& [curve, expectedPeak] : curves) {
            QCOMPARE(curve.valueForProgress(0), 0.0);
            QCOMPARE(curve.valueForProgress(1), 1.0);
            QVERIFY(qAbs(curve.valueForProgress(0.999) - 1) < 0.002);
            qreal peak = 0;
            for (int step = 0; step <= 1000; ++step)
                peak = qMax(peak, curve.valueForProgress(step / 1000.0));
            QVERIFY2(!expectedPeak || qAbs(peak - expectedPeak) < 0.001, qPrintable(QString::number(peak)));
        }
        const double settling = Springs::settlingTime(0.35, 0.7);
        QCOMPARE(Springs::open().valueForProgress(0.25), Springs::stepResponse(0.35, 0.7, 0.25 * settling));
        QCOMPARE(Springs::openDuration(), 550); // the settling time
    }
};

QTEST_GUILESS_MAIN(SpringsTest)
#include "tst_Springs.moc"
