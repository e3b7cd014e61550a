#pragma once

// The parts of a report page the program adds around a template's result:
// the shared style sheet and the report title.

#include <QString>

namespace qb {

// The style sheet of every page: sixteen rules, built on first use and kept
// for the life of the program.
QString ReportStyleSheet();

// "<HTML><HEAD><style type="text/css">" + ReportStyleSheet() + "</style></HEAD>"
QString ReportStyleHead();

// Replaces every "<HTML>" (upper case only) of the page by the style head.
void AddStyleHead(QString& page);
// The same on a page in UTF-8.
void AddStyleHead(QByteArray& page);

// The placeholder that templates write where the title goes.
QString ReportTitlePlaceholder(); // "[*[REPORTTILE]*]"

// Replaces the first title placeholder of the page, if any, by the title.
// True when one was replaced.
bool ReplaceReportTitle(QString& page, const QString& title);
// The same on a page in UTF-8.
bool ReplaceReportTitle(QByteArray& page, const QString& title);

// The page a report window shows before it has a report:
// "<HTML><BODY><Center><div class='reporttitle'>" + message + "</div></Center></BODY></HTML>"
QString PlaceholderPage(const QString& message);

} // namespace qb
