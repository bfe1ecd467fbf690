#pragma once

#include "data/storage/Database.h"

#include <QDateTime>
#include <QString>

// What the secondary windows read from the main board when they open a file: the data folder
// text (the network path box), the day label, the program folder and the storage engine.
class StudioContext {
  public:
    virtual ~StudioContext() = default;
    virtual QString dataFolderText() const = 0;
    virtual QString dayLabel() const = 0;
    virtual QString programFolder() const = 0;
    virtual DatabaseProvider& provider() = 0;
    // The board's clock: the day a copy's run is checked against, the time a read is recorded at.
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }
};
