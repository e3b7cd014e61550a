#include "tool/ChartCommand.h"

#include <cstring>

#include <QApplication>
#include <QChart>

#include "charts/Charts.h"
#include "engine/ChartData.h"
#include "engine/LedgerReport.h"
#include "engine/SummaryReport.h"
#include "store/MasterEdits.h"
#include "store/Utilities.h"
#include "tool/CommandLine.h"
#include "tool/CommandOutput.h"
#include "tool/ReportCommand.h"

namespace qb {

namespace {

const char kChartUsage[]
    = "Usage: qbtool chart FILE.qbf summary [--account CODE | --group NAME]\n"
      "                    --from DATE --to DATE -o OUT.png [OPTIONS]\n"
      "       qbtool chart FILE.qbf balance --account CODE --from DATE --to DATE\n"
      "                    -o OUT.png [OPTIONS]\n"
      "       qbtool chart FILE.qbf group --group NAME --from DATE --to DATE\n"
      "                    -o OUT.png [OPTIONS]\n"
      "\n"
      "Draws a chart of the report windows as a PNG picture, offscreen:\n"
      "  summary   the Period Summary's chart: money in and out per account (the\n"
      "            15 largest and \"Other\") of every account or of the group NAME,\n"
      "            or per month of the account CODE\n"
      "  balance   the running balance of the account CODE, one point per day with\n"
      "            transactions after the opening balance, as the transaction list\n"
      "            shows it\n"
      "  group     the summed balance of the group's accounts at each month end\n"
      "DATE is yyyymmdd or yyyy-mm-dd; both days are included.\n"
      "\n"
      "Options:\n"
      "  -o OUT.png            the picture to write (required)\n"
      "  --width W, --height H its size in pixels (default 900 by 600, 100 to 8000)\n"
      "  --password P          the book's password, when it has one; or\n"
      "  --password-file F     the first line of the file F; without either, the\n"
      "                        environment variable QB_PASSWORD when it is set\n"
      "Exit codes: 0 done, 2 wrong usage, 3 a file could not be read or written,\n"
      "or a figure of the chart cannot be given (the picture is written all the same).\n";

struct ChartOptions
{
    QString file;
    QString kind;
    QString account;
    QString group;
    QString from;
    QString to;
    QString output;
    int width = 900;
    int height = 600;
    PasswordSource password;
    bool help = false;
    QString error;
};

ChartOptions parse(const QStringList& args)
{
    ChartOptions o;
    QStringList positional;
    for (qsizetype i = 0; i < args.size() && o.error.isEmpty(); ++i) {
        const QString& a = args.at(i);
        auto value = [&]() { return OptionValue(args, i, a, &o.error); };
        auto size = [&](int* into) {
            if (auto v = value()) {
                bool ok = false;
                const int n = v->toInt(&ok);
                if (!ok || n < 100 || n > 8000)
                    o.error = a + QStringLiteral(" takes a number of pixels from 100 to 8000");
                else
                    *into = n;
            }
        };
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            o.help = true;
        } else if (TakePasswordOption(args, i, &o.password, &o.error)) {
        } else if (a == QStringLiteral("--account")) {
            if (auto v = value())
                o.account = *v;
        } else if (a == QStringLiteral("--group")) {
            if (auto v = value())
                o.group = *v;
        } else if (a == QStringLiteral("--from")) {
            if (auto v = value())
                o.from = *v;
        } else if (a == QStringLiteral("--to")) {
            if (auto v = value())
                o.to = *v;
        } else if (a == QStringLiteral("-o")) {
            if (auto v = value())
                o.output = *v;
        } else if (a == QStringLiteral("--width")) {
            size(&o.width);
        } else if (a == QStringLiteral("--height")) {
            size(&o.height);
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            o.error = QStringLiteral("unknown option ") + a;
        } else {
            positional.append(a);
        }
    }
    if (!o.error.isEmpty() || o.help)
        return o;
    const QStringList kinds{QStringLiteral("summary"), QStringLiteral("balance"), QStringLiteral("group")};
    if (positional.size() != 2 || !kinds.contains(positional.at(1)))
        o.error = QStringLiteral("chart takes a data file and one of summary, balance, group");
    else if (o.output.isEmpty())
        o.error = QStringLiteral("chart needs -o OUT.png");
    else if (!CommandDate(o.from).isValid() || !CommandDate(o.to).isValid())
        o.error = QStringLiteral("chart needs --from and --to as yyyymmdd or yyyy-mm-dd");
    else if (CommandDate(o.from) > CommandDate(o.to))
        o.error = QStringLiteral("--from is after --to");
    else if (!o.account.isEmpty() && !o.group.isEmpty())
        o.error = QStringLiteral("chart takes --account or --group, not both");
    else if (positional.at(1) == QStringLiteral("balance") && o.account.isEmpty())
        o.error = QStringLiteral("chart balance needs --account CODE");
    else if (positional.at(1) == QStringLiteral("group") && o.group.isEmpty())
        o.error = QStringLiteral("chart group needs --group NAME");
    if (o.error.isEmpty()) {
        o.file = positional.at(0);
        o.kind = positional.at(1);
    }
    return o;
}

int usageFail(QTextStream& err, const QString& message)
{
    err << "qbtool: " << message << '\n';
    err.flush();
    return kUsage;
}

// The account head with this code: its name, or nothing.
std::optional<QString> accountHead(const XmlDocument& book, const QString& code)
{
    bool ok = false;
    const int number = code.toInt(&ok);
    if (!ok || number <= 0)
        return std::nullopt;
    const XmlNode head = book.selectSingleNode(
        QStringLiteral("/Data/AcMaster/a[@Code=") + QString::number(number) + QLatin1Char(']'));
    if (head.isNull())
        return std::nullopt;
    return head.attribute(QStringLiteral("AcName"));
}

} // namespace

int runChartCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const ChartOptions o = parse(args);
    if (o.help)
        return CommandHelp(out, kChartUsage);
    if (!o.error.isEmpty())
        return CommandUsageError(err, o.error, kChartUsage);
    XmlDocument book;
    if (const int rc = LoadCommandBook(o.file, o.password, &book, err); rc != kOk)
        return rc;
    const QDate from = CommandDate(o.from), to = CommandDate(o.to);

    std::optional<QString> name;
    if (!o.account.isEmpty()) {
        name = accountHead(book, o.account);
        if (!name)
            return usageFail(err, QStringLiteral("the book has no account with code ") + o.account);
    }
    QString group;
    if (!o.group.isEmpty()) {
        // As the Period Summary's list finds it: the name as written, else
        // the first group of that name in another letter case.
        XmlNode node = FindGroup(book, o.group);
        if (node.isNull())
            node = FindGroupsByName(book, o.group).value(0);
        if (node.isNull())
            return usageFail(err, QStringLiteral("the book has no group named ") + o.group);
        group = node.text();
    }

    std::unique_ptr<QChart> chart;
    bool trouble = false;
    const int code = o.account.toInt();
    if (o.kind == QStringLiteral("summary") && name) {
        const InOutChartData data = MonthlyChartData(book, code, *name, from, to);
        trouble = data.trouble;
        chart.reset(MakeInOutChart(data));
    } else if (o.kind == QStringLiteral("summary")) {
        // The figures of the Period Summary's page, from the same walk.
        const SummarySubject subject
            = group.isEmpty() ? SummarySubject::allAccounts() : SummarySubject::group(group);
        SummaryResult result;
        PeriodSummaryReport::SummaryBook(book, DateToDocDate(from), DateToDocDate(to), subject,
                                         group.isEmpty() ? XmlNode() : FindGroup(book, group), &result);
        const InOutChartData data = SummaryChartData(
            result, group.isEmpty() ? QStringLiteral("All accounts") : QLatin1Char('\'') + group + QLatin1Char('\''),
            from, to);
        trouble = data.trouble;
        chart.reset(MakeInOutChart(data));
    } else if (o.kind == QStringLiteral("balance")) {
        QList<BalancePoint> points;
        bool overflowed = false;
        LedgerReport::ListingBook(book, code, DateToDocDate(from), DateToDocDate(to), &overflowed, &points);
        const BalanceChartData data = LedgerChartData(points, *name, from, to);
        trouble = data.trouble || overflowed;
        chart.reset(MakeBalanceChart(data));
    } else {
        const BalanceChartData data = *GroupBalanceChartData(book, group, from, to);
        trouble = data.trouble;
        chart.reset(MakeBalanceChart(data));
    }

    const int rc = WriteCommandOutput(o.output, RenderChartPng(chart.get(), QSize(o.width, o.height)), out, err);
    if (rc == kOk && trouble) {
        err << "qbtool: a figure of the chart cannot be given (an amount that cannot be read, or a "
               "sum beyond the range of amounts)\n";
        err.flush();
        return kFileError;
    }
    return rc;
}

std::unique_ptr<QCoreApplication> MakeToolApplication(int& argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "chart") == 0) {
        // Charts need no display: drawn offscreen unless a platform is asked for.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace qb
