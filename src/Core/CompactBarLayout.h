#pragma once

#include "Widgets/NotchWidget.h"

#include <QList>
#include <QObject>
#include <QPointer>

// Where each widget goes in the compact bar and how wide each region is. The music widget sits over the
// notch while it has something to show and the panel is closed; the other widgets shown in the compact bar
// alternate left and right, counted in that filtered list.
struct CompactBarArrangement {
    AnyNotchWidget* musicWidget = nullptr;
    QList<AnyNotchWidget*> leftWidgets;
    QList<AnyNotchWidget*> rightWidgets;
    bool showsCentre = false;
    qreal sideMargin = 0;
    qreal centreWidth = 0;
    qreal sideWidth = 0;
};

struct CompactBarInput {
    qreal panelWidth = 0;
    qreal notchWidth = 0;
    qreal musicSideWidth = 32; // the hardware profile's
    bool sidesOnly = false;
};

class CompactBarLayout : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<QObject*> widgets READ widgets WRITE setWidgets NOTIFY widgetsChanged)
    Q_PROPERTY(qreal panelWidth READ panelWidth WRITE setPanelWidth NOTIFY inputChanged)
    Q_PROPERTY(qreal notchWidth READ notchWidth WRITE setNotchWidth NOTIFY inputChanged)
    Q_PROPERTY(qreal musicSideWidth READ musicSideWidth WRITE setMusicSideWidth NOTIFY inputChanged)
    Q_PROPERTY(bool sidesOnly READ sidesOnly WRITE setSidesOnly NOTIFY inputChanged)
    Q_PROPERTY(QObject* musicWidget READ musicWidget NOTIFY musicWidgetChanged)
    Q_PROPERTY(QList<QObject*> leftWidgets READ leftWidgets NOTIFY leftWidgetsChanged)
    Q_PROPERTY(QList<QObject*> rightWidgets READ rightWidgets NOTIFY rightWidgetsChanged)
    Q_PROPERTY(bool showsCentre READ showsCentre NOTIFY geometryChanged)
    Q_PROPERTY(qreal sideMargin READ sideMargin NOTIFY geometryChanged)
    Q_PROPERTY(qreal centreWidth READ centreWidth NOTIFY geometryChanged)
    Q_PROPERTY(qreal sideWidth READ sideWidth NOTIFY geometryChanged)

public:
    static constexpr qreal plainSideMargin = 6;
    static inline const QString musicWidgetId = QStringLiteral("music");

    static CompactBarArrangement arrange(const QList<AnyNotchWidget*>& widgets, const CompactBarInput& input);

    explicit CompactBarLayout(QObject* parent = nullptr);

    QList<QObject*> widgets() const;
    qreal panelWidth() const { return m_input.panelWidth; }
    qreal notchWidth() const { return m_input.notchWidth; }
    qreal musicSideWidth() const { return m_input.musicSideWidth; }
    bool sidesOnly() const { return m_input.sidesOnly; }
    QObject* musicWidget() const { return m_arrangement.musicWidget; }
    QList<QObject*> leftWidgets() const {
        return {m_arrangement.leftWidgets.begin(), m_arrangement.leftWidgets.end()};
    }
    QList<QObject*> rightWidgets() const {
        return {m_arrangement.rightWidgets.begin(), m_arrangement.rightWidgets.end()};
    }
    bool showsCentre() const { return m_arrangement.showsCentre; }
    qreal sideMargin() const { return m_arrangement.sideMargin; }
    qreal centreWidth() const { return m_arrangement.centreWidth; }
    qreal sideWidth() const { return m_arrangement.sideWidth; }

    // Re-reads the widgets' live values; setting the list (even an equal one) does the same.
    void setWidgets(const QList<QObject*>& widgets);
    void setPanelWidth(qreal width);
    void setNotchWidth(qreal width);
    void setMusicSideWidth(qreal width);
    void setSidesOnly(bool sidesOnly);

Q_SIGNALS:
    void widgetsChanged();
    void inputChanged();
    void musicWidgetChanged();
    void leftWidgetsChanged();
    void rightWidgetsChanged();
    void geometryChanged();

private:
    void setInput(const CompactBarInput& input);
    void rearrange();

    QList<QPointer<AnyNotchWidget>> m_widgets;
    CompactBarInput m_input;
    CompactBarArrangement m_arrangement;
};
