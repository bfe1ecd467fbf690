#include "copy/frmPrepCopy.h"

#include "aired/CopyDate.h"
#include "base/Steps.h"
#include "copy/Pickers.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "history/frmHistory.h"
#include "studio/StudioContext.h"
#include "widgets/TextBox.h"
#include "widgets/WindowPlace.h"
#include "widgets/Windows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr quint32 kLightYellow = 0x80FFFF; // RGB(255,255,128)
constexpr int kTitleMax = 50;

} // namespace

frmPrepCopy::frmPrepCopy(StudioContext& context)
    : CopyWindow(context, QStringLiteral("frmPrepCopy"), catalogue::kPrepTable) {
    addNew_ = button(QStringLiteral("Command1"), QStringLiteral("&Add New"), &frmPrepCopy::Command1_Click);
    save_ = button(QStringLiteral("Command2"), QStringLiteral("&Save"), &frmPrepCopy::Command2_Click);
    edit_ = button(QStringLiteral("Command3"), QStringLiteral("&Edit"), &frmPrepCopy::Command3_Click);
    delete_ = button(QStringLiteral("Command4"), QStringLiteral("&Delete"), &frmPrepCopy::Command4_Click);
    buildLayout();
    save_->setEnabled(false);
    lockBoxes(true);
    resize(680, 520);
}

void frmPrepCopy::buildLayout() {
    auto* heading = new QGroupBox(this);
    heading->setObjectName(QStringLiteral("Frame1"));
    auto* headingLayout = new QHBoxLayout(heading);
    QLabel* title = label(QStringLiteral("Label3"), QStringLiteral("Prep Service Copy"));
    title->setFont(pointFont(9.75, true));
    headingLayout->addWidget(title);

    auto* top = new QGridLayout;
    top->addWidget(heading, 0, 0, 2, 1);
    auto* search = new QHBoxLayout;
    search->addWidget(
        button(QStringLiteral("Command8"), QStringLiteral("Search"), &frmPrepCopy::Command8_Click));
    // The arrow buttons are wide: they are what the presenter hits most.
    search->addWidget(
        button(QStringLiteral("Command6"), QStringLiteral("<<<<<<<"), &frmPrepCopy::Command6_Click), 2);
    search->addWidget(
        button(QStringLiteral("Command7"), QStringLiteral(">>>>>>"), &frmPrepCopy::Command7_Click), 2);
    top->addLayout(search, 0, 1);
    auto* actions = new QHBoxLayout;
    for (QPushButton* b : {addNew_, save_, edit_, delete_})
        actions->addWidget(b);
    actions->addWidget(historyButton(this, QStringLiteral("Command9"), context().provider(),
                                     context().rescueStore(), data1()));
    QPushButton* close =
        button(QStringLiteral("Command5"), QStringLiteral("&Close"), &frmPrepCopy::Command5_Click);
    actions->addWidget(close);
    windows::closeOnEscape(this, close);
    top->addLayout(actions, 1, 1);
    top->setColumnStretch(1, 1);
    body()->addLayout(top);

    const QStringList& names = catalogue::prepFields(); // "Title", "Date", "Text"
    auto* fields = new QGridLayout;
    fields->addWidget(label(QStringLiteral("Label1"), QStringLiteral("Title")), 0, 0);
    fields->addWidget(label(QStringLiteral("Label2"), QStringLiteral("Date")), 0, 1);
    TextBox* titleBox = boundLine(QStringLiteral("Text2"), names.at(0), QStringLiteral("Title"));
    titleBox->setFont(pointFont(8.25, true));
    titleBox->setTypedMaxLength(kTitleMax);
    TextBox* dateBox = boundLine(QStringLiteral("Text3"), names.at(1), QStringLiteral("Date"));
    fields->addWidget(titleBox, 1, 0);
    fields->addWidget(dateBox, 1, 1);
    // What the date box holds when it is not read as a date, beside it.
    QLabel* dateNote = label(QStringLiteral("DateNote"), QString());
    fields->addWidget(dateNote, 1, 2);
    connect(dateBox, &QLineEdit::textChanged, dateNote,
            [dateNote](const QString& text) { dateNote->setText(copyDateNote(text)); });
    fields->setColumnStretch(0, 3);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(2, 2);
    body()->addLayout(fields);

    MultiLineBox* copy = boundText(QStringLiteral("Text1"), names.at(2), QStringLiteral("Copy text"));
    copy->setFont(pointFont(12, true));
    body()->addWidget(copy, 1);

    for (TextBox* b : {titleBox, dateBox})
        b->setBackColor(kLightYellow);
    copy->setBackColor(kLightYellow);
}

void frmPrepCopy::Form_Load() {
    if (!context().dataFolderText().isEmpty()) openFile(context().dataFolderText() + catalogue::kPrepFile);
    windows::bringToFront(this);
    setWindowTitle(QStringLiteral("Prep Copy"));
    if (context().dataFolderText().isEmpty()) openFile(context().programFolder() + catalogue::kPrepFile);
}

void frmPrepCopy::Command1_Click() {
    skipOnFailure([this] { data1().addNew(); });
    save_->setEnabled(true);
    addNew_->setEnabled(false);
    lockBoxes(false);
}

void frmPrepCopy::Command2_Click() {
    // No move afterwards: an edited item stays in view, and after adding the item shown before
    // is current again.
    saveRecord();
    browse();
}

void frmPrepCopy::browse() {
    save_->setEnabled(false);
    addNew_->setEnabled(true);
    edit_->setEnabled(true);
    delete_->setEnabled(true);
    lockBoxes(true);
}

void frmPrepCopy::Command3_Click() {
    skipOnFailure([this] { data1().edit(); });
    save_->setEnabled(true);
    addNew_->setEnabled(false);
    edit_->setEnabled(false);
    delete_->setEnabled(false);
    lockBoxes(false);
}

void frmPrepCopy::Command4_Click() {
    // An item not stored yet is only dropped: the item shown before "&Add New" comes back, in
    // browse, so nothing typed afterwards can land on another item.
    if (data1().editMode() == DataControl::EditMode::Adding) {
        skipOnFailure([this] { data1().cancelUpdate(); });
        browse();
        return;
    }
    skipOnFailure([this] { data1().deleteRecord(); });
    skipOnFailure([this] { data1().moveFirst(); });
}

void frmPrepCopy::Command6_Click() {
    stepBack();
}
void frmPrepCopy::Command7_Click() {
    stepForward();
}
void frmPrepCopy::Command5_Click() {
    close();
}
void frmPrepCopy::Command8_Click() {
    showPicker(PickerKind::PrepCopy, data1());
}
