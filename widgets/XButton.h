#pragma once

#include <QPushButton>

// A push button with a back colour and a caption colour (0x00BBGGRR); pressing it emits pressed().
class XButton : public QPushButton {
    Q_OBJECT
  public:
    explicit XButton(const QString& caption, QWidget* parent = nullptr);

    quint32 backColor() const { return back_; }
    void setBackColor(quint32 bgr);
    quint32 foreColor() const { return fore_; }
    void setForeColor(quint32 bgr);
    QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    // A new look or a new place: the edge follows what surrounds the button.
    void changeEvent(QEvent* event) override;

  private:
    void repaintColors();
    quint32 back_ = 0xC0C0C0;
    quint32 fore_ = 0x000000;
};
