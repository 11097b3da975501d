#pragma once

#include "Services/UsageService.h"

#include <QColor>
#include <QObject>
#include <QVariantList>

// What the compact item and the card of the usage tab show, worked out from the usage service. Every text
// derived from the current time is worked out again on each read; `changed` fires whenever the service does.
class UsageViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString compactText READ compactText NOTIFY changed)
    Q_PROPERTY(QColor compactColor READ compactColor NOTIFY changed)
    Q_PROPERTY(QString ageText READ ageText NOTIFY changed)
    Q_PROPERTY(QString errorText READ errorText NOTIFY changed)
    Q_PROPERTY(QString loadingText READ loadingText NOTIFY changed)
    Q_PROPERTY(QVariantList rows READ rows NOTIFY changed)

public:
    static constexpr qint64 compactLowBelow = 15;
    static constexpr qint64 compactMediumBelow = 30;
    static constexpr qint64 rowLowBelow = 20;

    explicit UsageViewModel(UsageService& service, QObject* parent = nullptr);

    // The card's heading, "Claude".
    static QString title();
    // "42%", or an en dash before the first figures.
    QString compactText() const;
    // danger under 15 %, accent under 30 %, else the compact text colour.
    QColor compactColor() const;
    // Age of the last success; empty before the first.
    QString ageText() const;
    // The failure shown in place of the rows; empty when there is none.
    QString errorText() const;
    // "Carregando..." while there are no figures yet and no failure; else empty.
    QString loadingText() const;
    // Session, then weekly when known; each {label, percentText, low, fraction, resetText, warningText}.
    QVariantList rows() const;

    Q_INVOKABLE void refresh();

Q_SIGNALS:
    void changed();

private:
    QVariantMap row(const QString& label, double leftPercent, const QDateTime& resetsAt, double period,
                    const QDateTime& now) const;

    UsageService& m_service;
};
