#pragma once

#include <QString>
#include <stdexcept>

// A failure of the storage layer, carrying the engine's own words.
class StorageError : public std::runtime_error {
  public:
    explicit StorageError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// A file that was to be created is there already (perhaps made a moment ago by another process).
class FileExistsError : public StorageError {
  public:
    using StorageError::StorageError;
};

// What a share that does not answer in time is reported as.
inline const QString kShareNotAnswering = QStringLiteral("The data folder does not answer.");

// What an operation fails with when the server does not answer in time.
inline const QString kServerNotAnswering = QStringLiteral("The server does not answer.");

// No answer came in time, or an earlier one is still awaited: asking again later may help. The
// statement may still be done meanwhile, a write included.
class AnswerLateError : public StorageError {
  public:
    using StorageError::StorageError;
};

// The share did not answer in time, or is known not to answer yet.
class ShareNotAnsweringError : public AnswerLateError {
  public:
    ShareNotAnsweringError() : AnswerLateError(kShareNotAnswering) {}
};

// The record is no longer the one that was read: another studio deleted it or changed a field
// this studio changed too. Trying again cannot help; the text has to be looked at by a person.
class ConflictError : public StorageError {
  public:
    using StorageError::StorageError;
};
