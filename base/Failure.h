#pragma once

#include <QString>
#include <exception>
#include <stdexcept>

// What kind of failure a storage failure is: windows and the status line choose their words and
// what they do from it, never from the engine's words.
enum class FailureKind {
    Other,
    Slow,       // no answer within the wait yet; a slow share answers in a moment
    Silent,     // the share or server has left a question unanswered for long: it does not answer
    Locked,     // another studio holds the file or record
    ReadOnly,   // the file or share cannot be written
    Refused,    // this user may not write the file or its folder: trying again cannot mend it, a person can
    Conflict,   // the record is no longer the one read: for a person to settle
    Missing,    // the file, table or schema is not there
    Damaged,    // not a database of ours, or not readable as one (a password not the file's own too)
    NoFolder,   // the folder the file should lie in is not there: a share not mounted, a path mistyped
    Unreadable, // this user may not read the file or look into its folder: a person can mend it
};

// A failure that knows its kind and where it happened (a file, folder or server, never with a
// password), besides its words.
class KindedError : public std::runtime_error {
  public:
    explicit KindedError(const QString& message, FailureKind kind = FailureKind::Other)
        : std::runtime_error(message.toStdString()), kind_(kind) {}
    FailureKind kind() const { return kind_; }
    QString where() const { return where_; }
    void setWhere(const QString& where) { where_ = where; }
    // The file's name alone ("Monday.mdb"), when the failure is one file's; its folder is where().
    QString file() const { return file_; }
    void setFile(const QString& file) { file_ = file; }

  private:
    FailureKind kind_;
    QString where_;
    QString file_;
};

// A failure as a value, for what shows it: the engine's words with the kind and the place. Reads as
// its words where only words are wanted.
struct Failure {
    FailureKind kind = FailureKind::Other;
    QString where;
    QString words;
    QString file; // the file's name alone, when the failure is one file's

    Failure() = default;
    Failure(const QString& text) : words(text) {} // NOLINT: plain words are a failure of no known kind
    Failure(FailureKind k, QString w, QString text, QString f = QString())
        : kind(k), where(std::move(w)), words(std::move(text)), file(std::move(f)) {}
    static Failure of(const std::exception& e) {
        if (const auto* kinded = dynamic_cast<const KindedError*>(&e))
            return {kinded->kind(), kinded->where(), QString::fromUtf8(kinded->what()), kinded->file()};
        return Failure(QString::fromUtf8(e.what()));
    }
    operator QString() const { return words; } // NOLINT: a sink that only says words takes these
    // Only late so far: a slow share answers in a moment, and nothing need be said yet.
    bool onlySlow() const { return kind == FailureKind::Slow; }
};
