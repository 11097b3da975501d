#pragma once

#include <QCoreApplication>
#include <QPointer>

#include <utility>

// Asynchronous answers that must reach `owner` only while it lives. Qt 6.4's QFuture::then(context, ...)
// asserts in debug builds when its context dies before the answer, so such calls take the application as
// context and the answer checks its owner here.
template <typename Function> auto whileAlive(QObject* owner, Function function) {
    return [owner = QPointer<QObject>(owner), function = std::move(function)](auto&&... arguments) {
        if (owner)
            function(std::forward<decltype(arguments)>(arguments)...);
    };
}

inline QObject* answerContext() {
    return QCoreApplication::instance();
}
