#include "Theme/TavimorTheme.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringView>

#include <cstdint>
#include <limits>

namespace {

QColor whiteWithOpacity(qreal opacity) {
    QColor color(Qt::white);
    color.setAlphaF(opacity);
    return color;
}

QColor blackWithOpacity(qreal opacity) {
    QColor color(Qt::black);
    color.setAlphaF(opacity);
    return color;
}

bool& blurBehindFlag() {
    static bool active = false;
    return active;
}

QList<TavimorTheme*>& themeObjects() {
    static QList<TavimorTheme*> objects;
    return objects;
}

QString installedOr(const QString& family, QFontDatabase::SystemFont fallback) {
    return QFontDatabase::hasFamily(family) ? family : QFontDatabase::systemFont(fallback).family();
}

QFont systemFont(int pixelSize, QFont::Weight weight) {
    QFont font(TavimorTheme::textFamily());
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

bool isAlphanumeric(char32_t codePoint) {
    return QChar::isLetterOrNumber(codePoint) || QChar::isMark(codePoint);
}

QList<uint> trimmedToAlphanumerics(const QString& text) {
    const QList<uint> codePoints = text.toUcs4();
    qsizetype first = 0;
    qsizetype end = codePoints.size();
    while (first < end && !isAlphanumeric(codePoints[first]))
        ++first;
    while (end > first && !isAlphanumeric(codePoints[end - 1]))
        --end;
    return codePoints.mid(first, end - first);
}

int hexDigitValue(char32_t c) {
    if (c >= '0' && c <= '9')
        return int(c - '0');
    if (c >= 'a' && c <= 'f')
        return int(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return int(c - 'A' + 10);
    return -1;
}

// Reads an optional 0x prefix and then the longest run of hex digits; saturates past 64 bits.
std::uint64_t scanHex(const QList<uint>& text) {
    qsizetype position = 0;
    if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
        hexDigitValue(text[2]) >= 0)
        position = 2;
    constexpr std::uint64_t maximum = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (; position < text.size(); ++position) {
        const int digit = hexDigitValue(text[position]);
        if (digit < 0)
            break;
        value = value > (maximum >> 4) ? maximum : (value << 4) | std::uint64_t(digit);
    }
    return value;
}

} // namespace

QColor TavimorTheme::background() {
    static const QColor color = colorFromHex(QStringLiteral("#0B0C0F"));
    return color;
}

QColor TavimorTheme::surface() {
    static const QColor color = colorFromHex(QStringLiteral("#1A1B1F"));
    return color;
}

QColor TavimorTheme::surfaceElevated() {
    static const QColor color = colorFromHex(QStringLiteral("#222428"));
    return color;
}

QColor TavimorTheme::text() {
    return QColor(Qt::white);
}

QColor TavimorTheme::compactText() {
    static const QColor color = whiteWithOpacity(0.88);
    return color;
}

QColor TavimorTheme::muted() {
    static const QColor color = colorFromHex(QStringLiteral("#7E818D"));
    return color;
}

QColor TavimorTheme::danger() {
    static const QColor color = colorFromHex(QStringLiteral("#FF4444"));
    return color;
}

QColor TavimorTheme::accent() {
    static const QColor color = colorFromHex(QStringLiteral("#E4FC00"));
    return color;
}

QColor TavimorTheme::primaryLabel() {
    static const QColor color = whiteWithOpacity(0.95);
    return color;
}

QColor TavimorTheme::secondaryLabel() {
    static const QColor color = whiteWithOpacity(0.6);
    return color;
}

QColor TavimorTheme::separator() {
    static const QColor color = whiteWithOpacity(0.1);
    return color;
}

QFont TavimorTheme::body() {
    static const QFont font = systemFont(13, QFont::Normal);
    return font;
}

QFont TavimorTheme::label() {
    static const QFont font = systemFont(10, QFont::DemiBold);
    return font;
}

QFont TavimorTheme::sectionTitle() {
    static const QFont font = systemFont(11, QFont::DemiBold);
    return font;
}

QString TavimorTheme::textFamily() {
    static const QString family = installedOr(QStringLiteral("Inter"), QFontDatabase::GeneralFont);
    return family;
}

QString TavimorTheme::monoFamily() {
    static const QString family =
        installedOr(QStringLiteral("League Mono Condensed"), QFontDatabase::FixedFont);
    return family;
}

QString TavimorTheme::roundedFamily() {
    static const QString family = installedOr(QStringLiteral("Quicksand"), QFontDatabase::GeneralFont);
    return family;
}

void TavimorTheme::useTextFace() {
    QFont font = QGuiApplication::font();
    font.setFamilies({textFamily()});
    QGuiApplication::setFont(font);
}

QColor TavimorTheme::secondaryText(bool liquid) {
    return liquid ? secondaryLabel() : muted();
}

TavimorTheme::TavimorTheme(QObject* parent)
    : QObject(parent) {
    themeObjects().append(this);
}

TavimorTheme::~TavimorTheme() {
    themeObjects().removeOne(this);
}

bool TavimorTheme::blurBehind() {
    return blurBehindFlag();
}

void TavimorTheme::setBlurBehind(bool active) {
    if (blurBehindFlag() == active)
        return;
    blurBehindFlag() = active;
    for (TavimorTheme* theme : std::as_const(themeObjects()))
        Q_EMIT theme->blurBehindChanged();
}

QColor TavimorTheme::cardFill(bool liquid) {
    if (liquid)
        return blackWithOpacity(blurBehind() ? 0.35 : 0.97);
    QColor fill = surface();
    fill.setAlphaF(0.55);
    return fill;
}

QColor TavimorTheme::frostedCardFill() {
    return blackWithOpacity(0.9);
}

QColor TavimorTheme::tabBarFill() {
    return blackWithOpacity(blurBehind() ? 0.55 : 0.75);
}

QColor TavimorTheme::cardSheen() {
    static const QColor color = whiteWithOpacity(0.04);
    return color;
}

QColor TavimorTheme::colorFromHex(const QString& hex) {
    const std::uint64_t value = scanHex(trimmedToAlphanumerics(hex));
    return QColor(int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF));
}
