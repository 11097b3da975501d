#include "AnswerOf.h"
#include "LoopbackHttpServer.h"
#include "Platform/Web/WebClient.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using Failure = WebResponse::Failure;

class TestWebClient : public QObject {
    Q_OBJECT

    WebClient client;

    // The answer to one request with a body cap of 1 KiB.
    WebResponse fetch(const QUrl& url, const QByteArray& authorization = {}, int timeoutMs = 5000) {
        WebRequest request;
        request.url = url;
        request.timeoutMs = timeoutMs;
        request.maxBodyBytes = 1024;
        if (!authorization.isEmpty())
            request.headers.append({"Authorization", authorization});
        return answerOf<WebResponse>([&](auto done) { client.send(request, this, done); }, 10000);
    }

private Q_SLOTS:
    // Each answer's status and failure; a body within the cap arrives whole, a longer one never past it.
    void answers_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("failure");
        const QByteArray big(4096, 'x');
        QTest::newRow("ok") << LoopbackHttpServer::reply(200, "{}") << 200 << int(Failure::none);
        QTest::newRow("refusal is a status, not a transport failure; its headers readable")
            << LoopbackHttpServer::reply(429, "no", "Retry-After: 30\r\n") << 429 << int(Failure::none);
        QTest::newRow("announced length over the cap")
            << LoopbackHttpServer::reply(200, big) << 200 << int(Failure::tooLarge);
        QTest::newRow("unannounced body over the cap")
            << "HTTP/1.1 500 X\r\nConnection: close\r\n\r\n" + big << 500 << int(Failure::tooLarge);
    }
    void answers() {
        QFETCH(QByteArray, answer);
        LoopbackHttpServer server;
        server.answer = answer;
        const WebResponse response = fetch(server.url());
        QTEST(response.status, "status");
        QTEST(int(response.failure), "failure");
        QVERIFY(response.body.size() <= 1024);
        if (response.failure == Failure::none)
            QCOMPARE(response.body, answer.mid(answer.indexOf("\r\n\r\n") + 4));
        QCOMPARE(response.header("retry-after"), QByteArray(response.status == 429 ? "30" : ""));
    }

    void tokenNeverFollowsARedirectToAnotherOrigin() {
        LoopbackHttpServer elsewhere;
        elsewhere.answer = LoopbackHttpServer::reply(200, "stolen");
        LoopbackHttpServer server;
        server.answer =
            LoopbackHttpServer::reply(302, {}, "Location: " + elsewhere.url().toEncoded() + "\r\n");
        const WebResponse response = fetch(server.url(), "Bearer secret");
        QCOMPARE(response.failure, Failure::redirectRefused);
        QVERIFY(elsewhere.requests.isEmpty());
    }

    // Every failure the user can meet has its own Portuguese text; the network layer's wording (English) is
    // kept apart for the log. None of these has a status.
    void failuresReadInPortuguese_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("text");
        QTest::newRow("silence") << QByteArray() << int(Failure::timeout)
                                 << u"o servidor não respondeu a tempo"_s;
        QTest::newRow("closed port") << QByteArray("refused") << int(Failure::refused)
                                     << u"o servidor recusou a conexão"_s;
        QTest::newRow("hung up without an answer")
            << QByteArray("hang up") << int(Failure::transport) << u"sem conexão com o servidor"_s;
    }
    void failuresReadInPortuguese() {
        QFETCH(QByteArray, answer);
        auto server = std::make_unique<LoopbackHttpServer>();
        server->silent = answer.isEmpty();
        server->answer = "";
        const QUrl url = server->url();
        if (answer == "refused")
            server.reset(); // nothing listens on its port any more
        const WebResponse response = fetch(url, {}, 300);
        QCOMPARE(response.status, 0);
        QTEST(int(response.failure), "failure");
        QTEST(WebResponse::describe(response.failure), "text");
        QVERIFY(!response.errorText.isEmpty() &&
                response.errorText != WebResponse::describe(response.failure));
    }

    void answerForAGoneContextIsDropped() {
        LoopbackHttpServer server;
        auto* context = new QObject;
        bool called = false;
        WebRequest request;
        request.url = server.url();
        client.send(request, context, [&](const WebResponse&) { called = true; });
        delete context;
        QTest::qWait(300);
        QVERIFY(!server.requests.isEmpty());
        QVERIFY(!called);
    }

    void bearerAuthorization_data() {
        QTest::addColumn<QString>("token");
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("plain") << u"abc"_s << QByteArray("Bearer abc");
        QTest::newRow("trailing line break trimmed") << u" abc\r\n"_s << QByteArray("Bearer abc");
        QTest::newRow("inner line break refused") << u"abc\r\nX-Evil: 1"_s << QByteArray();
        QTest::newRow("C1 control refused") << u"ab\u0085c"_s << QByteArray();
        QTest::newRow("empty") << u"  "_s << QByteArray();
    }
    void bearerAuthorization() {
        QFETCH(QString, token);
        QTEST(WebClient::bearerAuthorization(token).value_or(QByteArray()), "header");
    }
};

QTEST_GUILESS_MAIN(TestWebClient)
#include "tst_WebClient.moc"
