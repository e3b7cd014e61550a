#pragma once

// Text from outside the program (a file name, a statement's fields, a
// book's names) quoted in a message: control characters are shown as
// escapes, so that a terminal never obeys one (clearing the screen, setting
// its title), a line break never starts a line of its own, and a direction
// override never reorders the message around it.

#include <QString>
#include <QStringView>

namespace qb {

// "\t", "\n", "\r"; other C0 and C1 controls and DEL as "\xHH"; line and
// paragraph separators and the direction marks, embeddings, overrides and
// isolates as "\u{HHHH}". Everything else as it is.
QString VisibleText(QStringView text);

} // namespace qb
