#include "board/StatusLine.h"

#include "base/FailureWords.h"
#include "data/storage/AskedOnItsOwn.h"

#include <QEvent>
#include <QPointer>
#include <QStatusBar>
#include <functional>

namespace {

// Calls back when the watched widget changes size.
class RefitOnResize : public QObject {
  public:
    RefitOnResize(QObject* parent, std::function<void()> refit) : QObject(parent), refit_(std::move(refit)) {}
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Resize) refit_();
        return false;
    }

  private:
    std::function<void()> refit_;
};

} // namespace

StatusLine::~StatusLine() {
    delete refit_.data();
}

void StatusLine::showFailure(const Failure& failure) {
    if (failure.onlySlow()) return;
    if (showingCopy_ && failure.kind == FailureKind::Silent) return;
    told_.clear();
    failure_ = failure.words;
    where_ = failure.where;
    file_ = failure.file;
    kind_ = failure.kind;
    show();
}

void StatusLine::setNotice(const QString& notice) {
    notice_ = notice;
    show();
}

void StatusLine::showingCopy(const QString& words) {
    if (showingCopy_ == !words.isEmpty() && (words.isEmpty() || failure_ == words)) return;
    showingCopy_ = !words.isEmpty();
    told_.clear();
    failure_ = words;
    where_.clear();
    file_.clear();
    show();
}

void StatusLine::tell(const QString& words) {
    told_ = words;
    show();
}

void StatusLine::healthy() {
    if (failure_.isEmpty() || showingCopy_) return;
    failure_.clear();
    where_.clear();
    file_.clear();
    show();
}

void StatusLine::refresh() {
    // Only when that changed: the bar may show another window's message meanwhile.
    if (noticeOnlySlowSoFar() != noticeHeldBack_) show();
}

bool StatusLine::noticeOnlySlowSoFar() const {
    return waitedMs_ && onlySlowSoFar(notice_, waitedMs_());
}

void StatusLine::show() {
    if (!bar_) return;
    paintBar();
    // Text kept for want of an answer that is only a moment late is said once the answer stays away.
    noticeHeldBack_ = noticeOnlySlowSoFar();
    const QString notice = noticeHeldBack_ ? QString() : notice_;
    // A refused write is followed by where its text was kept: both are said, the failure first.
    const QString text =
        compose(failure_.isEmpty() ? Failure(told_) : Failure(kind_, where_, failure_, file_), notice);
    // Heard by what it says, and announced when that changes; read whole in the tooltip.
    bar_->setAccessibleName(text);
    bar_->setToolTip(text);
    if (!refit_) {
        // A resized bar fits the text anew.
        refit_ = new RefitOnResize(bar_, [this] { show(); });
        bar_->installEventFilter(refit_);
    }
    if (text.isEmpty())
        bar_->clearMessage();
    else
        bar_->showMessage(bar_->isVisible() ? fitted(text, bar_->fontMetrics(), bar_->width() - 12) : text);
}

QString StatusLine::compose(const Failure& failure, const QString& notice) {
    const QString said = sentenceOf(failure);
    if (notice.isEmpty()) return said;
    return said.isEmpty() ? notice : said + QLatin1Char(' ') + notice;
}

QString StatusLine::fitted(const QString& text, const QFontMetrics& metrics, int width) {
    if (width <= 0 || metrics.horizontalAdvance(text) <= width) return text;
    const QString ellipsis(QChar(0x2026));
    QString cut = metrics.elidedText(text, Qt::ElideRight, width);
    cut.chop(1); // the ellipsis the font gave
    // Whole words only: a cut word reads as another word.
    const int space = cut.lastIndexOf(QLatin1Char(' '));
    if (space > 0) cut.truncate(space);
    return cut + ellipsis;
}

void StatusLine::setBands(const looks::Band& failure, const looks::Band& copy) {
    failureBand_ = failure;
    copyBand_ = copy;
    if (bar_) paintBar();
}

void StatusLine::paintBar() {
    // Only the band's two colours are the bar's own: the rest follows the window, whatever look it
    // wears now or later.
    QPalette p;
    const bool failing = !failure_.isEmpty();
    if (failing) {
        const looks::Band& band = showingCopy_ ? copyBand_ : failureBand_;
        p.setColor(QPalette::Window, band.back);
        p.setColor(QPalette::WindowText, band.text);
    }
    bar_->setPalette(p);
    bar_->setAutoFillBackground(failing);
    QFont f = bar_->font();
    f.setBold(failing);
    bar_->setFont(f);
}
