#pragma once

// The one check the windows make on a typed name or narration before they
// save it, and the one wording of why it is refused.

#include <QString>

namespace qb {

enum class TypedTextKind { Narration, AccountName, GroupName, RangeName };

// Shows why the typed text cannot be saved and returns true: it holds a
// control character (tabs and line breaks are saved as blanks), or it is
// a name of more than kMaxNameLength characters. False when it can be saved.
bool RefuseTypedText(const QString& typed, TypedTextKind kind);

} // namespace qb
