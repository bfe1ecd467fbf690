#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

// One board per user and display: a second start hands over to the running board, which comes to
// the front, and ends. Both boards would otherwise keep text on this computer in the same file.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // The name is the user's and the display's, so another user or another screen runs its own.
    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultName();

    // Asks a running board to come to the front; true when one answered.
    bool handOver() const;
    // From now on a later start raises this window.
    void serve(QWidget* board);

  signals:
    // A later start asked for the board.
    void asked();

  private:
    QString name_;
    QLocalServer* server_ = nullptr;
};

// Brings a window to the front out of a minimised state, as a click on it in the task bar would.
void raiseWindow(QWidget* window);
