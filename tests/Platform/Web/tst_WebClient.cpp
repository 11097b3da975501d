#include "LoopbackHttpServer.h"
#include "Platform/Web/WebClient.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using Failure = WebResponse::Failure;

class TestWebClient : public QObject {
    Q_OBJECT

    std::optional<WebResponse> fetch(WebClient& client, const QUrl& url, const QByteArray& authorization = {},
                                     int timeoutMs = 5000, qint64 maxBody = 1 << 20) {
        WebRequest request;
        request.url = url;
        request.timeoutMs = timeoutMs;
        request.maxBodyBytes = maxBody;
        if (!authorization.isEmpty())
            request.headers.append({"Authorization", authorization});
        std::optional<WebResponse> answer;
        client.send(request, this, [&](const WebResponse& response) { answer = response; });
        if (!QTest::qWaitFor([&] { return answer.has_value(); }, 10000))
            return std::nullopt;
        return answer;
    }

private Q_SLOTS:
    void answers_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<qint64>("maxBody");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("failure");
        QTest::addColumn<QByteArray>("body");
        const QByteArray big(4096, 'x');
        QTest::newRow("ok") << LoopbackHttpServer::reply(200, "{}") << 1024LL << 200 << int(Failure::none)
                            << QByteArray("{}");
        QTest::newRow("unauthorised is a status, not a transport failure")
            << LoopbackHttpServer::reply(401, "no") << 1024LL << 401 << int(Failure::none)
            << QByteArray("no");
        QTest::newRow("announced length over the cap")
            << LoopbackHttpServer::reply(200, big) << 1024LL << 200 << int(Failure::tooLarge) << big.left(0);
        QTest::newRow("unannounced body over the cap")
            << "HTTP/1.1 500 X\r\nConnection: close\r\n\r\n" + big << 1024LL << 500 << int(Failure::tooLarge)
            << big.left(1024);
    }
    void answers() {
        QFETCH(QByteArray, answer);
        QFETCH(qint64, maxBody);
        LoopbackHttpServer server;
        server.answer = answer;
        WebClient client;
        const auto response = fetch(client, server.url(), {}, 5000, maxBody);
        QVERIFY(response);
        QTEST(response->status, "status");
        QTEST(int(response->failure), "failure");
        QVERIFY(response->body.size() <= maxBody);
        if (response->failure == Failure::none)
            QTEST(response->body, "body");
    }

    void retryAfterHeaderIsReadable() {
        LoopbackHttpServer server;
        server.answer = LoopbackHttpServer::reply(429, {}, "Retry-After: 30\r\n");
        WebClient client;
        const auto response = fetch(client, server.url());
        QVERIFY(response);
        QCOMPARE(response->header("retry-after"), QByteArray("30"));
    }

    void tokenNeverFollowsARedirectToAnotherOrigin() {
        LoopbackHttpServer elsewhere;
        elsewhere.answer = LoopbackHttpServer::reply(200, "stolen");
        LoopbackHttpServer server;
        server.answer =
            LoopbackHttpServer::reply(302, {}, "Location: " + elsewhere.url().toEncoded() + "\r\n");
        WebClient client;
        const auto response = fetch(client, server.url(), "Bearer secret");
        QVERIFY(response);
        QCOMPARE(response->failure, Failure::redirectRefused);
        QVERIFY(elsewhere.requests.isEmpty());
    }

    void silentServerTimesOutAndRefusedPortFails() {
        LoopbackHttpServer server;
        server.silent = true;
        WebClient client;
        auto response = fetch(client, server.url(), {}, 200);
        QVERIFY(response);
        QCOMPARE(response->failure, Failure::timeout);
        QCOMPARE(response->status, 0);

        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost, 0);
        const quint16 port = closed.serverPort();
        closed.close();
        response = fetch(client, QUrl(u"http://127.0.0.1:%1/"_s.arg(port)));
        QVERIFY(response);
        QCOMPARE(response->failure, Failure::transport);
        QCOMPARE(response->status, 0);
    }

    void answerForAGoneContextIsDropped() {
        LoopbackHttpServer server;
        WebClient client;
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
        QTest::newRow("tab refused") << u"ab\tc"_s << QByteArray();
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
