#include "Theme/Springs.h"

#include <QtTest>

class SpringsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void curvesStartAtZeroAndEndExactlyAtOne() {
        for (const QEasingCurve& curve : {Springs::open(), Springs::close(), Springs::compactBar(),
                                          Springs::closeButton(), Springs::blink()}) {
            QCOMPARE(curve.type(), QEasingCurve::Custom);
            QCOMPARE(curve.valueForProgress(0), 0.0);
            QCOMPARE(curve.valueForProgress(1), 1.0);
            QVERIFY(qAbs(curve.valueForProgress(0.999) - 1) < 0.002);
        }
    }

    void openSpringOvershootsByAboutFivePercent() {
        qreal peak = 0;
        for (int step = 0; step <= 1000; ++step)
            peak = qMax(peak, Springs::open().valueForProgress(step / 1000.0));
        QVERIFY2(qAbs(peak - 1.046) < 0.001, qPrintable(QString::number(peak)));

        qreal closePeak = 0;
        for (int step = 0; step <= 1000; ++step)
            closePeak = qMax(closePeak, Springs::close().valueForProgress(step / 1000.0));
        QVERIFY2(qAbs(closePeak - 1.015) < 0.001, qPrintable(QString::number(closePeak)));
    }

    void curveFollowsTheSpringOverTheSettlingTime() {
        const double settling = Springs::settlingTime(0.35, 0.7);
        QCOMPARE(Springs::open().valueForProgress(0.25), Springs::stepResponse(0.35, 0.7, 0.25 * settling));
        QVERIFY(Springs::open().valueForProgress(0.05) > 0);
        QVERIFY(Springs::open().valueForProgress(0.05) < 0.2);
    }

    void durationsAreTheSettlingTimes() {
        QCOMPARE(Springs::openDuration(), 550);
        QCOMPARE(Springs::closeDuration(), 412);
        QCOMPARE(Springs::compactBarDuration(), 493);
        QCOMPARE(Springs::closeButtonDuration(), 362);
        QCOMPARE(Springs::blinkDuration(), 586);
    }
};

QTEST_GUILESS_MAIN(SpringsTest)
#include "tst_Springs.moc"
