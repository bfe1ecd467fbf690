#pragma once

#include <QColor>
#include <QFontMetrics>
#include <QPalette>
#include <QPointer>
#include <QStatusBar>
#include <QString>
#include <functional>

#include "base/Failure.h"
#include "widgets/Looks.h"

// The main board's status bar. A failure stays until the board finds the files healthy again;
// a standing notice (text kept on this computer) shows always, after the failure if one holds. While a
// failure holds, the whole bar turns red: a refused write must not pass for a quiet status line.
class StatusLine {
  public:
    // The light look's bands.
    static inline const QColor kFailureBack = looks::warnings(looks::Look::Light).failure.back;
    static inline const QColor kFailureText = looks::warnings(looks::Look::Light).failure.text;
    // The band the bar becomes while the board shows the copy kept on this computer: unlike any
    // failure's, so nobody takes the copy for live data nor for a fault to mend.
    static inline const QColor kCopyBack = looks::warnings(looks::Look::Light).copy.back;
    static inline const QColor kCopyText = looks::warnings(looks::Look::Light).copy.text;

    // waitedMs tells for how long the board's storage has waited for a share or server (-1: all
    // answer): kept text whose cause is one that only a moment ago stopped answering is said later.
    explicit StatusLine(QStatusBar* bar, std::function<qint64()> waitedMs = {})
        : bar_(bar), waitedMs_(std::move(waitedMs)) {}
    ~StatusLine();
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    // Nothing is said of a failure that is only slow so far: the share answers in a moment, or the
    // board's own rounds say it does not.
    void showFailure(const Failure& failure);
    void setNotice(const QString& notice);
    // Every file the board shows could be read: a failure shown no longer holds.
    void healthy();
    // The board shows the copy kept on this computer, in these words, until it is told it no longer
    // does (empty words). Meanwhile a share or server that does not answer is what the words say
    // already, and the files the copy opens are no sign of health.
    void showingCopy(const QString& words);
    bool isShowingCopy() const { return showingCopy_; }
    // Said until anything else is: news that needs no mending.
    void tell(const QString& words);
    // Shown again as things stand now: a notice held back while a slow share answered late is
    // said once it has stayed silent.
    void refresh();

    QString failure() const { return failure_; }
    // The bands of another look, worn at once where one shows.
    void setBands(const looks::Band& failure, const looks::Band& copy);

    // What the bar says: the failure as a sentence that names the file and its folder or server, the
    // engine's words in it (see sentenceOf), then the notice.
    static QString compose(const Failure& failure, const QString& notice);
    // The longest start of text, whole words ending in "…", that fits width in the bar's font; the
    // whole text is the bar's tooltip.
    static QString fitted(const QString& text, const QFontMetrics& metrics, int width);

  private:
    void show();
    bool noticeOnlySlowSoFar() const;
    void paintBar();

    QPointer<QStatusBar> bar_;
    std::function<qint64()> waitedMs_;
    QString failure_;
    QString where_;
    QString file_;
    FailureKind kind_ = FailureKind::Other;
    QPointer<QObject> refit_; // on the bar, calling back here: gone with this line
    QString notice_;
    QString told_;
    bool showingCopy_ = false;
    bool noticeHeldBack_ = false;
    looks::Band failureBand_{kFailureBack, kFailureText};
    looks::Band copyBand_{kCopyBack, kCopyText};
};
