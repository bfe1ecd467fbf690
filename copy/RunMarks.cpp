#include "copy/RunMarks.h"

#include "base/Steps.h"
#include "data/controls/DataControl.h"
#include "widgets/Contrast.h"
#include "widgets/TextBox.h"

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QListWidget>
#include <QPixmap>
#include <QStyle>
#include <algorithm>

namespace {

const QString kNameField = QStringLiteral("PromoName");
const QString kStartField = QStringLiteral("StartDate");
const QString kEndField = QStringLiteral("EndDate");

// Apart from each other, and made as light as it takes to read on what they stand on (the editor's
// dark red took the orange down to 2.8:1).
QColor warningColor(RunState state, const QWidget* on) {
    const QColor hue = state == RunState::Expired ? QColor(0xFF, 0x8C, 0x00) : QColor(0xFF, 0xE0, 0x40);
    return contrast::readableOn(hue, contrast::backgroundBehind(on));
}

QIcon markIcon(RunState state) {
    const QStyle* style = QApplication::style();
    return style->standardIcon(state == RunState::Expired ? QStyle::SP_MessageBoxCritical
                                                          : QStyle::SP_MessageBoxWarning);
}

QString text(const QVariant& stored) {
    return stored.isNull() ? QString() : stored.toString();
}

} // namespace

RunMarks::RunMarks(DataControl& data, TextBox* name, TextBox* start, TextBox* end, MultiLineBox* copy,
                   std::function<QDate()> today, QObject* parent)
    : QObject(parent), data_(data), copy_(copy), mark_(new QAction(name)),
      reason_(new QLabel(name->parentWidget())), start_(start), end_(end), today_(std::move(today)) {
    mark_->setObjectName(QStringLiteral("RunMark"));
    name->addAction(mark_, QLineEdit::TrailingPosition);
    reason_->setObjectName(QStringLiteral("RunReason"));
    // A longer reason takes a second line rather than more of the screen.
    reason_->setWordWrap(true);
    QFont bold = reason_->font();
    bold.setBold(true);
    reason_->setFont(bold);
    connect(&data, &DataControl::repositioned, this, &RunMarks::update);
    connect(start, &QLineEdit::textChanged, this, &RunMarks::update);
    connect(end, &QLineEdit::textChanged, this, &RunMarks::update);
    connect(&midnight_, &QTimer::timeout, this, &RunMarks::update);
    midnight_.start(60 * 1000);
    update();
}

void RunMarks::setDateNotes(QLabel* startNote, QLabel* endNote) {
    startNote_ = startNote;
    endNote_ = endNote;
    for (QLabel* note : {startNote_, endNote_})
        note->setWordWrap(true);
    update();
}

void RunMarks::update() {
    if (startNote_ && endNote_) {
        startNote_->setText(copyDateNote(start_->text()));
        endNote_->setText(reversedRange(start_->text(), end_->text())
                              ? QStringLiteral("before the start date")
                              : copyDateNote(end_->text()));
        // An empty note takes no room.
        for (QLabel* note : {startNote_, endNote_})
            note->setVisible(!note->text().isEmpty());
    }
    RunCheck check;
    skipOnFailure([&] {
        if (data_.isOpen() && data_.hasCurrent())
            check = checkRun(data_.fieldText(kStartField), data_.fieldText(kEndField), today_());
    });
    const bool marked = check.state != RunState::Current;
    const QString reason = runReason(check);
    mark_->setVisible(marked);
    mark_->setIcon(markIcon(check.state));
    mark_->setToolTip(reason);
    reason_->setText(reason);
    QPalette p = reason_->palette();
    p.setColor(QPalette::WindowText, warningColor(check.state, reason_));
    reason_->setPalette(p);
    copy_->setStyleSheet(marked ? QStringLiteral("QPlainTextEdit { border: 4px solid %1; }")
                                      .arg(warningColor(check.state, copy_->parentWidget()).name())
                                : QString());
    copy_->setAccessibleDescription(reason);
}

void RunMarks::markPicker(QListWidget* list, const DataControl& editorData, const QDate& today) {
    QVector<QVariant> names, starts, ends;
    const bool read = skipOnFailure([&] {
        names = editorData.storedColumn(kNameField);
        starts = editorData.storedColumn(kStartField);
        ends = editorData.storedColumn(kEndField);
    });
    if (!read || starts.size() != names.size() || ends.size() != names.size()) return;
    // A name chosen finds its first record, so that record's run is the name's.
    QHash<QString, RunCheck> runs;
    for (qsizetype i = names.size() - 1; i >= 0; --i)
        runs.insert(text(names[i]), checkRun(text(starts[i]), text(ends[i]), today));
    QList<QListWidgetItem*> items;
    while (list->count() > 0)
        items << list->takeItem(0);
    std::stable_sort(items.begin(), items.end(), [&](QListWidgetItem* a, QListWidgetItem* b) {
        return runs.value(a->text()).state < runs.value(b->text()).state;
    });
    // Marks the size of a line, and room kept for one beside every name, so the names align.
    const int side = list->fontMetrics().height();
    list->setIconSize(QSize(side, side));
    QPixmap blank(side, side);
    blank.fill(Qt::transparent);
    for (QListWidgetItem* item : items) {
        const RunCheck check = runs.value(item->text());
        const bool marked = check.state != RunState::Current;
        item->setIcon(marked ? markIcon(check.state) : QIcon(blank));
        item->setToolTip(runReason(check));
        item->setData(Qt::AccessibleDescriptionRole, runReason(check));
        list->addItem(item);
    }
}
