#include "Platform/Preferences/JsonPreferences.h"

#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>
#include <csignal>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entriesBeside(const QString& path) {
    return QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class JsonPreferencesTest : public QObject {
    Q_OBJECT

    QTemporaryDir directory;
    QString path;
    int runs = 0;
    QStringList reports;
    DegradedReporter report() {
        return [this](const QString&, const QString& reason, const QString&) { reports.append(reason); };
    }

private Q_SLOTS:
    void init() {
        path = directory.filePath(u"run-%1/nested/preferences.json"_s.arg(++runs));
        reports.clear();
    }

    // Every kind comes back as written at quit. The same value in another form (an int, a QML list, NaN
    // again) is no change, a change of kind is one, and unsupported types are refused.
    void valuesSurviveAReloadAndChangesAreReal() {
        const QHash<QString, QVariant> written{
            {u"tavimor.flag"_s, false},
            {u"tavimor.big"_s, std::numeric_limits<qint64>::min()},
            {u"tavimor.n"_s, qint64(5)},
            {u"tavimor.whole"_s, 2.0},
            {u"tavimor.text"_s, u"bottomTrailing ✓"_s},
            {u"tavimor.emptyText"_s, QString()},
            {u"tavimor.bytes"_s, QByteArray("\x00\xff\n", 3)},
            {u"key/with/slashes"_s, QStringList{u"b/c"_s}},
        };
        {
            JsonPreferences preferences(path);
            for (auto it = written.begin(); it != written.end(); ++it)
                preferences.setValue(it.key(), it.value());
            preferences.setValue(u"tavimor.nan"_s, std::nan(""));
            preferences.setValue(u"tavimor.gone"_s, true);
            QSignalSpy spy(&preferences, &IPreferences::changed);
            preferences.setValue(u"tavimor.flag"_s, false);
            preferences.setValue(u"tavimor.n"_s, 5);
            preferences.setValue(u"tavimor.nan"_s, std::nan(""));
            preferences.setValue(u"key/with/slashes"_s, QVariantList{u"b/c"_s});
            preferences.remove(u"tavimor.missing"_s);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"refusing to store"_s));
            preferences.setValue(u"tavimor.mixed"_s, QVariantList{u"a"_s, 1});
            QCOMPARE(spy.count(), 0);
            preferences.setValue(u"tavimor.whole"_s, 2);
            preferences.setValue(u"tavimor.whole"_s, 2.0);
            preferences.setValue(u"tavimor.gone"_s, QVariant()); // removes
            QCOMPARE(spy.count(), 3);
        }
        JsonPreferences reloaded(path);
        QVERIFY(!reloaded.contains(u"tavimor.gone"_s) && !reloaded.contains(u"tavimor.mixed"_s));
        for (auto it = written.begin(); it != written.end(); ++it) {
            QCOMPARE(reloaded.value(it.key()).typeId(), it.value().typeId());
            QCOMPARE(reloaded.value(it.key()), it.value());
        }
        QVERIFY(std::isnan(reloaded.value(u"tavimor.nan"_s).toDouble()));
    }

    void unreadableFilesGiveDefaultsAndAreKept_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QVariant>("good"); // set when the file is ours: then each bad entry is warned about
        const QByteArray ours = "{\"format\":\"tavimor-preferences\",\"version\":1,\"values\":{";
        QTest::newRow("empty") << QByteArray() << QVariant();
        QTest::newRow("truncated") << ours + "\"a\":{\"ty" << QVariant();
        QTest::newRow("other json") << QByteArray("{\"tavimor.good\": 5}") << QVariant();
        QTest::newRow("other version") << QByteArray(ours).replace(":1,", ":2,") + "}}" << QVariant();
        QTest::newRow("unreadable entries")
            << ours + "\"tavimor.good\":{\"type\":\"integer\",\"value\":3},"
                      "\"tavimor.future\":{\"type\":\"colour\",\"value\":\"#fff\"},"
                      "\"tavimor.wrong\":{\"type\":\"bool\",\"value\":\"yes\"}}}"
            << QVariant(qint64(3));
    }

    // The preferences keep what they can read; the file is left alone until the first change sets it aside.
    void unreadableFilesGiveDefaultsAndAreKept() {
        QFETCH(QByteArray, contents);
        QFETCH(QVariant, good);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
        file.close();

        const QRegularExpression warning(good.isValid() ? u"skipping the unreadable"_s
                                                        : u"from the defaults"_s);
        for (int entry = 0; entry < (good.isValid() ? 2 : 1); ++entry)
            QTest::ignoreMessage(QtWarningMsg, warning);
        JsonPreferences preferences(path);
        QCOMPARE(preferences.value(u"tavimor.good"_s), good);
        QVERIFY(!preferences.contains(u"tavimor.future"_s) && !preferences.contains(u"tavimor.wrong"_s));
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

    // What exists but cannot be read as a preferences file (a folder, a FIFO with no writer, a device without
    // end, an oversized file) gives the defaults at once, is reported, and is not replaced, whatever changes.
    void aFileThatCannotBeReadIsNeverWrittenOver_data() {
        QTest::addColumn<std::function<bool(const QString&)>>("make");
        QTest::newRow("folder") << std::function([](const QString& at) { return QDir().mkpath(at); });
        QTest::newRow("fifo") << std::function([](const QString& at) {
            return QDir().mkpath(QFileInfo(at).path()) && mkfifo(QFile::encodeName(at), 0600) == 0;
        });
        QTest::newRow("device") << std::function([](const QString& at) {
            return QDir().mkpath(QFileInfo(at).path()) && QFile::link("/dev/zero", at);
        });
        QTest::newRow("oversized") << std::function([](const QString& at) {
            QDir().mkpath(QFileInfo(at).path());
            QFile file(at);
            return file.open(QIODevice::WriteOnly) && file.resize(JsonPreferences::maxFileBytes + 1);
        });
    }

    void aFileThatCannotBeReadIsNeverWrittenOver() {
        QFETCH(std::function<bool(const QString&)>, make);
        QVERIFY(make(path));
        const QFileInfo before(path);
        JsonPreferences preferences(path, report());
        preferences.setValue(u"tavimor.kept"_s, true);
        preferences.flush();
        QCOMPARE(preferences.value(u"tavimor.kept"_s), QVariant(true));
        QCOMPARE(reports.size(), 1);
        const QFileInfo after(path);
        QCOMPARE(std::tuple(after.isSymLink(), after.isDir(), after.size()),
                 std::tuple(before.isSymLink(), before.isDir(), before.size()));
        const auto beside = QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;
        QCOMPARE(QFileInfo(path).dir().entryList(beside), QStringList{QFileInfo(path).fileName()});
    }

    // A full disk: the write fails part way, twice, and comes out with the next change.
    void aFailedWriteIsReportedOnceAndRetried() {
        JsonPreferences preferences(path, report());
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
