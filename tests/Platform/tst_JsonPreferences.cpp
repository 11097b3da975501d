#include "Platform/JsonPreferences.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <limits>

namespace {

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& contents) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(contents), contents.size());
}

QStringList entriesBeside(const QString& path) {
    return QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Limits the size of files this process may write, so that a write fails part way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

} // namespace

class JsonPreferencesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir directory;
    QString path;

private Q_SLOTS:
    void init() {
        QVERIFY(directory.isValid());
        path = directory.filePath(QStringLiteral("nested/preferences.json"));
        QDir(directory.path()).removeRecursively();
        QDir().mkpath(directory.path());
    }

    void everyTypeSurvivesAReload() {
        const QHash<QString, QVariant> written{
            {QStringLiteral("tavimor.flag"), true},
            {QStringLiteral("tavimor.off"), false},
            {QStringLiteral("tavimor.minutes"), 5},
            {QStringLiteral("tavimor.zero"), 0},
            {QStringLiteral("tavimor.big"), std::numeric_limits<qint64>::min()},
            {QStringLiteral("tavimor.ratio"), 5.9},
            {QStringLiteral("tavimor.whole"), 2.0},
            {QStringLiteral("tavimor.text"), QStringLiteral("bottomTrailing ✓")},
            {QStringLiteral("tavimor.emptyText"), QString()},
            {QStringLiteral("tavimor.list"), QStringList{QStringLiteral("a"), QStringLiteral("b/c")}},
            {QStringLiteral("tavimor.one"), QStringList{QStringLiteral("only")}},
            {QStringLiteral("tavimor.none"), QStringList{}},
            {QStringLiteral("tavimor.bytes"), QByteArray("\x00\xff\n", 3)},
            {QStringLiteral("key/with/slashes"), QStringLiteral("kept")},
        };
        {
            JsonPreferences preferences(path);
            for (auto it = written.begin(); it != written.end(); ++it)
                preferences.setValue(it.key(), it.value());
            preferences.setValue(QStringLiteral("tavimor.nan"), std::numeric_limits<double>::quiet_NaN());
            preferences.setValue(QStringLiteral("tavimor.inf"), -std::numeric_limits<double>::infinity());
            preferences.setValue(QStringLiteral("tavimor.fromQml"),
                                 QVariantList{QStringLiteral("x"), QStringLiteral("y")});
        }
        JsonPreferences reloaded(path);
        for (auto it = written.begin(); it != written.end(); ++it) {
            const QVariant value = reloaded.value(it.key());
            QVERIFY2(reloaded.contains(it.key()), qPrintable(it.key()));
            QCOMPARE(value, it.value());
            const bool integral = it.value().typeId() == QMetaType::Int;
            QCOMPARE(value.typeId(), integral ? int(QMetaType::LongLong) : it.value().typeId());
        }
        QVERIFY(std::isnan(reloaded.value(QStringLiteral("tavimor.nan")).toDouble()));
        QCOMPARE(reloaded.value(QStringLiteral("tavimor.inf")).toDouble(),
                 -std::numeric_limits<double>::infinity());
        QCOMPARE(reloaded.value(QStringLiteral("tavimor.fromQml")),
                 QVariant(QStringList{QStringLiteral("x"), QStringLiteral("y")}));
        QVERIFY(!reloaded.contains(QStringLiteral("tavimor.absent")));
        QVERIFY(!reloaded.value(QStringLiteral("tavimor.absent")).isValid());
    }

    void removalSurvivesAReload() {
        {
            JsonPreferences preferences(path);
            preferences.setValue(QStringLiteral("tavimor.a"), 1);
            preferences.setValue(QStringLiteral("tavimor.b"), 2);
            preferences.remove(QStringLiteral("tavimor.a"));
            preferences.setValue(QStringLiteral("tavimor.b"), QVariant());
        }
        JsonPreferences reloaded(path);
        QVERIFY(!reloaded.contains(QStringLiteral("tavimor.a")));
        QVERIFY(!reloaded.contains(QStringLiteral("tavimor.b")));
    }

    void changedOnlyOnRealChanges() {
        JsonPreferences preferences(path);
        QSignalSpy spy(&preferences, &IPreferences::changed);
        const QString key = QStringLiteral("tavimor.appearanceMode");
        preferences.setValue(key, QStringLiteral("dark"));
        preferences.setValue(key, QStringLiteral("dark"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), key);
        preferences.setValue(QStringLiteral("tavimor.n"), 5);
        preferences.setValue(QStringLiteral("tavimor.n"), qint64(5));
        preferences.setValue(QStringLiteral("tavimor.n"), 5.0); // a change of kind is a change
        preferences.setValue(QStringLiteral("tavimor.nan"), std::nan(""));
        preferences.setValue(QStringLiteral("tavimor.nan"), std::nan(""));
        preferences.remove(QStringLiteral("tavimor.missing"));
        preferences.setValue(QStringLiteral("tavimor.list"), QStringList{});
        preferences.setValue(QStringLiteral("tavimor.list"), QVariantList{});
        QCOMPARE(spy.count(), 5);
    }

    void unsupportedTypesAreRefused() {
        JsonPreferences preferences(path);
        QSignalSpy spy(&preferences, &IPreferences::changed);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("refusing to store")));
        preferences.setValue(QStringLiteral("tavimor.when"), QDateTime::currentDateTimeUtc());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("refusing to store")));
        preferences.setValue(QStringLiteral("tavimor.mixed"), QVariantList{QStringLiteral("a"), 1});
        QVERIFY(!preferences.contains(QStringLiteral("tavimor.when")));
        QVERIFY(!preferences.contains(QStringLiteral("tavimor.mixed")));
        QCOMPARE(spy.count(), 0);
        QVERIFY(!QFile::exists(path));
    }

    void unreadableFilesGiveDefaultsAndAreKept_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated") << QByteArray(
            "{\"format\":\"tavimor-preferences\",\"version\":1,\"values\":{\"tavimor.a\":{\"type\":\"bo");
        QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n\x00\x01", 10);
        QTest::newRow("other json") << QByteArray("{\"tavimor.blinkIntervalMin\": 5}");
        QTest::newRow("other version")
            << QByteArray("{\"format\":\"tavimor-preferences\",\"version\":2,\"values\":{}}");
        QTest::newRow("top-level array") << QByteArray("[1,2,3]");
    }

    void unreadableFilesGiveDefaultsAndAreKept() {
        QFETCH(QByteArray, contents);
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeFile(path, contents);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("starting from the defaults")));
        {
            JsonPreferences preferences(path);
            QVERIFY(!preferences.contains(QStringLiteral("tavimor.blinkIntervalMin")));
            preferences.remove(QStringLiteral("tavimor.absent")); // no change, no write
        }
        QCOMPARE(contentsOf(path), contents);
        QCOMPARE(entriesBeside(path).size(), 1);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("starting from the defaults")));
        JsonPreferences preferences(path);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("was kept as")));
        preferences.setValue(QStringLiteral("tavimor.blinkIntervalMin"), 7);

        const QStringList files = entriesBeside(path);
        QCOMPARE(files.size(), 2);
        const QString aside = files.at(0) == QLatin1String("preferences.json") ? files.at(1) : files.at(0);
        QVERIFY2(aside.startsWith(QLatin1String("preferences.json.corrupt-")), qPrintable(aside));
        QCOMPARE(contentsOf(QFileInfo(path).dir().filePath(aside)), contents);
        QCOMPARE(JsonPreferences(path).value(QStringLiteral("tavimor.blinkIntervalMin")),
                 QVariant(qint64(7)));
    }

    void oneUnreadableEntryKeepsTheRestAndTheOriginal() {
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QByteArray contents =
            "{\"format\":\"tavimor-preferences\",\"version\":1,\"values\":{\n"
            "            \"tavimor.good\":{\"type\":\"integer\",\"value\":3},\n"
            "            \"tavimor.future\":{\"type\":\"colour\",\"value\":\"#fff\"},\n"
            "            \"tavimor.wrong\":{\"type\":\"bool\",\"value\":\"yes\"}}}";
        writeFile(path, contents);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("skipping the unreadable entry")));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("skipping the unreadable entry")));
        JsonPreferences preferences(path);
        QCOMPARE(preferences.value(QStringLiteral("tavimor.good")), QVariant(qint64(3)));
        QVERIFY(!preferences.contains(QStringLiteral("tavimor.future")));
        QVERIFY(!preferences.contains(QStringLiteral("tavimor.wrong")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("was kept as")));
        preferences.setValue(QStringLiteral("tavimor.good"), 4);
        QCOMPARE(entriesBeside(path).size(), 2);
    }

    void aFailedWriteLeavesThePreviousFileWhole() {
        {
            JsonPreferences preferences(path);
            preferences.setValue(QStringLiteral("tavimor.kept"), QStringLiteral("before"));
        }
        const QByteArray before = contentsOf(path);
        QVERIFY(!before.isEmpty());

        JsonPreferences preferences(path);
        {
            FileSizeLimit limit(rlim_t(before.size() + 64));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot write")));
            preferences.setValue(QStringLiteral("tavimor.large"), QString(4096, QLatin1Char('x')));
        }
        QCOMPARE(preferences.value(QStringLiteral("tavimor.large")).toString().size(), 4096);
        QCOMPARE(contentsOf(path), before);
        QCOMPARE(entriesBeside(path), QStringList{QStringLiteral("preferences.json")});

        preferences.setValue(QStringLiteral("tavimor.after"), true); // the next write brings everything out
        JsonPreferences reloaded(path);
        QCOMPARE(reloaded.value(QStringLiteral("tavimor.large")).toString().size(), 4096);
        QCOMPARE(reloaded.value(QStringLiteral("tavimor.kept")), QVariant(QStringLiteral("before")));
    }
};

QTEST_GUILESS_MAIN(JsonPreferencesTest)
#include "tst_JsonPreferences.moc"
