#include "Services/UpdaterService.h"

UpdaterService::UpdaterService(QObject* parent)
    : QObject(parent) {}

UpdaterService& UpdaterService::shared() {
    static auto* const instance = new UpdaterService;
    return *instance;
}

void UpdaterService::setDegradedReporter(DegradedReporter reporter) {
    m_reportDegraded = std::move(reporter);
}

void UpdaterService::start() {
    if (m_started)
        return;
    m_started = true;
    if (m_reportDegraded)
        m_reportDegraded(
            QStringLiteral("Updater"),
            QStringLiteral("o Tavimor não roda de um pacote com feed de atualização e chave pública"),
            QStringLiteral("sem atualizações automáticas; atualize pelo gerenciador de pacotes"));
}

void UpdaterService::invalidateCanCheckObservation() {
    QObject::disconnect(m_canCheckObservation);
    m_canCheckObservation = {};
}
