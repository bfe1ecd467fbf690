#pragma once

#include <QDeadlineTimer>
#include <QMutex>
#include <QString>
#include <QWaitCondition>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <thread>

// A long-lived thread with an ordered queue of work, started once and stopped and joined by its
// owner: no work of the program runs on a thread that nobody joins. The work it is handed must own
// what it touches (captured by value): a share that stops answering may hold it past its asker.
//
// A worker that a share still holds when its owner closes cannot be joined then without holding the
// owner too: the owner hands it to retire(), and the end of the program joins what was retired.
class WorkerThread {
  public:
    explicit WorkerThread(QString name);
    // Stops and joins: the work queued is done first.
    virtual ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    QString name() const { return name_; }
    // Queues the work; it runs after everything queued before it.
    void post(std::function<void()> work);
    // No work is taken after what is queued now; the thread ends once that is done.
    void stop();
    // Whether the thread has ended within the time; it is joined then.
    bool finishWithin(int ms);
    bool isCurrent() const { return std::this_thread::get_id() == id_.load(); }
    // Whether work is queued or under way.
    bool busy() const;
    // Waits until nothing is queued or under way.
    void waitUntilDone();

    // A worker still held by a share, for the end of the program to join.
    static void retire(std::unique_ptr<WorkerThread> worker);
    // The end of the program: joins every retired worker that ends within the time. A worker a share
    // holds still then is the one thread not joined: the program ends around it, as it must.
    static bool finishRetiredWithin(int ms);

  private:
    void serve();

    QString name_;
    mutable QMutex mutex_;
    QWaitCondition wake_;
    QWaitCondition ended_;
    QWaitCondition done_;
    bool working_ = false;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
    bool over_ = false;
    std::atomic<std::thread::id> id_;
    std::thread thread_;
};
