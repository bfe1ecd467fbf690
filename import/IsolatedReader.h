#pragma once

#include "import/LegacyReader.h"

#include <QString>
#include <QVector>

// Reads a legacy file in a child process of its own, so that a file which makes libmdb crash,
// loop or swallow memory costs that one file and never the run.
namespace legacy {

struct Limits {
    // Address space the reading may add to what the process holds, at most: the cap given to a
    // reader grows from 128 MB with the bytes the file takes on disk, up to this.
    qint64 memoryBytes = qint64(1) << 30;
    int cpuSeconds = 30;
    int wallSeconds = 60;
    // What the child may send back: the file's text cannot honestly come to more than this many
    // bytes per byte the file takes on disk (a null field costs a bit in the file and a few bytes here).
    qint64 outputPerFileByte = 32;
    qint64 outputAllowance = qint64(8) << 20;
};

struct Reading {
    enum class Result {
        Read,       // the tables, each with whatever damage was seen in it
        Unreadable, // the reader said why (not an Access file, truncated, ...)
        Damaged,    // the reader crashed, hung or ran out of what it was given
    };
    Result result = Result::Damaged;
    QVector<Table> tables;
    QString why;      // for Unreadable and Damaged, in the staff's words
    QString messages; // what libmdb printed, cut to a few kilobytes
};

Reading readApart(const QString& path, const Limits& limits);

} // namespace legacy
