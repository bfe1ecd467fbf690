#include "board/LiveUpdates.h"

#include "base/Steps.h"
#include "board/Clock.h"
#include "board/StatusLine.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "data/rescue/KeptEdits.h"
#include "data/rescue/KeptPlace.h"
#include "data/storage/StorageThread.h"

#include <algorithm>

LiveUpdates::LiveUpdates(QVector<DataControl*> sources, DatabaseProvider& provider, KeptEdits* kept,
                         QString connect, StatusLine& status, QObject* parent)
    : QObject(parent), sources_(std::move(sources)), provider_(provider), kept_(kept),
      connect_(std::move(connect)), status_(status) {
    timer_.setInterval(kIntervalMs);
    QObject::connect(&timer_, &QTimer::timeout, this, &LiveUpdates::round);
    // A save in any window of this board reaches the board's other data controls on that file at
    // once, as another studio's would a round later. Queued: the save is under way when it is told.
    // And an answer the board stopped waiting for has come: what failed meanwhile is read again now.
    provider_.followNews(
        this, [this] { poll(); }, [this](const QString& file) { fileChanged(file); });
}

LiveUpdates::~LiveUpdates() {
    stop();
    if (readAhead_) provider_.consultTablesAhead(nullptr);
    if (localCopy_) provider_.setLocalCopies(nullptr);
}

void LiveUpdates::watchFromThread(ChangeWatcher::ProviderFactory factory) {
    watcher_ = std::make_unique<ChangeWatcher>(factory, connect_, kIntervalMs);
    // Queued: the watcher speaks from its own thread, the data controls live in this one.
    QObject::connect(watcher_.get(), &ChangeWatcher::changed, this, &LiveUpdates::fileChanged,
                     Qt::QueuedConnection);
    pruning_ = std::make_unique<HistoryPruning>(factory, connect_);
}

void LiveUpdates::readAheadFromThread(ChangeWatcher::ProviderFactory factory,
                                      std::function<QVector<TableRef>()> tables) {
    readAhead_ = std::make_unique<ReadAhead>(std::move(factory), connect_, kIntervalMs);
    tablesAhead_ = std::move(tables);
    provider_.consultTablesAhead(readAhead_.get());
}

void LiveUpdates::keepLocalCopy(ChangeWatcher::ProviderFactory factory, const QString& root,
                                std::function<QDateTime()> now, std::function<QString()> place) {
    // A round looks at every content file (a few dozen), not only those shown: less often than the
    // watcher's, and still well inside what a studio changes between two looks at the board.
    constexpr int kCopyIntervalMs = 4 * kIntervalMs;
    localCopy_ =
        std::make_unique<LocalCopy>(std::move(factory), root, connect_, std::move(now), kCopyIntervalMs);
    copiedPlace_ = std::move(place);
    provider_.setLocalCopies(localCopy_.get());
}

bool LiveUpdates::waitForLocalCopy(int ms) {
    if (!localCopy_) return false;
    localCopy_->setPlace(copiedPlace_());
    return localCopy_->waitUntilCurrent(ms);
}

void LiveUpdates::start() {
    provider_.setWorkAheadWanted(true);
    startedAt_.start();
    round();
    timer_.start();
    if (watcher_) watcher_->start();
    if (readAhead_) readAhead_->start();
    if (localCopy_) {
        localCopy_->setPlace(copiedPlace_());
        localCopy_->start();
    }
}

void LiveUpdates::stop() {
    timer_.stop();
    provider_.setWorkAheadWanted(false);
    if (watcher_) watcher_->stop();
    if (readAhead_) readAhead_->stop();
    if (localCopy_) localCopy_->stop();
    waitForOpenAhead();
}

void LiveUpdates::readForLoad(const QVector<TableRef>& tables) {
    if (readAhead_) readAhead_->readOnBoardConnections(provider_, tables);
}

void LiveUpdates::waitForReadAhead() {
    if (!readAhead_) return;
    readAhead_->setWanted(tablesAhead_());
    readAhead_->waitUntilRead();
}

void LiveUpdates::waitForOpenAhead() {
    if (opener_) opener_->waitUntilDone();
}

void LiveUpdates::startOpenAhead() {
    if (!upcomingFiles_ || (opener_ && opener_->busy())) return;
    const QStringList files = upcomingFiles_();
    if (files == openedAhead_) return;
    openedAhead_ = files;
    // One worker for the board's run, not a thread an hour.
    if (!opener_) opener_ = std::make_unique<WorkerThread>(QStringLiteral("open ahead"));
    opener_->post([files, &provider = provider_, connect = connect_] {
        for (const QString& file : files)
            provider.openAhead(file, connect);
    });
}

void LiveUpdates::poll() {
    for (DataControl* source : sources_)
        skipOnFailure([&] { source->pollForChanges(); });
    retryKeptAndSettle();
}

void LiveUpdates::round() {
    if (localCopy_) {
        localCopy_->setPlace(copiedPlace_());
        openAwaitedFromCopy();
    }
    sayWhetherTheShareAnswers();
    startOpenAhead();
    if (readAhead_) readAhead_->setWanted(tablesAhead_());
    // Not while the board starts up and reads what it shows.
    const QDate today = QDate::currentDate();
    if (pruning_ && !pruning_->sweptOn(today) && startedAt_.hasExpired(kPruneAfterMs))
        pruning_->sweepIfDue(foldersInUse(), today);
    if (!watcher_) {
        poll();
        return;
    }
    // Only the list of files changes hands here; no file is touched on this thread.
    QStringList open, awaited;
    for (DataControl* source : sources_) {
        if (source->databaseName().isEmpty() || source->recordSource().isEmpty()) continue;
        (source->isOpen() ? open : awaited) << paths::fold(source->databaseName());
    }
    watcher_->setFiles(open, awaited);
    if (kept_ && kept_->hasRetryable()) retryKeptAndSettle();
}

// Said while the share or server stays silent, whether or not the presenter met it yet: a Days
// choice meanwhile shows the new day's name over the text it could not read. Not while a question
// has only just gone unanswered (a slow share answers it in a moment); taken back as soon as the
// share answers.
void LiveUpdates::sayWhetherTheShareAnswers() {
    if (sayWhetherTheCopyIsShown()) {
        status_.refresh();
        return;
    }
    QStringList files;
    for (const DataControl* source : sources_)
        if (!source->databaseName().isEmpty()) files << source->databaseName();
    const DatabaseProvider::Unanswered waited = provider_.unanswered(files);
    const bool server = paths::isServer(waited.place);
    if (waited.forMs >= kSilentAfterMs)
        status_.showFailure(
            {FailureKind::Silent, waited.place, server ? kServerNotAnswering : kShareNotAnswering});
    else if (waited.forMs < 0 &&
             (status_.failure() == kShareNotAnswering || status_.failure() == kServerNotAnswering))
        status_.healthy();
    status_.refresh();
}

// Said once when the board turns to the copy, and once when it is back on live data.
bool LiveUpdates::sayWhetherTheCopyIsShown() {
    const QString place = copiedPlace_ ? paths::withoutPassword(copiedPlace_()) : QString();
    const QString subject =
        (paths::isServer(place) ? QStringLiteral("The server %1") : QStringLiteral("The data folder %1"))
            .arg(place)
            .trimmed();
    const QDateTime copyOf = provider_.showingCopyOf();
    if (copyOf.isValid()) {
        status_.showingCopy(QStringLiteral("%1 does not answer: the board shows its copy of %2.")
                                .arg(subject, minuteText(copyOf.time())));
        return true;
    }
    if (status_.isShowingCopy()) {
        status_.showingCopy(QString());
        status_.tell(QStringLiteral("%1 answers again: the board shows live data.").arg(subject));
    }
    return false;
}

void LiveUpdates::openAwaitedFromCopy() {
    // Not while the place is only slow: it answers in a moment, and the live file is opened then.
    if (provider_.unanswered().forMs < kSilentAfterMs) return;
    for (DataControl* source : sources_)
        if (!source->isOpen() && !source->databaseName().isEmpty() && !source->recordSource().isEmpty())
            skipOnFailure([&] { source->pollForChanges(); });
}

void LiveUpdates::fileChanged(const QString& file) {
    for (DataControl* source : sources_)
        if (!source->databaseName().isEmpty() && paths::fold(source->databaseName()) == file)
            skipOnFailure([&] { source->pollForChanges(); });
    retryKeptAndSettle();
}

void LiveUpdates::retryKeptAndSettle() {
    if (kept_ && kept_->hasRetryable()) kept_->retry(provider_, connect_, foldersInUse());
    bool allOpen = true;
    for (DataControl* source : sources_)
        allOpen = allOpen && source->isOpen();
    if (allOpen && !(kept_ && kept_->hasRetryable())) status_.healthy();
}

QStringList LiveUpdates::foldersInUse() const {
    QStringList folders;
    for (const DataControl* source : sources_) {
        const QString folder = KeptPlace::folderOf(source->databaseName());
        if (!source->databaseName().isEmpty() && !folders.contains(folder)) folders << folder;
    }
    return folders;
}
