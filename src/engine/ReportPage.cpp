#include "engine/ReportPage.h"

namespace qb {

QString ReportStyleSheet()
{
    // Built on first use and kept until the program ends.
    static const QString sheet = [] {
        const char* const rules[] = {
            "body{background-color: #E5E5E5;}",
            ".reporttitle {font-family: Verdana, Arial, Helvetica, sans-serif;font-size : "
            "11px;padding-left:1mm;}",
            "td { font-family: Verdana, Arial, Helvetica, sans-serif; font-size : 11px;}",
            "a:visited { color : #006699}",
            "a:link {color : #006699;}",
            "a:active {color : #006699;}",
            "th {color: #FFA34F; font-size: 10px; font-weight : bold; background-color: #006699; "
            "height: 25px; font-family: Verdana, Arial, Helvetica, sans-serif;}",
            ".text { padding-left:1mm;}",
            ".Amount {padding-right:1mm;}",
            ".DayTotalCaption {font-weight:bold;text-align:right;padding-right:3mm;}",
            ".DayTotalAmount {border-top:1 solid black; border-bottom:1 solid "
            "black;font-weight:bold;padding-right:1mm;}",
            ".BalanceCaption { font-weight:bold; text-align:right;padding-right:3mm; }",
            ".OpeningBalanceAmount {border-bottom:1 solid black; "
            "font-weight:bold;padding-right:1mm;}",
            ".ClosingBalanceAmount { border-top:1 solid black; font-weight:bold;padding-right:1mm; "
            "}",
            ".GrandTotalCaption { font-weight:bold; text-align:right; padding-right:3mm;}",
            ".GrandTotalAmount {border-top:1 solid black; border-bottom:1 solid "
            "black;font-weight:bold;padding-right:1mm; }",
        };
        QString text;
        for (const char* rule : rules)
            text += QLatin1String(rule);
        return text;
    }();
    return sheet;
}

QString ReportStyleHead()
{
    return QStringLiteral("<HTML><HEAD><style type=\"text/css\">") + ReportStyleSheet()
        + QStringLiteral("</style></HEAD>");
}

void AddStyleHead(QString& page)
{
    page.replace(QStringLiteral("<HTML>"), ReportStyleHead(), Qt::CaseSensitive);
}

void AddStyleHead(QByteArray& page)
{
    page.replace(QByteArrayView("<HTML>"), ReportStyleHead().toUtf8());
}

QString ReportTitlePlaceholder()
{
    return QStringLiteral("[*[REPORTTILE]*]");
}

bool ReplaceReportTitle(QString& page, const QString& title)
{
    const QString placeholder = ReportTitlePlaceholder();
    const qsizetype at = page.indexOf(placeholder, 0, Qt::CaseSensitive);
    if (at < 0)
        return false;
    page.replace(at, placeholder.size(), title);
    return true;
}

bool ReplaceReportTitle(QByteArray& page, const QString& title)
{
    const QByteArray placeholder = ReportTitlePlaceholder().toUtf8();
    const qsizetype at = page.indexOf(placeholder);
    if (at < 0)
        return false;
    page.replace(at, placeholder.size(), title.toUtf8());
    return true;
}

QString PlaceholderPage(const QString& message)
{
    return QStringLiteral("<HTML><BODY><Center><div class='reporttitle'>") + message
        + QStringLiteral("</div></Center></BODY></HTML>");
}

} // namespace qb
