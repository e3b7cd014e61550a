#pragma once

// Laying out qbtool's help texts: words wrapped to the terminal's usual 79
// columns.

#include <QString>

namespace qb {

// text's words in lines of at most width characters, each line after the
// first starting with indent blanks; used characters already stand on the
// first line. Every line ends with a line break.
QString WrapText(const QString& text, int indent, int used = 0, int width = 79);

// One option of a command's help: "  -o OUT" and its description beside it
// from column 26, or under it when the names are longer.
QString OptionHelpLine(const QString& names, const QString& description);

} // namespace qb
