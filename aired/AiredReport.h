#pragma once

#include "aired/AiredLog.h"

#include <QString>
#include <QVector>

// The office's view of the reads: grouped by copy, counted, as text to read or CSV for a sheet.
namespace airedreport {

struct CopyReads {
    QString copy;
    QString library;
    QVector<AiredRead> reads; // in time order
};

// One group per copy of a library, in name order.
QVector<CopyReads> grouped(QVector<AiredRead> reads);

// "Reads on air Dec 1 2026 to Dec 31 2026", then each copy with its count and one line per read.
QString text(const QVector<CopyReads>& groups, const QDate& from, const QDate& to);

// Header "Copy,Library,Read,Date,Time,Studio,User,Fingerprint"; Read counts 1..n within its copy,
// so a copy's last row carries its count. With byteOrderMark the text starts with U+FEFF.
QString csv(const QVector<CopyReads>& groups, bool byteOrderMark = false);

} // namespace airedreport
