#pragma once

#include "data/rescue/EditJournal.h"
#include "data/storage/Recordset.h"

#include <QHash>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <memory>
#include <optional>

class DatabaseProvider;
class WorkerThread;

// The rescue store: what is kept, and what is being typed right now, so that neither a crash, a power
// cut nor a logout loses it. Each board process writes a file of its own, locked while it runs: two
// boards of one user never overwrite each other, and the next start adopts the files of boards that
// are no longer running. A file that cannot be read is set aside, never overwritten.
//
// What is kept lives on the board's thread; the files are written, and other stores adopted, on a
// worker of the store's own, in the order they were handed to it, so that a disk that stops
// answering never holds the board.
class KeptEdits : public QObject, public EditJournal {
    Q_OBJECT
  public:
    // How soon typed text is in the store after a keystroke.
    static constexpr int kTypingSavedWithinMs = 250;

    // How long the end of the program waits for the store's last writes.
    static constexpr int kWrittenAtEndWithinMs = 1000;

    // Reads what the store file holds already: the store's own file is on this computer's disk.
    explicit KeptEdits(QString storePath, QObject* parent = nullptr);
    // Hands the last writes to the disk and waits kWrittenAtEndWithinMs for them.
    ~KeptEdits() override;

    // This user's folder of stores on this computer's disk.
    static QString localFolder();
    // Where earlier versions kept this user's stores: beside the program.
    static QString oldFolder(const QString& programFolder);
    // This board process's own store in the folder, locked while it runs, with the stores of board
    // processes no longer running adopted into it.
    static std::unique_ptr<KeptEdits> forThisProcess(const QString& folder);
    // This board process's own store in localFolder(), with what earlier versions left beside the
    // program adopted into it (and removed there).
    static std::unique_ptr<KeptEdits> forThisUser(const QString& programFolder);
    // Takes in what another store holds, when no running board owns it, and removes it afterwards.
    // The other store is read on the store's worker; what it held is in edits() once changed() says so.
    void adopt(const QString& otherStorePath);
    // Whether everything handed to the disk so far was written (or failed to be) within the time,
    // with what was adopted meanwhile taken in.
    bool writtenWithin(int ms);

    QString storePath() const { return storePath_; }
    const QVector<KeptEdit>& edits() const { return edits_; }
    bool hasRetryable() const;

    // Handed to the store file's worker before returning, written in turn; announces what was kept
    // and why.
    bool keeps() const override { return true; }
    void keep(KeptEdit edit) override;
    // A person settled a kept edit (took it into the file, or left the file's version): it goes
    // from the store. Whether it was there.
    bool settle(const KeptEdit& edit);
    // The kept edit of that identity, while it is kept.
    std::optional<KeptEdit> find(const QString& id) const;

    // What a data control's edit buffer holds now (source names the control): in the store within
    // kTypingSavedWithinMs. settled() takes it out again once it was stored, kept or given up.
    void typing(const void* source, KeptEdit edit) override;
    void settled(const void* source) override;
    // Hands the store file whatever typing is not yet in it: before it is sent, and before the end.
    void flush() override;

    // Writes every kept edit that is not a conflict again, through the engine, with the same
    // record and old-value checks as the first try. foldersInUse are the folders (or servers) the
    // board opens files in now, passwords and all; text kept for any other is offered, not written.
    // With none given, every file is opened where it was kept. Returns how many were stored.
    int retry(DatabaseProvider& provider, const QString& connect, const QStringList& foldersInUse = {});
    // What a presenter should know of the store: empty when nothing is kept.
    QString notice() const;

  signals:
    void changed(const QString& notice);

  private:
    struct Contents {
        QVector<KeptEdit> edits;
        bool readable = true;
    };
    struct Disk;
    static Contents read(const QString& path);
    // Renames an unreadable store; what to say of it. Whether it was renamed, in renamed.
    static QString setAside(const QString& path, bool* renamed);
    static void adoptOnWorker(const std::shared_ptr<Disk>& disk, const QString& path, bool folderGoesToo);
    void adoptFolder(const QString& folder, bool folderGoesToo);
    void takeFromDisk();
    WorkerThread& worker();
    void loadOwn();
    void save();
    bool inUse(const KeptEdit& edit) const;
    QString pathOf(const KeptEdit& edit) const;

    QString storePath_;
    std::shared_ptr<Disk> disk_;           // shared with the work handed to the worker
    std::unique_ptr<WorkerThread> worker_; // started with the first work handed to it
    std::unique_ptr<QLockFile> lock_;      // held for as long as this process owns the store
    QVector<KeptEdit> edits_;
    QHash<const void*, KeptEdit> typing_;
    QStringList setAside_; // what could not be read, and where it went
    QStringList foldersInUse_;
    QTimer typingSaver_;
    bool writable_ = true; // false when the store's own file could not be read: it is never written
};
