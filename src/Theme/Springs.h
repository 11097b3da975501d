#pragma once

#include <QEasingCurve>
#include <QObject>

// The panel's spring animations as easing curves for QML ("easing: Springs.open" with
// "duration: Springs.openDuration"). Each curve is the step response of a damped spring with the given
// response (seconds) and damping fraction, stretched over its settling time: the time after which the
// oscillation stays within 0.1 % of the target. The curve is exactly 1 at the end.
class Springs : public QObject {
    Q_OBJECT
    Q_PROPERTY(QEasingCurve open READ open CONSTANT)
    Q_PROPERTY(QEasingCurve close READ close CONSTANT)
    Q_PROPERTY(QEasingCurve compactBar READ compactBar CONSTANT)
    Q_PROPERTY(QEasingCurve closeButton READ closeButton CONSTANT)
    Q_PROPERTY(QEasingCurve blink READ blink CONSTANT)
    Q_PROPERTY(QEasingCurve smooth READ smooth CONSTANT)
    Q_PROPERTY(int openDuration READ openDuration CONSTANT)
    Q_PROPERTY(int closeDuration READ closeDuration CONSTANT)
    Q_PROPERTY(int compactBarDuration READ compactBarDuration CONSTANT)
    Q_PROPERTY(int closeButtonDuration READ closeButtonDuration CONSTANT)
    Q_PROPERTY(int blinkDuration READ blinkDuration CONSTANT)
    Q_PROPERTY(int smoothDuration READ smoothDuration CONSTANT)

public:
    using QObject::QObject;

    static QEasingCurve open();
    static QEasingCurve close();
    static QEasingCurve compactBar();
    static QEasingCurve closeButton();
    static QEasingCurve blink();
    // The views' default animation: a critically damped spring, no overshoot.
    static QEasingCurve smooth();

    static int openDuration();
    static int closeDuration();
    static int compactBarDuration();
    static int closeButtonDuration();
    static int blinkDuration();
    static int smoothDuration();

    // Displacement of a spring released at 0 towards 1, at time t seconds; damping fractions up to 1
    // (critical damping).
    static double stepResponse(double response, double dampingFraction, double t);
    // Seconds until the envelope of the oscillation falls to 0.1 %.
    static double settlingTime(double response, double dampingFraction);
};
