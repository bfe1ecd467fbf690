#pragma once

#include "base/Failure.h"

#include <QString>
#include <QStringList>
#include <QVector>

// What the load sequence could not open, and why, in a few sentences that name the files and their
// folder. The board's placeholder words send the presenter to re-enter the data folder; the reason
// tells whether the folder is gone, a file missing or damaged, or the password wrong.
class StartFailures {
  public:
    // One opening of the load sequence came through.
    void opened(const QString& path);
    // One opening failed; the same file failing twice, or files whose failure reads the same, are said once.
    void failed(const Failure& failure);
    // Empty when everything opened, or what failed was only a place that does not answer (said
    // by the board's own rounds).
    QString reason() const;
    // The first reason of each folder, and how many other files there failed: what the board
    // shows where the presenter looks; the reason itself is in the status bar's tooltip.
    QString headline() const;

  private:
    // The sentences said of each folder, in the order the load met them.
    QVector<QStringList> byFolder() const;

    QStringList openedFolders_;
    QVector<Failure> failures_;
};
