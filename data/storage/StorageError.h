#pragma once

#include <QString>
#include <stdexcept>

// What kind of failure a storage failure is: windows and the status line choose their words and
// what they do from it, never from the engine's words.
enum class FailureKind {
    Other,
    Slow,     // no answer within the wait yet; a slow share answers in a moment
    Silent,   // the share or server has left a question unanswered for long: it does not answer
    Locked,   // another studio holds the file or record
    ReadOnly, // the file or share cannot be written
    Conflict, // the record is no longer the one read: for a person to settle
    Missing,  // the file, table or schema is not there
    Damaged,  // not a database of ours, or not readable as one
};

// A failure of the storage layer, carrying the engine's own words, its kind and where it happened
// (a file, folder or server, never with a password).
class StorageError : public std::runtime_error {
  public:
    explicit StorageError(const QString& message, FailureKind kind = FailureKind::Other)
        : std::runtime_error(message.toStdString()), kind_(kind) {}
    QString message() const { return QString::fromStdString(what()); }
    FailureKind kind() const { return kind_; }
    QString where() const { return where_; }
    void setWhere(const QString& where) { where_ = where; }

  private:
    FailureKind kind_;
    QString where_;
};

// A failure as a value, for what shows it: the engine's words with the kind and the place. Reads as
// its words where only words are wanted.
struct Failure {
    FailureKind kind = FailureKind::Other;
    QString where;
    QString words;

    Failure() = default;
    Failure(const QString& text) : words(text) {} // NOLINT: plain words are a failure of no known kind
    Failure(FailureKind k, QString w, QString text) : kind(k), where(std::move(w)), words(std::move(text)) {}
    static Failure of(const std::exception& e) {
        if (const auto* storage = dynamic_cast<const StorageError*>(&e))
            return {storage->kind(), storage->where(), storage->message()};
        return Failure(QString::fromUtf8(e.what()));
    }
    operator QString() const { return words; } // NOLINT: a sink that only says words takes these
    // Only late so far: a slow share answers in a moment, and nothing need be said yet.
    bool onlySlow() const { return kind == FailureKind::Slow; }
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
