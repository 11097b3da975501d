#include "Theme/Springs.h"

#include <cmath>
#include <numbers>

namespace {

template <double Response, double DampingFraction> qreal springProgress(qreal progress) {
    if (progress <= 0)
        return 0;
    if (progress >= 1)
        return 1;
    const double t = progress * Springs::settlingTime(Response, DampingFraction);
    return Springs::stepResponse(Response, DampingFraction, t);
}

template <double Response, double DampingFraction> QEasingCurve springCurve() {
    QEasingCurve curve;
    curve.setCustomType(&springProgress<Response, DampingFraction>);
    return curve;
}

int durationMs(double response, double dampingFraction) {
    return int(std::lround(Springs::settlingTime(response, dampingFraction) * 1000));
}

// ωt at which e^(−ωt)(1 + ωt), what is left of a critically damped spring's way, falls to 0.1 %.
constexpr double criticalSettlingPhase = 9.2335;

} // namespace

double Springs::stepResponse(double response, double dampingFraction, double t) {
    const double omega = 2 * std::numbers::pi / response;
    if (dampingFraction >= 1)
        return 1 - std::exp(-omega * t) * (1 + omega * t);
    const double decay = dampingFraction * omega;
    const double dampedOmega = omega * std::sqrt(1 - dampingFraction * dampingFraction);
    return 1 - std::exp(-decay * t) *
                   (std::cos(dampedOmega * t) + decay / dampedOmega * std::sin(dampedOmega * t));
}

double Springs::settlingTime(double response, double dampingFraction) {
    const double omega = 2 * std::numbers::pi / response;
    if (dampingFraction >= 1)
        return criticalSettlingPhase / omega;
    return std::log(1000.0) / (dampingFraction * omega);
}

QEasingCurve Springs::open() {
    return springCurve<0.35, 0.7>();
}
QEasingCurve Springs::close() {
    return springCurve<0.3, 0.8>();
}
QEasingCurve Springs::compactBar() {
    return springCurve<0.35, 0.78>();
}
QEasingCurve Springs::closeButton() {
    return springCurve<0.28, 0.85>();
}
QEasingCurve Springs::blink() {
    return springCurve<0.4, 0.75>();
}
QEasingCurve Springs::smooth() {
    return springCurve<0.5, 1.0>();
}

int Springs::openDuration() {
    return durationMs(0.35, 0.7);
}
int Springs::closeDuration() {
    return durationMs(0.3, 0.8);
}
int Springs::compactBarDuration() {
    return durationMs(0.35, 0.78);
}
int Springs::closeButtonDuration() {
    return durationMs(0.28, 0.85);
}
int Springs::blinkDuration() {
    return durationMs(0.4, 0.75);
}
int Springs::smoothDuration() {
    return durationMs(0.5, 1.0);
}
