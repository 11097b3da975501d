#include "Platform/MacHardware.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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
        QTest::newRow("unknown") << "unknown"
                                 << "Mac";
        QTest::newRow("air 14,2") << "Mac14,2"
                                  << "MacBook Air (Mac14,2)";
        QTest::newRow("air 14,15") << "Mac14,15"
                                   << "MacBook Air (Mac14,15)";
        QTest::newRow("pro 15,3") << "Mac15,3"
                                  << "MacBook Pro (Mac15,3)";
        QTest::newRow("pro 15,11") << "Mac15,11"
                                   << "MacBook Pro (Mac15,11)";
        QTest::newRow("air 17,3") << "Mac17,3"
                                  << "MacBook Air (Mac17,3)";
        QTest::newRow("air 17,30") << "Mac17,30"
                                   << "MacBook Air (Mac17,30)";
        QTest::newRow("air family") << "MacBookAir10,1"
                                    << "MacBook Air";
        QTest::newRow("pro family") << "MacBookPro18,3"
                                    << "MacBook Pro";
        QTest::newRow("mini") << "Macmini9,1"
                              << "Mac mini (Macmini9,1)";
        QTest::newRow("mini 14,12") << "Mac14,12"
                                    << "Mac mini (Mac14,12)";
        QTest::newRow("studio") << "Mac14,13"
                                << "Mac Studio (Mac14,13)";
        QTest::newRow("pro desktop") << "MacPro7,1"
                                     << "Mac Pro (MacPro7,1)";
        QTest::newRow("pro 14,8") << "Mac14,8"
                                  << "Mac Pro (Mac14,8)";
        QTest::newRow("imac") << "iMac21,1"
                              << "iMac (iMac21,1)";
        QTest::newRow("imac 15,5") << "Mac15,5"
                                   << "iMac (Mac15,5)";
        QTest::newRow("other mac") << "Mac16,1"
                                   << "Mac (Mac16,1)";
        QTest::newRow("no row for Mac15,1") << "Mac15,1"
                                            << "Mac (Mac15,1)";
        QTest::newRow("case-sensitive") << "macmini9,1"
                                        << "macmini9,1";
        QTest::newRow("not a mac") << "VirtualMac2,1"
                                   << "VirtualMac2,1";
        QTest::newRow("pc") << "ThinkPad X1 Carbon"
                            << "ThinkPad X1 Carbon";
        QTest::newRow("Unknown is not unknown") << "Unknown"
                                                << "Unknown";
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
        QCOMPARE(MacHardware::modelIdentifier(), MacHardware::modelIdentifier());
    }
};

QTEST_GUILESS_MAIN(MacHardwareTest)
#include "tst_MacHardware.moc"
