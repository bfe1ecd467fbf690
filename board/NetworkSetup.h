#pragma once

#include "base/Steps.h"

#include <functional>

class DataControl;
struct BoardControls;

// The network setup panel (Frame3) of the main board: a list of known studio locations (Data8,
// program folder) to pick the data folder from, and the setup record (Data7) that names the data
// folder and the station. Closing the panel stores the choice and ends the program, so the next
// start opens everything from the new folder.
class NetworkSetup {
  public:
    // closeBoard closes the main board (which closes every other window and ends the program);
    // repaint repaints it.
    NetworkSetup(BoardControls& board, std::function<void()> closeBoard, std::function<void()> repaint);
    NetworkSetup(const NetworkSetup&) = delete;
    NetworkSetup& operator=(const NetworkSetup&) = delete;

    void mnuNetworkSetup_Click(); // Edit > "&Network Setup"
    void Command5_Click();        // "&Close and update all data files"
    void Command6_Click();        // "<<<<<"
    void Command7_Click();        // ">>>>>"
    void Command8_Click();        // "New"
    void Command9_Click();        // "Save"
    void Command10_Click();       // "Delete"
    void Command11_Click();       // "Use This Location"

  private:
    DataControl* locations() const;
    // Refreshes a data control, skipping a failure; returns false only when that lost a pending change.
    bool refreshKeepingChanges(DataControl* data) const;
    // Writes and re-reads the setup record; false, with the reason shown, when there is none to keep
    // what the next start will read.
    bool storeSetup() const;
    void report(const QString& message) const;

    BoardControls& board_;
    std::function<void()> closeBoard_;
    std::function<void()> repaint_;
    ErrorSink sink_;
};
