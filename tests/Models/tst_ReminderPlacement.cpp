#include "Models/ReminderPlacement.h"
#include "Platform/Screens/QtScreens.h"

#include <QtTest>

Q_DECLARE_METATYPE(ReminderPosition)

class ReminderPlacementTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Panels of 72 x 132 with the 24 px margin, on a 1920 x 1080 screen at x 100 whose visible frame loses
    // a 30 px bar at the bottom, with and without the notch.
    void origin_data() {
        QTest::addColumn<ReminderPosition>("position");
        QTest::addColumn<bool>("notched");
        QTest::addColumn<QPointF>("expected");
        QTest::newRow("top, no notch") << ReminderPosition::top << false << QPointF(1024, 24);
        QTest::newRow("top, notch: 36 below the top, then the margin")
            << ReminderPosition::top << true << QPointF(1024, 60);
        QTest::newRow("top leading") << ReminderPosition::topLeading << false << QPointF(124, 24);
        QTest::newRow("top trailing") << ReminderPosition::topTrailing << true << QPointF(1924, 60);
        QTest::newRow("leading") << ReminderPosition::leading << false << QPointF(124, 459);
        QTest::newRow("centre ignores the notch") << ReminderPosition::center << true << QPointF(1024, 459);
        QTest::newRow("trailing") << ReminderPosition::trailing << false << QPointF(1924, 459);
        QTest::newRow("bottom leading") << ReminderPosition::bottomLeading << false << QPointF(124, 894);
        QTest::newRow("bottom") << ReminderPosition::bottom << true << QPointF(1024, 894);
        QTest::newRow("bottom trailing") << ReminderPosition::bottomTrailing << false << QPointF(1924, 894);
    }

    void origin() {
        QFETCH(ReminderPosition, position);
        QFETCH(bool, notched);
        const ScreenInfo screen = QtScreens::describe(QStringLiteral("s"), QRect(100, 0, 1920, 1080),
                                                      QRect(100, 0, 1920, 1050), 1, notched);
        QTEST(ReminderPlacement::origin(position, screen, QSizeF(72, 132), 24), "expected");
    }

    // Stacking moves down on the top and middle rows and up on the bottom row.
    void stacking_data() {
        QTest::addColumn<ReminderPosition>("position");
        QTest::addColumn<double>("dy");
        QTest::newRow("top") << ReminderPosition::topLeading << 144.0;
        QTest::newRow("middle") << ReminderPosition::trailing << 144.0;
        QTest::newRow("bottom") << ReminderPosition::bottom << -144.0;
    }

    void stacking() {
        QFETCH(ReminderPosition, position);
        QTEST(ReminderPlacement::stacked(position, QPointF(10, 500), 144).y() - 500, "dy");
    }

    // Posture (132 high) holds "top" for 1.5 s; what another owner gets in the meantime and afterwards.
    void coordinator_data() {
        QTest::addColumn<int>("laterMs");
        QTest::addColumn<bool>("sameOwner");
        QTest::addColumn<double>("offset");
        QTest::newRow("other owner 0.5 s later") << 500 << false << 144.0;
        QTest::newRow("same owner") << 500 << true << 0.0;
        QTest::newRow("hold just ended") << 1500 << false << 0.0;
    }

    void coordinator() {
        QFETCH(int, laterMs);
        QFETCH(bool, sameOwner);
        ReminderCoordinator coordinator;
        const int posture = 0, blink = 0;
        const QDateTime start = QDateTime::currentDateTimeUtc();
        coordinator.reserve(ReminderPosition::top, &posture, 1500, 132, start);
        const double offset = coordinator.reserve(ReminderPosition::top, sameOwner ? &posture : &blink, 1850,
                                                  56, start.addMSecs(laterMs));
        QTEST(offset, "offset");
    }
};

QTEST_GUILESS_MAIN(ReminderPlacementTest)
#include "tst_ReminderPlacement.moc"
