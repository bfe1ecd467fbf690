#pragma once

#include <QLabel>

// A label with a sunken bevel; only its caption is used.
class Lbl3D : public QLabel {
    Q_OBJECT
  public:
    explicit Lbl3D(QWidget* parent = nullptr);
    QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
};
