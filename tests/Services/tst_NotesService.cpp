#include "Core/NotificationCenter.h"
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
    void capturesIntoTheInbox_data() {
        QTest::addColumn<QByteArray>("before"); // "-" for no inbox yet
        QTest::addColumn<QString>("captured");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("a new inbox gets its title") << QByteArray("-") << "  buy bread \n"
                                                    << QByteArray("Inbox\n\nbuy bread\n");
        QTest::newRow("a paragraph of its own") << QByteArray("Inbox\n\nbuy bread\n") << "call Ana"
                                                << QByteArray("Inbox\n\nbuy bread\n\ncall Ana\n");
        QTest::newRow("an inbox edited without a final line break")
            << QByteArray("Inbox\n\nbuy bread") << "call Ana"
            << QByteArray("Inbox\n\nbuy bread\n\ncall Ana\n");
    }

    void capturesIntoTheInbox() {
        QFETCH(QByteArray, before);
        QFETCH(QString, captured);
        QFETCH(QByteArray, after);
        QTemporaryDir folder;
        const QString inbox = folder.filePath(NotesService::inboxFileName);
        if (before != "-")
            write(inbox, before, QDateTime::currentDateTime());
        QVERIFY(NotesService::appendToInbox(folder.path(), captured.trimmed()));
        QCOMPARE(read(inbox), after);
    }

    // Newest first, titled by their first line that is not blank, at most six, notes files only; a capture
    // shows at once, blank text is not captured.
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
        QVERIFY(service.isRunning());
        QTRY_COMPARE(changes.size(), 1);
        QStringList titles;
        for (const NoteSummary& note : service.recent())
            titles.append(note.title);
        QCOMPARE(titles, QStringList({"blank", "Title 7", "Title 6", "Title 5", "Title 4", "Title 3"}));

        service.capture("   ");
        service.capture("first thought");
        QTRY_COMPARE(service.recent().value(0).title, QStringLiteral("Inbox"));
        QCOMPARE(read(folder.filePath("Inbox.txt")), QByteArray("Inbox\n\nfirst thought\n"));
        service.stop();
        QVERIFY(!service.isRunning());
    }

    // Hidden until enabled; while started it follows the notes notification, starting and stopping the
    // service with it; once stopped the notification no longer reaches it.
    void widgetFollowsTheNotesSwitch() {
        QTemporaryDir folder;
        InMemoryPreferences preferences;
        NotesWidget widget(preferences, folder.path());
        QSignalSpy activity(&widget, &NotchWidget::isActiveChanged);
        QVERIFY(!widget.isActive());
        widget.start();
        QVERIFY(!widget.service()->isRunning());
        preferences.setValue("tavimor.notesEnabled", true);
        QVERIFY(!widget.isActive()); // only the notification re-applies it
        NotificationCenter::shared().post(Notifications::notesEnabledChanged);
        QVERIFY(widget.isActive() && widget.service()->isRunning());
        preferences.setValue("tavimor.notesEnabled", false);
        NotificationCenter::shared().post(Notifications::notesEnabledChanged);
        QVERIFY(!widget.isActive() && !widget.service()->isRunning());
        widget.stop();
        preferences.setValue("tavimor.notesEnabled", true);
        NotificationCenter::shared().post(Notifications::notesEnabledChanged);
        QVERIFY(!widget.isActive());
        QCOMPARE(activity.size(), 2);
        NotesWidget enabledAtLaunch(preferences, folder.path());
        QVERIFY(enabledAtLaunch.isActive());
    }
};

QTEST_MAIN(TestNotesService)
#include "tst_NotesService.moc"
