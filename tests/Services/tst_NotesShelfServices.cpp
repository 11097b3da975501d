#include "Foundation/L10n.h"
#include "Foundation/NotificationCenter.h"
#include "InMemoryPreferences.h"
#include "Platform/Preferences/JsonPreferences.h"
#include "Platform/Session/TerminationSignals.h"
#include "Services/NotesService.h"
#include "Services/ShelfService.h"
#include "Widgets/NotesWidget.h"

#include <QTemporaryDir>
#include <QtTest>

#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes a file and its folder; a valid `modified` becomes its modification time.
void write(const QString& path, const QByteArray& text = "x", const QDateTime& modified = {}) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.flush();
    if (modified.isValid())
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

QStringList names(const QList<ShelfItem>& items) {
    QStringList list;
    for (const ShelfItem& item : items)
        list.append(item.name);
    list.sort();
    return list;
}

// Makes `folder`/Inbox.txt a "fifo", a "link to a fifo" or a "link to a note" (note.txt beside it), or leaves
// it "missing".
void makeInbox(const QString& kind, const QTemporaryDir& folder) {
    const QString inbox = folder.filePath(NotesService::inboxFileName);
    if (kind == u"fifo")
        QCOMPARE(mkfifo(QFile::encodeName(inbox), 0600), 0);
    if (kind == u"link to a fifo")
        QVERIFY(mkfifo(QFile::encodeName(folder.filePath("pipe")), 0600) == 0 &&
                QFile::link(folder.filePath("pipe"), inbox));
    if (kind == u"link to a note") {
        write(folder.filePath("note.txt"), "Inbox\n");
        QVERIFY(QFile::link(folder.filePath("note.txt"), inbox));
    }
}

} // namespace

// The notes folder and the shelf.
class NotesShelfServicesTest : public QObject {
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
        InMemoryPreferences preferences;
        NotesService service(folder.path(), preferences);
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

    // A note's date follows the interface's language, not the process locale.
    void noteDatesFollowTheInterfaceLanguage_data() {
        QTest::addColumn<QString>("processLocale");
        QTest::addColumn<QString>("date");
        QTest::newRow("C, no catalogue: Portuguese") << "C"
                                                     << "06/12/2024";
        QTest::newRow("German, no catalogue: Portuguese") << "de_DE"
                                                          << "06/12/2024";
        QTest::newRow("English with its catalogue") << "en_US"
                                                    << "12/6/24";
    }
    void noteDatesFollowTheInterfaceLanguage() {
        QFETCH(QString, processLocale);
        QTemporaryDir catalogues, folder;
        write(catalogues.filePath("en.json"), "{}");
        QLocale::setDefault(QLocale(processLocale));
        L10n::loadCatalogue(processLocale, catalogues.path());
        write(folder.filePath("old.txt"), "old", QDateTime(QDate(2024, 12, 6), QTime(10, 0)));
        InMemoryPreferences preferences;
        NotesService service(folder.path(), preferences);
        service.refresh();
        QTRY_COMPARE(service.recentNotes().size(), 1);
        QTEST(service.recentNotes().first().toMap().value("time").toString(), "date");
        L10n::loadCatalogue(QString());
    }

    // While started the widget follows the notes switch's notification; once stopped, no longer.
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

    // Only a regular inbox (or a missing one, made anew) takes a note, through a link too; anything else is
    // refused at once with the error shown and the text kept as the draft. A saved note empties the draft
    // unless it was edited while saving.
    void onlyARegularInboxTakesNotes_data() {
        QTest::addColumn<QString>("inbox");
        QTest::addColumn<QString>("editedMeanwhile"); // empty: not edited
        QTest::addColumn<QString>("draftAfter");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("missing") << "missing"
                                 << ""
                                 << "" << QByteArray("Inbox\n\nidea\n");
        QTest::newRow("link to a note") << "link to a note"
                                        << ""
                                        << "" << QByteArray("Inbox\n\nidea\n");
        QTest::newRow("edited while saving") << "missing"
                                             << "idea, and more"
                                             << "idea, and more" << QByteArray("Inbox\n\nidea\n");
        QTest::newRow("FIFO") << "fifo"
                              << ""
                              << " idea " << QByteArray();
        QTest::newRow("link to a FIFO") << "link to a fifo"
                                        << ""
                                        << " idea " << QByteArray();
    }
    void onlyARegularInboxTakesNotes() {
        QFETCH(QString, inbox);
        QFETCH(QString, editedMeanwhile);
        QFETCH(QString, draftAfter);
        QFETCH(QByteArray, written);
        QTemporaryDir folder;
        makeInbox(inbox, folder);
        InMemoryPreferences preferences;
        NotesService service(folder.path(), preferences);
        QSignalSpy errors(&service, &NotesService::errorMessageChanged);
        QSignalSpy listed(&service, &NotesService::recentNotesChanged); // the refresh after a save
        service.capture(" idea ");
        QCOMPARE(service.draft(), QStringLiteral(" idea "));
        if (!editedMeanwhile.isEmpty())
            service.setDraft(editedMeanwhile);
        QTRY_VERIFY_WITH_TIMEOUT(errors.size() + listed.size() > 0, 2000);
        QCOMPARE(service.draft(), draftAfter);
        QCOMPARE(service.errorMessage(),
                 written.isEmpty() ? QStringLiteral("Não foi possível salvar a nota.") : QString());
        if (!written.isEmpty())
            QCOMPARE(read(folder.filePath(NotesService::inboxFileName)), written);
    }

    // The draft outlives a restart over the preferences file, written at quit as the application does: a note
    // the inbox refused, or one never sent, is back in the field; a save that succeeded clears it.
    void draftOutlivesARestart_data() {
        QTest::addColumn<bool>("sent");
        QTest::newRow("refused by the inbox") << true;
        QTest::newRow("never sent") << false;
    }
    void draftOutlivesARestart() {
        QFETCH(bool, sent);
        QTemporaryDir folder, settings;
        makeInbox("fifo", folder);
        const QString file = settings.filePath("preferences.json");
        const QString note = QStringLiteral(" first line\n\"quoted\" \\ ✓ \U0001F600 ");
        {
            JsonPreferences preferences(file);
            NotesService service(folder.path(), preferences);
            QSignalSpy errors(&service, &NotesService::errorMessageChanged);
            service.setDraft(note);
            if (sent) {
                service.capture(note);
                QTRY_COMPARE(errors.size(), 1);
            }
        }
        {
            JsonPreferences preferences(file);
            NotesService restarted(folder.path(), preferences);
            QCOMPARE(restarted.draft(), note);
            QVERIFY(QFile::remove(folder.filePath(NotesService::inboxFileName)));
            restarted.capture(restarted.draft());
            QTRY_COMPARE(restarted.draft(), QString());
        }
        JsonPreferences preferences(file);
        QVERIFY(!preferences.contains(NotesService::draftKey));
        QCOMPARE(NotesService(folder.path(), preferences).draft(), QString());
    }

    // The draft is held to its limit, typed or stored; a stored value that is not text is no draft.
    void draftIsCapped_data() {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("draft");
        const QString full(NotesService::maxDraftLength, u'a');
        const QString pairAtTheLimit = full.left(full.size() - 1) + QStringLiteral("\U0001F600");
        QTest::newRow("typed, at the limit") << false << QVariant(full) << full;
        QTest::newRow("typed, past it") << false << QVariant(full + "bc") << full;
        QTest::newRow("stored, past it") << true << QVariant(full + "bc") << full;
        QTest::newRow("stored, a pair across the limit")
            << true << QVariant(pairAtTheLimit) << full.chopped(1);
        QTest::newRow("stored, a number") << true << QVariant(42) << QString();
    }
    void draftIsCapped() {
        QFETCH(bool, stored);
        QFETCH(QVariant, value);
        QTemporaryDir folder;
        InMemoryPreferences preferences;
        if (stored)
            preferences.setValue(NotesService::draftKey, value);
        NotesService service(folder.path(), preferences);
        if (!stored)
            service.setDraft(value.toString());
        QTEST(service.draft(), "draft");
        if (!stored)
            QTEST(preferences.value(NotesService::draftKey).toString(), "draft");
    }

    // A note longer than a pipe holds, pending for a FIFO inbox, never holds up the end: SIGTERM ends the
    // process through its event loop and the service's destruction within 2 s.
    void terminationWithALongNotePending_data() {
        QTest::addColumn<QString>("inbox");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("link to a FIFO") << "link to a fifo";
    }
    void terminationWithALongNotePending() {
        QFETCH(QString, inbox);
        QTemporaryDir folder;
        makeInbox(inbox, folder);
        int ready[2];
        QCOMPARE(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            TerminationSignals signals;
            QObject::connect(&signals, &TerminationSignals::terminationRequested,
                             [] { QCoreApplication::quit(); });
            {
                InMemoryPreferences preferences;
                NotesService service(folder.path(), preferences);
                service.capture(QString(80 * 1024, u'x'));
                QTimer::singleShot(0, [&] { (void)::write(ready[1], "r", 1); });
                QCoreApplication::exec();
            }
            _exit(0);
        }
        ::close(ready[1]);
        pollfd running{ready[0], POLLIN, 0};
        QCOMPARE(poll(&running, 1, 5000), 1);
        ::close(ready[0]);
        QTest::qWait(200); // the worker has taken the note
        QCOMPARE(kill(child, SIGTERM), 0);
        int status = 0;
        const bool ended = QTest::qWaitFor([&] { return waitpid(child, &status, WNOHANG) == child; }, 2000);
        if (!ended) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
        }
        QVERIFY2(ended, "SIGTERM did not end the process within 2 s");
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

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
                write(folder.filePath(file));
            QCOMPARE(ShelfService::freeName(folder.path(), name), QString::fromLatin1(expected));
        }
    }

    // Drops copy local files and folders, never move or overwrite, and ignore other addresses; removal
    // touches only what lies on the shelf; the listings follow.
    void dropsListingsAndRemoval() {
        QTemporaryDir home;
        const QString shelf = home.filePath("data/Shelf"), desktop = home.filePath("Desktop");
        write(home.filePath("report.txt"), "figures");
        write(home.filePath("photos/a.jpg"));
        write(home.filePath("photos/trip/b.jpg"));
        write(desktop + "/readme.txt");
        write(shelf + "/report.txt", "older");
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

    // A FIFO dropped alone or inside a folder, or a note that leads to one, is never opened: the drop
    // fails, the next one still lands, the note is named after its file.
    void fifosNeverHoldTheWorker() {
        QTemporaryDir home;
        const QString shelf = home.filePath("Shelf");
        write(home.filePath("box/kept.txt"));
        for (const QString& fifo : {home.filePath("pipe"), home.filePath("box/pipe")})
            QCOMPARE(mkfifo(QFile::encodeName(fifo), 0600), 0);
        write(home.filePath("later.txt"));
        ShelfService shelfService(shelf, home.filePath("Desktop"));
        QSignalSpy drops(&shelfService, &ShelfService::dropFinished);
        shelfService.addUrls(
            {QUrl::fromLocalFile(home.filePath("pipe")), QUrl::fromLocalFile(home.filePath("box"))});
        shelfService.addUrls({QUrl::fromLocalFile(home.filePath("later.txt"))});
        QTRY_COMPARE(drops.size(), 2);
        QCOMPARE(drops.at(0).first().toStringList(),
                 QStringList({home.filePath("pipe"), home.filePath("box")}));
        QVERIFY(QFile::exists(shelf + "/box/kept.txt") && QFile::exists(shelf + "/later.txt"));

        const QString notes = home.filePath("notes");
        QVERIFY(QDir().mkpath(notes) && QFile::link(home.filePath("pipe"), notes + "/piped.txt"));
        QCOMPARE(NotesService::listRecent(notes, 6).value(0).title, QStringLiteral("piped"));
    }
};

QTEST_MAIN(NotesShelfServicesTest)
#include "tst_NotesShelfServices.moc"
