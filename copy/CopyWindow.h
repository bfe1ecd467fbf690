#pragma once

#include <QPushButton>
#include <QWidget>

class DataControl;
struct Failure;
class MultiLineBox;
class QBoxLayout;
class QLabel;
class QStatusBar;
class ReadUntilAnswered;
class StudioContext;
class TextBox;

// What the copy windows share: a top-level window that exists at most once, its own data control
// `Data1` on one table, the boxes bound to it, and a status line at the bottom. The status line is
// the one place where the window speaks: it names a file that could not be opened, in the engine's
// words, so a presenter can see why the copy is missing.
class CopyWindow : public QWidget {
    Q_OBJECT
  public:
    DataControl& data1() const { return *data1_; }
    QStatusBar* statusLine() const { return status_; }

    // Data-file connect string and database file, then a refresh.
    void openFile(const QString& path);
    // Opens (or re-opens) the table with the settings in force; a failure is skipped and the file
    // it concerns is named in the status line. A file that did not answer in time is read again
    // once it answers. Returns whether the refresh succeeded.
    bool refreshData();

  protected:
    CopyWindow(StudioContext& context, const QString& formName, const QString& recordSource);

    StudioContext& context() const { return context_; }

    // Controls built with their document names; bound boxes register for locking, and are heard by
    // what they hold (spoken).
    TextBox* boundLine(const QString& name, const QString& field, const QString& spoken);
    MultiLineBox* boundText(const QString& name, const QString& field, const QString& spoken);
    template <class W>
    QPushButton* button(const QString& name, const QString& caption, void (W::*handler)()) {
        QPushButton* b = plainButton(name, caption);
        connect(b, &QPushButton::clicked, static_cast<W*>(this), handler);
        return b;
    }
    QLabel* label(const QString& name, const QString& caption);
    // The window's own content goes above the status line.
    QBoxLayout* body() const { return body_; }

    // Read-only flag of every bound box at once.
    void lockBoxes(bool locked);
    // Save: a record the engine refuses is skipped without a message; with the file not open the
    // typed text stays, and the status line says it is not stored yet.
    void saveRecord();
    // The arrow buttons: a move past either end falls back onto the first or last record.
    void stepBack();
    void stepForward();

    void closeEvent(class QCloseEvent* event) override;

  private:
    QPushButton* plainButton(const QString& name, const QString& caption);
    void sayReadFailed(const Failure& failure);

    StudioContext& context_;
    DataControl* data1_;
    QStatusBar* status_;
    QBoxLayout* body_;
    ReadUntilAnswered* reading_;
    QList<TextBox*> lines_;
    QList<MultiLineBox*> texts_;
};

// Fonts of the copy windows, in points.
QFont pointFont(qreal points, bool bold);
