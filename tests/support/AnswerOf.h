#pragma once

#include <QTest>

#include <optional>

// Starts a call that answers through a completion and waits, serving events, for its one answer.
template <typename Result, typename Start> Result answerOf(Start start, int timeoutMs = 60000) {
    std::optional<Result> answer;
    start([&](const Result& result) { answer = result; });
    if (!QTest::qWaitFor([&] { return answer.has_value(); }, timeoutMs))
        qFatal("no answer in time");
    return *answer;
}
