#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

// Open/closed state of the notch panel, the selected tab and whether the expanded content shows.
// It carries no animation itself: views pick the opening or closing spring from the direction of the change.
class NotchStateManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(State state READ state NOTIFY stateChanged)
    Q_PROPERTY(bool isOpen READ isOpen NOTIFY stateChanged)
    Q_PROPERTY(QVariant activeWidgetId READ activeWidgetIdVariant WRITE setActiveWidgetIdVariant NOTIFY
                   activeWidgetIdChanged)
    Q_PROPERTY(bool contentVisible READ contentVisible NOTIFY contentVisibleChanged)

public:
    enum class State { Closed, Open };
    Q_ENUM(State)
    using OpenChangeHook = std::function<void(bool opened)>;

    explicit NotchStateManager(QObject* parent = nullptr);

    State state() const { return m_state; }
    bool isOpen() const { return m_state == State::Open; }
    std::optional<QString> activeWidgetId() const { return m_activeWidgetId; }
    bool contentVisible() const { return m_contentVisible; }

    void setState(State state);
    void setActiveWidgetId(const std::optional<QString>& id);
    void setContentVisible(bool visible);
    void setOnOpenChange(OpenChangeHook hook);

    Q_INVOKABLE void open();
    Q_INVOKABLE void close();

Q_SIGNALS:
    void stateChanged();
    void activeWidgetIdChanged();
    void contentVisibleChanged();
    void onOpenChangeChanged();

private:
    QVariant activeWidgetIdVariant() const;
    void setActiveWidgetIdVariant(const QVariant& id);

    State m_state = State::Closed;
    std::optional<QString> m_activeWidgetId;
    bool m_contentVisible = false;
    OpenChangeHook m_onOpenChange;
};
