#include "Models/ReminderPlacement.h"
#include "Platform/Screens/QtScreens.h"

#include <QtTest>

using enum ReminderPosition;

class ReminderPlacementTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Panels of 72 x 132 with the 24 px margin, on a 1920 x 1080 screen at x 100 whose visible frame loses
    // a 30 px bar at the bottom, with and without the notch: the top row goes 36 px lower under a notch, the
    // other rows ignore it.
    void origin() {
        const std::tuple<ReminderPosition, bool, QPointF> cases[] = {
            // clang-format off
            {top, false, {1024, 24}}, {top, true, {1024, 60}}, {topLeading, false, {124, 24}},
            {topTrailing, true, {1924, 60}}, {leading, false, {124, 459}}, {center, true, {1024, 459}},
            {trailing, false, {1924, 459}}, {bottomLeading, false, {124, 894}}, {bottom, true, {1024, 894}},
            {bottomTrailing, false, {1924, 894}},
            // clang-format on
        };
        for (const auto& [position, notched, expected] : cases) {
            const ScreenInfo screen =
                QtScreens::describe("s", QRect(100, 0, 1920, 1080), QRect(100, 0, 1920, 1050), 1, notched);
            QCOMPARE(ReminderPlacement::origin(position, screen, QSizeF(72, 132), 24), expected);
        }
    }

    // Stacking moves down on the top and middle rows and up on the bottom row.
    void stacking() {
        const std::pair<ReminderPosition, double> cases[] = {
            {topLeading, 144}, {trailing, 144}, {bottom, -144}};
        for (const auto& [position, dy] : cases)
            QCOMPARE(ReminderPlacement::stacked(position, QPointF(10, 500), 144).y() - 500, dy);
    }

    // Posture (132 high) holds "top" for 1.5 s; another owner 0.5 s later is stacked below it, the same owner
    // is not, and neither is anyone once the hold has ended.
    void coordinator() {
        const int posture = 0, blink = 0;
        const std::tuple<int, const int*, double> cases[] = {
            {500, &blink, 144}, {500, &posture, 0}, {1500, &blink, 0}};
        for (const auto& [laterMs, owner, offset] : cases) {
            ReminderCoordinator coordinator;
            const QDateTime start = QDateTime::currentDateTimeUtc();
            coordinator.reserve(top, &posture, 1500, 132, start);
            QCOMPARE(coordinator.reserve(top, owner, 1850, 56, start.addMSecs(laterMs)), offset);
        }
    }
};

QTEST_GUILESS_MAIN(ReminderPlacementTest)
#include "tst_ReminderPlacement.moc"
