#pragma once

#include "base/Failure.h"

#include <QString>

// A failure met on the file at path, said as one sentence that names the file and its folder or
// server (see sentenceOf): where the failure did not say where it happened, the path does. A
// server's password never shows.
QString saidOf(Failure failure, const QString& path);
// The failure, placed at path where it did not say where it happened.
Failure placedAt(Failure failure, const QString& path);
// The file at path by its name and where it lies, for a sentence: "Monday.mdb in /srv/radio/Data",
// "Monday.mdb on postgresql://host/radio" (never with a password).
QString fileAndPlace(const QString& path);
