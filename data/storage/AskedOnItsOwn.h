#pragma once

#include "data/storage/StorageError.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QString>
#include <QWaitCondition>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

// Folders whose share left a question unanswered: until that question comes back, the next one
// fails at once, so a handler that opens five files on a hung share waits out one timeout, not five.
class UnansweredFolders {
  public:
    static bool stillWaiting(const QString& folder);
    // Whether the folder a data file lies in is still waited for.
    static bool stillWaitingForFile(const QString& file);
    // For how long the folder has been waited for, -1 when it answers.
    static qint64 waitedForMs(const QString& folder);
    // The folder waited for longest, or the one a data file lies in, and for how long (-1: answers).
    struct Wait {
        QString folder;
        qint64 forMs = -1;
    };
    static Wait longest();
    static Wait waitForFile(const QString& file);
    // Throws ShareNotAnsweringError while stillWaiting: what the board asks a share known to hang
    // fails at once instead of holding the board until the share answers.
    static void checkAnswering(const QString& folder);
    static void waitingFor(const QString& folder, std::shared_ptr<std::atomic<bool>> answered);
};

// Whether a failure's words are a share's or server's that has not answered, waited for waitedMs
// so far (-1: all answer): only a moment, and a slow share answers shortly, so they are said once
// the answer stays away.
bool onlySlowSoFar(const QString& failure, qint64 waitedMs);

// The long-lived workers that questions asked on their own run on: one per folder (or server), so a
// share that stops answering holds only its own questions, and no question starts a thread.
class Lookouts {
  public:
    // Runs the work on the folder's worker, after what was asked of that folder before; the work
    // owns what it captures.
    static void post(const QString& folder, std::function<void()> work);
    // The end of the program: the lookouts, and every worker retired by its owner while a share
    // held it, are stopped and joined within the time. Whether all of them ended.
    static bool finishAllWithin(int ms);
};

// Lets go of what may hold files open (connections, a provider), on a thread of its own: closing a
// file on a share that does not answer waits for the share, and whoever lets go must not.
template <class Held> void letGoAside(Held held) {
    auto owned = std::make_shared<Held>(std::move(held));
    Lookouts::post(QString(), [owned] { *owned = Held(); });
}

// One question to the share about a file in a folder, asked on the folder's lookout so that a share
// that hangs holds the asker no longer than it is willing to wait. Left to finish by itself when no
// answer comes in time: the asking owns everything it touches.
template <class T> class AskedOnItsOwn {
  public:
    AskedOnItsOwn(QString folder, std::function<T()> ask)
        : folder_(std::move(folder)), state_(std::make_shared<State>()) {
        if (UnansweredFolders::stillWaiting(folder_)) {
            state_->gaveUp = true;
            return;
        }
        Lookouts::post(folder_, [state = state_, ask = std::move(ask)] {
            std::optional<T> answer;
            try {
                answer = ask();
            } catch (const StorageError&) {
            }
            QMutexLocker lock(&state->mutex);
            state->answer = std::move(answer);
            state->answered = true;
            *state->cameBack = true;
            state->done.wakeAll();
        });
    }
    // The answer, nothing when the asking failed; throws StorageError when none came by the deadline.
    // Qt's wait, not the standard library's: a clock faked for a trial (faketime) is faked for
    // both its deadline and its wait alike, where the standard wait would never reach its deadline.
    std::optional<T> answerBy(const QDeadlineTimer& deadline) {
        QMutexLocker lock(&state_->mutex);
        while (!state_->gaveUp && !state_->answered)
            if (!state_->done.wait(&state_->mutex, deadline)) break;
        if (!state_->answered) {
            if (!state_->gaveUp) UnansweredFolders::waitingFor(folder_, state_->cameBack);
            throw ShareNotAnsweringError();
        }
        return state_->answer;
    }
    std::optional<T> answerWithin(int ms) { return answerBy(QDeadlineTimer(ms)); }

  private:
    struct State {
        QMutex mutex;
        QWaitCondition done;
        bool answered = false;
        bool gaveUp = false;
        std::shared_ptr<std::atomic<bool>> cameBack = std::make_shared<std::atomic<bool>>(false);
        std::optional<T> answer;
    };
    QString folder_;
    std::shared_ptr<State> state_;
};
