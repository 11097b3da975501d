#pragma once

#include "Foundation/DegradedReporter.h"

#include <QMetaObject>
#include <QObject>

// Automatic updates. They need the application to run from an installed package that carries an update feed
// and its signing key; a Linux installation is updated by its package manager instead, so the updater reports
// itself unavailable once and does nothing else.
class UpdaterService final : public QObject {
    Q_OBJECT
public:
    explicit UpdaterService(QObject* parent = nullptr);

    static UpdaterService& shared();

    void setDegradedReporter(DegradedReporter reporter);

    void start();

    // Drops the observation of whether a check can run; the application calls it when it terminates.
    void invalidateCanCheckObservation();

private:
    DegradedReporter m_reportDegraded;
    QMetaObject::Connection m_canCheckObservation;
    bool m_started = false;
};
