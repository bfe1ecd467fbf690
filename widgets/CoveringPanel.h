#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QVector>

class QWidget;

// A panel laid over other controls (Network Setup, a reminder): while it shows, the controls it
// covers leave the Tab order, so the keyboard never lands on what cannot be seen; it takes the
// focus when it opens and gives it back where it was when it closes. Owned by the panel.
class CoveringPanel : public QObject {
    Q_OBJECT
  public:
    // beneath: the frames the panel may lie over; of these, the controls under the panel leave the
    // Tab order (all of them while the board has not been laid out yet).
    CoveringPanel(QWidget* panel, QVector<QWidget*> beneath);

    // Shows the panel without taking the focus: a reminder that comes up by itself must not take
    // the keys of a presenter typing elsewhere.
    static void showQuietly(QWidget* panel);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void opened();
    void closed();
    bool covers(const QWidget* w) const;

    QWidget* panel_;
    QVector<QPointer<QWidget>> beneath_;
    QHash<QWidget*, int> covered_; // each covered control and its own focus policy
    QVector<QPointer<QWidget>> coveredOrder_;
    QPointer<QWidget> focusBefore_;
    bool quiet_ = false;
};
