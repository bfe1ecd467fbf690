#pragma once

#include <QPointer>
#include <QStatusBar>
#include <QString>

// The main board's status bar. A failure stays until the board finds the files healthy again;
// a standing notice (text kept on this computer) shows whenever no failure is shown.
class StatusLine {
  public:
    explicit StatusLine(QStatusBar* bar) : bar_(bar) {}

    void showFailure(const QString& message);
    void setNotice(const QString& notice);
    // Every file the board shows could be read: a failure shown no longer holds.
    void healthy();

    QString failure() const { return failure_; }

  private:
    void show();

    QPointer<QStatusBar> bar_;
    QString failure_;
    QString notice_;
};
