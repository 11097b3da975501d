#include "Services/NotesService.h"

#include "Foundation/L10n.h"
#include "Foundation/OutsideText.h"
#include "Foundation/RegularFile.h"
#include "Platform/Preferences/IPreferences.h"

#include <QDesktopServices>
#include <QDir>
#include <QLocale>
#include <QUrl>
#include <QtConcurrent>

namespace {

constexpr qint64 titleScanBytes = 4096;
constexpr int titleLength = 80;

QString titleOf(const QFileInfo& info) {
    if (const auto head = RegularFile(info.filePath()).read(titleScanBytes)) {
        const QList<QByteArray> lines = head->split('\n');
        for (const QByteArray& line : lines) {
            const QString text = QString::fromUtf8(line).trimmed();
            if (!text.isEmpty())
                return text.left(titleLength);
        }
    }
    return info.completeBaseName();
}

QString timeText(const QDateTime& modified) {
    const QLocale locale;
    if (modified.date() == QDate::currentDate()) {
        const bool twelveHour =
            locale.timeFormat(QLocale::ShortFormat).contains(QLatin1String("AP"), Qt::CaseInsensitive);
        return locale.toString(modified.time(),
                               twelveHour ? QStringLiteral("h:mm AP") : QStringLiteral("HH:mm"));
    }
    return locale.toString(modified.date(), QLocale::ShortFormat);
}

} // namespace

NotesService::NotesService(QString folder, IPreferences& preferences, QObject* parent)
    : QObject(parent)
    , m_folder(std::move(folder))
    , m_preferences(preferences) {
    const QVariant stored = m_preferences.value(draftKey);
    if (stored.typeId() == QMetaType::QString)
        m_draft = cappedText(stored.toString(), maxDraftLength);
    m_worker.setMaxThreadCount(1);
    m_timer.setInterval(refreshIntervalMs);
    connect(&m_timer, &AlignedTimer::timeout, this, &NotesService::refresh);
}

NotesService::~NotesService() {
    m_worker.waitForDone();
}

QVariantList NotesService::recentNotes() const {
    QVariantList notes;
    for (const NoteSummary& note : m_recent)
        notes.append(QVariantMap{{QStringLiteral("title"), note.title},
                                 {QStringLiteral("time"), timeText(note.modified)},
                                 {QStringLiteral("path"), note.path}});
    return notes;
}

void NotesService::start() {
    refresh();
    m_timer.start();
}

void NotesService::stop() {
    m_timer.stop();
}

void NotesService::refresh() {
    QtConcurrent::run(&m_worker, &NotesService::listRecent, m_folder, int(recentLimit))
        .then(this, [this](QList<NoteSummary> recent) { apply(std::move(recent)); });
}

void NotesService::setDraft(const QString& draft) {
    const QString capped = cappedText(draft, maxDraftLength);
    if (capped == m_draft)
        return;
    m_draft = capped;
    storeDraft();
    Q_EMIT draftChanged();
}

void NotesService::storeDraft() {
    if (m_draft.isEmpty())
        m_preferences.remove(draftKey);
    else
        m_preferences.setValue(draftKey, m_draft);
}

void NotesService::capture(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || m_saving)
        return;
    m_saving = true;
    setDraft(text);
    QtConcurrent::run(&m_worker, &NotesService::appendToInbox, m_folder, trimmed)
        .then(this, [this, text](bool saved) { finishCapture(saved, text); });
}

void NotesService::finishCapture(bool saved, const QString& text) {
    m_saving = false;
    if (saved && m_draft == text)
        setDraft(QString());
    setError(saved ? QString()
                   : L10n::text("notas.erro.salvar", "Não foi possível salvar a nota.",
                                "Shown when a quick note could not be written to the notes folder."));
    refresh();
}

void NotesService::openNote(int index) {
    if (index >= 0 && index < m_recent.size())
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_recent.at(index).path));
}

QList<NoteSummary> NotesService::listRecent(const QString& folder, int limit) {
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.txt"), QStringLiteral("*.md")},
                                                           QDir::Files | QDir::Readable, QDir::Time);
    QList<NoteSummary> recent;
    for (const QFileInfo& info : files.mid(0, limit))
        recent.append({titleOf(info), info.filePath(), info.lastModified()});
    return recent;
}

// Appends the text as its own paragraph; a new inbox starts with its title line.
bool NotesService::appendToInbox(const QString& folder, const QString& text) {
    if (!QDir().mkpath(folder))
        return false;
    RegularFile inbox(QDir(folder).filePath(inboxFileName), RegularFile::Mode::append);
    if (!inbox.isOpen())
        return false;
    QByteArray entry;
    if (inbox.wasCreated())
        entry = "Inbox\n";
    else if (const auto last = inbox.lastByte(); last && *last != '\n')
        entry = "\n";
    entry += "\n" + text.toUtf8() + "\n";
    return inbox.append(entry);
}

void NotesService::apply(QList<NoteSummary> recent) {
    if (recent == m_recent)
        return;
    m_recent = std::move(recent);
    Q_EMIT recentNotesChanged();
}

void NotesService::setError(QString error) {
    if (error == m_error)
        return;
    m_error = std::move(error);
    Q_EMIT errorMessageChanged();
}
