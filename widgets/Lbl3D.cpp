#include "widgets/Lbl3D.h"

Lbl3D::Lbl3D(QWidget* parent) : QLabel(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAlignment(Qt::AlignCenter);
    setMargin(2);
}
