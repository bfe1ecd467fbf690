#pragma once

#include "data/storage/Database.h"

#include <exception>
#include <functional>
#include <memory>

// A file of a place that does not answer, read from the copy kept on this computer. It bears the
// live file's name, so that what is typed over it is kept for the live file; every write fails as
// the silent place's own would, so the text waits in the rescue store and lands on the live file,
// with the old-value check, once the place answers. From then on its record sets are no longer
// usable: the board opens the live file afresh.
std::shared_ptr<Database> copyInstead(std::shared_ptr<Database> copy, const QString& livePath,
                                      std::exception_ptr silent, std::function<bool()> placeStillSilent);
