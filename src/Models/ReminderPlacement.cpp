#include "Models/ReminderPlacement.h"

#include "Foundation/L10n.h"

#include <algorithm>

namespace ReminderPlacement {

double scale(ReminderSize size) {
    switch (size) {
    case ReminderSize::medium:
        return 1.0;
    case ReminderSize::large:
        return 1.4;
    case ReminderSize::small:
        break;
    }
    return 0.6;
}

QString title(ReminderPosition position) {
    const char* shortNote = "Posição do lembrete no grid 3x3. Espaço curto: abreviar se preciso.";
    switch (position) {
    case ReminderPosition::topLeading:
        return L10n::text("config.lembrete.posicao.superior_esquerda", "Sup. esquerda", shortNote);
    case ReminderPosition::top:
        return L10n::text("config.lembrete.posicao.superior", "Superior",
                          "Posição do lembrete no grid 3x3 (topo, centralizado).");
    case ReminderPosition::topTrailing:
        return L10n::text("config.lembrete.posicao.superior_direita", "Sup. direita", shortNote);
    case ReminderPosition::leading:
        return L10n::text("config.lembrete.posicao.esquerda", "Esquerda",
                          "Posição do lembrete no grid 3x3 (meio, à esquerda).");
    case ReminderPosition::center:
        return L10n::text("config.lembrete.posicao.centro", "Centro",
                          "Posição do lembrete no grid 3x3 (centro da tela).");
    case ReminderPosition::trailing:
        return L10n::text("config.lembrete.posicao.direita", "Direita",
                          "Posição do lembrete no grid 3x3 (meio, à direita).");
    case ReminderPosition::bottomLeading:
        return L10n::text("config.lembrete.posicao.inferior_esquerda", "Inf. esquerda", shortNote);
    case ReminderPosition::bottom:
        return L10n::text("config.lembrete.posicao.inferior", "Inferior",
                          "Posição do lembrete no grid 3x3 (rodapé, centralizado).");
    case ReminderPosition::bottomTrailing:
        return L10n::text("config.lembrete.posicao.inferior_direita", "Inf. direita", shortNote);
    }
    return {};
}

QString title(ReminderSize size) {
    const char* note = "Tamanho do painel de lembrete (piscar/postura).";
    switch (size) {
    case ReminderSize::medium:
        return L10n::text("config.lembrete.tamanho.medio", "Médio", note);
    case ReminderSize::large:
        return L10n::text("config.lembrete.tamanho.grande", "Grande", note);
    case ReminderSize::small:
        break;
    }
    return L10n::text("config.lembrete.tamanho.pequeno", "Pequeno", note);
}

int row(ReminderPosition position) {
    return int(position) / 3;
}

QPointF origin(ReminderPosition position, const ScreenInfo& screen, QSizeF size, double margin) {
    const QRectF visible(screen.visibleFrame);
    const QRectF frame(screen.frame);
    const bool notched = screen.auxiliaryTopLeftArea && screen.auxiliaryTopRightArea;
    const double inset = notched && screen.safeAreaTopInset > 0 ? screen.safeAreaTopInset + 4 : 0;
    const double top = std::max(visible.top(), frame.top() + inset);
    const double columns[] = {visible.left() + margin, visible.center().x() - size.width() / 2,
                              visible.left() + visible.width() - size.width() - margin};
    const double rows[] = {top + margin, visible.center().y() - size.height() / 2,
                           visible.top() + visible.height() - size.height() - margin};
    return {columns[int(position) % 3], rows[row(position)]};
}

QPointF stacked(ReminderPosition position, QPointF origin, double offset) {
    return origin + QPointF(0, row(position) == 2 ? -offset : offset);
}

} // namespace ReminderPlacement

ReminderCoordinator& ReminderCoordinator::shared() {
    static ReminderCoordinator coordinator;
    return coordinator;
}

double ReminderCoordinator::reserve(ReminderPosition position, const void* owner, qint64 durationMs,
                                    double height, const QDateTime& now) {
    const auto existing = holds.constFind(int(position));
    double offset = 0;
    if (existing != holds.cend() && existing->until > now && existing->owner != owner)
        offset = existing->height + gap;
    holds.insert(int(position), {owner, now.addMSecs(durationMs), height});
    return offset;
}
