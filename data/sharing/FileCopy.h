#pragma once

#include "data/catalogue/Catalogue.h"
#include "data/storage/Database.h"
#include "data/storage/FileBuilder.h"

// One content file copied into a new file being built: every table of the catalogue's file, each
// record under its key and in record order, its fields as they are (a null stays null, an empty
// text stays empty), with the key counters and, when asked and the source keeps one, its history.
// Throws StorageError; the builder is left uncommitted.
enum class WithHistory { No, Yes };
void copyFileContent(Database& source, const catalogue::FileSpec& file, FileBuilder& target,
                     WithHistory withHistory = WithHistory::Yes);
