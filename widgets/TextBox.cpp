#include "widgets/TextBox.h"

#include "widgets/Colors.h"
#include "widgets/Contrast.h"

#include <QKeyEvent>
#include <QPainter>
#include <QValidator>

namespace {

void paintBase(QWidget* w, quint32 bgr) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colors::fromBgr(bgr));
    p.setColor(QPalette::Text, Qt::black);
    w->setPalette(p);
}

// Refuses an edit that would make the text longer than the limit and longer than it was. The line
// edit validates its new text in place (text() already holds it), so the text before the edit is
// kept here. Text set from code clears the modified flag and is accepted whole, so a longer stored
// value is shown and can still be shortened.
class TypedLengthValidator : public QValidator {
  public:
    TypedLengthValidator(QLineEdit* box, int max)
        : QValidator(box), box_(box), max_(max), before_(box->text()) {
        connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
    }
    State validate(QString& input, int&) const override {
        if (!box_->isModified() || input.length() <= max_ || input.length() <= before_.length())
            return Acceptable;
        return Invalid;
    }

  private:
    QLineEdit* box_;
    int max_;
    QString before_;
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

QSize TextBox::minimumSizeHint() const {
    const QSize standard = QLineEdit::minimumSizeHint();
    if (hasFrame()) return standard;
    // Its text whole, and a pixel above and below for the edge.
    return {standard.width(), fontMetrics().height() + 2};
}

void TextBox::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    emit gotFocus();
}

void TextBox::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    emit lostFocus();
}

void TextBox::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F2 || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        emit openAsked();
        // Return also tells the line edit's own listeners (returnPressed).
        if (e->key() == Qt::Key_F2) return;
    }
    QLineEdit::keyPressEvent(e);
}

void TextBox::mouseDoubleClickEvent(QMouseEvent* e) {
    QLineEdit::mouseDoubleClickEvent(e);
    emit doubleClicked();
}

void TextBox::paintEvent(QPaintEvent* e) {
    QLineEdit::paintEvent(e);
    if (hasFrame() || !parentWidget()) return;
    QPainter painter(this);
    painter.setPen(contrast::edgeOn(contrast::backgroundBehind(parentWidget())));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

MultiLineBox::MultiLineBox(QWidget* parent) : QPlainTextEdit(parent) {
    // Tab moves on to the next control, as everywhere else; Return starts a new line.
    setTabChangesFocus(true);
}

void MultiLineBox::setBackColor(quint32 bgr) {
    back_ = bgr;
    paintBase(this, bgr);
}

void MultiLineBox::mouseDoubleClickEvent(QMouseEvent* e) {
    QPlainTextEdit::mouseDoubleClickEvent(e);
    emit doubleClicked();
}
