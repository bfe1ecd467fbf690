#include "copy/ReadOnAir.h"

#include "aired/CopyDate.h"
#include "data/catalogue/FailureSaid.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "data/storage/StorageError.h"
#include "studio/StudioContext.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLocale>
#include <QMessageBox>
#include <utility>

namespace {

// Alt+R: Alt+A is the editor's "&Add New", and each Alt letter does one thing in a window.
const QString kCaption = QStringLiteral("&Read on Air");
// Other studios' presses reach the caption about as soon as the board's own changes do.
constexpr int kWatchMs = 1500;

} // namespace

ReadOnAir::ReadOnAir(StudioContext& context, DataControl& data, std::function<void(const QString&)> say,
                     QWidget* parent)
    : QWidget(parent), context_(context), data_(data), say_(std::move(say)),
      read_(new QPushButton(kCaption, this)), undo_(new QPushButton(QStringLiteral("&Undo Read"), this)) {
    read_->setObjectName(QStringLiteral("ReadOnAir"));
    undo_->setObjectName(QStringLiteral("UndoRead"));
    for (QPushButton* b : {read_, undo_})
        b->setAutoDefault(false);
    undo_->setEnabled(false);
    // The caption grows with the time of the last read: the room it takes is given while the window
    // has it, and never asked of the window, so the editor does not widen by itself.
    read_->setMinimumWidth(read_->sizeHint().width());
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(read_);
    row->addWidget(undo_);
    connect(read_, &QPushButton::clicked, this, &ReadOnAir::press);
    connect(undo_, &QPushButton::clicked, this, &ReadOnAir::undo);
    reread_.setSingleShot(true);
    reread_.setInterval(0);
    connect(&reread_, &QTimer::timeout, this, &ReadOnAir::showLastRead);
    connect(&data, &DataControl::repositioned, &reread_, qOverload<>(&QTimer::start));
    undoWindow_.setSingleShot(true);
    connect(&undoWindow_, &QTimer::timeout, this, &ReadOnAir::closeUndo);
    connect(&watch_, &QTimer::timeout, this, &ReadOnAir::lookForOtherPresses);
    watch_.start(kWatchMs);
    reread_.start();
}

AiredLog ReadOnAir::log() const {
    return AiredLog(context_.provider(),
                    AiredLog::pathIn(context_.dataFolderText(), context_.programFolder()));
}

QString ReadOnAir::library() const {
    // "Live" for ...\Live.mdb: the library the copy is in.
    return QFileInfo(paths::fold(data_.databaseName())).completeBaseName();
}

void ReadOnAir::showLastRead() {
    const QString copy =
        data_.isOpen() && data_.hasCurrent() ? data_.fieldText(QStringLiteral("PromoName")) : QString();
    read_->setEnabled(!copy.isEmpty());
    std::optional<QDateTime> last;
    if (!copy.isEmpty()) {
        try {
            last = log().lastReadOn(library(), copy, context_.now().date());
        } catch (const StorageError& e) {
            say_(saidOf(Failure::of(e), log().path()));
        }
    }
    read_->setText(last
                       ? kCaption + QStringLiteral(" (last read ") +
                             QLocale::c().toString(last->time(), QStringLiteral("h:mm AP")) + QLatin1Char(')')
                       : kCaption);
}

bool ReadOnAir::readOutsideRun(const QString& copy) {
    const RunCheck check = checkRun(data_.fieldText(QStringLiteral("StartDate")),
                                    data_.fieldText(QStringLiteral("EndDate")), context_.now().date());
    if (check.state == RunState::Current) return true;
    const QString reason = runReason(check);
    const QString key = library() + QLatin1Char('\n') + copy + QLatin1Char('\n') + reason;
    if (outsideRunAllowed_.contains(key)) return true;
    const auto answer = QMessageBox::question(
        window(), QStringLiteral("Read on Air"),
        QStringLiteral("%1: %2. Record it as read on air all the same?").arg(copy, reason));
    if (answer != QMessageBox::Yes) return false;
    outsideRunAllowed_.insert(key);
    return true;
}

void ReadOnAir::press() {
    const QString copy = data_.fieldText(QStringLiteral("PromoName"));
    if (copy.isEmpty()) return;
    const QDateTime now = context_.now();
    // A double press, or a second one a moment later, is the read already recorded.
    if (lastPress_ && lastPress_->library == library() && lastPress_->copy == copy &&
        lastPress_->at.secsTo(now) < kSameReadSeconds) {
        read_->setText(kCaption + QStringLiteral(" (same read, ") +
                       QLocale::c().toString(lastPress_->at.time(), QStringLiteral("h:mm:ss AP")) +
                       QLatin1Char(')'));
        return;
    }
    if (!readOutsideRun(copy)) return;
    try {
        lastPress_ = log().record(library(), copy, data_.fieldText(QStringLiteral("BodyText")), now);
    } catch (const StorageError& e) {
        say_(saidOf(Failure::of(e), log().path()));
        return;
    }
    undo_->setEnabled(true);
    undo_->setToolTip(QStringLiteral("Takes back the read of %1").arg(copy));
    undoWindow_.start(kUndoSeconds * 1000);
    showLastRead();
}

void ReadOnAir::undo() {
    if (!lastPress_) return;
    // The board's clock decides, as it decided the time recorded.
    if (lastPress_->at.secsTo(context_.now()) > kUndoSeconds) {
        closeUndo();
        say_(QStringLiteral("A read can be taken back only within a minute."));
        return;
    }
    try {
        log().remove(lastPress_->id);
    } catch (const StorageError& e) {
        say_(saidOf(Failure::of(e), log().path()));
        return;
    }
    closeUndo();
    showLastRead();
}

void ReadOnAir::closeUndo() {
    lastPress_.reset();
    undo_->setEnabled(false);
    undo_->setToolTip(QString());
}

void ReadOnAir::lookForOtherPresses() {
    // Asked from the board's own thread: only while someone works in the editor, so a share that
    // stops answering holds up the board no more than the editor's own reads would.
    if (!isVisible() || !window()->isActiveWindow()) return;
    const QDate today = context_.now().date();
    std::optional<quint64> stamp;
    try {
        stamp = log().changeStamp();
    } catch (const StorageError&) {
        // No file yet, or the share is away: the window's own file says so where it matters.
    }
    if (stamp == seenStamp_ && today == seenDay_) return;
    seenStamp_ = stamp;
    seenDay_ = today;
    showLastRead();
}
