#include "Widgets/UsageWidget.h"

#include "Foundation/L10n.h"

UsageWidget::UsageWidget(UsageService::Parts parts, QObject* parent)
    : NotchWidget(parent)
    , m_service(parts)
    , m_viewModel(m_service, parts.clock ? *parts.clock : m_clock) {}

QString UsageWidget::name() const {
    return L10n::text("uso.aba.titulo", "Uso", "Título da aba de uso do Claude");
}
