#pragma once

#include "Widgets/NotchWidget.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

// The registered widgets in registration order. Views list `activeWidgets`: the active records sorted by
// priority, ties in registration order. `activeWidgetsChanged` fires whenever a record is added or any
// record's live values change, so the list is re-read.
class WidgetRegistry : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<QObject*> activeWidgets READ activeWidgetObjects NOTIFY activeWidgetsChanged)

public:
    static inline const QSet<QString> expandedOnlyIDs{QStringLiteral("servers"), QStringLiteral("devices"),
                                                      QStringLiteral("shelf")};

    explicit WidgetRegistry(QObject* parent = nullptr);

    void registerWidget(NotchWidget* widget);
    const QList<AnyNotchWidget*>& widgets() const { return m_widgets; }
    QList<AnyNotchWidget*> activeWidgets() const;

    void startAll();
    void stopAll();
    void stopAll(const QSet<QString>& except);
    void pauseExpandedOnly();
    void resumeExpandedOnly();

Q_SIGNALS:
    void activeWidgetsChanged();

private:
    QList<QObject*> activeWidgetObjects() const;

    QList<AnyNotchWidget*> m_widgets;
};
