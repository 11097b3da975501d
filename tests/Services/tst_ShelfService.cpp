#include "Services/ShelfService.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

void touch(const QString& path, const QByteArray& text = "x") {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QStringList names(const QList<ShelfItem>& items) {
    QStringList list;
    for (const ShelfItem& item : items)
        list.append(item.name);
    list.sort();
    return list;
}

} // namespace

class TestShelfService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A clash gets the first free number before the last extension.
    void clashesGetNewNames() {
        const std::tuple<QStringList, const char*, const char*> rows[] = {
            {{}, "report.pdf", "report.pdf"},
            {{"report.pdf"}, "report.pdf", "report 2.pdf"},
            {{"report.pdf", "report 2.pdf"}, "report.pdf", "report 3.pdf"},
            {{"Makefile"}, "Makefile", "Makefile 2"},
            {{".profile"}, ".profile", ".profile 2"},
            {{"a.tar.gz"}, "a.tar.gz", "a.tar 2.gz"}};
        for (const auto& [existing, name, expected] : rows) {
            QTemporaryDir folder;
            for (const QString& file : existing)
                touch(folder.filePath(file));
            QCOMPARE(ShelfService::freeName(folder.path(), name), QString::fromLatin1(expected));
        }
    }

    // Drops copy local files and folders, never move or overwrite, and ignore other addresses; removal
    // touches only what lies on the shelf; the listings follow.
    void dropsListingsAndRemoval() {
        QTemporaryDir home;
        const QString shelf = home.filePath("data/Shelf"), desktop = home.filePath("Desktop");
        touch(home.filePath("report.txt"), "figures");
        touch(home.filePath("photos/a.jpg"));
        touch(home.filePath("photos/trip/b.jpg"));
        touch(desktop + "/readme.txt");
        touch(shelf + "/report.txt", "older");
        ShelfService service(shelf, desktop);
        QSignalSpy drops(&service, &ShelfService::dropFinished);
        service.start();
        service.addUrls({QUrl::fromLocalFile(home.filePath("report.txt")), QUrl("https://example.com/x.txt"),
                         QUrl::fromLocalFile(home.filePath("photos")),
                         QUrl::fromLocalFile(home.filePath("gone.txt")), QUrl::fromLocalFile(home.path())});
        QTRY_COMPARE(drops.size(), 1);
        QCOMPARE(drops.first().first().toStringList(), QStringList({home.filePath("gone.txt"), home.path()}));
        QVERIFY(!service.errorMessage().isEmpty());
        QTRY_COMPARE(names(service.shelf()), QStringList({"photos", "report 2.txt", "report.txt"}));
        QCOMPARE(names(service.desktop()), QStringList({"readme.txt"}));
        QVERIFY(QFile::exists(home.filePath("report.txt")));
        QVERIFY(QFile::exists(shelf + "/photos/trip/b.jpg"));
        QCOMPARE(QFileInfo(shelf + "/report.txt").size(), 5); // "older", not overwritten

        service.remove(desktop + "/readme.txt");
        service.remove(shelf + "/photos");
        QTRY_COMPARE(names(service.shelf()), QStringList({"report 2.txt", "report.txt"}));
        QVERIFY(QFile::exists(desktop + "/readme.txt"));
    }
};

QTEST_MAIN(TestShelfService)
#include "tst_ShelfService.moc"
