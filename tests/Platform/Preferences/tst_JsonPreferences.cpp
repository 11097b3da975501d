#include "Platform/Preferences/JsonPreferences.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& contents) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(contents), contents.size());
}

QStringList entriesBeside(const QString& path) {
    return QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

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

    // Every kind comes back as written (a QML list as a string list, an int as 64-bit); a removal persists;
    // `changed` fires on real changes only (a change of kind is one), and unsupported types are refused.
    void valuesSurviveAReloadAndChangesAreReal() {
        const QHash<QString, QVariant> written{
            {u"tavimor.flag"_s, false},
            {u"tavimor.big"_s, std::numeric_limits<qint64>::min()},
            {u"tavimor.whole"_s, 2.0},
            {u"tavimor.text"_s, u"bottomTrailing ✓"_s},
            {u"tavimor.emptyText"_s, QString()},
            {u"tavimor.bytes"_s, QByteArray("\x00\xff\n", 3)},
            {u"key/with/slashes"_s, QStringList{u"b/c"_s}},
        };
        {
            JsonPreferences preferences(path);
            QSignalSpy spy(&preferences, &IPreferences::changed);
            for (auto it = written.begin(); it != written.end(); ++it)
                preferences.setValue(it.key(), it.value());
            QCOMPARE(spy.count(), written.size());
            preferences.setValue(u"tavimor.flag"_s, false);
            preferences.setValue(u"tavimor.n"_s, 5);
            preferences.setValue(u"tavimor.n"_s, qint64(5));
            preferences.setValue(u"tavimor.nan"_s, std::nan(""));
            preferences.setValue(u"tavimor.nan"_s, std::nan(""));
            preferences.setValue(u"tavimor.list"_s, QVariantList{u"x"_s});
            preferences.setValue(u"tavimor.list"_s, QStringList{u"x"_s});
            preferences.remove(u"tavimor.missing"_s);
            QCOMPARE(spy.count(), written.size() + 3);
            preferences.setValue(u"tavimor.whole"_s, 2); // a change of kind is a change
            preferences.setValue(u"tavimor.whole"_s, 2.0);
            preferences.setValue(u"tavimor.gone"_s, true);
            preferences.setValue(u"tavimor.gone"_s, QVariant()); // removes
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"refusing to store"_s));
            preferences.setValue(u"tavimor.mixed"_s, QVariantList{u"a"_s, 1});
            QCOMPARE(spy.count(), written.size() + 7);
        }
        JsonPreferences reloaded(path);
        QVERIFY(!reloaded.contains(u"tavimor.gone"_s) && !reloaded.contains(u"tavimor.mixed"_s));
        for (auto it = written.begin(); it != written.end(); ++it) {
            QCOMPARE(reloaded.value(it.key()).typeId(), it.value().typeId());
            QCOMPARE(reloaded.value(it.key()), it.value());
        }
        QCOMPARE(reloaded.value(u"tavimor.n"_s), QVariant(qint64(5)));
        QVERIFY(std::isnan(reloaded.value(u"tavimor.nan"_s).toDouble()));
        QCOMPARE(reloaded.value(u"tavimor.list"_s), QVariant(QStringList{u"x"_s}));
    }

    void unreadableFilesGiveDefaultsAndAreKept_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QVariant>("good");
        const QString defaults = u"starting from the defaults"_s;
        QTest::newRow("empty") << QByteArray() << defaults << QVariant();
        QTest::newRow("truncated")
            << QByteArray("{\"format\":\"tavimor-preferences\",\"version\":1,\"values\":{\"a\":{\"ty")
            << defaults << QVariant();
        QTest::newRow("other json") << QByteArray("{\"tavimor.good\": 5}") << defaults << QVariant();
        QTest::newRow("other version")
            << QByteArray("{\"format\":\"tavimor-preferences\",\"version\":2,\"values\":{}}") << defaults
            << QVariant();
        QTest::newRow("unreadable entries")
            << QByteArray("{\"format\":\"tavimor-preferences\",\"version\":1,\"values\":{"
                          "\"tavimor.good\":{\"type\":\"integer\",\"value\":3},"
                          "\"tavimor.future\":{\"type\":\"colour\",\"value\":\"#fff\"},"
                          "\"tavimor.wrong\":{\"type\":\"bool\",\"value\":\"yes\"}}}")
            << u"skipping the unreadable entry"_s << QVariant(qint64(3));
    }

    // The preferences keep what they can read; the file is left alone until the first change sets it aside.
    void unreadableFilesGiveDefaultsAndAreKept() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, warning);
        QFETCH(QVariant, good);
        writeFile(path, contents);

        for (int entry = 0; entry < (good.isValid() ? 2 : 1); ++entry)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
        JsonPreferences preferences(path);
        QCOMPARE(preferences.value(u"tavimor.good"_s), good);
        QVERIFY(!preferences.contains(u"tavimor.future"_s) && !preferences.contains(u"tavimor.wrong"_s));
        preferences.remove(u"tavimor.absent"_s); // no change, no write
        QCOMPARE(contentsOf(path), contents);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"was kept as"_s));
        preferences.setValue(u"tavimor.new"_s, 7);
        preferences.flush();
        const QStringList files = entriesBeside(path);
        QCOMPARE(files.size(), 2);
        QVERIFY2(files.at(1).startsWith(u"preferences.json.corrupt-"_s), qPrintable(files.at(1)));
        QCOMPARE(contentsOf(QFileInfo(path).dir().filePath(files.at(1))), contents);
        QCOMPARE(JsonPreferences(path).value(u"tavimor.new"_s), QVariant(qint64(7)));
    }

    // A drag of a slider costs one write, half a second after its last step.
    void changesAreWrittenTogetherAfterAPause() {
        JsonPreferences preferences(path);
        for (int step = 0; step <= 20; ++step)
            preferences.setValue(u"tavimor.opacity"_s, step);
        QTest::qWait(JsonPreferences::writeDelayMs / 2);
        QVERIFY(!QFile::exists(path));
        QTRY_VERIFY(QFile::exists(path));
        QCOMPARE(JsonPreferences(path).value(u"tavimor.opacity"_s), QVariant(qint64(20)));
    }

    // A file that exists but cannot be opened is not replaced, whatever changes.
    void aFileThatCannotBeReadIsNeverWrittenOver() {
        QVERIFY(QDir().mkpath(path));
        QStringList reports;
        JsonPreferences preferences(
            path, [&](const QString&, const QString& reason, const QString&) { reports.append(reason); });
        preferences.setValue(u"tavimor.kept"_s, true);
        preferences.setValue(u"tavimor.other"_s, 2);
        preferences.flush();
        QCOMPARE(preferences.value(u"tavimor.kept"_s), QVariant(true));
        QCOMPARE(reports.size(), 1);
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(entriesBeside(path), QStringList());
    }

    // A full disk: the write fails part way, twice, and comes out with the next change.
    void aFailedWriteIsReportedOnceAndRetried() {
        QStringList reports;
        JsonPreferences preferences(
            path, [&](const QString&, const QString& reason, const QString&) { reports.append(reason); });
        preferences.setValue(u"tavimor.kept"_s, u"before"_s);
        preferences.flush();
        const QByteArray before = contentsOf(path);
        QVERIFY(!before.isEmpty());
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limited{rlim_t(before.size() + 64), saved.rlim_max};
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limited);
        for (int attempt = 0; attempt < 2; ++attempt) {
            preferences.setValue(u"tavimor.large"_s, QString(4096 + attempt, u'x'));
            preferences.flush();
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        QCOMPARE(reports.size(), 1);
        QCOMPARE(contentsOf(path), before);
        QCOMPARE(entriesBeside(path), QStringList{u"preferences.json"_s});

        preferences.setValue(u"tavimor.after"_s, true);
        preferences.flush();
        JsonPreferences reloaded(path);
        QCOMPARE(reloaded.value(u"tavimor.large"_s).toString().size(), 4097);
        QCOMPARE(reloaded.value(u"tavimor.kept"_s), QVariant(u"before"_s));
    }
};

QTEST_GUILESS_MAIN(JsonPreferencesTest)
#include "tst_JsonPreferences.moc"
