#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <QVariantList>

// One note of the recent list.
struct NoteSummary {
    QString title; // the first line that is not blank, else the file name
    QString path;
    QDateTime modified;
    bool operator==(const NoteSummary&) const = default;
};

// Quick notes kept as plain-text files in a notes folder: a capture is appended to the inbox note, and the
// most recently changed notes are listed, refreshed every 90 s while the service runs and at once after a
// capture. The file work runs in order on a worker thread of its own.
class NotesService : public QObject {
    Q_OBJECT
    // Each entry: title, time (its text) and path.
    Q_PROPERTY(QVariantList recentNotes READ recentNotes NOTIFY recentNotesChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)

public:
    static constexpr int refreshIntervalMs = 90 * 1000;
    static constexpr int recentLimit = 6;
    static inline const QString inboxFileName = QStringLiteral("Inbox.txt");

    explicit NotesService(QString folder, QObject* parent = nullptr);
    ~NotesService() override;

    QString folder() const { return m_folder; }
    QVariantList recentNotes() const;
    QList<NoteSummary> recent() const { return m_recent; }
    QString errorMessage() const { return m_error; }
    bool isRunning() const { return m_timer.isActive(); }

    void start();
    void stop();
    Q_INVOKABLE void refresh();
    // Appends the text (trimmed; blank text is ignored) to the inbox note, then refreshes.
    Q_INVOKABLE void capture(const QString& text);
    Q_INVOKABLE void openNote(int index);

    // The work itself, run on the worker.
    static QList<NoteSummary> listRecent(const QString& folder, int limit);
    static bool appendToInbox(const QString& folder, const QString& text);

Q_SIGNALS:
    void recentNotesChanged();
    void errorMessageChanged();

private:
    void apply(QList<NoteSummary> recent);
    void setError(QString error);

    QString m_folder;
    QThreadPool m_worker;
    QTimer m_timer;
    QList<NoteSummary> m_recent;
    QString m_error;
};
