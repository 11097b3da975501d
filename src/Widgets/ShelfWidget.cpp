#include "Widgets/ShelfWidget.h"

#include "Foundation/L10n.h"

ShelfWidget::ShelfWidget(QString shelfFolder, QString desktopFolder, QObject* parent)
    : NotchWidget(parent)
    , m_service(std::move(shelfFolder), std::move(desktopFolder)) {}

QString ShelfWidget::name() const {
    return L10n::text("shelf.aba.titulo", "Shelf", "Tooltip of the shelf tab.");
}

QVariantMap ShelfWidget::texts() {
    return {
        {QStringLiteral("shelf"),
         L10n::text("shelf.titulo", "Prateleira", "Heading of the files kept on the shelf.")},
        {QStringLiteral("desktop"),
         L10n::text("shelf.mesa", "Mesa", "Heading of the Desktop folder's files.")},
        {QStringLiteral("empty"),
         L10n::text("shelf.vazio", "Arraste arquivos até o notch para guardá-los aqui.",
                    "Shown while the shelf is empty.")},
        {QStringLiteral("remove"),
         L10n::text("shelf.remover", "Remover da prateleira", "Tooltip of the remove button.")},
    };
}
