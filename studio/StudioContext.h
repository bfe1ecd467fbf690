#pragma once

#include "data/rescue/KeptEdits.h"
#include "data/storage/Database.h"

#include <QDateTime>
#include <QString>

// What the secondary windows read from the main board when they open a file: the data folder
// text (the network path box), the day label, the program folder, the storage engine and the
// rescue store.
class StudioContext {
  public:
    virtual ~StudioContext() = default;
    virtual QString dataFolderText() const = 0;
    virtual QString dayLabel() const = 0;
    virtual QString programFolder() const = 0;
    virtual DatabaseProvider& provider() = 0;
    // Where text that cannot be stored now is kept on this computer; none in a program without one.
    virtual KeptEdits* rescueStore() { return nullptr; }
    // What the windows' data controls journal their typing in.
    EditJournal& journal() {
        KeptEdits* store = rescueStore();
        return store ? static_cast<EditJournal&>(*store) : EditJournal::none();
    }
    // The board's clock: the day a copy's run is checked against, the time a read is recorded at.
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }
};
