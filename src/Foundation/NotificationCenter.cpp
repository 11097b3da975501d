#include "Foundation/NotificationCenter.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

NotificationCenter::NotificationCenter(QObject* parent)
    : QObject(parent) {}

NotificationCenter& NotificationCenter::shared() {
    // Lives for the process; it owns no window or other object that must go before the application.
    static auto* const instance = new NotificationCenter;
    return *instance;
}

NotificationCenter::Token NotificationCenter::addObserver(const QString& name, QObject* context,
                                                          Handler handler) {
    const QMutexLocker lock(&m_mutex);
    const Token token = m_nextToken++;
    m_observers.insert(token, {name, context, context != nullptr, std::move(handler)});
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    const QMutexLocker lock(&m_mutex);
    m_observers.remove(token);
}

void NotificationCenter::post(const QString& name) {
    const QList<Token> tokens = observersOf(name);
    if (tokens.isEmpty())
        return;
    if (QThread::currentThread() == thread())
        deliver(tokens);
    else
        QMetaObject::invokeMethod(
            this, [this, tokens] { deliver(tokens); }, Qt::QueuedConnection);
}

QList<NotificationCenter::Token> NotificationCenter::observersOf(const QString& name) const {
    const QMutexLocker lock(&m_mutex);
    QList<Token> tokens;
    for (auto it = m_observers.cbegin(); it != m_observers.cend(); ++it) {
        if (it->name == name)
            tokens.append(it.key());
    }
    std::sort(tokens.begin(), tokens.end()); // in the order the observers were added
    return tokens;
}

void NotificationCenter::deliver(const QList<Token>& tokens) {
    for (const Token token : tokens) {
        Handler handler;
        {
            const QMutexLocker lock(&m_mutex);
            const auto found = m_observers.constFind(token);
            if (found == m_observers.cend())
                continue; // removed since the post
            if (found->hasContext && !found->context) {
                m_observers.remove(token);
                continue;
            }
            handler = found->handler;
        }
        handler();
    }
}
