// "qbtool chart": the charts of the report windows drawn offscreen into a
// PNG picture, from the same figures as the windows, for scripts and tests.

#include "tool/ChartCommand.h"

#include <cstring>
#include <memory>

#include <QApplication>
#include <QChart>

#include "charts/Charts.h"
#include "engine/ChartData.h"
#include "engine/LedgerReport.h"
#include "engine/SummaryReport.h"
#include "store/BookSchema.h"
#include "store/MasterEdits.h"
#include "store/Utilities.h"
#include "tool/Commands.h"

namespace qb {

namespace {

class ChartCommand final : public BookCommand
{
public:
    ChartCommand()
        : BookCommand(QStringLiteral("chart"),
            QStringLiteral(
                "chart FILE.qbf summary [--account CODE | --group NAME] --from DATE "
                "--to DATE [-o OUT.png]\n"
                "chart FILE.qbf balance --account CODE --from DATE --to DATE [-o OUT.png]\n"
                "chart FILE.qbf group --group NAME --from DATE --to DATE [-o OUT.png]"),
            QStringLiteral("draws a chart of the report windows as a PNG picture"),
            QStringLiteral(
                "Draws a chart of the report windows as a PNG picture, offscreen:\n"
                "  summary   the Period Summary's chart: money in and out per account (the\n"
                "            15 largest and \"Other\") of every account or of the group NAME,\n"
                "            or per month of the account CODE\n"
                "  balance   the running balance of the account CODE, one point per day with\n"
                "            transactions after the opening balance, as the transaction list\n"
                "            shows it\n"
                "  group     the summed balance of the group's accounts at each month end\n"
                "DATE is yyyymmdd or yyyy-mm-dd; both days are included. Exit codes: 0 done,\n"
                "2 wrong usage, 3 a file could not be read or written, or a figure of the\n"
                "chart cannot be given (the picture is written all the same)."))
    {
        setArguments({QStringLiteral("FILE.qbf"), QStringLiteral("CHART")});
        addValue(
            {QStringLiteral("account")}, QStringLiteral("CODE"), QStringLiteral("the account"));
        addValue({QStringLiteral("group")}, QStringLiteral("NAME"), QStringLiteral("the group"));
        addValue({QStringLiteral("from")}, QStringLiteral("DATE"), QStringLiteral("the first day"));
        addValue({QStringLiteral("to")}, QStringLiteral("DATE"), QStringLiteral("the last day"));
        addValue({QStringLiteral("o")}, QStringLiteral("OUT.png"),
            QStringLiteral("the picture to write (else standard output)"));
        addValue({QStringLiteral("width")}, QStringLiteral("W"),
            QStringLiteral("its width in pixels (default 900, 100 to 8000)"));
        addValue({QStringLiteral("height")}, QStringLiteral("H"),
            QStringLiteral("its height in pixels (default 600, 100 to 8000)"));
    }

private:
    int run() override
    {
        const QString kind = argument(1);
        const QString account = value(QStringLiteral("account"));
        const QString groupName = value(QStringLiteral("group"));
        const QDate from = CommandDate(value(QStringLiteral("from")));
        const QDate to = CommandDate(value(QStringLiteral("to")));
        int width = 900, height = 600;
        if (const int rc = pixels(QStringLiteral("width"), &width))
            return rc;
        if (const int rc = pixels(QStringLiteral("height"), &height))
            return rc;
        if (kind != QStringLiteral("summary") && kind != QStringLiteral("balance")
            && kind != QStringLiteral("group"))
            return usageError(
                QStringLiteral("chart takes one of summary, balance, group, not ") + kind);
        if (!from.isValid() || !to.isValid())
            return usageError(
                QStringLiteral("chart needs --from and --to as yyyymmdd or yyyy-mm-dd"));
        if (from > to)
            return usageError(QStringLiteral("--from is after --to"));
        if (!account.isEmpty() && !groupName.isEmpty())
            return usageError(QStringLiteral("chart takes --account or --group, not both"));
        if (kind == QStringLiteral("balance") && account.isEmpty())
            return usageError(QStringLiteral("chart balance needs --account CODE"));
        if (kind == QStringLiteral("group") && groupName.isEmpty())
            return usageError(QStringLiteral("chart group needs --group NAME"));

        Book opened;
        if (const int rc = openBook(argument(0), &opened))
            return rc;
        const XmlDocument& book = opened.document;

        std::optional<QString> name;
        if (!account.isEmpty()) {
            bool ok = false;
            const int number = account.toInt(&ok);
            const XmlNode head = ok && number > 0 ? FindAccount(book, number) : XmlNode();
            if (head.isNull())
                return fail(QStringLiteral("the book has no account with code ") + account, kUsage);
            name = head.attribute(schema::kAcName);
        }
        QString group;
        if (!groupName.isEmpty()) {
            // As the Period Summary's list finds it: the name as written, else
            // the first group of that name in another letter case.
            XmlNode node = FindGroup(book, groupName);
            if (node.isNull())
                node = FindGroupsByName(book, groupName).value(0);
            if (node.isNull())
                return fail(QStringLiteral("the book has no group named ") + groupName, kUsage);
            group = node.text();
        }
        std::unique_ptr<QChart> chart;
        bool trouble = false;
        const int code = account.toInt();
        if (kind == QStringLiteral("summary") && name) {
            const InOutChartData data = MonthlyChartData(book, code, *name, from, to);
            trouble = data.trouble;
            chart.reset(MakeInOutChart(data));
        } else if (kind == QStringLiteral("summary")) {
            // The figures of the Period Summary's page, from the same walk.
            const SummarySubject subject
                = group.isEmpty() ? SummarySubject::allAccounts() : SummarySubject::group(group);
            SummaryResult result;
            PeriodSummaryReport::SummaryBook(book, DateToDocDate(from), DateToDocDate(to), subject,
                group.isEmpty() ? XmlNode() : FindGroup(book, group), &result);
            const InOutChartData data = SummaryChartData(result,
                group.isEmpty() ? QStringLiteral("All accounts")
                                : QLatin1Char('\'') + group + QLatin1Char('\''),
                from, to);
            trouble = data.trouble;
            chart.reset(MakeInOutChart(data));
        } else if (kind == QStringLiteral("balance")) {
            QList<BalancePoint> points;
            FigureTrouble listed;
            LedgerReport::ListingBook(
                book, code, DateToDocDate(from), DateToDocDate(to), &listed, &points);
            const BalanceChartData data = LedgerChartData(points, *name, from, to);
            trouble = data.trouble || listed.any();
            chart.reset(MakeBalanceChart(data));
        } else {
            const BalanceChartData data = *GroupBalanceChartData(book, group, from, to);
            trouble = data.trouble;
            chart.reset(MakeBalanceChart(data));
        }

        const int rc = writeOutput(
            value(QStringLiteral("o")), RenderChartPng(chart.get(), QSize(width, height)));
        if (rc == kOk && trouble)
            return fail(
                QStringLiteral("a figure of the chart cannot be given (an amount that cannot "
                               "be read, or a sum beyond the range of amounts)"));
        return rc;
    }

    // --width or --height: pixels from 100 to 8000; 0, or 2 after the usage.
    int pixels(const QString& option, int* into)
    {
        if (!isSet(option))
            return kOk;
        bool ok = false;
        const int n = value(option).toInt(&ok);
        if (!ok || n < 100 || n > 8000)
            return usageError(QStringLiteral("--") + option
                + QStringLiteral(" takes a number of pixels from 100 to 8000"));
        *into = n;
        return kOk;
    }
};

} // namespace

std::unique_ptr<Command> MakeChartCommand()
{
    return std::make_unique<ChartCommand>();
}

// The offscreen platform's note that XDG_RUNTIME_DIR is not set says nothing
// about the chart; it would be a stray line on qbtool's standard error.
static void quietRuntimeDirNote(
    QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg && text.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    qt_message_output(type, context, text);
}

std::unique_ptr<QCoreApplication> MakeToolApplication(int& argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "chart") == 0) {
        qInstallMessageHandler(quietRuntimeDirNote);
        // Charts need no display: drawn offscreen unless a platform is asked for.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace qb
