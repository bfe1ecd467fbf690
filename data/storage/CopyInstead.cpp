#include "data/storage/CopyInstead.h"

#include "data/catalogue/Paths.h"

namespace {

class CopyRecordset : public Recordset {
  public:
    CopyRecordset(std::unique_ptr<Recordset> copy, std::exception_ptr silent,
                  std::function<bool()> placeStillSilent)
        : copy_(std::move(copy)), silent_(std::move(silent)), placeStillSilent_(std::move(placeStillSilent)) {
    }

    QString tableName() const override { return copy_->tableName(); }
    QStringList fieldNames() const override { return copy_->fieldNames(); }
    bool hasField(const QString& field) const override { return copy_->hasField(field); }
    bool bof() const override { return copy_->bof(); }
    bool eof() const override { return copy_->eof(); }
    bool hasCurrent() const override { return copy_->hasCurrent(); }
    int recordCount() const override { return copy_->recordCount(); }
    void moveFirst() override { copy_->moveFirst(); }
    void movePrevious() override { copy_->movePrevious(); }
    void moveNext() override { copy_->moveNext(); }
    void moveLast() override { copy_->moveLast(); }
    QByteArray bookmark() const override { return copy_->bookmark(); }
    void setBookmark(const QByteArray& bookmark) override { copy_->setBookmark(bookmark); }
    bool findFirst(const QString& field, const QString& value) override {
        return copy_->findFirst(field, value);
    }
    QVariant value(const QString& field) const override { return copy_->value(field); }
    void reread() override { copy_->reread(); }

    // Nothing is written to the copy: it would pass for the place's content.
    void updateCurrent(const FieldValues&, const ExpectedValues&) override {
        std::rethrow_exception(silent_);
    }
    void append(const FieldValues&) override { std::rethrow_exception(silent_); }
    void deleteCurrent() override { std::rethrow_exception(silent_); }

    bool usable() const override { return placeStillSilent_(); }

  private:
    std::unique_ptr<Recordset> copy_;
    std::exception_ptr silent_;
    std::function<bool()> placeStillSilent_;
};

class CopyDatabase : public Database {
  public:
    CopyDatabase(std::shared_ptr<Database> copy, const QString& livePath, std::exception_ptr silent,
                 std::function<bool()> placeStillSilent)
        : copy_(std::move(copy)), path_(paths::fold(livePath)), silent_(std::move(silent)),
          placeStillSilent_(std::move(placeStillSilent)) {}

    QString path() const override { return path_; }
    std::unique_ptr<Recordset> openTable(const QString& table) override {
        return std::make_unique<CopyRecordset>(copy_->openTable(table), silent_, placeStillSilent_);
    }
    quint64 changeStamp() override { return copy_->changeStamp(); }
    qint64 lastKey(const QString& table) override { return copy_->lastKey(table); }

  private:
    std::shared_ptr<Database> copy_;
    QString path_;
    std::exception_ptr silent_;
    std::function<bool()> placeStillSilent_;
};

} // namespace

std::shared_ptr<Database> copyInstead(std::shared_ptr<Database> copy, const QString& livePath,
                                      std::exception_ptr silent, std::function<bool()> placeStillSilent) {
    return std::make_shared<CopyDatabase>(std::move(copy), livePath, std::move(silent),
                                          std::move(placeStillSilent));
}
