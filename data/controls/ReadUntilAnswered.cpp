#include "data/controls/ReadUntilAnswered.h"

#include "data/storage/StorageThread.h"

ReadUntilAnswered::ReadUntilAnswered(DatabaseProvider& storage, std::function<void()> read, ErrorSink say,
                                     QObject* parent)
    : QObject(parent), read_(std::move(read)), say_(std::move(say)) {
    // Tried again as often as the silence would be said: by then it is said if it holds.
    again_.setInterval(kSilentAfterMs);
    connect(&again_, &QTimer::timeout, this, &ReadUntilAnswered::read);
    storage.followNews(this,
                       [this] {
                           if (waiting()) this->read();
                       },
                       {});
}

bool ReadUntilAnswered::read() {
    Failure failure;
    try {
        read_();
        again_.stop();
        return true;
    } catch (const AnswerLateError& e) {
        failure = Failure::of(e);
        if (!again_.isActive()) again_.start();
        if (failure.onlySlow()) return false;
    } catch (const std::exception& e) {
        failure = Failure::of(e);
        again_.stop();
    }
    if (say_) say_(failure);
    return false;
}
