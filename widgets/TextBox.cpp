#include "widgets/TextBox.h"

#include "widgets/Colors.h"

#include <QValidator>

namespace {

void paintBase(QWidget* w, quint32 bgr) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colors::fromBgr(bgr));
    p.setColor(QPalette::Text, Qt::black);
    w->setPalette(p);
}

// Refuses an edit that would make the text longer than the limit. Setting the text from code is
// not validated, and an over-long stored text can still be shortened.
class TypedLengthValidator : public QValidator {
public:
    TypedLengthValidator(QLineEdit* box, int max) : QValidator(box), box_(box), max_(max) {}
    State validate(QString& input, int&) const override {
        if (input.length() <= max_ || input.length() <= box_->text().length()) return Acceptable;
        return Invalid;
    }

private:
    QLineEdit* box_;
    int max_;
};

} // namespace

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(32767 * 16);
}

void TextBox::setBackColor(quint32 bgr) {
    back_ = bgr;
    paintBase(this, bgr);
}

void TextBox::setForeColor(quint32 bgr) {
    QPalette p = palette();
    p.setColor(QPalette::Text, colors::fromBgr(bgr));
    setPalette(p);
}

void TextBox::setTypedMaxLength(int max) {
    max_ = max;
    delete validator();
    setValidator(max > 0 ? new TypedLengthValidator(this, max) : nullptr);
}

void TextBox::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    emit gotFocus();
}

void TextBox::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    emit lostFocus();
}

void TextBox::mouseDoubleClickEvent(QMouseEvent* e) {
    QLineEdit::mouseDoubleClickEvent(e);
    emit doubleClicked();
}

MultiLineBox::MultiLineBox(QWidget* parent) : QPlainTextEdit(parent) {}

void MultiLineBox::setBackColor(quint32 bgr) {
    back_ = bgr;
    paintBase(this, bgr);
}

void MultiLineBox::mouseDoubleClickEvent(QMouseEvent* e) {
    QPlainTextEdit::mouseDoubleClickEvent(e);
    emit doubleClicked();
}
