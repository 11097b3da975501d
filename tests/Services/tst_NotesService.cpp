#include "Foundation/NotificationCenter.h"
#include "InMemoryPreferences.h"
#include "Services/NotesService.h"
#include "Widgets/NotesWidget.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& text, const QDateTime& modified) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.flush();
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

} // namespace

class TestNotesService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Newest six notes files first, titled by their first non-blank line; a non-blank capture starts the
    // inbox with its title, lands in a paragraph of its own and shows at once.
    void listsTheRecentNotes() {
        QTemporaryDir folder;
        const QDateTime now = QDateTime::currentDateTime();
        for (int i = 0; i < 8; ++i)
            write(folder.filePath(QStringLiteral("note%1.txt").arg(i)),
                  "\n\n  Title " + QByteArray::number(i) + "\nbody", now.addSecs(-3600 + i * 60));
        write(folder.filePath("blank.md"), "   \n", now.addSecs(-60));
        write(folder.filePath("picture.png"), "png", now);
        NotesService service(folder.path());
        QSignalSpy changes(&service, &NotesService::recentNotesChanged);
        service.start();
        QTRY_COMPARE(changes.size(), 1);
        QStringList titles;
        for (const NoteSummary& note : service.recent())
            titles.append(note.title);
        QCOMPARE(titles, QStringList({"blank", "Title 7", "Title 6", "Title 5", "Title 4", "Title 3"}));

        service.capture("   ");
        service.capture("first thought");
        QTRY_COMPARE(service.recent().value(0).title, QStringLiteral("Inbox"));
        QCOMPARE(read(folder.filePath("Inbox.txt")), QByteArray("Inbox\n\nfirst thought\n"));
        write(folder.filePath("Inbox.txt"), "Inbox\n\nedited without a final line break", now);
        QVERIFY(NotesService::appendToInbox(folder.path(), "second"));
        QCOMPARE(read(folder.filePath("Inbox.txt")),
                 QByteArray("Inbox\n\nedited without a final line break\n\nsecond\n"));
    }

    // While started the widget follows the notes notification, starting and stopping the service with it;
    // once stopped the notification no longer reaches it.
    void widgetFollowsTheNotesSwitch() {
        QTemporaryDir folder;
        InMemoryPreferences preferences;
        NotesWidget widget(preferences, folder.path());
        widget.start();
        for (const bool enabled : {true, false}) {
            preferences.setValue("tavimor.notesEnabled", enabled);
            NotificationCenter::shared().post(Notifications::notesEnabledChanged);
            QVERIFY(widget.isActive() == enabled && widget.service()->isRunning() == enabled);
        }
        widget.stop();
        preferences.setValue("tavimor.notesEnabled", true);
        NotificationCenter::shared().post(Notifications::notesEnabledChanged);
        QVERIFY(!widget.isActive());
    }
};

QTEST_MAIN(TestNotesService)
#include "tst_NotesService.moc"
