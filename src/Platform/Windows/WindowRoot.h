#pragma once

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QUrl>
#include <QVariantMap>

// Makes the QML item at `view` and lays it over the whole of `window`, owned by C++. When the view cannot be
// made, warns (naming `what`) and returns null.
QQuickItem* loadWindowRoot(QQmlEngine& engine, const QUrl& view, const QVariantMap& properties,
                           QQuickWindow& window, const char* what);
