#pragma once

// What the import keeps in the user's settings: the matching window of
// days, and the named CSV profiles with the header each was last used for.

#include <optional>

#include <QString>
#include <QStringList>

#include "import/Statement.h"

namespace qb {

// "Import/MatchDays" (default 3, 0 to 30).
int ImportMatchDays();

// The profile saved under name; nothing when there is none or it does not read.
std::optional<CsvMapping> LoadCsvProfile(const QString& name);
// Saves the mapping under name and remembers it for files with this header.
void SaveCsvProfile(const QString& name, const CsvMapping& mapping, const QString& headerKey);
// The profile last used for a file with this header; empty when none.
QString CsvProfileForHeader(const QString& headerKey);
QStringList CsvProfileNames();
// The account the profile's statements were last imported into; 0 none.
int CsvProfileAccount(const QString& name);
void SaveCsvProfileAccount(const QString& name, int account);

} // namespace qb
