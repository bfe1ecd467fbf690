#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The .mdb files of a station's legacy folder. Names are matched ignoring case, as on the
// case-blind file system they come from; on ours two names may differ only in case, and then
// both are kept so that neither is taken silently for the other.
class LegacyFolder {
  public:
    // Throws StorageError when the folder is missing or cannot be listed (no rights to read it):
    // an empty list then would make every file look absent.
    explicit LegacyFolder(const QString& folder);

    bool contains(const QString& name) const { return files_.contains(name.toLower()); }
    // Every spelling of the name found, taken out of what is left.
    QStringList take(const QString& name) { return files_.take(name.toLower()); }
    // The names not taken, sorted.
    QStringList rest() const;
    QString pathOf(const QString& spelling) const { return folder_ + QLatin1Char('/') + spelling; }
    QString path() const { return folder_; }

  private:
    QString folder_;
    QMap<QString, QStringList> files_; // lower-case name -> spellings
};
