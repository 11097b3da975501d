#include "Platform/Hardware/MacHardware.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class MacHardwareTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Only the exact "unknown" is no model; Mac15,1 has no row of its own; the prefixes are case-sensitive.
    void displayNames() {
        const std::pair<const char*, const char*> cases[] = {{"unknown", "Mac"},
                                                             {"Unknown", "Unknown"},
                                                             {"Mac14,15", "MacBook Air (Mac14,15)"},
                                                             {"Mac15,1", "Mac (Mac15,1)"},
                                                             {"macmini9,1", "macmini9,1"}};
        for (const auto& [identifier, expected] : cases)
            QCOMPARE(MacHardware::displayName(identifier), QString(expected));
    }

    // The DMI product name wins over the device-tree model unless it is blank; the device tree ends at a NUL.
    void identifierFromTheFirmware() {
        QTemporaryDir root;
        const auto write = [&](const QString& path, const QByteArray& contents) {
            QDir().mkpath(QFileInfo(root.filePath(path)).absolutePath());
            QFile file(root.filePath(path));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(contents);
        };
        QCOMPARE(MacHardware::readModelIdentifier(root.path()), QStringLiteral("unknown"));
        write("proc/device-tree/model", QByteArray("Raspberry Pi 4 Model B\0junk", 27));
        QCOMPARE(MacHardware::readModelIdentifier(root.path()), QStringLiteral("Raspberry Pi 4 Model B"));
        write("sys/class/dmi/id/product_name", " \n");
        QCOMPARE(MacHardware::readModelIdentifier(root.path()), QStringLiteral("Raspberry Pi 4 Model B"));
        write("sys/class/dmi/id/product_name", "Mac17,3\n");
        QCOMPARE(MacHardware::readModelIdentifier(root.path()), QStringLiteral("Mac17,3"));
    }
};

QTEST_GUILESS_MAIN(MacHardwareTest)
#include "tst_MacHardware.moc"
