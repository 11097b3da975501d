#pragma once

#include "Foundation/AlignedTimer.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QUrl>
#include <QVariantList>

// One file or folder on the shelf or on the Desktop.
struct ShelfItem {
    QString name;
    QString path;
    bool isFolder = false;
    bool operator==(const ShelfItem&) const = default;
};

// The shelf: copies of the files dropped on the notch, kept in a shelf folder, shown beside a mirror of the
// Desktop folder. Drops are copied, never moved, and never overwrite: a clash gets a new name. Only local
// files count. Both folders are listed when the service starts and every 2 s while it runs; copies,
// removals and listings run in order on a worker thread of their own.
class ShelfService : public QObject {
    Q_OBJECT
    // Each entry: name, path, url and isFolder.
    Q_PROPERTY(QVariantList shelfItems READ shelfItems NOTIFY itemsChanged)
    Q_PROPERTY(QVariantList desktopItems READ desktopItems NOTIFY itemsChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)

public:
    static constexpr int refreshIntervalMs = 2000;

    ShelfService(QString shelfFolder, QString desktopFolder, QObject* parent = nullptr);
    ~ShelfService() override;

    QVariantList shelfItems() const { return toVariant(m_shelf); }
    QVariantList desktopItems() const { return toVariant(m_desktop); }
    QList<ShelfItem> shelf() const { return m_shelf; }
    QList<ShelfItem> desktop() const { return m_desktop; }
    QString errorMessage() const { return m_error; }
    bool isRunning() const { return m_timer.isActive(); }

    void start();
    void stop();
    Q_INVOKABLE void refresh();
    // The drop: copies the local files and folders among the addresses onto the shelf, then lists again.
    Q_INVOKABLE void addUrls(const QVariantList& urls);
    // Deletes a shelf item (only an item directly inside the shelf folder).
    Q_INVOKABLE void remove(const QString& path);
    Q_INVOKABLE void open(const QString& path);
    // Drags the file out as a copy. The drag starts once the caller has returned and belongs to the service,
    // so it survives the panel closing under it.
    Q_INVOKABLE void dragOut(const QString& path);

    static QStringList localPaths(const QVariantList& urls);
    // "report.pdf", then "report 2.pdf", "report 3.pdf"… whichever does not exist yet in the folder.
    static QString freeName(const QString& folder, const QString& name);
    // Copies each source into the folder; returns the sources that could not be copied.
    static QStringList copyInto(const QString& folder, const QStringList& sources);
    static QList<ShelfItem> list(const QString& folder);

Q_SIGNALS:
    void itemsChanged();
    void errorMessageChanged();
    // A drop was copied (with the sources that failed, if any).
    void dropFinished(const QStringList& failed);

private:
    struct Listing {
        QList<ShelfItem> shelf;
        QList<ShelfItem> desktop;
    };
    static QVariantList toVariant(const QList<ShelfItem>& items);
    void apply(const Listing& listing);
    void setError(QString error);

    QString m_shelfFolder;
    QString m_desktopFolder;
    QThreadPool m_worker;
    AlignedTimer m_timer;
    QList<ShelfItem> m_shelf;
    QList<ShelfItem> m_desktop;
    QString m_error;
};
