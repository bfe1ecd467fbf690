#include "tests/board/RecordingProvider.h"

#include "data/catalogue/Paths.h"

namespace {

class RecordingDatabase : public Database {
  public:
    RecordingDatabase(std::shared_ptr<Database> inner, QVector<RecordingProvider::Open>& log)
        : inner_(std::move(inner)), log_(log) {}
    QString path() const override { return inner_->path(); }
    std::unique_ptr<Recordset> openTable(const QString& table) override {
        auto opened = inner_->openTable(table);
        log_.push_back({paths::fold(inner_->path()), table});
        return opened;
    }
    quint64 changeStamp() override { return inner_->changeStamp(); }

  private:
    std::shared_ptr<Database> inner_;
    QVector<RecordingProvider::Open>& log_;
};

} // namespace

std::shared_ptr<Database> RecordingProvider::open(const QString& path, const QString& connect) {
    return std::make_shared<RecordingDatabase>(engine.open(path, connect), opens);
}
