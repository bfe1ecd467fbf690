#pragma once

#include <QDateTime>
#include <QString>

// The copies this computer keeps of the content of a data folder or server, read while the place does
// not answer. A copy is a cache: only ever read, never taken for the place's own content.
class LocalCopies {
  public:
    virtual ~LocalCopies() = default;
    // The local file holding the copy of a live file (a folder's file or a server's schema), and
    // when that copy was made; an empty path when no complete copy of that very place is kept.
    // Safe from any thread.
    struct Copy {
        QString path;
        QDateTime madeAt;
    };
    virtual Copy copyOf(const QString& livePath) const = 0;
};
