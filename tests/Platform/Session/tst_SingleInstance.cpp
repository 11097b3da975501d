#include "Platform/Session/SingleInstance.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// Without a session bus, the lock file in the runtime folder decides: one held by this user's other copy
// stops the start, one another user made and holds does not.
class TestSingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theLockFileDecides_data() {
        QTest::addColumn<bool>("othersFile");
        QTest::addColumn<bool>("first");
        QTest::newRow("held by this user") << false << false;
        QTest::newRow("held by another user") << true << true;
    }

    void theLockFileDecides() {
        QFETCH(bool, othersFile);
        QFETCH(bool, first);
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        const QByteArray path = QFile::encodeName(runtime.filePath("tavimor.lock"));
        const int held = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
        if (othersFile && ::fchown(held, 65534, 65534) != 0)
            QSKIP("giving a file to another user needs root");
        QCOMPARE(SingleInstance(QDBusConnection(QString())).isFirst(), first);
        ::close(held);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_SingleInstance.moc"
