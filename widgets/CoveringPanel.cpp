#include "widgets/CoveringPanel.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

CoveringPanel::CoveringPanel(QWidget* panel, QVector<QWidget*> beneath) : QObject(panel), panel_(panel) {
    for (QWidget* w : beneath)
        beneath_.push_back(w);
    panel->installEventFilter(this);
}

bool CoveringPanel::eventFilter(QObject* watched, QEvent* event) {
    // A window minimized and restored shows and hides its panels too: only the panel's own opening
    // and closing count.
    if (watched == panel_ && !event->spontaneous()) {
        if (event->type() == QEvent::Show) opened();
        if (event->type() == QEvent::Hide) closed();
    }
    return false;
}

bool CoveringPanel::covers(const QWidget* w) const {
    const QWidget* parent = panel_->parentWidget();
    if (!parent || !w->isVisibleTo(parent)) return false;
    const QRect area = panel_->geometry();
    // Not laid out yet: all of beneath counts as covered.
    if (area.isEmpty()) return true;
    const QRect at(w->mapTo(parent, QPoint(0, 0)), w->size());
    return area.intersects(at);
}

void CoveringPanel::showQuietly(QWidget* panel) {
    auto* covering = panel->findChild<CoveringPanel*>(QString(), Qt::FindDirectChildrenOnly);
    if (covering) covering->quiet_ = true;
    panel->show();
    if (covering) covering->quiet_ = false;
}

void CoveringPanel::opened() {
    closed(); // shown again without a hide between: covered afresh
    QWidget* focus = QApplication::focusWidget();
    if (focus && !panel_->isAncestorOf(focus)) focusBefore_ = focus;
    for (const QPointer<QWidget>& frame : beneath_) {
        if (!frame) continue;
        for (QWidget* w : frame->findChildren<QWidget*>()) {
            if (w->focusPolicy() == Qt::NoFocus || covered_.contains(w) || !covers(w)) continue;
            covered_.insert(w, int(w->focusPolicy()));
            coveredOrder_.push_back(w);
            w->setFocusPolicy(Qt::NoFocus);
        }
    }
    if (quiet_) return;
    // Into the panel: its first control that takes the keyboard.
    for (QWidget* w = panel_->nextInFocusChain(); w && w != panel_; w = w->nextInFocusChain()) {
        if (!panel_->isAncestorOf(w)) break;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(panel_)) {
            w->setFocus(Qt::TabFocusReason);
            break;
        }
    }
}

void CoveringPanel::closed() {
    for (const QPointer<QWidget>& w : coveredOrder_)
        if (w) w->setFocusPolicy(Qt::FocusPolicy(covered_.value(w.data())));
    covered_.clear();
    coveredOrder_.clear();
    const QWidget* focus = QApplication::focusWidget();
    const bool focusInPanel = !focus || panel_->isAncestorOf(focus) || focus == panel_;
    if (focusBefore_ && focusInPanel && focusBefore_->isVisible() && focusBefore_->isEnabled())
        focusBefore_->setFocus(Qt::OtherFocusReason);
    focusBefore_.clear();
}
