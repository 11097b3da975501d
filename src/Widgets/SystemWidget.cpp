#include "Widgets/SystemWidget.h"

#include "Foundation/L10n.h"
#include "Platform/Hardware/MacHardware.h"
#include "Widgets/KeyboardCleanerWindow.h"

SystemWidget::SystemWidget(SystemMonitorService::Dependencies dependencies, QObject* parent)
    : NotchWidget(parent)
    , m_service(std::move(dependencies)) {}

QString SystemWidget::name() const {
    return L10n::text("sistema.aba.titulo", "Sistema", "Tooltip of the system tab.");
}

void SystemWidget::setCaffeinateService(CaffeinateService* service) {
    if (m_caffeinate == service)
        return;
    if (m_caffeinate)
        disconnect(m_caffeinate, nullptr, this, nullptr);
    m_caffeinate = service;
    // The status line reads whether keep-awake is on and the seconds left; not the seconds since it began,
    // which change every second.
    if (service) {
        for (auto changed :
             {&CaffeinateService::isActiveChanged, &CaffeinateService::remainingSecondsChanged})
            connect(service, changed, this, &SystemWidget::keepAwakeStatusChanged);
    }
    Q_EMIT caffeinateServiceChanged();
    Q_EMIT keepAwakeStatusChanged();
}

QString SystemWidget::keepAwakeStatus() const {
    if (!m_caffeinate)
        return {};
    if (!m_caffeinate->isActive())
        return L10n::text("sistema.caffeinate.desligado", "Desligado", "Keep-awake is off.");
    if (!m_caffeinate->hasRemainingSeconds())
        return L10n::text("sistema.caffeinate.ativo", "Ativo", "Keep-awake is on, without an end.");
    const qint64 minutes = CaffeinateService::wholeMinutes(m_caffeinate->remainingSecondsOrZero());
    return L10n::formatted("sistema.caffeinate.restante", "Ativo · %lld min restantes",
                           "Keep-awake is on; the number is the minutes left.", {minutes});
}

QString SystemWidget::machineName() {
    return MacHardware::displayName();
}

QVariantMap SystemWidget::texts() {
    return {
        {QStringLiteral("cpu"), L10n::text("sistema.cpu", "CPU", "Label of the processor load.")},
        {QStringLiteral("memory"), L10n::text("sistema.memoria", "Memória", "Label of the memory in use.")},
        {QStringLiteral("cache"), L10n::text("sistema.cache", "Cache", "Label of the page cache.")},
        {QStringLiteral("disk"), L10n::text("sistema.disco", "Disco", "Label of the disk space in use.")},
        {QStringLiteral("monitoring"), L10n::text("sistema.monitoramento", "Monitorar o sistema",
                                                  "Switch of the processor and memory figures.")},
        {QStringLiteral("clipboard"), L10n::text("sistema.clipboard.titulo", "Área de transferência",
                                                 "Switch and heading of the clipboard history.")},
        {QStringLiteral("clipboardEmpty"), L10n::text("sistema.clipboard.vazio", "Nada copiado ainda.",
                                                      "Shown while the clipboard history is empty.")},
        {QStringLiteral("clipboardClear"),
         L10n::text("sistema.clipboard.limpar", "Limpar", "Button that empties the clipboard history.")},
        {QStringLiteral("clipboardCopy"), L10n::text("sistema.clipboard.copiar", "Copiar de novo",
                                                     "Tooltip: puts this entry back on the clipboard.")},
        {QStringLiteral("keepAwake"),
         L10n::text("sistema.caffeinate.titulo", "Manter acordado", "Switch that keeps the computer awake.")},
        {QStringLiteral("keyboard"), L10n::text("sistema.teclado.titulo", "Limpar o teclado",
                                                "Switch that locks the keyboard for cleaning.")},
    };
}

void SystemWidget::setKeepAwake(bool on) {
    if (!m_caffeinate)
        return;
    if (on)
        m_caffeinate->activateIndefinitely();
    else
        m_caffeinate->deactivate();
}

void SystemWidget::setKeyboardCleaning(bool on) {
    if (on == m_keyboardCleaning)
        return;
    if (on) {
        setCleaningFlag(true);
        KeyboardCleanerWindow::show([self = QPointer<SystemWidget>(this)] {
            if (self)
                self->setCleaningFlag(false);
        });
    } else {
        KeyboardCleanerWindow::hide();
        setCleaningFlag(false);
    }
}

void SystemWidget::setCleaningFlag(bool on) {
    if (m_keyboardCleaning == on)
        return;
    m_keyboardCleaning = on;
    Q_EMIT isKeyboardCleaningChanged();
}
