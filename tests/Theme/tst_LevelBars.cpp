#include "Theme/LevelBars.h"

#include <QImage>
#include <QPainter>
#include <QQuickWindow>
#include <QtTest>

// The play-state marker's bars: their heights over time, what they draw, and that their
// frames run only while music plays and the bars are on screen.
class TestLevelBars : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each bar goes up in (factor × 0.25 + 0.35) s, eased in and out, then down again, for ever.
    void level_data() {
        QTest::addColumn<double>("factor");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<double>("expected");
        QTest::newRow("starts low") << 1.0 << qint64(0) << 0.0;
        QTest::newRow("eased: a quarter of the way up") << 1.0 << qint64(150) << 0.125;
        QTest::newRow("tallest bar up after 0.6 s") << 1.0 << qint64(600) << 1.0;
        QTest::newRow("down again after 1.2 s") << 1.0 << qint64(1200) << 0.0;
        QTest::newRow("and up again") << 1.0 << qint64(1800) << 1.0;
        QTest::newRow("shortest bar up after 0.44 s") << 0.36 << qint64(440) << 1.0;
    }
    void level() {
        QFETCH(double, factor);
        QFETCH(qint64, elapsedMs);
        QFETCH(double, expected);
        QVERIFY2(qAbs(LevelBars::level(factor, elapsedMs) - expected) < 1e-6,
                 qPrintable(QString::number(LevelBars::level(factor, elapsedMs))));
    }

    void paintsTheBarsInItsColour() {
        LevelBars bars;
        bars.setSize(QSizeF(18, 14));
        bars.setColor(QColor(0xE4, 0xFC, 0x00));
        QImage image(18, 14, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        bars.paint(&painter);
        painter.end();
        // The middle bar is 3 pt high at first: filled at its foot, empty above.
        QCOMPARE(image.pixelColor(8, 12), QColor(0xE4, 0xFC, 0x00));
        QCOMPARE(image.pixelColor(8, 9).alpha(), 0);
        QCOMPARE(image.pixelColor(0, 12).alpha(), 0);
    }

    void framesRunOnlyWhilePlayingOnScreen() {
        QQuickWindow window;
        window.resize(40, 40);
        LevelBars bars(window.contentItem());
        bars.setSize(QSizeF(18, 14));
        QVERIFY(!bars.animating());
        window.show();
        QVERIFY(!bars.animating());
        bars.setPlaying(true);
        QVERIFY(bars.animating());
        bars.setVisible(false);
        QVERIFY(!bars.animating());
        bars.setVisible(true);
        QVERIFY(bars.animating());
        window.contentItem()->setVisible(false);
        QVERIFY(!bars.animating());
        window.contentItem()->setVisible(true);
        QVERIFY(bars.animating());
        window.hide();
        QVERIFY(!bars.animating());
        window.show();
        QVERIFY(bars.animating());
        bars.setPlaying(false);
        QVERIFY(!bars.animating());
    }
};

QTEST_MAIN(TestLevelBars)
#include "tst_LevelBars.moc"
