#include "Core/ShellQml.h"

#include "Core/CompactBarLayout.h"
#include "Core/ExpandedPanelModel.h"
#include "Core/NotchShape.h"
#include "Core/NotchStateManager.h"
#include "Widgets/NotchWidget.h"
#include "Widgets/WidgetRegistry.h"

#include <QQmlEngine>

void registerShellQmlTypes() {
    constexpr const char* uri = "Tavimor";
    qmlRegisterType<NotchShapeModel>(uri, 1, 0, "NotchShapeModel");
    qmlRegisterType<NotchShapeMotion>(uri, 1, 0, "NotchShapeMotion");
    qmlRegisterType<CompactBarLayout>(uri, 1, 0, "CompactBarLayout");
    qmlRegisterType<ExpandedPanelModel>(uri, 1, 0, "ExpandedPanelModel");
    const QString createdByShell = QStringLiteral("created by the application");
    qmlRegisterUncreatableType<NotchStateManager>(uri, 1, 0, "NotchStateManager", createdByShell);
    qmlRegisterUncreatableType<WidgetRegistry>(uri, 1, 0, "WidgetRegistry", createdByShell);
    qmlRegisterUncreatableType<AnyNotchWidget>(uri, 1, 0, "AnyNotchWidget", createdByShell);
    qmlRegisterUncreatableMetaObject(WidgetGroups::staticMetaObject, uri, 1, 0, "WidgetGroup",
                                     createdByShell);
}
