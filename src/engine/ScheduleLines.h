#pragma once

// Scheduled occurrences as lines of text, for qbtool's due and upcoming
// lists and the windows that offer them: date (yyyy-mm-dd), amount (plain),
// From and To account names, narration.

#include <QStringList>

#include "store/Schedules.h"

namespace qb {

class XmlDocument;

// One line per occurrence, the fields separated by tabs, or, for CSV, by
// commas with a heading row first, each field quoted where it must be and a
// text a spreadsheet would run made safe.
QStringList OccurrenceLines(const XmlDocument& book, const QList<Occurrence>& list, bool csv);

} // namespace qb
