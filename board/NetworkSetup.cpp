#include "board/NetworkSetup.h"

#include "board/BoardControls.h"
#include "data/controls/DataControl.h"
#include "data/rescue/EditJournal.h"
#include "widgets/Lbl3D.h"
#include "widgets/TextBox.h"

#include <QGroupBox>
#include <QStatusBar>
#include <exception>

namespace {

constexpr int kSetupData = 7;    // Data7: the setup record
constexpr int kLocationData = 8; // Data8: the location list

// The setup record is written now or not at all: kept on this computer for later, it would reach the
// file only after the next start had read the old folder from it, and the program would end over a
// change it did not store. Without the rescue store a failed write is thrown and stays typed.
class WrittenNowOrNotAtAll {
  public:
    explicit WrittenNowOrNotAtAll(DataControl& control) : control_(control), kept_(control.journal()) {
        control_.setJournal(EditJournal::none());
    }
    ~WrittenNowOrNotAtAll() {
        control_.setJournal(kept_);
        // Stored: it leaves the rescue store; still typed, it stays there as it was.
        if (!control_.isDirty()) kept_.settled(&control_);
    }
    WrittenNowOrNotAtAll(const WrittenNowOrNotAtAll&) = delete;
    WrittenNowOrNotAtAll& operator=(const WrittenNowOrNotAtAll&) = delete;

  private:
    DataControl& control_;
    EditJournal& kept_;
};

} // namespace

NetworkSetup::NetworkSetup(BoardControls& board, std::function<void()> closeBoard,
                           std::function<void()> repaint)
    : board_(board), closeBoard_(std::move(closeBoard)), repaint_(std::move(repaint)),
      sink_([this](const QString& message) { report(message); }) {}

DataControl* NetworkSetup::locations() const {
    return board_.data[kLocationData];
}

void NetworkSetup::report(const QString& message) const {
    if (board_.statusBar) board_.statusBar->showMessage(message);
}

void NetworkSetup::mnuNetworkSetup_Click() {
    board_.Frame3->setVisible(true);
}

void NetworkSetup::Command6_Click() {
    DataControl* list = locations();
    skipOnFailure([&] { list->movePrevious(); });
    skipOnFailure([&] {
        if (list->bof()) list->moveFirst();
    });
}

void NetworkSetup::Command7_Click() {
    DataControl* list = locations();
    skipOnFailure([&] { list->moveNext(); });
    skipOnFailure([&] {
        if (list->eof()) list->moveLast();
    });
}

void NetworkSetup::Command8_Click() {
    skipOnFailure([&] { locations()->addNew(); });
}

void NetworkSetup::Command9_Click() {
    DataControl* list = locations();
    // Saving with nothing typed changes nothing: no empty location right after "New".
    if (!list->isDirty()) return;
    const bool added = list->editMode() == DataControl::EditMode::Adding;
    if (!skipOnFailure([&] { list->update(); })) return;
    // A new location is appended at the end; the panel goes on browsing on it.
    if (added) skipOnFailure([&] { list->moveLast(); });
}

void NetworkSetup::Command10_Click() {
    DataControl* list = locations();
    // Right after "New" there is nothing stored to delete: the new location is dropped and the one
    // shown before comes back, in its place in the list.
    if (list->editMode() == DataControl::EditMode::Adding) {
        skipOnFailure([&] { list->cancelUpdate(); });
        return;
    }
    skipOnFailure([&] { list->deleteRecord(); });
    skipOnFailure([&] { list->movePrevious(); });
    skipOnFailure([&] {
        if (list->bof()) list->moveFirst();
    });
}

void NetworkSetup::Command11_Click() {
    // The boxes are bound to the setup record: the binding rule stores the choice later.
    reportOnFailure(sink_, [&] {
        board_.Text26->setText(board_.Text27->text());
        board_.Text29->setText(board_.Text28->text());
    });
}

bool NetworkSetup::refreshKeepingChanges(DataControl* data) const {
    if (!data) return true;
    if (!data->isDirty()) {
        skipOnFailure([&] { data->refresh(); });
        return true;
    }
    // A change that cannot be stored is worth a word: the program is about to end.
    return reportOnFailure(sink_, [&] { data->refresh(); });
}

bool NetworkSetup::storeSetup() const {
    DataControl* setup = board_.data[kSetupData];
    if (!setup) return true;
    QString reason;
    try {
        const WrittenNowOrNotAtAll now(*setup);
        setup->refresh();
    } catch (const std::exception& e) {
        reason = QString::fromUtf8(e.what());
    }
    // Without its record the choice made here would be gone at the next start.
    if (reason.isEmpty() && !setup->hasCurrent())
        reason = QStringLiteral("table \"Setup\" of %1 has no record").arg(setup->databaseName());
    if (reason.isEmpty()) return true;
    report(QStringLiteral("Setup not stored: %1").arg(reason));
    return false;
}

void NetworkSetup::Command5_Click() {
    board_.Frame3->setVisible(false);

    bool stored = refreshKeepingChanges(board_.data[kLocationData]);
    stored = storeSetup() && stored;
    // The open files stay where they are; only pending changes are written and re-read.
    for (int n = 1; n <= 6; ++n)
        stored = refreshKeepingChanges(board_.data[n]) && stored;

    board_.Lbl3D2->setCaption(board_.Text29->text());
    if (repaint_) repaint_();

    // Ending the program now would throw away a change that was not stored: the panel stays for
    // another try, with the reason in the status bar.
    if (!stored) {
        board_.Frame3->setVisible(true);
        return;
    }
    if (closeBoard_) closeBoard_();
}
