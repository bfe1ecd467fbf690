#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// A logout or shutdown (SIGTERM, SIGHUP) ends the board through its normal close path, so what was
// typed is stored, or kept on this computer, before the program ends. The signal only writes a byte
// into a pipe; the event loop does the rest. Should the close not finish within kCloseWithinS seconds (the
// share or server does not answer), the program ends anyway: the typing is in the rescue store.
class TerminationSignal : public QObject {
    Q_OBJECT
  public:
    static constexpr int kCloseWithinS = 2;

    explicit TerminationSignal(std::function<void()> close, QObject* parent = nullptr);
    ~TerminationSignal() override;

  private:
    static void handle(int signal);
    void arrived();

    std::function<void()> close_;
    QSocketNotifier* notifier_ = nullptr;
};
