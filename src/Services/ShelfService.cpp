#include "Services/ShelfService.h"

#include "Foundation/L10n.h"
#include "Foundation/RegularFile.h"

#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QtConcurrent>

namespace {

constexpr int clashAttempts = 1000;

bool isInside(const QString& path, const QString& folder) {
    const QString canonicalPath = QFileInfo(path).canonicalFilePath();
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    return !canonicalPath.isEmpty() && !canonicalFolder.isEmpty() &&
           (canonicalPath == canonicalFolder || canonicalPath.startsWith(canonicalFolder + QLatin1Char('/')));
}

bool copyFolder(const QString& source, const QString& target) {
    if (!QDir().mkdir(target))
        return false;
    QDirIterator entries(source, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    bool copied = true;
    while (entries.hasNext()) {
        const QFileInfo entry(entries.next());
        const QString destination = QDir(target).filePath(entry.fileName());
        if (entry.isDir() && !entry.isSymLink())
            copied = copyFolder(entry.filePath(), destination) && copied;
        else
            copied = copyRegularFile(entry.filePath(), destination) && copied;
    }
    return copied;
}

// Never overwrites: a name that someone else takes between the check and the copy makes it try the next.
bool copyOne(const QString& folder, const QString& source) {
    const QFileInfo info(source);
    if (!info.exists() || (info.isDir() && isInside(folder, source)))
        return false;
    for (int attempt = 0; attempt < clashAttempts; ++attempt) {
        const QString target = QDir(folder).filePath(ShelfService::freeName(folder, info.fileName()));
        const bool copied = info.isDir() ? copyFolder(source, target) : copyRegularFile(source, target);
        if (copied)
            return true;
        if (!QFileInfo::exists(target) || info.isDir())
            return false;
    }
    return false;
}

} // namespace

ShelfService::ShelfService(QString shelfFolder, QString desktopFolder, QObject* parent)
    : QObject(parent)
    , m_shelfFolder(std::move(shelfFolder))
    , m_desktopFolder(std::move(desktopFolder)) {
    m_worker.setMaxThreadCount(1);
    m_timer.setInterval(refreshIntervalMs);
    connect(&m_timer, &AlignedTimer::timeout, this, &ShelfService::refresh);
}

ShelfService::~ShelfService() {
    m_worker.waitForDone();
}

void ShelfService::start() {
    refresh();
    m_timer.start();
}

void ShelfService::stop() {
    m_timer.stop();
}

void ShelfService::refresh() {
    QtConcurrent::run(&m_worker, [shelf = m_shelfFolder, desktop = m_desktopFolder] {
        return Listing{list(shelf), list(desktop)};
    }).then(this, [this](const Listing& listing) { apply(listing); });
}

void ShelfService::addUrls(const QVariantList& urls) {
    const QStringList sources = localPaths(urls);
    if (sources.isEmpty())
        return;
    QtConcurrent::run(&m_worker, [folder = m_shelfFolder, sources] {
        return QDir().mkpath(folder) ? copyInto(folder, sources) : sources;
    }).then(this, [this](const QStringList& failed) {
        setError(failed.isEmpty() ? QString()
                                  : L10n::formatted("shelf.erro.copiar", "Não foi possível copiar %@.",
                                                    "Shown when a dropped file could not be copied to the "
                                                    "shelf; the argument is the file's name.",
                                                    {QFileInfo(failed.first()).fileName()}));
        Q_EMIT dropFinished(failed);
        refresh();
    });
}

void ShelfService::remove(const QString& path) {
    const QFileInfo info(path);
    if (QFileInfo(info.absolutePath()).canonicalFilePath() != QFileInfo(m_shelfFolder).canonicalFilePath())
        return;
    QtConcurrent::run(&m_worker, [info] {
        return info.isDir() && !info.isSymLink() ? QDir(info.filePath()).removeRecursively()
                                                 : QFile::remove(info.filePath());
    }).then(this, [this](bool) { refresh(); });
}

void ShelfService::open(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void ShelfService::dragOut(const QString& path) {
    QTimer::singleShot(0, this, [this, path] {
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(path)});
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction); // the platform frees the drag once the target has read the data
    });
}

QStringList ShelfService::localPaths(const QVariantList& urls) {
    QStringList paths;
    for (const QVariant& value : urls) {
        const QUrl url = value.toUrl();
        if (url.isLocalFile() && !url.toLocalFile().isEmpty() && !paths.contains(url.toLocalFile()))
            paths.append(url.toLocalFile());
    }
    return paths;
}

QString ShelfService::freeName(const QString& folder, const QString& name) {
    const QDir dir(folder);
    if (!QFileInfo::exists(dir.filePath(name)))
        return name;
    const QFileInfo info(name);
    const bool hasSuffix = !info.suffix().isEmpty() && !info.completeBaseName().isEmpty();
    const QString base = hasSuffix ? name.left(name.size() - info.suffix().size() - 1) : name;
    const QString suffix = hasSuffix ? QLatin1Char('.') + info.suffix() : QString();
    for (int number = 2;; ++number) {
        const QString candidate = QStringLiteral("%1 %2%3").arg(base).arg(number).arg(suffix);
        if (!QFileInfo::exists(dir.filePath(candidate)))
            return candidate;
    }
}

QStringList ShelfService::copyInto(const QString& folder, const QStringList& sources) {
    QStringList failed;
    for (const QString& source : sources) {
        if (!copyOne(folder, source))
            failed.append(source);
    }
    return failed;
}

QList<ShelfItem> ShelfService::list(const QString& folder) {
    if (folder.isEmpty())
        return {};
    QList<ShelfItem> items;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Time | QDir::DirsFirst);
    for (const QFileInfo& entry : entries)
        items.append({entry.fileName(), entry.filePath(), entry.isDir()});
    return items;
}

QVariantList ShelfService::toVariant(const QList<ShelfItem>& items) {
    QVariantList list;
    for (const ShelfItem& item : items)
        list.append(QVariantMap{{QStringLiteral("name"), item.name},
                                {QStringLiteral("path"), item.path},
                                {QStringLiteral("url"), QUrl::fromLocalFile(item.path).toString()},
                                {QStringLiteral("isFolder"), item.isFolder}});
    return list;
}

void ShelfService::apply(const Listing& listing) {
    if (listing.shelf == m_shelf && listing.desktop == m_desktop)
        return;
    m_shelf = listing.shelf;
    m_desktop = listing.desktop;
    Q_EMIT itemsChanged();
}

void ShelfService::setError(QString error) {
    if (error == m_error)
        return;
    m_error = std::move(error);
    Q_EMIT errorMessageChanged();
}
