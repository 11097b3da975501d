#include "Widgets/UsageWidget.h"

#include "Foundation/L10n.h"

UsageWidget::UsageWidget(UsageService::Parts parts, QObject* parent)
    : NotchWidget(parent)
    , m_service(std::move(parts))
    , m_viewModel(m_service) {}

QString UsageWidget::name() const {
    return L10n::text("uso.aba.titulo", "Uso", "Título da aba de uso do Claude");
}
