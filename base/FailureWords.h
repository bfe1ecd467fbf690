#pragma once

#include "base/Failure.h"

#include <QString>

// A failure said as one complete sentence that names the file and its folder (or server), the
// engine's own words after it: "MonEvents.mdb in /srv/radio/Data cannot be read: file is encrypted or
// is not a database." Words that name the place already are a sentence of their own and are kept;
// a sentence of this program's own gets the place after it: "This file keeps no history (MonWx.mdb in
// /srv/radio/Data)."
// A server's address must come without its password; this text says what it is given.
QString sentenceOf(const Failure& failure);
