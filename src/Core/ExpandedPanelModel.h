#pragma once

#include "Core/NotchStateManager.h"
#include "Widgets/NotchWidget.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>

// What the open panel shows: the tab clusters by widget group, which tab is selected and whose expanded
// body fills the content area. The selection is the state manager's; when it names no active widget the
// first widget is shown, without correcting the stored selection.
class ExpandedPanelModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(
        NotchStateManager* stateManager READ stateManager WRITE setStateManager NOTIFY stateManagerChanged)
    Q_PROPERTY(QList<QObject*> widgets READ widgets WRITE setWidgets NOTIFY widgetsChanged)
    Q_PROPERTY(QString effectiveWidgetId READ effectiveWidgetId NOTIFY selectionChanged)
    Q_PROPERTY(QObject* currentWidget READ currentWidget NOTIFY selectionChanged)
    Q_PROPERTY(QList<QObject*> diaADiaWidgets READ diaADiaWidgets NOTIFY groupsChanged)
    Q_PROPERTY(QList<QObject*> shelfWidgets READ shelfWidgets NOTIFY groupsChanged)
    Q_PROPERTY(QList<QObject*> aiWidgets READ aiWidgets NOTIFY groupsChanged)
    Q_PROPERTY(QList<QObject*> caffeinateWidgets READ caffeinateWidgets NOTIFY groupsChanged)
    Q_PROPERTY(bool showsAiSeparator READ showsAiSeparator NOTIFY groupsChanged)
    Q_PROPERTY(QString settingsToolTip READ settingsToolTip CONSTANT)
    Q_PROPERTY(bool liquid READ isLiquid WRITE setLiquid NOTIFY liquidChanged)
    Q_PROPERTY(QColor toolForeground READ toolForeground NOTIFY liquidChanged)
    Q_PROPERTY(QColor toolBackground READ toolBackground NOTIFY liquidChanged)
    Q_PROPERTY(QColor dividerColor READ dividerColor NOTIFY liquidChanged)

public:
    // The id of the tab to show: the stored selection when an active widget has it, else the first widget's
    // id; empty when there are no widgets.
    static QString effectiveWidgetId(const QList<AnyNotchWidget*>& widgets,
                                     const std::optional<QString>& selected);
    static QList<AnyNotchWidget*> inGroup(const QList<AnyNotchWidget*>& widgets, WidgetGroup group);

    // A tab icon: accent on an accent-tinted square when selected, the secondary label on nothing otherwise.
    Q_INVOKABLE static QColor tabForeground(bool selected);
    Q_INVOKABLE static QColor tabBackground(bool selected);
    // The gear and close buttons and the line under the tab bar.
    static QColor toolForeground(bool liquid);
    static QColor toolBackground(bool liquid);
    static QColor dividerColor(bool liquid);

    // The gear's tooltip; the close button has none.
    static QString settingsToolTip();

    explicit ExpandedPanelModel(QObject* parent = nullptr);

    NotchStateManager* stateManager() const { return m_stateManager; }
    QList<QObject*> widgets() const;
    QString effectiveWidgetId() const { return m_effectiveWidgetId; }
    QObject* currentWidget() const;
    QList<QObject*> diaADiaWidgets() const { return objectsInGroup(WidgetGroup::DiaADia); }
    QList<QObject*> shelfWidgets() const { return objectsInGroup(WidgetGroup::Shelf); }
    QList<QObject*> aiWidgets() const { return objectsInGroup(WidgetGroup::Ai); }
    QList<QObject*> caffeinateWidgets() const { return objectsInGroup(WidgetGroup::Caffeinate); }
    bool showsAiSeparator() const { return !inGroup(liveWidgets(), WidgetGroup::Ai).isEmpty(); }
    bool isLiquid() const { return m_liquid; }
    QColor toolForeground() const { return toolForeground(m_liquid); }
    QColor toolBackground() const { return toolBackground(m_liquid); }
    QColor dividerColor() const { return dividerColor(m_liquid); }

    void setStateManager(NotchStateManager* stateManager);
    void setWidgets(const QList<QObject*>& widgets);
    void setLiquid(bool liquid);

    // The tab bar's action: selects the widget's tab in the state manager.
    Q_INVOKABLE void select(const QString& widgetId);

Q_SIGNALS:
    void stateManagerChanged();
    void widgetsChanged();
    void selectionChanged();
    void groupsChanged();
    void liquidChanged();

private:
    QList<AnyNotchWidget*> liveWidgets() const;
    QList<QObject*> objectsInGroup(WidgetGroup group) const;
    void updateSelection();

    QPointer<NotchStateManager> m_stateManager;
    QList<QPointer<AnyNotchWidget>> m_widgets;
    QString m_effectiveWidgetId;
    QPointer<AnyNotchWidget> m_currentWidget;
    bool m_liquid = true;
};
