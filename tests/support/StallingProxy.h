#pragma once

#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

// A way to a server's Unix socket that can stop passing bytes at any moment, as a network that
// drops every packet does: connections stay open, nothing arrives either way until it resumes.
class StallingProxy {
  public:
    // The server's socket file (".s.PGSQL.5432" in its socket folder); the proxy's has the same name
    // in folder().
    explicit StallingProxy(const QString& serverSocket) : target_(serverSocket.toStdString()) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un at = addressOf((folder() + "/" + serverSocket.section('/', -1)).toStdString());
        ::bind(listener_, reinterpret_cast<const sockaddr*>(&at), sizeof at);
        ::listen(listener_, 16);
        thread_ = std::thread([this] { run(); });
    }
    ~StallingProxy() {
        running_ = false;
        thread_.join();
        for (const Pair& p : pairs_) {
            ::close(p.client);
            ::close(p.server);
        }
        ::close(listener_);
    }
    QString folder() const { return dir_.path(); }
    void stall(bool stalled) { stalled_ = stalled; }

  private:
    struct Pair {
        int client, server;
    };
    static sockaddr_un addressOf(const std::string& path) {
        sockaddr_un at{};
        at.sun_family = AF_UNIX;
        path.copy(at.sun_path, sizeof at.sun_path - 1);
        return at;
    }
    void run() {
        while (running_) {
            std::vector<pollfd> fds{{listener_, POLLIN, 0}};
            if (!stalled_)
                for (const Pair& p : pairs_) {
                    fds.push_back({p.client, POLLIN, 0});
                    fds.push_back({p.server, POLLIN, 0});
                }
            if (::poll(fds.data(), fds.size(), 20) <= 0) continue;
            if (fds[0].revents & POLLIN) accept();
            std::vector<int> ended;
            for (size_t i = 1; i < fds.size(); ++i)
                if ((fds[i].revents & (POLLIN | POLLHUP)) && !pass(fds[i].fd, partnerOf(fds[i].fd)))
                    ended.push_back(fds[i].fd);
            for (int fd : ended)
                std::erase_if(pairs_, [&](const Pair& p) {
                    if (p.client != fd && p.server != fd) return false;
                    ::close(p.client);
                    ::close(p.server);
                    return true;
                });
        }
    }
    void accept() {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un at = addressOf(target_);
        if (::connect(server, reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0)
            pairs_.push_back({client, server});
        else {
            ::close(client);
            ::close(server);
        }
    }
    int partnerOf(int fd) const {
        for (const Pair& p : pairs_)
            if (p.client == fd || p.server == fd) return p.client == fd ? p.server : p.client;
        return -1;
    }
    // False once either side has closed.
    static bool pass(int from, int to) {
        char buffer[8192];
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n <= 0) return false;
        for (ssize_t sent = 0; sent < n;) {
            const ssize_t k = ::send(to, buffer + sent, size_t(n - sent), MSG_NOSIGNAL);
            if (k <= 0) return false;
            sent += k;
        }
        return true;
    }

    QTemporaryDir dir_;
    std::string target_;
    int listener_ = -1;
    std::vector<Pair> pairs_;
    std::atomic<bool> running_{true}, stalled_{false};
    std::thread thread_;
};
