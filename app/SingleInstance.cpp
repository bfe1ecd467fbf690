#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <unistd.h>

namespace {
// The running board answers at once; a board that hangs must not hold up the new start for long.
constexpr int kAnswerMs = 1000;
const QByteArray kRaise = QByteArrayLiteral("raise\n");
} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName() {
    const QByteArray display =
        qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ? qgetenv("WAYLAND_DISPLAY") : qgetenv("DISPLAY");
    const QByteArray hash = QCryptographicHash::hash(display, QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("cuepilot-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

bool SingleInstance::handOver() const {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kAnswerMs)) return false;
    socket.write(kRaise);
    if (!socket.waitForBytesWritten(kAnswerMs)) return false;
    // The board answers once it has been raised, so the new start ends only when that is done.
    return socket.waitForReadyRead(kAnswerMs) && socket.readAll().startsWith("ok");
}

void SingleInstance::serve(QWidget* board) {
    server_ = new QLocalServer(this);
    // Only this user may ask.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // A board that crashed leaves its socket behind; a live one answered handOver() already.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_)) {
            qWarning("Cuepilot: a second start cannot reach this board: %s",
                     qPrintable(server_->errorString()));
            return;
        }
    }
    connect(server_, &QLocalServer::newConnection, this, [this, board] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket, board] {
                if (!socket->readAll().startsWith(kRaise.trimmed())) return;
                if (board) raiseWindow(board);
                emit asked();
                socket->write("ok\n");
                socket->flush();
            });
        }
    });
}

void raiseWindow(QWidget* window) {
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}
