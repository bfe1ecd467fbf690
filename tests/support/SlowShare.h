#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QThread>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

// A network drive in miniature (bench/slowshare.py, through FUSE) mirroring a folder, which a test can
// make stop answering, as a file server that hangs does: every call into it waits until it is
// released. Needs root, /dev/fuse and Debian's python3-fusepy; available() says whether it mounted.
class SlowShare {
  public:
    SlowShare(const QString& source, QString mount) : mount_(std::move(mount)) {
        const QString python = QStringLiteral("/usr/bin/python3");
        if (geteuid() != 0 || !QFile::exists(QStringLiteral("/dev/fuse")) || !QFile::exists(python)) return;
        QDir().mkpath(mount_);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SLOWSHARE_DELAY_FILE"), delayFile());
        process_.setProcessEnvironment(env);
        process_.start(python, {QStringLiteral(CUEPILOT_SLOWSHARE), source, mount_, QStringLiteral("0")});
        if (!process_.waitForStarted(5000)) return;
        for (int i = 0; i < 100 && !mounted_ && process_.state() == QProcess::Running; ++i) {
            mounted_ = isMountPoint();
            if (!mounted_) QThread::msleep(50);
        }
    }
    ~SlowShare() {
        release();
        if (process_.state() != QProcess::NotRunning) {
            if (QProcess::execute(QStringLiteral("fusermount3"), {QStringLiteral("-u"), mount_}) != 0)
                QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), mount_});
            if (!process_.waitForFinished(5000)) process_.kill();
            process_.waitForFinished(5000);
        }
        QDir().rmdir(mount_);
        QFile::remove(delayFile());
    }
    SlowShare(const SlowShare&) = delete;
    SlowShare& operator=(const SlowShare&) = delete;

    bool available() const { return mounted_; }
    // Returns once every thread of the share has stopped: on a loaded machine a stop signal takes
    // a while to reach them, and a call made meanwhile would still be answered.
    void hold() {
        signal(SIGSTOP);
        for (int i = 0; i < 200 && !stopped(); ++i)
            QThread::msleep(10);
    }
    void release() { signal(SIGCONT); }
    // Every file call from now on takes this long, as on a busy file server.
    void setDelayMs(int ms) {
        QFile file(delayFile());
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(QByteArray::number(ms));
    }

  private:
    bool isMountPoint() const {
        struct stat here {
        }, parent{};
        return ::stat(QFile::encodeName(mount_).constData(), &here) == 0 &&
               ::stat(QFile::encodeName(QFileInfo(mount_).path()).constData(), &parent) == 0 &&
               here.st_dev != parent.st_dev;
    }
    bool stopped() const {
        const QString tasks = QStringLiteral("/proc/%1/task").arg(process_.processId());
        for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile stat(tasks + QLatin1Char('/') + task + QStringLiteral("/stat"));
            if (!stat.open(QIODevice::ReadOnly)) continue;
            // The state follows the command's closing parenthesis.
            const QByteArray line = stat.readAll();
            const qsizetype state = line.lastIndexOf(") ") + 2;
            if (state < 2 || state >= line.size() || line.at(state) != 'T') return false;
        }
        return true;
    }
    QString delayFile() const { return mount_ + QStringLiteral(".delay"); }
    void signal(int sig) {
        if (process_.state() == QProcess::Running) ::kill(pid_t(process_.processId()), sig);
    }

    QString mount_;
    QProcess process_;
    bool mounted_ = false;
};
