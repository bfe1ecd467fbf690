#include "copy/CopyWindow.h"

#include "base/Failure.h"
#include "base/FailureWords.h"
#include "base/Steps.h"
#include "data/catalogue/Catalogue.h"
#include "data/catalogue/FailureSaid.h"
#include "data/catalogue/Paths.h"
#include "data/controls/DataControl.h"
#include "data/controls/FieldBinding.h"
#include "data/controls/ReadUntilAnswered.h"
#include "studio/StudioContext.h"
#include "widgets/Accessible.h"
#include "widgets/TextBox.h"
#include "widgets/WindowPlace.h"
#include "widgets/Windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>

QFont pointFont(qreal points, bool bold) {
    QFont f;
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

CopyWindow::CopyWindow(StudioContext& context, const QString& formName, const QString& recordSource)
    : context_(context),
      data1_(new DataControl(context.provider(), context.journal(), QStringLiteral("Data1"), this)),
      status_(new QStatusBar(this)), body_(new QVBoxLayout),
      reading_(new ReadUntilAnswered(
          context.provider(), [this] { data1_->refresh(); },
          [this](const Failure& failure) { sayReadFailed(failure); }, this)) {
    windows::adopt(this, formName);
    windows::rememberPlace(this);
    data1_->setRecordSource(recordSource);
    // A write that fails while the window closes cannot be shown in a window that is going away.
    data1_->setLostWriteSink([name = formName](const Failure& failure) {
        qWarning("%s: typed text not stored: %s", qPrintable(name), qPrintable(sentenceOf(failure)));
    });
    status_->setObjectName(QStringLiteral("StatusBar"));
    status_->setSizeGripEnabled(false);
    // Readable whatever colour the window itself wears.
    QPalette plain = status_->palette();
    plain.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    plain.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
    status_->setPalette(plain);
    status_->setAutoFillBackground(true);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    body_->setContentsMargins(8, 8, 8, 4);
    outer->addLayout(body_, 1);
    outer->addWidget(status_);
}

void CopyWindow::openFile(const QString& path) {
    data1_->setConnect(catalogue::kConnectType);
    data1_->setConnect(catalogue::connectString());
    data1_->setDatabaseName(path);
    refreshData();
}

bool CopyWindow::refreshData() {
    const bool opened = reading_->read();
    if (opened) status_->clearMessage();
    return opened;
}

void CopyWindow::sayReadFailed(const Failure& failure) {
    const QString path = data1_->databaseName();
    // Before any file is named there is nothing the presenter could fix.
    if (!path.isEmpty()) status_->showMessage(saidOf(failure, path));
}

TextBox* CopyWindow::boundLine(const QString& name, const QString& field, const QString& spoken) {
    auto* box = new TextBox(this);
    box->setObjectName(name);
    box->setAccessibleName(spoken);
    new FieldBinding(box, data1_, field);
    lines_.push_back(box);
    return box;
}

MultiLineBox* CopyWindow::boundText(const QString& name, const QString& field, const QString& spoken) {
    auto* box = new MultiLineBox(this);
    box->setObjectName(name);
    box->setAccessibleName(spoken);
    // Copy is read out line by line: it wraps at the box's width and never scrolls sideways.
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    new FieldBinding(box, data1_, field);
    texts_.push_back(box);
    return box;
}

QPushButton* CopyWindow::plainButton(const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    accessible::nameArrowButton(b);
    return b;
}

QLabel* CopyWindow::label(const QString& name, const QString& caption) {
    auto* l = new QLabel(caption, this);
    l->setObjectName(name);
    return l;
}

void CopyWindow::lockBoxes(bool locked) {
    for (TextBox* b : lines_)
        b->setLocked(locked);
    for (MultiLineBox* b : texts_)
        b->setLocked(locked);
}

void CopyWindow::saveRecord() {
    try {
        data1_->update();
    } catch (const NotOpenError& e) {
        sayReadFailed(Failure::of(e));
    } catch (const std::exception&) {
    }
}

void CopyWindow::stepBack() {
    skipOnFailure([this] { data1_->movePrevious(); });
    skipOnFailure([this] {
        if (data1_->bof()) data1_->moveFirst();
    });
}

void CopyWindow::stepForward() {
    skipOnFailure([this] { data1_->moveNext(); });
    skipOnFailure([this] {
        if (data1_->eof()) data1_->moveLast();
    });
}

void CopyWindow::closeEvent(QCloseEvent* event) {
    // Binding rule: what was typed is stored before the window goes.
    skipOnFailure([this] { data1_->close(); });
    QWidget::closeEvent(event);
}
