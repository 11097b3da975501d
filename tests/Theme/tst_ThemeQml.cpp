#include "InMemoryPreferences.h"
#include "Theme/ThemeQml.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QtTest>

class ThemeQmlTest : public QObject {
    Q_OBJECT

private:
    InMemoryPreferences preferences;
    QQmlEngine engine;
    QList<QQmlError> warnings;

    std::unique_ptr<QObject> load(const QByteArray& source) {
        QQmlComponent component(&engine);
        component.setData(source, QUrl(QStringLiteral("qrc:/Theme/TestHost.qml")));
        std::unique_ptr<QObject> root(component.create());
        warnings.append(component.errors());
        return root;
    }

    QByteArray host(const QString& name) {
        QFile file(QFINDTESTDATA(QStringLiteral("qml/") + name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase() {
        registerThemeQmlTypes(preferences);
        connect(&engine, &QQmlEngine::warnings, this,
                [this](const QList<QQmlError>& list) { warnings += list; });
    }

    void init() {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        preferences.remove(QStringLiteral("tavimor.appearanceMode"));
        warnings.clear();
    }

    void cleanup() { QVERIFY2(warnings.isEmpty(), qPrintable(QDebug::toString(warnings))); }

    void componentsLoadWithoutWarnings_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("liquid") << QStringLiteral("liquid");
        QTest::newRow("dark") << QStringLiteral("dark");
    }

    void componentsLoadWithoutWarnings() {
        QFETCH(QString, mode);
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), mode);
        const auto root = load(host(QStringLiteral("ThemeHost.qml")));
        QVERIFY(root);
        QCOMPARE(root->property("liquid").toBool(), mode == u"liquid");
    }

    // On liquid glass every text inside the holder gets the raised style (its shadow), texts a repeater adds
    // later too; on the dark style none.
    void textShadowReachesEveryTextInside() {
        const auto root = load("import QtQuick\nGlassTextShadow { id: holder; property int texts: 1\n"
                               "content: Row { Repeater { model: holder.texts; Text { text: index } } } }");
        QVERIFY(root);
        root->setProperty("texts", 3);
        const auto styles = [&] {
            QList<int> found;
            QList<QQuickItem*> pending{qobject_cast<QQuickItem*>(root.get())};
            while (!pending.isEmpty()) {
                QQuickItem* item = pending.takeLast();
                if (item->metaObject()->indexOfProperty("styleColor") >= 0)
                    found.append(item->property("style").toInt());
                pending.append(item->childItems());
            }
            return found;
        };
        const int raised = 2;
        QCOMPARE(styles(), QList<int>(3, raised));
        preferences.setValue(QStringLiteral("tavimor.appearanceMode"), QStringLiteral("dark"));
        QCOMPARE(styles(), QList<int>(3, 0));
    }
};

QTEST_MAIN(ThemeQmlTest)
#include "tst_ThemeQml.moc"
