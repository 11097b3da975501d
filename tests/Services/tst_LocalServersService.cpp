#include "FakeProcessTable.h"
#include "Widgets/LocalServersWidget.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using Rows = QList<QStringList>; // pid-port id and process name of each server, in order

class LocalServersServiceTest : public QObject {
    Q_OBJECT

    static bool write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    static Rows rowsOf(const QList<LocalServer>& servers) {
        Rows rows;
        for (const LocalServer& server : servers)
            rows.append({server.id(), server.processName});
        return rows;
    }

private Q_SLOTS:
    void parsesLsofOutput_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<Rows>("expected");
        const QString id = QStringLiteral("4213-3000"), node = QStringLiteral("node");
        QTest::newRow("IPv4 and IPv6") << "p4213\ncnode\nn*:3000\nn[::1]:3000\n" << Rows{{id, node}};
        QTest::newRow("blocked") << "p1\ncControlCenter\nn*:7000\np2\ncDropbox\nn127.0.0.1:17600\n" << Rows{};
        QTest::newRow("no port number") << "p4213\ncnode\nn*:*\nn[::1]:\n" << Rows{};
        QTest::newRow("same port, two processes, sorted by port")
            << "p9\ncvite\nn*:5173\np20\ncnode\nn127.0.0.1:3000\np10\ncnode\nn[::]:3000\n"
            << Rows{{"10-3000", node}, {"20-3000", node}, {"9-5173", "vite"}};
        QTest::newRow("names with spaces and cut at 15") << "p7\ncWeb Content Pro\nn*:8080\n"
                                                         << Rows{{"7-8080", "Web Content Pro"}};
        QTest::newRow("socket before any process") << "n*:8000\np5\ncpython3\nn*:8001\n"
                                                   << Rows{{"0-8000", ""}, {"5-8001", "python3"}};
        QTest::newRow("unreadable pid") << "pabc\ncnode\nn*:3000\np-1\nn*:3001\n"
                                        << Rows{{"0-3000", node}, {"-1-3001", node}};
        QTest::newRow("garbage") << "\n\nx\nfoo\n:\nn\nc\np\n\x01\xff" << Rows{};
    }

    void parsesLsofOutput() {
        QFETCH(QString, output);
        QTEST(rowsOf(LocalServersService::parse(output)), "expected");
    }

    // A project's name comes only from a small regular package.json holding an object with a non-empty
    // string "name"; anything else falls back to the folder's name, and nothing blocks.
    void namesTheProject() {
        const QByteArray named = R"({"name": "web-shop"})",
                         huge = "{\"pad\": \"" + QByteArray(1 << 20, 'x') + "\"}";
        const std::pair<std::function<bool(const QByteArray&, const QByteArray&)>, const char*> cases[] = {
            {[&](auto& file, auto&) { return write(file, named); }, "web-shop"},
            {[&](auto& file, auto&) { return write(file, R"({"name": ""})"); }, "project"},
            {[&](auto& file, auto&) { return write(file, "{name"); }, "project"},
            {[&](auto& file, auto&) { return write(file, huge); }, "project"},
            {[&](auto& file, auto&) { return mkfifo(file.constData(), 0600) == 0; }, "project"},
            {[&](auto& file, auto&) { return symlink(file.constData(), file.constData()) == 0; }, "project"},
            {[&](auto& file, auto& real) {
                 return write(real, named) && symlink(real, file.constData()) == 0;
             },
             "web-shop"}};
        for (const auto& [make, expected] : cases) {
            QTemporaryDir root;
            QVERIFY(QDir(root.path()).mkdir("project"));
            QVERIFY(make(root.filePath("project/package.json").toLocal8Bit(),
                         root.filePath("real").toLocal8Bit()));
            QCOMPARE(LocalServersService::appName(root.filePath("project")).value_or(QString()), expected);
        }
    }

    // Only a positive pid other than this process's is signalled (with the row's name for the kernel check):
    // not 0 (our process group), -1 (every process) nor our own; every request ends with a refresh.
    void signalsOnlySafePids() {
        for (const qint32 pid : {4242, 0, -1, qint32(getpid())}) {
            auto processes = std::make_shared<FakeProcessTable>();
            processes->sockets = "p4242\ncnode\nn*:3000\n";
            LocalServersWidget widget(processes);
            QSignalSpy rows(&widget, &LocalServersWidget::rowsChanged);
            widget.service()->stopServer({pid, 3000, QStringLiteral("node"), std::nullopt});
            QTRY_VERIFY(!rows.isEmpty());
            QCOMPARE(processes->signalled.value(0).second, pid == 4242 ? QStringLiteral("node") : QString());
        }
    }

    // Random lsof-like output never crashes the parser, and it yields unique rows sorted by port.
    // TAVIMOR_FUZZ_ITERATIONS sets the count (a short run by default).
    void fuzzParser() {
        const int asked = qEnvironmentVariableIntValue("TAVIMOR_FUZZ_ITERATIONS");
        const int iterations = asked > 0 ? asked : 20000;
        QRandomGenerator random(20261206);
        const QString alphabet = QStringLiteral("pcnf0123456789:*[]-+. \n\x7f\u00e9\U0001F600abcx");
        for (int i = 0; i < iterations; ++i) {
            QString input;
            const int length = random.bounded(80);
            for (int c = 0; c < length; ++c)
                input += random.bounded(4) == 0 ? QStringLiteral("\nn*:")
                                                : QString(alphabet.at(random.bounded(alphabet.size())));
            const auto servers = LocalServersService::parse(input);
            QSet<QString> ids;
            for (qsizetype n = 0; n < servers.size(); ++n) {
                QVERIFY(n == 0 || servers.at(n - 1).port <= servers.at(n).port);
                ids.insert(servers.at(n).id());
            }
            QCOMPARE(ids.size(), servers.size());
        }
    }
};

QTEST_GUILESS_MAIN(LocalServersServiceTest)
#include "tst_LocalServersService.moc"
