#include "tool/SearchCommand.h"

#include <algorithm>

#include "tool/CommandLine.h"
#include "tool/CommandOutput.h"
#include "tool/ReportCommand.h"
#include "engine/ReportPage.h"
#include "engine/SearchReport.h"
#include "engine/ShortDate.h"
#include "store/BookSchema.h"
#include "store/MasterEdits.h"
#include "store/Money.h"

namespace qb {

namespace {

const char kSearchUsage[]
    = "Usage: qbtool search FILE.qbf [--from DATE --to DATE] [--account CODE]...\n"
      "                    [--side from|to|both] [--amount OP A [B]]\n"
      "                    [--details TEXT [--mode contains|equals|not]]\n"
      "                    [--password P | --password-file F] [-o OUT] [--csv FILE]\n"
      "\n"
      "Finds transactions as the Search window does and writes its result page\n"
      "(style sheet in place of <HTML>) to standard output or OUT, and with --csv\n"
      "the rows as the window's Export to CSV writes them. Each option is one\n"
      "criterion; without any, the template's own listing is shown.\n"
      "\n"
      "  --from DATE --to DATE  first and last day (yyyymmdd or yyyy-mm-dd)\n"
      "  --account CODE         an account; repeat for more (listed by name, as the\n"
      "                         window's list keeps them)\n"
      "  --side from|to|both    which side must hold one of them (default both)\n"
      "  --amount OP A [B]      OP is =, >=, <=, >, < or range (A to B)\n"
      "  --details TEXT         terms joined by AND or OR in capitals\n"
      "  --mode contains|equals|not   how the terms match (default contains)\n"
      "  --password P           the book's password; --password-file F reads it from\n"
      "                         the first line of F; else QB_PASSWORD when it is set\n";

// An amount as the search boxes take it (up to nine integer digits and two
// decimals), written as plain number text: "0100.50" gives "100.5".
std::optional<QString> plainAmount(const QString& text)
{
    const std::optional<Money> amount = Money::parseEntry(text);
    return amount ? std::optional<QString>(amount->toText()) : std::nullopt;
}

struct SearchOptions
{
    QString file;
    PasswordSource password;
    QString from, to;
    QList<int> accounts;
    QString side = QStringLiteral("both");
    QStringList amount; // OP A [B]
    bool hasDetails = false;
    QString details;
    QString mode = QStringLiteral("contains");
    QString output;
    QString csv;
    bool help = false;
    QString error;
};

SearchOptions parse(const QStringList& args)
{
    SearchOptions o;
    QStringList positional;
    auto value = [&](qsizetype& i, const QString& name) {
        return OptionValue(args, i, name, &o.error);
    };
    for (qsizetype i = 0; i < args.size() && o.error.isEmpty(); ++i) {
        const QString& a = args.at(i);
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            o.help = true;
        } else if (TakePasswordOption(args, i, &o.password, &o.error)) {
        } else if (a == QStringLiteral("--from")) {
            if (auto v = value(i, a))
                o.from = *v;
        } else if (a == QStringLiteral("--to")) {
            if (auto v = value(i, a))
                o.to = *v;
        } else if (a == QStringLiteral("--account")) {
            if (auto v = value(i, a)) {
                bool ok = false;
                const int code = v->toInt(&ok);
                if (!ok || code < 1)
                    o.error = QStringLiteral("--account takes an account code, not ") + *v;
                else if (!o.accounts.contains(code))
                    o.accounts.append(code);
            }
        } else if (a == QStringLiteral("--side")) {
            if (auto v = value(i, a))
                o.side = *v;
        } else if (a == QStringLiteral("--amount")) {
            auto op = value(i, a);
            auto first = op ? value(i, a) : std::nullopt;
            if (op && first) {
                o.amount = {*op, *first};
                if (*op == QStringLiteral("range")) {
                    if (auto second = value(i, a))
                        o.amount.append(*second);
                }
            }
        } else if (a == QStringLiteral("--details")) {
            if (auto v = value(i, a)) {
                o.hasDetails = true;
                o.details = *v;
            }
        } else if (a == QStringLiteral("--mode")) {
            if (auto v = value(i, a))
                o.mode = *v;
        } else if (a == QStringLiteral("-o")) {
            if (auto v = value(i, a))
                o.output = *v;
        } else if (a == QStringLiteral("--csv")) {
            if (auto v = value(i, a))
                o.csv = *v;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            o.error = QStringLiteral("unknown option ") + a;
        } else {
            positional.append(a);
        }
    }
    if (o.error.isEmpty() && !o.help) {
        if (positional.size() != 1)
            o.error = QStringLiteral("search takes one data file");
        else
            o.file = positional.first();
    }
    return o;
}

// The window's criteria from the options; the account names from the book.
bool criteriaOf(const SearchOptions& o, const XmlDocument& book, SearchCriteria* c, QString* error)
{
    if (!o.from.isEmpty() || !o.to.isEmpty()) {
        c->byDate = true;
        c->from = CommandDate(o.from);
        c->to = CommandDate(o.to);
        if (!c->from.isValid() || !c->to.isValid()) {
            *error = QStringLiteral("--from and --to take dates as yyyymmdd or yyyy-mm-dd");
            return false;
        }
    }
    if (!o.accounts.isEmpty()) {
        c->byAccount = true;
        for (int code : o.accounts) {
            const XmlNode head = FindAccount(book, code);
            if (head.isNull()) {
                *error = QStringLiteral("the book has no account ") + QString::number(code);
                return false;
            }
            c->accounts.append({code, head.attribute(schema::kAcName)});
        }
        // The window's list keeps the accounts by name, letter case ignored.
        std::stable_sort(c->accounts.begin(), c->accounts.end(), [](const auto& a, const auto& b) {
            return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
        });
        if (o.side == QStringLiteral("from"))
            c->side = SearchCriteria::Side::FromOnly;
        else if (o.side == QStringLiteral("to"))
            c->side = SearchCriteria::Side::ToOnly;
        else if (o.side != QStringLiteral("both")) {
            *error = QStringLiteral("--side takes from, to or both");
            return false;
        }
    }
    if (!o.amount.isEmpty()) {
        c->byAmount = true;
        const QString op = o.amount.at(0);
        const bool range = op == QStringLiteral("range");
        if (!range && !SearchAmountOperators().contains(op)) {
            *error = QStringLiteral("--amount takes =, >=, <=, >, < or range");
            return false;
        }
        c->op = range ? SearchInRange() : op;
        const auto a = plainAmount(o.amount.value(1));
        const auto b = range ? plainAmount(o.amount.value(2)) : std::optional<QString>(QString());
        if (!a || !b) {
            *error = QStringLiteral("--amount takes amounts of up to nine digits and two decimals");
            return false;
        }
        c->amount = *a;
        c->toAmount = *b;
    }
    if (o.hasDetails) {
        c->byDetails = true;
        c->details = o.details;
        if (o.mode == QStringLiteral("equals"))
            c->mode = SearchCriteria::DetailsMode::Equals;
        else if (o.mode == QStringLiteral("not"))
            c->mode = SearchCriteria::DetailsMode::NotContain;
        else if (o.mode != QStringLiteral("contains")) {
            *error = QStringLiteral("--mode takes contains, equals or not");
            return false;
        }
    }
    return true;
}

} // namespace

int runSearchCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const SearchOptions o = parse(args);
    if (o.help)
        return CommandHelp(out, kSearchUsage);
    auto usage = [&err](const QString& problem) {
        return CommandUsageError(err, problem, kSearchUsage);
    };
    if (!o.error.isEmpty())
        return usage(o.error);

    XmlDocument book;
    if (const int rc = LoadCommandBook(o.file, o.password, &book, err); rc != kOk)
        return rc;
    SearchCriteria criteria;
    QString problem;
    if (!criteriaOf(o, book, &criteria, &problem))
        return usage(problem);

    SearchReport report;
    Error error;
    if (!report.load(&error)) {
        err << "qbtool: template Search: " << error.description << '\n';
        err.flush();
        return kFileError;
    }
    const SearchPredicate predicate = BuildSearchPredicate(criteria);
    if (!report.run(book, predicate, DateDisplayExpression(), &error)) {
        err << "qbtool: the search failed: " << error.description << '\n';
        err.flush();
        return kTemplateError;
    }
    if (!o.csv.isEmpty()) {
        if (const int rc = WriteCommandOutput(o.csv, SearchCsv(report.result()), out, err))
            return rc;
    }
    QString page = report.page(predicate.summary);
    AddStyleHead(page);
    // The page goes to OUT, or to standard output unless the CSV was asked for alone.
    if (!o.output.isEmpty() || o.csv.isEmpty()) {
        const QByteArray bytes = o.output.isEmpty() ? page.toUtf8() + '\n' : page.toUtf8();
        if (const int rc = WriteCommandOutput(o.output, bytes, out, err))
            return rc;
    }
    FigureTrouble trouble;
    trouble.note(report.total());
    if (trouble.any()) {
        // The page and the rows are written with their error marks; no success.
        err << "qbtool: " << trouble.message() << '\n';
        err.flush();
        return kFileError;
    }
    err << report.count() << " transactions, total " << report.totalText() << '\n';
    err.flush();
    return kOk;
}

} // namespace qb
