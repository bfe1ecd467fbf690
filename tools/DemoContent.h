#pragma once

#include "data/storage/Recordset.h"

#include <QString>
#include <QVector>

// Believable content for a first start: a station's day of radio prep.
namespace demo {

// The records of one table of one file of the catalogue (empty: the table starts blank).
QVector<FieldValues> recordsFor(const QString& fileConstant, const QString& table);

} // namespace demo
