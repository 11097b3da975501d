#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

// Tab-bar cluster of a widget, in tab-bar order.
namespace WidgetGroups {
Q_NAMESPACE
enum class WidgetGroup { DiaADia, Shelf, Caffeinate, Ai };
Q_ENUM_NS(WidgetGroup)
} // namespace WidgetGroups
using WidgetGroups::WidgetGroup;

// One tab of the notch panel. A widget names itself, says where it sorts and how it shows in the compact
// bar and the expanded panel, and starts and stops the service behind it (both may be called repeatedly).
// Its bodies are QML components, loaded with the widget's view model as `model`; an empty URL is an empty
// view.
class NotchWidget : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString icon READ icon NOTIFY iconChanged)
    Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged)
    Q_PROPERTY(bool hasCompactContent READ hasCompactContent NOTIFY hasCompactContentChanged)
    Q_PROPERTY(bool showInCompactBar READ showInCompactBar NOTIFY showInCompactBarChanged)

public:
    using QObject::QObject;

    virtual QString id() const = 0;
    virtual QString name() const = 0;
    virtual int priority() const = 0;
    virtual WidgetGroup group() const = 0;
    virtual QString icon() const = 0;
    virtual bool isActive() const { return true; }
    virtual bool hasCompactContent() const { return false; }
    virtual bool showInCompactBar() const { return false; }
    virtual QUrl compactBody() const { return {}; }
    virtual QUrl expandedBody() const { return {}; }
    virtual QObject* viewModel() { return this; }
    virtual void start() = 0;
    virtual void stop() = 0;

Q_SIGNALS:
    void iconChanged();
    void isActiveChanged();
    void hasCompactContentChanged();
    void showInCompactBarChanged();
};

// The shell's record of one registered widget: identity, name, priority and group are snapshots taken at
// registration; the rest is read live from the widget, which the record holds weakly. Once the widget is
// gone the record is inactive, shows the placeholder icon, has empty bodies and ignores start and stop.
class AnyNotchWidget : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString id READ id CONSTANT)
    Q_PROPERTY(QString name READ name CONSTANT)
    Q_PROPERTY(int priority READ priority CONSTANT)
    Q_PROPERTY(WidgetGroups::WidgetGroup group READ group CONSTANT)
    Q_PROPERTY(QString icon READ icon NOTIFY iconChanged)
    Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged)
    Q_PROPERTY(bool hasCompactContent READ hasCompactContent NOTIFY hasCompactContentChanged)
    Q_PROPERTY(bool showInCompactBar READ showInCompactBar NOTIFY showInCompactBarChanged)
    Q_PROPERTY(QUrl compactBody READ compactBody NOTIFY widgetGone)
    Q_PROPERTY(QUrl expandedBody READ expandedBody NOTIFY widgetGone)
    Q_PROPERTY(QObject* viewModel READ viewModel NOTIFY widgetGone)

public:
    static inline const QString placeholderIcon = QStringLiteral("square.dashed");

    explicit AnyNotchWidget(NotchWidget* widget, QObject* parent = nullptr);

    QString id() const { return m_id; }
    QString name() const { return m_name; }
    int priority() const { return m_priority; }
    WidgetGroup group() const { return m_group; }

    QString icon() const;
    bool isActive() const;
    bool hasCompactContent() const;
    bool showInCompactBar() const;
    QUrl compactBody() const;
    QUrl expandedBody() const;
    QObject* viewModel() const;
    void start() const;
    void stop() const;

Q_SIGNALS:
    void iconChanged();
    void isActiveChanged();
    void hasCompactContentChanged();
    void showInCompactBarChanged();
    void widgetGone();

private:
    QPointer<NotchWidget> m_widget;
    QString m_id;
    QString m_name;
    int m_priority = 0;
    WidgetGroup m_group = WidgetGroup::DiaADia;
};
