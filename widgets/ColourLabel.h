#pragma once

#include <QLabel>

// A one-line label in colours the station chose (0x00BBGGRR). Where the pair does not read, the
// caption is drawn with a contrasting rim (see contrast::drawText); the colours themselves stay.
// Without a back colour the label stands on the window's own background, whatever the palette.
class ColourLabel : public QLabel {
    Q_OBJECT
  public:
    ColourLabel(const QString& text, quint32 fore, QWidget* parent = nullptr);
    void setBackColor(quint32 bgr);

    QColor foreground() const;
    QColor background() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool filled_ = false;
};
