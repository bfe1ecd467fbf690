#include "history/frmHistory.h"

#include "base/Steps.h"
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "data/controls/ReadUntilAnswered.h"
#include "data/history/HistorySource.h"
#include "data/rescue/KeptEdits.h"
#include "data/sharing/HistoryRestore.h"
#include "data/storage/Database.h"
#include "data/storage/StorageError.h"
#include "widgets/WindowPlace.h"
#include "widgets/Windows.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kFormName = QStringLiteral("frmHistory");
const QString kNoHistory =
    QStringLiteral("This file keeps no history: it has not been written since history was kept, "
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

bool sameFile(const QString& keptFile, const QString& path) {
    return QFileInfo(paths::fold(path))
               .fileName()
               .compare(QFileInfo(keptFile).fileName(), Qt::CaseInsensitive) == 0;
}

} // namespace

HistoryTopic topicOf(const DataControl& data, const QString& caption, bool currentRecordOnly) {
    HistoryTopic topic{caption, data.databaseName(), data.recordSource(), 0};
    if (currentRecordOnly && data.hasCurrent()) topic.record = data.bookmark().toLongLong();
    return topic;
}

frmHistory::frmHistory(DatabaseProvider& provider, QWidget* parent)
    : QWidget(parent, Qt::Window), provider_(provider),
      reading_(new ReadUntilAnswered(
          [this] { readEntries(); },
          [this](const QString& failure) { message_->setText(paths::withoutPassword(failure)); }, this)) {
    windows::adopt(this, kFormName);
    setWindowTitle(QStringLiteral("History"));
    buildLayout();
    windows::rememberPlace(this);
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
                            QStringLiteral("Field"), QStringLiteral("Old"), QStringLiteral("New")});
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

const HistoryEntry* frmHistory::chosen() const {
    const int row = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
    return row >= 0 && row < entries_.size() ? &entries_[row] : nullptr;
}

void frmHistory::Combo1_Click() {
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
        message_->setText(kNoHistory);
        return;
    }
    HistoryFilter filter;
    filter.table = t->table;
    filter.record = t->record;
    entries_ = source->historyEntries(filter);
    message_->setText(entries_.isEmpty() ? QStringLiteral("No changes kept for this yet.") : QString());
    listEntries();
}

void frmHistory::listEntries() {
    list_->clear();
    for (const HistoryEntry& e : entries_) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, e.at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        item->setText(1, e.computer);
        item->setText(2, e.user);
        item->setText(3, e.field + kindWords(e.kind));
        item->setText(4, readable(e.before));
        item->setText(5, readable(e.after));
    }
    if (!entries_.isEmpty()) list_->setCurrentItem(list_->topLevelItem(0));
    showChoice();
}

void frmHistory::showChoice() {
    const HistoryEntry* e = chosen();
    oldValue_->setEnabled(e && e->kind != ChangeKind::Delete);
    newValue_->setEnabled(e && e->kind != ChangeKind::Delete);
    asBefore_->setEnabled(e != nullptr);
    deleted_->setEnabled(e && e->kind == ChangeKind::Delete);
}

void frmHistory::putBack(const std::function<void(Database&, const HistoryEntry&)>& restore,
                         const QString& done) {
    const HistoryEntry* e = chosen();
    if (!e) return;
    const HistoryEntry entry = *e;
    QString said = done;
    try {
        restore(*database(), entry);
    } catch (const StorageError& failure) {
        said = paths::withoutPassword(failure.message());
    }
    showEntries();
    showKept();
    message_->setText(said);
}

void frmHistory::Command1_Click() {
    putBack([](Database& db, const HistoryEntry& e) { history::restoreField(db, e); },
            QStringLiteral("The old value is back."));
}

void frmHistory::Command2_Click() {
    putBack([](Database& db, const HistoryEntry& e) { history::restoreField(db, e, true); },
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

void frmHistory::Command5_Click() {
    Combo1_Click();
}

void frmHistory::Command6_Click() {
    close();
}

// Kept text of this studio for the topic's table: what another studio's change kept out.
void frmHistory::showKept() {
    kept_->clear();
    KeptEdits* store = provider_.keptEdits();
    const HistoryTopic* t = topic();
    if (store && t) {
        for (int i = 0; i < store->edits().size(); ++i) {
            const KeptEdit& edit = store->edits()[i];
            if (!edit.conflict || !sameFile(edit.file, t->path) ||
                edit.table.compare(t->table, Qt::CaseInsensitive) != 0)
                continue;
            for (auto it = edit.fields.cbegin(); it != edit.fields.cend(); ++it) {
                auto* item = new QTreeWidgetItem(kept_);
                item->setText(0, it.key());
                item->setText(1, readable(it.value()));
                QString now = QStringLiteral("(the record is gone)");
                skipOnFailure([&] {
                    std::unique_ptr<Recordset> rs = database()->openTable(edit.table);
                    rs->setBookmark(edit.key);
                    now = readable(rs->value(it.key()));
                });
                item->setText(2, now);
                item->setData(0, Qt::UserRole, i);
            }
        }
    }
    const bool any = kept_->topLevelItemCount() > 0;
    keptHeading_->setVisible(any);
    kept_->setVisible(any);
    takeMine_->setVisible(any);
    keepTheirs_->setVisible(any);
    if (any) kept_->setCurrentItem(kept_->topLevelItem(0));
}

void frmHistory::Command7_Click() {
    KeptEdits* store = provider_.keptEdits();
    if (!store || !kept_->currentItem()) return;
    const KeptEdit edit = store->edits().value(kept_->currentItem()->data(0, Qt::UserRole).toInt());
    QString said = QStringLiteral("Your text is in the file.");
    try {
        std::unique_ptr<Recordset> rs = database()->openTable(edit.table);
        rs->setBookmark(edit.key);
        // Over the version shown beside it, and only over that one.
        ExpectedValues shown;
        for (auto it = edit.fields.cbegin(); it != edit.fields.cend(); ++it)
            shown.insert(it.key(), rs->value(it.key()));
        rs->updateCurrent(edit.fields, shown);
        store->settle(edit);
    } catch (const StorageError& failure) {
        said = paths::withoutPassword(failure.message());
    }
    Combo1_Click();
    message_->setText(said);
}

void frmHistory::Command8_Click() {
    KeptEdits* store = provider_.keptEdits();
    if (!store || !kept_->currentItem()) return;
    store->settle(store->edits().value(kept_->currentItem()->data(0, Qt::UserRole).toInt()));
    Combo1_Click();
    message_->setText(QStringLiteral("The file's version stays; your kept text is gone from this computer."));
}

QPushButton* historyButton(QWidget* window, const QString& name, DatabaseProvider& provider,
                           DataControl& data) {
    auto* b = new QPushButton(QStringLiteral("&History..."), window);
    b->setObjectName(name);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, window, [&provider, &data] {
        showHistory(provider, {topicOf(data, QStringLiteral("This record"), true),
                               topicOf(data, QStringLiteral("Every record, deleted ones too"), false)});
    });
    return b;
}

frmHistory* showHistory(DatabaseProvider& provider, const QVector<HistoryTopic>& topics) {
    frmHistory* w = windows::find<frmHistory>(kFormName);
    if (!w) w = new frmHistory(provider);
    w->setTopics(topics);
    windows::bringToFront(w);
    return w;
}
