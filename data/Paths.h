#pragma once

#include <QString>

namespace paths {

// Back slashes become forward slashes and runs of separators fold into one, so
// "Z:/a/\Monday.mdb" and "Z:\a\Monday.mdb" name the same file. A leading pair (a UNC share) stays.
QString fold(const QString& path);

// The password of a connect string such as ";Pwd=4821kq" (empty when there is none).
QString passwordOf(const QString& connect);

// Folder text followed directly by a file constant; an empty folder text means the program folder.
QString withFallback(const QString& folderText, const QString& programFolder, const QString& fileConstant);

} // namespace paths
