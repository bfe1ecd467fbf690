#pragma once

class QWidget;

// The start-up routine: loads the main board, runs its load sequence and shows it.
namespace Module1 {
int Main(int argc, char** argv);

// "Exit" ends the program without closing the other windows. Discarding them at the end still
// lets their data controls store what was typed (a data control writes its pending edit when it
// is destroyed); no closing handler runs.
void discardSecondaryWindows(const QWidget* board);
} // namespace Module1
