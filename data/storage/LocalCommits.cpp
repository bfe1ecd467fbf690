#include "data/storage/LocalCommits.h"

#include <QMutexLocker>

LocalCommits& LocalCommits::instance() {
    static LocalCommits commits;
    return commits;
}

void LocalCommits::note(const QString& file) {
    LocalCommits& self = instance();
    {
        QMutexLocker lock(&self.mutex_);
        ++self.counts_[file];
    }
    emit self.committed(file);
}

quint64 LocalCommits::count(const QString& file) {
    LocalCommits& self = instance();
    QMutexLocker lock(&self.mutex_);
    return self.counts_.value(file);
}
