#pragma once

#include <QString>
#include <QVector>

class StudioContext;
class frmNotes;
class frmPrepCopy;
class frmEventsText;

// One copy-library button of the main board: what the library editor is given.
struct LibraryButton {
    QString windowCaption;
    QString heading;
    QString file;
};
// Promotions, Live Copy, PSA, Notes / News, Tag Lines.
const QVector<LibraryButton>& libraryButtons();

// Shows the library editor (loading it on first use) and switches it to the button's library.
frmNotes* openLibrary(StudioContext& context, const LibraryButton& button);
// Shows the prep copy window; it opens its own file when it loads.
frmPrepCopy* showPrepCopy(StudioContext& context);
// Shows the event detail window (loading it on the weekday shown at that moment) on event line 1..7.
frmEventsText* openEventDetail(StudioContext& context, int line);
