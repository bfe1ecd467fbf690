#include "phone/frmPhone.h"

#include "copy/Pickers.h"
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/FailureSaid.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "data/controls/FieldBinding.h"
#include "data/controls/ReadUntilAnswered.h"
#include "history/frmHistory.h"
#include "studio/StudioContext.h"
#include "widgets/Accessible.h"
#include "widgets/Colors.h"
#include "widgets/TextBox.h"
#include "widgets/WindowPlace.h"
#include "widgets/Windows.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kExtField = QStringLiteral("Ext");
const QString kStringField = QStringLiteral("String");

// The visible boxes: where each sits in the "Add New" frame, the field it shows and its label.
struct BoxSpec {
    int number; // TextN
    int row;
    int column; // label column; the box sits in the next one
    int span;   // columns the box takes
    QString field;
    QString label;
};

const std::array<BoxSpec, 8>& boxSpecs() {
    static const std::array<BoxSpec, 8> layoutRows{{
        {1, 1, 0, 1, QStringLiteral("Name"), QStringLiteral("Name")},
        {5, 1, 2, 3, QStringLiteral("Title"), QStringLiteral("Title")},
        {2, 2, 0, 1, QStringLiteral("Home"), QStringLiteral("Home Phone")},
        {6, 2, 2, 1, QStringLiteral("Work"), QStringLiteral("Work Phone")},
        {8, 2, 4, 1, kExtField, QStringLiteral("Ext.")},
        {3, 3, 0, 1, QStringLiteral("Cell"), QStringLiteral("Cell Phone")},
        {7, 3, 2, 1, QStringLiteral("Pager"), QStringLiteral("Pager")},
        {4, 4, 0, 1, QStringLiteral("Pin"), QStringLiteral("Pin/Nextel #")},
    }};
    return layoutRows;
}

struct ButtonSpec {
    int number; // CommandN
    QString caption;
    void (frmPhone::*handler)();
};

const std::array<ButtonSpec, 7>& buttonSpecs() {
    static const std::array<ButtonSpec, 7> layoutRows{{
        {1, QStringLiteral("&Add New"), &frmPhone::Command1_Click},
        {2, QStringLiteral("&Save"), &frmPhone::Command2_Click},
        {3, QStringLiteral("&Delete"), &frmPhone::Command3_Click},
        {4, QStringLiteral("&Close Phone List"), &frmPhone::Command4_Click},
        {5, QStringLiteral("Show &List"), &frmPhone::Command5_Click},
        {6, QStringLiteral("<<<"), &frmPhone::Command6_Click},
        {7, QStringLiteral(">>>"), &frmPhone::Command7_Click},
    }};
    return layoutRows;
}

// Qt's own colour for an application workspace (the background of a multi-document area).
void paintWorkspace(QWidget* w) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, p.color(QPalette::Dark));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

frmPhone::frmPhone(StudioContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    windows::adopt(this, QStringLiteral("frmPhone"));
    windows::rememberPlace(this);
    setWindowTitle(QStringLiteral("Cuepilot Phone List"));
    paintWorkspace(this);

    Data1 = new DataControl(context_.provider(), context_.journal(), QStringLiteral("Data1"), this);
    Data1->setRecordSource(catalogue::kPhoneTable);
    Data1->setLostWriteSink([this](const Failure& failure) { report(failure); });

    buildControls();
    connectButtons();
    Form_Load();
    showState(false);
}

frmPhone::~frmPhone() {
    Form_Unload();
}

QString frmPhone::displayText(const QString& name, const QString& home, const QString& title) {
    return name + QStringLiteral(", ") + QStringLiteral("   Hm. ") + home + QStringLiteral("   Title - ") +
           title;
}

void frmPhone::buildControls() {
    for (int n = 1; n <= 9; ++n) {
        auto* box = new TextBox(this);
        box->setObjectName(QStringLiteral("Text%1").arg(n));
        box->setBackColor(colors::kYellow);
        box->setLocked(true);
        text_[n] = box;
    }
    // The summary is composed by the window, never typed.
    text_[9]->setHidden(true);
    text_[9]->setAccessibleName(QStringLiteral("Entry as listed"));
    text_[9]->setTypedMaxLength(124);

    for (const ButtonSpec& b : buttonSpecs()) {
        auto* button = new QPushButton(b.caption, this);
        button->setObjectName(QStringLiteral("Command%1").arg(b.number));
        command_[b.number] = button;
    }

    auto* addNew = new QGroupBox(QStringLiteral("Add New"), this);
    paintWorkspace(addNew);
    auto* grid = new QGridLayout(addNew);
    auto* hint = new QLabel(QStringLiteral("(Last, First)"), addNew);
    grid->addWidget(hint, 0, 1);
    for (const BoxSpec& row : boxSpecs()) {
        TextBox* box = text_[row.number];
        QLabel* label = boldLabel(row.label, addNew);
        label->setBuddy(box);
        grid->addWidget(label, row.row, row.column);
        grid->addWidget(box, row.row, row.column + 1, 1, row.span);
        box->setMinimumWidth(row.number == 8 ? 60 : 160);
        // Ext gets its binding once the table is known to have the field.
        if (row.field != kExtField) new FieldBinding(box, Data1, row.field);
    }
    new FieldBinding(text_[9], Data1, kStringField);

    auto* version = new QGroupBox(QStringLiteral("Cuepilot Version 2.1"), this);
    paintWorkspace(version);

    auto* top = new QHBoxLayout;
    for (int n : {1, 2, 5, 6, 7})
        top->addWidget(command_[n]);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(command_[3]);
    bottom->addWidget(
        historyButton(this, QStringLiteral("Command8"), context_.provider(), context_.rescueStore(), *Data1));
    bottom->addWidget(version, 1);
    bottom->addWidget(command_[4]);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(addNew);
    layout->addLayout(bottom);
}

void frmPhone::connectButtons() {
    for (const ButtonSpec& b : buttonSpecs())
        connect(command_[b.number], &QPushButton::clicked, this, b.handler);
    windows::closeOnEscape(this, command_[4]);
    for (int arrow : {6, 7})
        accessible::nameArrowButton(command_[arrow]);
}

void frmPhone::Form_Load() {
    Data1->setConnect(catalogue::kConnectType);
    Data1->setConnect(catalogue::connectString());
    Data1->setDatabaseName(
        paths::withFallback(context_.dataFolderText(), context_.programFolder(), catalogue::kPhoneFile));
    // Skipped silently as every failure of this window is; a file that did not answer in time is
    // read again once it answers, so the list fills by itself.
    if (!reading_)
        reading_ = new ReadUntilAnswered(
            context_.provider(),
            [this] {
                Data1->refresh();
                skipOnFailure([&] { bindExtension(); });
                showState(adding());
            },
            {}, this);
    reading_->read();
}

// An older phone file may have no "Ext" field: the box then stays unbound and locked, so nothing
// typed there is silently thrown away.
void frmPhone::bindExtension() {
    if (!Data1->isOpen() || !Data1->hasField(kExtField) || FieldBinding::of(text_[8])) return;
    auto* binding = new FieldBinding(text_[8], Data1, kExtField);
    Data1->showCurrentIn(binding);
}

void frmPhone::showState(bool adding) {
    command_[1]->setEnabled(!adding);
    command_[2]->setEnabled(adding);
    command_[3]->setEnabled(!adding);
    command_[5]->setEnabled(!adding);
    for (int n = 1; n <= 8; ++n) {
        const bool bound = FieldBinding::of(text_[n]) != nullptr;
        text_[n]->setLocked(!(adding && bound));
    }
}

bool frmPhone::adding() const {
    return command_[2]->isEnabled();
}

void frmPhone::composeDisplayText() {
    text_[9]->setText(displayText(text_[1]->text(), text_[2]->text(), text_[5]->text()));
}

void frmPhone::summariseTypedContact() {
    if (adding() && Data1->isDirty()) composeDisplayText();
}

void frmPhone::report(const Failure& failure) const {
    // Named by the list's own file where the failure does not say where it happened.
    if (errorSink_) errorSink_(placedAt(failure, Data1->databaseName()));
}

void frmPhone::Command1_Click() {
    skipOnFailure([&] { Data1->addNew(); });
    showState(true);
    text_[1]->setFocus();
}

void frmPhone::Command2_Click() {
    skipOnFailure([&] { composeDisplayText(); });
    try {
        Data1->update();
    } catch (const NotOpenError& e) {
        // The typed contact stays in its boxes and is stored once the file opens.
        report(Failure::of(e));
    } catch (const std::exception&) {
    }
    showState(false);
}

void frmPhone::Command3_Click() {
    skipOnFailure([&] { Data1->deleteRecord(); });
    skipOnFailure([&] { Data1->moveFirst(); });
}

void frmPhone::Command4_Click() {
    close();
}

void frmPhone::Command5_Click() {
    reportOnFailure(errorSink_, [&] {
        showPicker(PickerKind::Name, *Data1,
                   // A contact typed meanwhile is stored with its summary.
                   [this] { summariseTypedContact(); });
    });
}

void frmPhone::Command6_Click() {
    skipOnFailure([&] {
        summariseTypedContact();
        Data1->movePrevious();
    });
    skipOnFailure([&] {
        if (Data1->bof()) Data1->moveFirst();
    });
}

void frmPhone::Command7_Click() {
    skipOnFailure([&] {
        summariseTypedContact();
        Data1->moveNext();
    });
    skipOnFailure([&] {
        if (Data1->eof()) Data1->moveLast();
    });
}

void frmPhone::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    skipOnFailure([&] { summariseTypedContact(); });
    // The binding rule stores what was typed; a write that fails goes to the lost-write sink.
    skipOnFailure([&] { Data1->close(); });
}

void frmPhone::closeEvent(QCloseEvent* event) {
    Form_Unload();
    QWidget::closeEvent(event);
}

frmPhone* showPhoneList(StudioContext& context, const ErrorSink& errorSink) {
    auto* list = windows::find<frmPhone>(QStringLiteral("frmPhone"));
    if (!list) list = new frmPhone(context);
    list->setErrorSink(errorSink);
    windows::bringToFront(list);
    return list;
}
