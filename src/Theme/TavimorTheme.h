#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>

// The shared palette and fonts of every view. Each value is built once, on first use, and shared. Exposed to
// QML as the "Theme" singleton; C++ reads the static members directly.
class TavimorTheme : public QObject {
    Q_OBJECT
    Q_PROPERTY(QColor background READ background CONSTANT)
    Q_PROPERTY(QColor surface READ surface CONSTANT)
    Q_PROPERTY(QColor surfaceElevated READ surfaceElevated CONSTANT)
    Q_PROPERTY(QColor text READ text CONSTANT)
    Q_PROPERTY(QColor compactText READ compactText CONSTANT)
    Q_PROPERTY(QColor muted READ muted CONSTANT)
    Q_PROPERTY(QColor danger READ danger CONSTANT)
    Q_PROPERTY(QColor accent READ accent CONSTANT)
    Q_PROPERTY(QColor primaryLabel READ primaryLabel CONSTANT)
    Q_PROPERTY(QColor secondaryLabel READ secondaryLabel CONSTANT)
    Q_PROPERTY(QColor separator READ separator CONSTANT)
    Q_PROPERTY(QFont body READ body CONSTANT)
    Q_PROPERTY(QFont label READ label CONSTANT)
    Q_PROPERTY(QFont sectionTitle READ sectionTitle CONSTANT)
    Q_PROPERTY(QString monoFamily READ monoFamily CONSTANT)
    Q_PROPERTY(QString roundedFamily READ roundedFamily CONSTANT)
    Q_PROPERTY(bool blurBehind READ blurBehind NOTIFY blurBehindChanged)
    Q_PROPERTY(QColor liquidCardFill READ liquidCardFill NOTIFY blurBehindChanged)
    Q_PROPERTY(QColor tabBarFill READ tabBarFill NOTIFY blurBehindChanged)
    Q_PROPERTY(QColor frostedCardFill READ frostedCardFill CONSTANT)

public:
    explicit TavimorTheme(QObject* parent = nullptr);
    ~TavimorTheme() override;

    static QColor background();
    static QColor surface();
    static QColor surfaceElevated();
    static QColor text();
    static QColor compactText();
    static QColor muted();
    static QColor danger();
    static QColor accent();
    static QColor primaryLabel();
    static QColor secondaryLabel();
    static QColor separator();

    static QFont body();
    static QFont label();
    static QFont sectionTitle();

    // The faces the views are laid out for: Inter for text and the condensed League Mono for times and
    // figures, narrow enough that a title keeps room beside a time range; the desktop's own faces where
    // they are not installed.
    static QString textFamily();
    static QString monoFamily();
    // The rounded face of the break's big figures and tip titles: Quicksand, whose bold figures and titles
    // take the width of the text face's, so they fit where the layout leaves room for it.
    static QString roundedFamily();
    // Makes the text face the application's default font, so that every view draws in it.
    static void useTextFace();

    // Secondary text: secondaryLabel on liquid glass, muted on the dark style.
    Q_INVOKABLE static QColor secondaryText(bool liquid);
    // Whether the compositor blurs what lies behind the panel's cards. The application sets it as the
    // compositor starts or stops offering that; every theme object announces a real change.
    static bool blurBehind();
    static void setBlurBehind(bool active);

    // Fill of a content card: surface at 55 % on the dark style; on liquid glass black at 35 % where the
    // compositor blurs the backdrop, and at 97 % where nothing blurs it, dense enough that no text of a
    // window behind can be read through it.
    Q_INVOKABLE static QColor cardFill(bool liquid);
    static QColor liquidCardFill() { return cardFill(true); }
    // A liquid card's tint over the frosted glass the application draws itself: black at 90 %, so that the
    // tint alone carries every text, accent and danger ones included, at 4.5 : 1 over a white window.
    static QColor frostedCardFill();
    // The tab bar's capsule on liquid glass: black at 55 % over a blurred backdrop, 75 % without one.
    static QColor tabBarFill();
    // The white sheen laid over a liquid card.
    static QColor cardSheen();

    // Opaque sRGB colour from hexadecimal text such as "#0B0C0F": surrounding non-alphanumerics are trimmed,
    // an optional 0x prefix and the longest run of hex digits are read, and the low 24 bits give red, green
    // and blue. Text without leading hex digits gives black; a value past 64 bits saturates (white).
    Q_INVOKABLE static QColor colorFromHex(const QString& hex);

Q_SIGNALS:
    void blurBehindChanged();
};
