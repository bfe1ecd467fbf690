#pragma once

#include "data/storage/StorageThread.h"

#include <QApplication>

// The program's application: every event the board's thread handles is one storage turn, so no
// handler, tick or window is held by a slow share longer than one wait, however many questions it
// asks.
class BoardApplication : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        const StorageTurn turn;
        return QApplication::notify(receiver, event);
    }
};
