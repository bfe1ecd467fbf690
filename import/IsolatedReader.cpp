#include "import/IsolatedReader.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace legacy {

namespace {

constexpr qint64 kMostMessageBytes = 16 * 1024;
constexpr qint64 kBaseMemory = qint64(128) << 20;
constexpr qint64 kMemoryPerFileByte = 64;

// The bytes the file takes on its disk (at most its length): a sparse file's holes cost nothing
// to store and hold nothing to read.
qint64 allocatedSize(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    return std::min(qint64(st.st_size), qint64(st.st_blocks) * 512);
}

enum class Answer : quint8 { Tables, ReadError, OutOfMemory };

QDataStream& operator<<(QDataStream& s, const Table& t) {
    s << t.name << t.fields << t.binaryFields << t.otherKindFields << t.damage << t.unreadable
      << qint64(t.records.size());
    for (const QVector<QVariant>& record : t.records) {
        s << qint64(record.size());
        for (const QVariant& v : record)
            s << v.isValid() << (v.isValid() ? v.toString() : QString());
    }
    return s;
}

QDataStream& operator>>(QDataStream& s, Table& t) {
    qint64 records = 0;
    s >> t.name >> t.fields >> t.binaryFields >> t.otherKindFields >> t.damage >> t.unreadable >> records;
    for (qint64 r = 0; r < records && s.status() == QDataStream::Ok; ++r) {
        qint64 fields = 0;
        s >> fields;
        QVector<QVariant> record;
        for (qint64 f = 0; f < fields && s.status() == QDataStream::Ok; ++f) {
            bool valid = false;
            QString text;
            s >> valid >> text;
            record << (valid ? QVariant(text) : QVariant());
        }
        t.records << record;
    }
    return s;
}

// The address space the process already holds (large under AddressSanitizer), so the limit
// counts only what the reading adds.
rlim_t addressSpaceInUse() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    return rlim_t(statm.readLine().split(' ').value(0).toULongLong()) * rlim_t(::sysconf(_SC_PAGESIZE));
}

bool writeAll(int fd, const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

template <typename... Parts> QByteArray packed(const Parts&... parts) {
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    (s << ... << parts);
    return bytes;
}

QByteArray answerFor(const QString& path) {
    try {
        const QVector<Table> tables = readTables(path);
        QByteArray bytes = packed(quint8(Answer::Tables), qint64(tables.size()));
        QDataStream s(&bytes, QIODevice::Append);
        for (const Table& t : tables)
            s << t;
        return bytes;
    } catch (const ReadError& e) {
        return packed(quint8(Answer::ReadError), e.why());
    } catch (const std::bad_alloc&) {
        return packed(quint8(Answer::OutOfMemory));
    }
}

[[noreturn]] void readInChild(const QString& path, const Limits& limits, qint64 fileBytes, pid_t parent,
                              int answerFd, int messagesFd) {
    // Dies with the importer: a reader left alone would burn a core until its CPU limit.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(4);
    ::dup2(messagesFd, STDOUT_FILENO);
    ::dup2(messagesFd, STDERR_FILENO);
    // A station's file takes a few megabytes to read; the cap grows with the file, never past the limit.
    const qint64 allowed = std::min(limits.memoryBytes, kBaseMemory + kMemoryPerFileByte * fileBytes);
    const rlim_t memory = addressSpaceInUse() + rlim_t(allowed);
    const rlimit memoryLimit{memory, memory};
    const rlimit cpuLimit{rlim_t(limits.cpuSeconds), rlim_t(limits.cpuSeconds) + 1};
    ::setrlimit(RLIMIT_AS, &memoryLimit);
    ::setrlimit(RLIMIT_CPU, &cpuLimit);
    ::_exit(writeAll(answerFd, answerFor(path)) ? 0 : 3);
}

// Reads both pipes until the child closes them, the deadline passes or the answer grows too long.
struct Collected {
    QByteArray answer, messages;
    bool timedOut = false, tooLong = false;
};

Collected collect(int answerFd, int messagesFd, qint64 mostAnswerBytes, int wallSeconds) {
    Collected c;
    const QDeadlineTimer deadline(qint64(wallSeconds) * 1000);
    pollfd fds[2] = {{answerFd, POLLIN, 0}, {messagesFd, POLLIN, 0}};
    char buffer[65536];
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const qint64 left = deadline.remainingTime();
        if (left == 0) {
            c.timedOut = true;
            break;
        }
        if (::poll(fds, 2, int(left)) < 0) {
            if (errno == EINTR) continue;
            c.timedOut = true;
            break;
        }
        for (pollfd& p : fds) {
            if (p.fd < 0 || !(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const ssize_t n = ::read(p.fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                p.fd = -1;
                continue;
            }
            QByteArray& into = p.fd == answerFd ? c.answer : c.messages;
            if (&into == &c.messages && into.size() >= kMostMessageBytes) continue;
            into.append(buffer, n);
        }
        if (c.answer.size() > mostAnswerBytes) {
            c.tooLong = true;
            break;
        }
    }
    return c;
}

Reading damaged(const QString& why, const QByteArray& messages) {
    Reading r;
    r.result = Reading::Result::Damaged;
    r.why = why;
    r.messages = QString::fromLocal8Bit(messages.left(kMostMessageBytes));
    return r;
}

} // namespace

Reading readApart(const QString& path, const Limits& limits) {
    int answerPipe[2], messagesPipe[2];
    if (::pipe2(answerPipe, O_CLOEXEC) != 0) throw ReadError(QStringLiteral("no pipe for the reader"));
    if (::pipe2(messagesPipe, O_CLOEXEC) != 0) {
        ::close(answerPipe[0]);
        ::close(answerPipe[1]);
        throw ReadError(QStringLiteral("no pipe for the reader"));
    }
    const qint64 fileBytes = allocatedSize(path);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) readInChild(path, limits, fileBytes, parent, answerPipe[1], messagesPipe[1]);
    ::close(answerPipe[1]);
    ::close(messagesPipe[1]);
    if (child < 0) {
        ::close(answerPipe[0]);
        ::close(messagesPipe[0]);
        throw ReadError(QStringLiteral("no process could be started to read it"));
    }
    const qint64 most = fileBytes * limits.outputPerFileByte + limits.outputAllowance;
    const Collected c = collect(answerPipe[0], messagesPipe[0], most, limits.wallSeconds);
    if (c.timedOut || c.tooLong) ::kill(child, SIGKILL);
    ::close(answerPipe[0]);
    ::close(messagesPipe[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    if (c.timedOut)
        return damaged(QStringLiteral("reading it did not end within %1 seconds").arg(limits.wallSeconds),
                       c.messages);
    if (c.tooLong)
        return damaged(QStringLiteral("it unfolds into far more text than the file holds"), c.messages);
    if (WIFSIGNALED(status) && (WTERMSIG(status) == SIGXCPU || WTERMSIG(status) == SIGKILL))
        return damaged(QStringLiteral("reading it took more than %1 seconds of work").arg(limits.cpuSeconds),
                       c.messages);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return damaged(QStringLiteral("the reader broke down on it"), c.messages);

    QDataStream s(c.answer);
    quint8 answer = 0;
    s >> answer;
    Reading r;
    r.messages = QString::fromLocal8Bit(c.messages);
    if (Answer(answer) == Answer::Tables) {
        qint64 count = 0;
        s >> count;
        for (qint64 i = 0; i < count && s.status() == QDataStream::Ok; ++i) {
            Table t;
            s >> t;
            r.tables << t;
        }
        r.result = Reading::Result::Read;
    } else if (Answer(answer) == Answer::ReadError) {
        s >> r.why;
        r.result = Reading::Result::Unreadable;
    } else {
        return damaged(QStringLiteral("reading it needs more memory than a file of its size can"),
                       c.messages);
    }
    if (s.status() != QDataStream::Ok)
        return damaged(QStringLiteral("the reader's answer was cut short"), c.messages);
    return r;
}

} // namespace legacy
