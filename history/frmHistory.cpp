#include "history/frmHistory.h"

#include "base/Steps.h"
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/FailureSaid.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "data/controls/ReadUntilAnswered.h"
#include "data/history/HistorySource.h"
#include "data/history/HistoryWords.h"
#include "data/rescue/KeptEdits.h"
#include "data/rescue/KeptPlace.h"
#include "data/sharing/HistoryRestore.h"
#include "data/storage/Database.h"
#include "data/storage/StorageError.h"
#include "widgets/WindowPlace.h"
#include "widgets/Windows.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kFormName = QStringLiteral("frmHistory");
// How often the window looks whether its file changed.
constexpr int kFollowFileMs = 2000;
// How many entries one read lists: the newest at once, older ones as the presenter asks for them.
constexpr int kPageSize = 200;
// Said of the file by its name and folder.
const QString kNoHistory =
    QStringLiteral("%1 keeps no history: it has not been written since history was kept, "
                   "or it cannot be written.");

// A value as a presenter reads it: an empty text and a field never filled read apart.
QString readable(const QVariant& value) {
    if (value.isNull()) return QStringLiteral("(nothing)");
    if (value.toString().isEmpty()) return QStringLiteral("(empty)");
    return value.toString();
}

QString kindWords(ChangeKind kind) {
    switch (kind) {
    case ChangeKind::Add:
        return QStringLiteral(" (added)");
    case ChangeKind::Delete:
        return QStringLiteral(" (deleted)");
    case ChangeKind::Update:
        break;
    }
    return QString();
}

// Kept text belongs here only when it was kept for this very file of this very folder or server:
// the same file name in another folder is another station's content.
bool keptFor(const KeptEdit& edit, const QString& path) {
    const KeptPlace here = KeptPlace::of(path);
    return edit.folder == here.folder && edit.file.compare(here.file, Qt::CaseInsensitive) == 0;
}

bool sameFileName(const KeptEdit& edit, const QString& path) {
    return edit.file.compare(KeptPlace::of(path).file, Qt::CaseInsensitive) == 0;
}

} // namespace

HistoryTopic topicOf(const DataControl& data, const QString& caption, bool currentRecordOnly) {
    HistoryTopic topic{caption, data.databaseName(), data.recordSource(), 0};
    if (currentRecordOnly && data.hasCurrent()) topic.record = data.bookmark().toLongLong();
    return topic;
}

frmHistory::frmHistory(DatabaseProvider& provider, KeptEdits* store, QWidget* parent)
    : QWidget(parent, Qt::Window), provider_(provider), store_(store),
      reading_(new ReadUntilAnswered(
          provider, [this] { readEntries(); },
          [this](const Failure& failure) { message_->setText(saidOfTopic(failure)); }, this)) {
    windows::adopt(this, kFormName);
    setWindowTitle(QStringLiteral("History"));
    buildLayout();
    windows::rememberPlace(this);
    // Other studios' saves and the presenter's own elsewhere change what is listed: rows are shown
    // as they are now, never acted on as they were.
    fileWatch_.setInterval(kFollowFileMs);
    connect(&fileWatch_, &QTimer::timeout, this, &frmHistory::followFile);
    fileWatch_.start();
}

void frmHistory::buildLayout() {
    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* topicLabel = new QLabel(QStringLiteral("Changes &to:"), this);
    topicBox_ = new QComboBox(this);
    topicBox_->setObjectName(QStringLiteral("Combo1"));
    topicLabel->setBuddy(topicBox_);
    topicBox_->view()->setAccessibleName(QStringLiteral("Changes to"));
    top->addWidget(topicLabel);
    top->addWidget(topicBox_, 1);
    outer->addLayout(top);
    connect(topicBox_, &QComboBox::currentIndexChanged, this, &frmHistory::Combo1_Click);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("List1"));
    list_->setRootIsDecorated(false);
    list_->setAlternatingRowColors(true);
    list_->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Computer"), QStringLiteral("User"),
                            QStringLiteral("Record"), QStringLiteral("Field"), QStringLiteral("Old"),
                            QStringLiteral("New")});
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->header()->setStretchLastSection(true);
    list_->setAccessibleName(QStringLiteral("Changes, newest first"));
    outer->addWidget(list_, 3);
    connect(list_, &QTreeWidget::currentItemChanged, this, &frmHistory::showChoice);

    const auto button = [this](const char* name, const char* caption, void (frmHistory::*handler)()) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    auto* actions = new QHBoxLayout;
    oldValue_ = button("Command1", "Put Back &Old Value", &frmHistory::Command1_Click);
    newValue_ = button("Command2", "Put Back &New Value", &frmHistory::Command2_Click);
    asBefore_ = button("Command3", "Whole &Record As Before", &frmHistory::Command3_Click);
    deleted_ = button("Command4", "Bring Back &Deleted Record", &frmHistory::Command4_Click);
    for (QPushButton* b : {oldValue_, newValue_, asBefore_, deleted_})
        actions->addWidget(b);
    older_ = button("Command9", "O&lder\u2026", &frmHistory::Command9_Click);
    older_->setToolTip(QStringLiteral("List older changes too"));
    actions->addWidget(older_);
    actions->addStretch(1);
    actions->addWidget(button("Command5", "Re&fresh", &frmHistory::Command5_Click));
    outer->addLayout(actions);

    keptHeading_ =
        new QLabel(QStringLiteral("Your text kept on this computer, beside the file's version:"), this);
    outer->addWidget(keptHeading_);
    kept_ = new QTreeWidget(this);
    kept_->setObjectName(QStringLiteral("List2"));
    kept_->setRootIsDecorated(false);
    kept_->setHeaderLabels(
        {QStringLiteral("Field"), QStringLiteral("Yours (kept)"), QStringLiteral("In the file now")});
    kept_->header()->setSectionResizeMode(QHeaderView::Stretch);
    kept_->setAccessibleName(QStringLiteral("Kept text beside the file's version"));
    outer->addWidget(kept_, 1);
    auto* keptActions = new QHBoxLayout;
    takeMine_ = button("Command7", "Take &Mine", &frmHistory::Command7_Click);
    keepTheirs_ = button("Command8", "Keep T&heirs", &frmHistory::Command8_Click);
    keptActions->addWidget(takeMine_);
    keptActions->addWidget(keepTheirs_);
    keptActions->addStretch(1);
    elsewhere_ = new QLabel(this);
    elsewhere_->setObjectName(QStringLiteral("Label2"));
    elsewhere_->setWordWrap(true);
    outer->addWidget(elsewhere_);
    QPushButton* close = button("Command6", "&Close", &frmHistory::Command6_Click);
    keptActions->addWidget(close);
    outer->addLayout(keptActions);

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("Label1"));
    message_->setWordWrap(true);
    outer->addWidget(message_);
    windows::closeOnEscape(this, close);
    resize(1100, 600);
}

void frmHistory::setTopics(const QVector<HistoryTopic>& topics) {
    topics_ = topics;
    const QSignalBlocker quiet(topicBox_);
    topicBox_->clear();
    for (const HistoryTopic& t : topics_)
        topicBox_->addItem(t.caption);
    topicBox_->setCurrentIndex(0);
    Combo1_Click();
}

const HistoryTopic* frmHistory::topic() const {
    const int at = topicBox_->currentIndex();
    return at >= 0 && at < topics_.size() ? &topics_[at] : nullptr;
}

std::shared_ptr<Database> frmHistory::database() const {
    const HistoryTopic* t = topic();
    if (!t) throw StorageError(QStringLiteral("Nothing to show."));
    return provider_.open(t->path, catalogue::connectString());
}

QString frmHistory::saidOfTopic(const Failure& failure) const {
    const HistoryTopic* t = topic();
    return saidOf(failure, t ? t->path : QString());
}

const HistoryEntry* frmHistory::chosen() const {
    if (!list_->currentItem()) return nullptr;
    const qint64 id = list_->currentItem()->data(0, Qt::UserRole).toLongLong();
    for (const HistoryEntry& e : entries_)
        if (e.id == id) return &e;
    return nullptr;
}

void frmHistory::Combo1_Click() {
    listed_ = kPageSize;
    fileStamp_.reset();
    skipOnFailure([&] {
        if (topic()) fileStamp_ = database()->changeStamp();
    });
    showEntries();
    showKept();
}

void frmHistory::showEntries() {
    list_->clear();
    entries_.clear();
    message_->clear();
    if (!topic()) return;
    // A long history on a slow share, or simply a long one: the window fills once it is read.
    if (!reading_->read() && reading_->waiting() && message_->text().isEmpty())
        message_->setText(QStringLiteral("Reading the history..."));
    showChoice();
}

void frmHistory::readEntries() {
    const HistoryTopic* t = topic();
    if (!t) return;
    const std::shared_ptr<Database> db = database();
    auto* source = dynamic_cast<HistorySource*>(db.get());
    if (!source || !source->keepsHistory()) {
        message_->setText(kNoHistory.arg(fileAndPlace(t->path)));
        return;
    }
    // As many as were listed before, newest first: a change of the file shows every row as it is
    // now, and pages already asked for stay.
    HistoryFilter filter;
    filter.table = t->table;
    filter.record = t->record;
    filter.limit = listed_;
    entries_ = source->historyEntries(filter);
    older_->setEnabled(entries_.size() == listed_);
    readNames(*db, t->table);
    shownUpTo_ = 0;
    for (const HistoryEntry& e : entries_)
        shownUpTo_ = std::max(shownUpTo_, e.id);
    message_->setText(entries_.isEmpty() ? QStringLiteral("No changes kept for this yet.") : QString());
    listEntries();
}

void frmHistory::listEntries() {
    const qint64 wasChosen =
        list_->currentItem() ? list_->currentItem()->data(0, Qt::UserRole).toLongLong() : 0;
    list_->clear();
    addRows(entries_);
    QTreeWidgetItem* chosenAgain = nullptr;
    for (int i = 0; i < list_->topLevelItemCount() && !chosenAgain; ++i)
        if (list_->topLevelItem(i)->data(0, Qt::UserRole).toLongLong() == wasChosen)
            chosenAgain = list_->topLevelItem(i);
    if (!entries_.isEmpty()) list_->setCurrentItem(chosenAgain ? chosenAgain : list_->topLevelItem(0));
    showChoice();
}

// The records of a list table by what names them now (a copy's name, a contact's): a row of the
// list says which record it changed, deleted ones too.
void frmHistory::readNames(Database& db, const QString& table) {
    names_.clear();
    const QString naming = historywords::namingField(table);
    if (naming.isEmpty()) return;
    std::unique_ptr<Recordset> rs = db.openTable(table);
    if (!rs->hasField(naming) || rs->recordCount() == 0) return;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext())
        names_.insert(rs->bookmark().toLongLong(), rs->value(naming).toString());
}

QString frmHistory::recordName(const HistoryEntry& e) const {
    const HistoryTopic* t = topic();
    const QString single = t ? historywords::singleRecordCaption(t->path, e.table) : QString();
    if (!single.isEmpty()) return single;
    if (names_.contains(e.record)) return names_.value(e.record);
    // Gone: named by what its history last held in the naming field.
    const QString naming = historywords::namingField(e.table);
    for (const HistoryEntry& kept : entries_)
        if (kept.record == e.record && kept.field.compare(naming, Qt::CaseInsensitive) == 0) {
            const QVariant name = kept.kind == ChangeKind::Delete ? kept.before : kept.after;
            if (!name.toString().isEmpty()) return QStringLiteral("%1 (deleted)").arg(name.toString());
        }
    return QStringLiteral("Record %1 (deleted)").arg(e.record);
}

void frmHistory::addRows(const QVector<HistoryEntry>& entries) {
    for (const HistoryEntry& e : entries) {
        auto* item = new QTreeWidgetItem(list_);
        item->setData(0, Qt::UserRole, e.id);
        item->setText(0, historywords::whenText(e.at));
        item->setText(1, e.computer);
        item->setText(2, e.user);
        item->setText(3, recordName(e));
        item->setText(4, historywords::fieldCaption(e.table, e.field) + kindWords(e.kind));
        item->setText(5, readable(e.before));
        item->setText(6, readable(e.after));
    }
}

void frmHistory::showChoice() {
    const HistoryEntry* e = chosen();
    oldValue_->setEnabled(e && e->kind != ChangeKind::Delete);
    newValue_->setEnabled(e && e->kind != ChangeKind::Delete);
    asBefore_->setEnabled(e != nullptr);
    deleted_->setEnabled(e && e->kind == ChangeKind::Delete);
}

void frmHistory::putBack(const Restore& restore, const QString& done) {
    const HistoryEntry* e = chosen();
    if (!e) return;
    const HistoryEntry entry = *e;
    QString said = done;
    bool conflict = false;
    try {
        restore(*database(), entry);
    } catch (const ConflictError& failure) {
        said = QStringLiteral("Not put back: ") + paths::withoutPassword(failure.message());
        conflict = true;
    } catch (const StorageError& failure) {
        said = saidOfTopic(Failure::of(failure));
    }
    const qint64 shownBefore = shownUpTo_;
    showEntries();
    showKept();
    // The newer version is listed beside the one that was to go back.
    if (conflict && shownUpTo_ > shownBefore) said += QStringLiteral(" The list now shows the newer change.");
    message_->setText(said);
}

// Over the version the list showed, and only over that one.
void frmHistory::Command1_Click() {
    putBack([shown = shownUpTo_](Database& db,
                                 const HistoryEntry& e) { history::restoreField(db, e, false, shown); },
            QStringLiteral("The old value is back."));
}

void frmHistory::Command2_Click() {
    putBack([shown = shownUpTo_](Database& db,
                                 const HistoryEntry& e) { history::restoreField(db, e, true, shown); },
            QStringLiteral("That version is back."));
}

void frmHistory::Command3_Click() {
    // Just before the change: the change itself and everything after it are undone.
    putBack(
        [](Database& db, const HistoryEntry& e) {
            history::restoreRecordAsAt(db, e.table, e.record, e.at.addMSecs(-1));
        },
        QStringLiteral("The record is back as it was before that change."));
}

void frmHistory::Command4_Click() {
    putBack([](Database& db, const HistoryEntry& e) { history::restoreDeletedRecord(db, e.table, e.record); },
            QStringLiteral("The deleted record is back in its place."));
}

void frmHistory::Command9_Click() {
    const HistoryTopic* t = topic();
    if (!t || entries_.isEmpty()) return;
    try {
        const std::shared_ptr<Database> db = database();
        auto* source = dynamic_cast<HistorySource*>(db.get());
        if (!source) return;
        HistoryFilter filter;
        filter.table = t->table;
        filter.record = t->record;
        filter.olderThan = entries_.back().at;
        filter.olderThanId = entries_.back().id;
        filter.limit = kPageSize;
        const QVector<HistoryEntry> page = source->historyEntries(filter);
        entries_ += page;
        listed_ = int(entries_.size());
        older_->setEnabled(page.size() == kPageSize);
        if (!page.isEmpty()) addRows(page);
        if (page.isEmpty()) message_->setText(QStringLiteral("No older changes are kept."));
    } catch (const AnswerLateError&) {
        message_->setText(
            QStringLiteral("Reading older changes... Click \"Older\u2026\" again in a moment."));
    } catch (const StorageError& failure) {
        message_->setText(saidOfTopic(Failure::of(failure)));
    }
}

void frmHistory::Command5_Click() {
    Combo1_Click();
}

void frmHistory::Command6_Click() {
    close();
}

// Kept text of this studio for the topic's table: what another studio's change kept out.
void frmHistory::showKept() {
    KeptEdits* store = store_.data();
    if (store != watched_) {
        if (watched_) disconnect(watched_, &KeptEdits::changed, this, nullptr);
        watched_ = store;
        if (store) connect(store, &KeptEdits::changed, this, &frmHistory::showKept);
    }
    const QString wasChosen =
        kept_->currentItem() ? kept_->currentItem()->data(0, Qt::UserRole).toString() : QString();
    kept_->clear();
    shownBeside_.clear();
    QStringList elsewhere;
    const HistoryTopic* t = topic();
    for (const KeptEdit& edit : store&& t ? store->edits() : QVector<KeptEdit>()) {
        if (!edit.conflict || edit.table.compare(t->table, Qt::CaseInsensitive) != 0) continue;
        if (!keptFor(edit, t->path)) {
            if (sameFileName(edit, t->path)) elsewhere << edit.folder + QLatin1Char('/') + edit.file;
            continue;
        }
        showKeptEdit(edit);
    }
    const bool any = kept_->topLevelItemCount() > 0;
    keptHeading_->setVisible(any);
    kept_->setVisible(any);
    takeMine_->setVisible(any);
    keepTheirs_->setVisible(any);
    elsewhere.removeDuplicates();
    elsewhere_->setVisible(!elsewhere.isEmpty());
    elsewhere_->setText(
        elsewhere.isEmpty()
            ? QString()
            : QStringLiteral("Text is also kept on this computer for %1. It belongs to another data folder "
                             "and is never written here; open the board on that folder to settle it.")
                  .arg(elsewhere.join(QStringLiteral(", "))));
    if (!any) return;
    QTreeWidgetItem* again = nullptr;
    for (int i = 0; i < kept_->topLevelItemCount() && !again; ++i)
        if (kept_->topLevelItem(i)->data(0, Qt::UserRole).toString() == wasChosen)
            again = kept_->topLevelItem(i);
    kept_->setCurrentItem(again ? again : kept_->topLevelItem(0));
}

// One row per field, with what the file holds now beside it: the version Take Mine writes over.
void frmHistory::showKeptEdit(const KeptEdit& edit) {
    ExpectedValues& shown = shownBeside_[edit.id];
    std::unique_ptr<Recordset> rs;
    skipOnFailure([&] {
        rs = database()->openTable(edit.table);
        rs->setBookmark(edit.key);
    });
    for (auto it = edit.fields.cbegin(); it != edit.fields.cend(); ++it) {
        auto* item = new QTreeWidgetItem(kept_);
        item->setText(0, historywords::fieldCaption(edit.table, it.key()));
        item->setText(1, readable(it.value()));
        QString now = QStringLiteral("(the record is gone)");
        skipOnFailure([&] {
            if (!rs || !rs->hasCurrent()) return;
            const QVariant value = rs->value(it.key());
            shown.insert(it.key(), value);
            now = readable(value);
        });
        item->setText(2, now);
        item->setData(0, Qt::UserRole, edit.id);
    }
}

std::optional<KeptEdit> frmHistory::keptChosen() const {
    KeptEdits* store = store_.data();
    if (!store || !kept_->currentItem()) return std::nullopt;
    return store->find(kept_->currentItem()->data(0, Qt::UserRole).toString());
}

void frmHistory::Command7_Click() {
    const std::optional<KeptEdit> edit = keptChosen();
    if (!edit) return;
    const ExpectedValues shown = shownBeside_.value(edit->id);
    QString said = QStringLiteral("Your text is in the file.");
    try {
        // Over the version shown beside it, and only over that one: a record gone when shown, or
        // a field read since changed, is a conflict.
        if (shown.size() != edit->fields.size())
            throw ConflictError(QStringLiteral("The record was deleted by another user."));
        std::unique_ptr<Recordset> rs = database()->openTable(edit->table);
        try {
            rs->setBookmark(edit->key);
        } catch (const StorageError&) {
            throw ConflictError(QStringLiteral("The record was deleted by another user."));
        }
        rs->updateCurrent(edit->fields, shown);
        store_->settle(*edit);
    } catch (const ConflictError& failure) {
        said = QStringLiteral("Not written: %1 What the file holds now is shown beside your text.")
                   .arg(paths::withoutPassword(failure.message()));
    } catch (const StorageError& failure) {
        said = saidOfTopic(Failure::of(failure));
    }
    Combo1_Click();
    message_->setText(said);
}

void frmHistory::Command8_Click() {
    const std::optional<KeptEdit> edit = keptChosen();
    if (!edit) return;
    store_->settle(*edit);
    Combo1_Click();
    message_->setText(QStringLiteral("The file's version stays; your kept text is gone from this computer."));
}

// Another studio's save reaches the list and the versions shown beside kept text.
void frmHistory::followFile() {
    if (!isVisible() || !topic()) return;
    std::optional<quint64> stamp;
    skipOnFailure([&] { stamp = database()->changeStamp(); });
    if (!stamp || stamp == fileStamp_) return;
    const bool first = !fileStamp_;
    fileStamp_ = stamp;
    if (first) return;
    const QString said = message_->text();
    Combo1_Click();
    if (message_->text().isEmpty()) message_->setText(said);
}

QPushButton* historyButton(QWidget* window, const QString& name, DatabaseProvider& provider, KeptEdits* store,
                           DataControl& data) {
    auto* b = new QPushButton(QStringLiteral("&History..."), window);
    b->setObjectName(name);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, window, [&provider, store, &data] {
        showHistory(provider, store,
                    {topicOf(data, QStringLiteral("This record"), true),
                     topicOf(data, QStringLiteral("Every record, deleted ones too"), false)});
    });
    return b;
}

frmHistory* showHistory(DatabaseProvider& provider, KeptEdits* store, const QVector<HistoryTopic>& topics) {
    frmHistory* w = windows::find<frmHistory>(kFormName);
    if (!w) w = new frmHistory(provider, store);
    w->setTopics(topics);
    windows::bringToFront(w);
    return w;
}
