#pragma once

#include "base/Steps.h"
#include "data/storage/Database.h"

#include <QObject>
#include <QTimer>
#include <functional>

// A window's read of its data control (a copy window's library, the phone list). Where it fails for
// want of an answer (a slow share, or one that stopped answering), it is read again when the late
// answer comes, and now and then meanwhile: the window fills by itself once the share answers,
// instead of staying empty until the presenter does something. What only a slow share left
// unanswered is not said; what stays unanswered, and every other failure, is.
class ReadUntilAnswered : public QObject {
    Q_OBJECT
  public:
    // read: the window's own read, throwing what the engine throws; say: where its failure is shown;
    // storage: what the window reads through, which tells when late answers have come.
    ReadUntilAnswered(DatabaseProvider& storage, std::function<void()> read, ErrorSink say, QObject* parent);

    // Reads now. Returns whether the read succeeded.
    bool read();
    // Whether a read failed for want of an answer and is to be tried again.
    bool waiting() const { return again_.isActive(); }

  private:
    std::function<void()> read_;
    ErrorSink say_;
    QTimer again_;
};
