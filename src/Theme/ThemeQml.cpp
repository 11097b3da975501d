#include "Theme/ThemeQml.h"

#include "Platform/Preferences/IPreferences.h"
#include "Theme/AppearanceSettings.h"
#include "Theme/BackdropMaterial.h"
#include "Theme/LevelBars.h"
#include "Theme/LookItems.h"
#include "Theme/PanelBackdrop.h"
#include "Theme/Springs.h"
#include "Theme/SymbolIcons.h"
#include "Theme/TavimorTheme.h"
#include "Theme/TextShadowScope.h"

#include <QGuiApplication>
#include <QPointer>
#include <QQmlEngine>

namespace {

QPointer<IPreferences>& appearancePreferences() {
    static QPointer<IPreferences> preferences;
    return preferences;
}

QObject* createAppearance(QQmlEngine*, QJSEngine*) {
    IPreferences* preferences = appearancePreferences();
    if (!preferences)
        qFatal("Appearance needs registerThemeQmlTypes() with preferences that outlive the QML engines");
    return new AppearanceSettings(*preferences);
}

template <typename T> QObject* createPlain(QQmlEngine*, QJSEngine*) {
    return new T;
}

void registerOnce() {
    static const bool registered = [] {
        const char* uri = "Tavimor";
        qmlRegisterType<LevelBars>(uri, 1, 0, "LevelBars");
        qmlRegisterSingletonType<TavimorTheme>(uri, 1, 0, "Theme", &createPlain<TavimorTheme>);
        qmlRegisterSingletonType<AppearanceSettings>(uri, 1, 0, "Appearance", &createAppearance);
        qmlRegisterSingletonType<SymbolIcons>(uri, 1, 0, "Icons", &createPlain<SymbolIcons>);
        qmlRegisterSingletonType<Springs>(uri, 1, 0, "Springs", &createPlain<Springs>);
        qmlRegisterType<TextShadowScope>(uri, 1, 0, "TextShadowScope");
        qmlRegisterType<ArtworkImage>(uri, 1, 0, "ArtworkImage");
        qmlRegisterType<BlurredShape>(uri, 1, 0, "BlurredShape");
        qmlRegisterType<RadialGlow>(uri, 1, 0, "RadialGlow");
        qmlRegisterType<BackdropMaterial>(uri, 1, 0, "BackdropMaterial");
        qmlRegisterSingletonType<PanelBackdrop>(uri, 1, 0, "PanelBackdrop", &createPlain<PanelBackdrop>);
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            TavimorTheme::useTextFace();
        return true;
    }();
    Q_UNUSED(registered);
}

} // namespace

void registerThemeQmlTypes(IPreferences& preferences) {
    appearancePreferences() = &preferences;
    registerOnce();
}
