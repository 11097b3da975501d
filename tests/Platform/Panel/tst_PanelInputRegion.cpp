#include "Platform/Panel/PanelInputRegion.h"

#include <QJSEngine>
#include <QTest>

using namespace PanelInputRegion;

class TestPanelInputRegion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void devicePixelsRoundOutwardsAndClipToTheBand() {
        const QSizeF band(1920, 340);
        // the hover zone pokes 12 px above the window; the part above is dropped
        QCOMPARE(toDevicePixels({QRectF(836, -12, 248, 56)}, band, 1.0),
                 QList<QRect>{QRect(836, 0, 248, 44)});
        QCOMPARE(toDevicePixels({QRectF(836, -12, 248, 56)}, band, 1.5),
                 QList<QRect>{QRect(1254, 0, 372, 66)});
        QCOMPARE(toDevicePixels({QRectF(10.4, 0, 10, 10)}, band, 1.0), QList<QRect>{QRect(10, 0, 11, 10)});
        QCOMPARE(toDevicePixels({QRectF(0, 0, 1920, 340)}, band, 2.0), QList<QRect>{QRect(0, 0, 3840, 680)});
        QVERIFY(toDevicePixels({QRectF(0, 400, 10, 10), QRectF(5, 5, 0, 10)}, band, 1.0).isEmpty());
    }

    void readsRectsReportedByQml() {
        QJSEngine engine;
        const QJSValue array = engine.evaluate(
            "[{x: 1, y: 2, width: 30, height: 40}, {x: 1}, 'text', {x: 0, y: 0, width: -5, height: 3}]");
        QCOMPARE(rectsFromQml(QVariant::fromValue(array)), QList<QRectF>{QRectF(1, 2, 30, 40)});
        const QVariantList list{QRectF(5, 6, 7, 8), QRect(1, 1, 2, 2)};
        QCOMPARE(rectsFromQml(list), (QList<QRectF>{QRectF(5, 6, 7, 8), QRectF(1, 1, 2, 2)}));
        QVERIFY(rectsFromQml(QVariant()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPanelInputRegion)
#include "tst_PanelInputRegion.moc"
