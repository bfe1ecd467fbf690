#include "data/controls/FieldBinding.h"

#include "data/controls/DataControl.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

FieldBinding::FieldBinding(QLineEdit* box, DataControl* source, const QString& field) : QObject(box) {
    init(box, source, field);
    QObject::connect(box, &QLineEdit::textChanged, this, &FieldBinding::boxTextChanged);
}

FieldBinding::FieldBinding(QPlainTextEdit* box, DataControl* source, const QString& field) : QObject(box) {
    init(box, source, field);
    QObject::connect(box, &QPlainTextEdit::textChanged, this, &FieldBinding::boxTextChanged);
}

FieldBinding::FieldBinding(QComboBox* box, DataControl* source, const QString& field) : QObject(box) {
    init(box, source, field);
    QObject::connect(box, &QComboBox::currentTextChanged, this, &FieldBinding::boxTextChanged);
}

FieldBinding::~FieldBinding() {
    if (source_) source_->detach(this);
}

void FieldBinding::init(QWidget* box, DataControl* source, const QString& field) {
    setObjectName(QStringLiteral("binding"));
    box_ = box;
    source_ = source;
    field_ = field;
    if (source_) source_->attach(this);
}

FieldBinding* FieldBinding::of(QWidget* box) {
    return box ? box->findChild<FieldBinding*>(QStringLiteral("binding"), Qt::FindDirectChildrenOnly)
               : nullptr;
}

void FieldBinding::setDataField(const QString& field) {
    field_ = field;
    if (source_) source_->showCurrentIn(this);
}

QString FieldBinding::boxText() const {
    if (auto* e = qobject_cast<QLineEdit*>(box_)) return e->text();
    if (auto* p = qobject_cast<QPlainTextEdit*>(box_)) return p->toPlainText();
    if (auto* c = qobject_cast<QComboBox*>(box_)) return c->currentText();
    return QString();
}

void FieldBinding::show(const QString& text) {
    if (boxText() == text) return;
    showing_ = true;
    if (auto* e = qobject_cast<QLineEdit*>(box_)) {
        e->setText(text);
        e->setCursorPosition(0);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(box_)) {
        p->setPlainText(text);
    } else if (auto* c = qobject_cast<QComboBox*>(box_)) {
        c->setCurrentText(text);
    }
    showing_ = false;
}

void FieldBinding::boxTextChanged() {
    if (showing_ || !source_) return;
    source_->setFieldText(field_, boxText());
}
