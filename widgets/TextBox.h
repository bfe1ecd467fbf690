#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

// One-line text box: locked flag (read-only but focusable), back colour (0x00BBGGRR), and a maximum
// length that limits only what is typed or pasted (a longer stored value is shown whole).
// Emits gotFocus, lostFocus and doubleClicked for the board's handlers, and openAsked for the
// keyboard's way of double-clicking (Return, Enter or F2).
class TextBox : public QLineEdit {
    Q_OBJECT
  public:
    explicit TextBox(QWidget* parent = nullptr);

    void setLocked(bool locked) { setReadOnly(locked); }
    bool locked() const { return isReadOnly(); }
    void setBackColor(quint32 bgr);
    quint32 backColor() const { return back_; }
    void setForeColor(quint32 bgr);
    // 0: no limit.
    void setTypedMaxLength(int max);
    int typedMaxLength() const { return max_; }
    // Without a frame the box may shrink to its text's own height and a little air.
    QSize minimumSizeHint() const override;

  signals:
    void gotFocus();
    void lostFocus();
    void doubleClicked();
    void openAsked();

  protected:
    void focusInEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    // Without a frame, a thin edge that stands out from the surroundings (a yellow box on a light
    // window would otherwise hardly show where it ends).
    void paintEvent(QPaintEvent* e) override;

  private:
    quint32 back_ = 0xFFFFFF;
    int max_ = 0;
};

// Multi-line text box with the same locked flag and back colour.
class MultiLineBox : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit MultiLineBox(QWidget* parent = nullptr);

    QString text() const { return toPlainText(); }
    void setText(const QString& text) { setPlainText(text); }
    void setLocked(bool locked) { setReadOnly(locked); }
    bool locked() const { return isReadOnly(); }
    void setBackColor(quint32 bgr);
    quint32 backColor() const { return back_; }

  signals:
    void doubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    quint32 back_ = 0xFFFFFF;
};
