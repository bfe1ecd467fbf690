#include "copy/CopyOpeners.h"

#include "copy/frmEventsText.h"
#include "copy/frmNotes.h"
#include "copy/frmPrepCopy.h"
#include "data/catalogue/Catalogue.h"
#include "data/controls/DataControl.h"
#include "data/controls/FieldBinding.h"
#include "studio/StudioContext.h"
#include "widgets/TextBox.h"
#include "widgets/Windows.h"

#include <QLabel>

namespace {

// The open window of its kind, or a new one that has run its load step. `created` tells which.
template <class W> W* loaded(StudioContext& context, const QString& form, bool& created) {
    W* w = windows::find<W>(form);
    created = w == nullptr;
    if (created) {
        w = new W(context);
        w->Form_Load();
    }
    windows::bringToFront(w);
    return w;
}

} // namespace

const QVector<LibraryButton>& libraryButtons() {
    static const QVector<LibraryButton> rows = [] {
        const QStringList& files = catalogue::libraryFiles();
        return QVector<LibraryButton>{
            {QStringLiteral("Promo"), QStringLiteral("Promo Copy"), files.at(0)},
            {QStringLiteral("Live Copy"), QStringLiteral("Live Copy"), files.at(1)},
            {QStringLiteral("PSA"), QStringLiteral("PSA Copy"), files.at(2)},
            {QStringLiteral("Notes/News"), QStringLiteral("Notes/News Copy"), files.at(3)},
            {QStringLiteral("Tag Lines"), QStringLiteral("Tag Copy"), files.at(4)},
        };
    }();
    return rows;
}

frmNotes* openLibrary(StudioContext& context, const LibraryButton& button) {
    bool created = false;
    frmNotes* w = loaded<frmNotes>(context, QStringLiteral("frmNotes"), created);
    w->setWindowTitle(button.windowCaption);
    // The heading and the file are set only where a folder is at hand; both branches do it.
    const auto bind = [&](const QString& folder) {
        w->Label5()->setText(button.heading);
        w->openFile(folder + button.file);
    };
    if (!context.dataFolderText().isEmpty()) bind(context.dataFolderText());
    if (context.dataFolderText().isEmpty()) bind(context.programFolder());
    return w;
}

frmPrepCopy* showPrepCopy(StudioContext& context) {
    bool created = false;
    return loaded<frmPrepCopy>(context, QStringLiteral("frmPrepCopy"), created);
}

frmEventsText* openEventDetail(StudioContext& context, int line) {
    bool created = false;
    frmEventsText* w = loaded<frmEventsText>(context, QStringLiteral("frmEventsText"), created);
    // Text typed for the event shown so far is stored before the boxes change event.
    if (!created && w->data1().isDirty()) w->refreshData();
    FieldBinding::of(w->Text2())->setDataField(eventTitleField(line));
    FieldBinding::of(w->Text1())->setDataField(eventNotesField(line));
    w->refreshData();
    return w;
}
