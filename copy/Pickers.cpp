#include "copy/Pickers.h"

#include "base/Steps.h"
#include "copy/CopyWindow.h"
#include "data/controls/DataControl.h"
#include "widgets/WindowPlace.h"
#include "widgets/Windows.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct PickerParams {
    QString form;
    QString caption;
    QString field;
    QString criteriaPrefix;
    bool closeButton;
    bool boldList;
    QSize size;
};

// Indexed by PickerKind.
const PickerParams& paramsOf(PickerKind kind) {
    // clang-format off
    static const PickerParams table[] = {
        {QStringLiteral("frmPromoList"), QStringLiteral("Promo List"), QStringLiteral("PromoName"),
         QStringLiteral("[PromoName] ="), false, true, QSize(260, 300)},
        {QStringLiteral("frmPrepCopySearch"), QStringLiteral("Prep-Copy Select"), QStringLiteral("Title"),
         QStringLiteral("[Title] ="), false, false, QSize(300, 300)},
        {QStringLiteral("frmNameSearch"), QStringLiteral("Select Name"), QStringLiteral("String"),
         QStringLiteral("[String] ="), true, false, QSize(320, 520)},
    };
    // clang-format on
    return table[static_cast<int>(kind)];
}

QString listed(const QVariant& stored) {
    return stored.isNull() ? QString() : stored.toString();
}

} // namespace

Picker::Picker(PickerKind kind, DataControl& editorData, std::function<void()> beforeMove)
    : kind_(kind), editor_(&editorData), beforeMove_(std::move(beforeMove)), list1_(new QListWidget(this)) {
    const PickerParams& p = paramsOf(kind);
    windows::adopt(this, p.form);
    windows::rememberPlace(this);
    setWindowTitle(p.caption);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setAccessibleName(p.caption);
    if (p.boldList) list1_->setFont(pointFont(8.25, true));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list1_, 1);
    if (p.closeButton) {
        auto* close = new QPushButton(QStringLiteral("&Close"), this);
        close->setObjectName(QStringLiteral("Command1"));
        connect(close, &QPushButton::clicked, this, &Picker::Command1_Click);
        layout->addWidget(close);
        windows::closeOnEscape(this, close);
    } else {
        windows::closeOnEscape(this);
    }
    connect(list1_, &QListWidget::itemClicked, this, &Picker::List1_Click);
    connect(list1_, &QListWidget::itemActivated, this, &Picker::List1_Click);
    resize(p.size);
}

void Picker::editorAboutToMove() const {
    // The hook belongs to the editor's window: it is gone once the editor is.
    if (editor_ && beforeMove_) skipOnFailure(beforeMove_);
}

void Picker::Form_Load() {
    list1_->clear();
    if (!editor_) return;
    DataControl& data = *editor_;
    const QString field = paramsOf(kind_).field;
    QByteArray mark;
    int count = 0;
    // Each step skipped on failure: an empty or unopened record set gives an empty list.
    editorAboutToMove();
    skipOnFailure([&] { mark = data.bookmark(); });
    // The first move stores what was typed in the editor. When that cannot be done just now (another
    // studio is writing the file, say), every further move would fail the same way: the editor stays
    // on its record with the typed text, and the list is read beside it.
    if (!skipOnFailure([&] { data.moveLast(); }) && data.isDirty()) {
        skipOnFailure([&] {
            for (const QVariant& stored : data.storedColumn(field))
                list1_->addItem(listed(stored));
        });
        return;
    }
    skipOnFailure([&] { count = data.recordCount(); });
    skipOnFailure([&] { data.moveFirst(); });
    for (int i = 0; i < count; ++i) {
        QString value;
        skipOnFailure([&] { value = listed(data.storedValue(field)); });
        const bool moved = skipOnFailure([&] { data.moveNext(); });
        list1_->addItem(value);
        // A record that could not be left is never listed twice.
        if (!moved) break;
    }
    // The editor shows the record it showed before the list was filled.
    skipOnFailure([&] { data.setBookmark(mark); });
}

void Picker::List1_Click() {
    const QListWidgetItem* item = list1_->currentItem();
    if (item && editor_) {
        // The value goes between quotes as it is; the storage layer reads it up to the last quote.
        const QString criteria =
            paramsOf(kind_).criteriaPrefix + QLatin1Char('"') + item->text() + QLatin1Char('"');
        editorAboutToMove();
        skipOnFailure([&] { editor_->findFirst(criteria); });
    }
    close();
}

void Picker::Command1_Click() {
    close();
}

QWidget* showPicker(PickerKind kind, DataControl& editorData, std::function<void()> beforeMove) {
    const PickerParams& p = paramsOf(kind);
    if (Picker* open = windows::find<Picker>(p.form)) {
        if (open->editor() == &editorData) {
            windows::bringToFront(open);
            return open;
        }
        // Its editor has gone (or another one asks): a list of the old editor would find nothing.
        open->close();
    }
    auto* picker = new Picker(kind, editorData, std::move(beforeMove));
    picker->Form_Load();
    windows::bringToFront(picker);
    return picker;
}
