#pragma once

#include "Foundation/AlignedTimer.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QVariantList>

class IPreferences;

// One note of the recent list.
struct NoteSummary {
    QString title; // the first line that is not blank, else the file name
    QString path;
    QDateTime modified;
    bool operator==(const NoteSummary&) const = default;
};

// Quick notes kept as plain-text files in a notes folder: a capture is appended to the inbox note, and the
// most recently changed notes are listed, refreshed every 90 s while the service runs and at once after a
// capture. The file work runs in order on a worker thread of its own. The capture field's text lives here as
// the draft: it is emptied only once the note it held is saved, so a refused save or a closed panel loses
// nothing typed. The draft is kept with the preferences as it changes (their store writes its changes half a
// second after the last one and at quit), so a note the inbox refused, or one never sent, is back in the
// field after a restart.
class NotesService : public QObject {
    Q_OBJECT
    // Each entry: title, time (its text) and path.
    Q_PROPERTY(QVariantList recentNotes READ recentNotes NOTIFY recentNotesChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(QString draft READ draft WRITE setDraft NOTIFY draftChanged)
    Q_PROPERTY(int draftLimit READ draftLimit CONSTANT)

public:
    static constexpr int refreshIntervalMs = 90 * 1000;
    static constexpr int recentLimit = 6;
    static inline const QString inboxFileName = QStringLiteral("Inbox.txt");
    static inline const QString draftKey = QStringLiteral("tavimor.notesDraft");
    // The longest draft, in UTF-16 units, as the field holds it: a 100 kB note fits whole, and the
    // preferences file stays far below the size it is read up to.
    static constexpr int maxDraftLength = 100 * 1024;

    // The draft stored in `preferences` is the field's text at the start.
    NotesService(QString folder, IPreferences& preferences, QObject* parent = nullptr);
    ~NotesService() override;

    QString folder() const { return m_folder; }
    QVariantList recentNotes() const;
    QList<NoteSummary> recent() const { return m_recent; }
    QString errorMessage() const { return m_error; }
    QString draft() const { return m_draft; }
    int draftLimit() const { return maxDraftLength; }
    // Beyond maxDraftLength the text is cut.
    void setDraft(const QString& draft);
    bool isRunning() const { return m_timer.isActive(); }

    void start();
    void stop();
    Q_INVOKABLE void refresh();
    // Appends the text (trimmed; blank text is ignored) to the inbox note, then refreshes. The text becomes
    // the draft, which a successful save empties unless it was edited meanwhile; a refused save keeps it and
    // sets the error. A capture while another is being saved is ignored.
    Q_INVOKABLE void capture(const QString& text);
    Q_INVOKABLE void openNote(int index);

    // The work itself, run on the worker. The inbox is written only when it is a regular file (or missing).
    static QList<NoteSummary> listRecent(const QString& folder, int limit);
    static bool appendToInbox(const QString& folder, const QString& text);

Q_SIGNALS:
    void recentNotesChanged();
    void errorMessageChanged();
    void draftChanged();

private:
    void apply(QList<NoteSummary> recent);
    void setError(QString error);
    void finishCapture(bool saved, const QString& text);
    void storeDraft();

    QString m_folder;
    IPreferences& m_preferences;
    QThreadPool m_worker;
    AlignedTimer m_timer;
    QList<NoteSummary> m_recent;
    QString m_error;
    QString m_draft;
    bool m_saving = false;
};
