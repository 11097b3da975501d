#include "Platform/Hardware/MacHardware.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString& path, const QByteArray& contents) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

} // namespace

class MacHardwareTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void displayNames_data() {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unknown") << u"unknown"_s << u"Mac"_s;
        QTest::newRow("Unknown is not unknown") << u"Unknown"_s << u"Unknown"_s;
        QTest::newRow("air 14,15") << u"Mac14,15"_s << u"MacBook Air (Mac14,15)"_s;
        QTest::newRow("no row for Mac15,1") << u"Mac15,1"_s << u"Mac (Mac15,1)"_s;
        QTest::newRow("case-sensitive") << u"macmini9,1"_s << u"macmini9,1"_s;
    }

    void displayNames() {
        QFETCH(QString, identifier);
        QFETCH(QString, expected);
        QCOMPARE(MacHardware::displayName(identifier), expected);
    }

    void identifierFromTheFirmware() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QCOMPARE(MacHardware::readModelIdentifier(root.path()), QStringLiteral("unknown"));

        writeFile(root.filePath("proc/device-tree/model"), QByteArray("Raspberry Pi 4 Model B\0junk", 27));
        QCOMPARE(MacHardware::readModelIdentifier(root.path()), QStringLiteral("Raspberry Pi 4 Model B"));

        writeFile(root.filePath("sys/class/dmi/id/product_name"), " \n");
        QCOMPARE(MacHardware::readModelIdentifier(root.path()), QStringLiteral("Raspberry Pi 4 Model B"));

        writeFile(root.filePath("sys/class/dmi/id/product_name"), "Mac17,3\n");
        QCOMPARE(MacHardware::readModelIdentifier(root.path()), QStringLiteral("Mac17,3"));
        QVERIFY(!MacHardware::modelIdentifier().isEmpty());
    }
};

QTEST_GUILESS_MAIN(MacHardwareTest)
#include "tst_MacHardware.moc"
