#pragma once

#include "base/Failure.h"

#include <QString>

// A failure of the storage layer, carrying the engine's own words, its kind and where it happened
// (a file, folder or server, never with a password).
class StorageError : public KindedError {
  public:
    using KindedError::KindedError;
    QString message() const { return QString::fromStdString(what()); }
};

// A file that was to be created is there already (perhaps made a moment ago by another process).
class FileExistsError : public StorageError {
  public:
    explicit FileExistsError(const QString& message) : StorageError(message, FailureKind::Other) {}
};

// What a share that does not answer in time is reported as.
inline const QString kShareNotAnswering = QStringLiteral("The data folder does not answer.");

// What an operation fails with when the server does not answer in time.
inline const QString kServerNotAnswering = QStringLiteral("The server does not answer.");

// No answer came in time, or an earlier one is still awaited: asking again later may help. The
// statement may still be done meanwhile, a write included.
class AnswerLateError : public StorageError {
  public:
    explicit AnswerLateError(const QString& message, FailureKind kind = FailureKind::Silent)
        : StorageError(message, kind) {}
};

// The share did not answer in time, or is known not to answer yet.
class ShareNotAnsweringError : public AnswerLateError {
  public:
    explicit ShareNotAnsweringError(FailureKind kind = FailureKind::Silent)
        : AnswerLateError(kShareNotAnswering, kind) {}
};

// The record is no longer the one that was read: another studio deleted it or changed a field
// this studio changed too. Trying again cannot help; the text has to be looked at by a person.
class ConflictError : public StorageError {
  public:
    explicit ConflictError(const QString& message) : StorageError(message, FailureKind::Conflict) {}
};
