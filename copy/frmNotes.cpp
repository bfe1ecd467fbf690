#include "copy/frmNotes.h"

#include "base/Steps.h"
#include "copy/Pickers.h"
#include "copy/ReadOnAir.h"
#include "copy/RunMarks.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "history/frmHistory.h"
#include "studio/StudioContext.h"
#include "widgets/Colors.h"
#include "widgets/TextBox.h"
#include "widgets/WindowPlace.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

constexpr quint32 kDarkRed = 0x0000C0; // RGB(192,0,0)
constexpr quint32 kYellowText = 0x00FFFF;

void paintWindow(QWidget* w, quint32 bgr) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colors::fromBgr(bgr));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void paintText(QWidget* w, quint32 bgr) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colors::fromBgr(bgr));
    w->setPalette(p);
}

QGroupBox* frame(QWidget* parent, const QString& name) {
    auto* f = new QGroupBox(parent);
    f->setObjectName(name);
    return f;
}

} // namespace

frmNotes::frmNotes(StudioContext& context)
    : CopyWindow(context, QStringLiteral("frmNotes"), catalogue::kLibraryTable) {
    setWindowTitle(QStringLiteral("Notes"));
    paintWindow(this, kDarkRed);
    label5_ = label(QStringLiteral("Label5"), QString());
    save_ = button(QStringLiteral("Command2"), QStringLiteral("&Save"), &frmNotes::Command2_Click);
    edit_ = button(QStringLiteral("Command6"), QStringLiteral("&Edit"), &frmNotes::Command6_Click);
    delete_ = button(QStringLiteral("Command5"), QStringLiteral("&Delete"), &frmNotes::Command5_Click);
    buildLayout();
    addAiredControls();
    save_->setEnabled(false);
    lockBoxes(true);
    resize(720, 520);
}

void frmNotes::buildLayout() {
    const QFont small = pointFont(8.25, true);

    auto* heading = frame(this, QStringLiteral("Frame1"));
    auto* headingLayout = new QHBoxLayout(heading);
    label5_->setFont(pointFont(9.75, true));
    paintText(label5_, kYellowText);
    label5_->setAlignment(Qt::AlignCenter);
    headingLayout->addWidget(label5_);

    auto* top = new QHBoxLayout;
    top->addWidget(
        button(QStringLiteral("Command8"), QStringLiteral("Select From List"), &frmNotes::Command8_Click));
    top->addWidget(heading, 1);
    body()->addLayout(top);

    auto* arrows = new QHBoxLayout;
    arrows->addWidget(button(QStringLiteral("Command3"), QStringLiteral("<<<"), &frmNotes::Command3_Click));
    arrows->addWidget(button(QStringLiteral("Command4"), QStringLiteral(">>>"), &frmNotes::Command4_Click));
    arrows->addStretch(1);
    body()->addLayout(arrows);

    struct Field {
        const char* label;
        const char* caption;
        const char* box;
        quint32 textColor;
    };
    static const Field fields[] = {{"Label1", "Name", "Text2", colors::kBlack},
                                   {"Label2", "Start Date ", "Text3", colors::kBlack},
                                   {"Label3", "End Date", "Text4", colors::kRed},
                                   {"Label4", "Entered By", "Text5", colors::kBlack}};
    // The boxes show the library fields in the catalogue's order; the copy text comes last.
    const QStringList& names = catalogue::libraryFields();
    auto* grid = new QGridLayout;
    int column = 0;
    for (const Field& f : fields) {
        QLabel* l = label(QString::fromLatin1(f.label), QString::fromLatin1(f.caption));
        l->setFont(small);
        paintText(l, colors::kWhite);
        TextBox* box =
            boundLine(QString::fromLatin1(f.box), names.at(column), QString::fromLatin1(f.caption).trimmed());
        box->setFont(small);
        box->setBackColor(colors::kLightGrey);
        box->setForeColor(f.textColor);
        grid->addWidget(l, 0, column);
        grid->addWidget(box, 1, column);
        grid->setColumnStretch(column, column == 0 ? 2 : 1);
        ++column;
    }
    // What a date box holds when it is not read as a date, under the box.
    for (auto [name, column] : {std::pair{"StartNote", 1}, std::pair{"EndNote", 2}}) {
        QLabel* note = label(QString::fromLatin1(name), QString());
        note->setFont(small);
        paintText(note, colors::kWhite);
        grid->addWidget(note, 2, column);
    }
    body()->addLayout(grid);

    MultiLineBox* copy = boundText(QStringLiteral("Text1"), names.at(4), QStringLiteral("Copy text"));
    copy->setFont(pointFont(12, true));
    copy->setBackColor(colors::kLightGrey);
    body()->addWidget(copy, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(
        button(QStringLiteral("Command1"), QStringLiteral("&Add New"), &frmNotes::Command1_Click));
    bottom->addWidget(save_);
    bottom->addWidget(edit_);
    bottom->addWidget(delete_);
    bottom->addWidget(historyButton(this, QStringLiteral("Command9"), context().provider(),
                                    context().rescueStore(), data1()));
    bottom->addWidget(frame(this, QStringLiteral("Frame2")), 1);
    QPushButton* close =
        button(QStringLiteral("Command7"), QStringLiteral("&Close"), &frmNotes::Command7_Click);
    bottom->addWidget(close);
    body()->addLayout(bottom);
    windows::closeOnEscape(this, close);
}

void frmNotes::addAiredControls() {
    runMarks_ = new RunMarks(
        data1(), findChild<TextBox*>(QStringLiteral("Text2")), findChild<TextBox*>(QStringLiteral("Text3")),
        findChild<TextBox*>(QStringLiteral("Text4")), findChild<MultiLineBox*>(QStringLiteral("Text1")),
        [this] { return context().now().date(); }, this);
    readOnAir_ = new ReadOnAir(
        context(), data1(), [this](const QString& message) { statusLine()->showMessage(message); }, this);
    auto* row = new QHBoxLayout(findChild<QGroupBox*>(QStringLiteral("Frame2")));
    row->setContentsMargins(6, 2, 6, 2);
    row->addWidget(runMarks_->reason(), 1);
    runMarks_->setDateNotes(findChild<QLabel*>(QStringLiteral("StartNote")),
                            findChild<QLabel*>(QStringLiteral("EndNote")));
    row->addWidget(readOnAir_);
}

void frmNotes::Form_Load() {
    // On a first load no file is named yet; the refresh fails and is skipped.
    refreshData();
}

void frmNotes::Command1_Click() {
    skipOnFailure([this] { data1().addNew(); });
    save_->setEnabled(true);
    delete_->setEnabled(false);
    edit_->setEnabled(false);
    lockBoxes(false);
}

void frmNotes::Command2_Click() {
    saveRecord();
    save_->setEnabled(false);
    delete_->setEnabled(true);
    // Every save lands on the last entry, where a new one is appended.
    skipOnFailure([this] { data1().moveLast(); });
    edit_->setEnabled(true);
    lockBoxes(true);
}

void frmNotes::Command6_Click() {
    skipOnFailure([this] { data1().edit(); });
    save_->setEnabled(true);
    edit_->setEnabled(false);
    lockBoxes(false);
}

void frmNotes::Command5_Click() {
    skipOnFailure([this] { data1().deleteRecord(); });
    skipOnFailure([this] { data1().moveFirst(); });
}

void frmNotes::Command3_Click() {
    stepBack();
}
void frmNotes::Command4_Click() {
    stepForward();
}
void frmNotes::Command7_Click() {
    close();
}

void frmNotes::Command8_Click() {
    QWidget* picker = showPicker(PickerKind::Promo, data1());
    RunMarks::markPicker(picker->findChild<QListWidget*>(QStringLiteral("List1")), data1(),
                         context().now().date());
    // Titled after the library it lists.
    picker->setWindowTitle(windowTitle());
}
