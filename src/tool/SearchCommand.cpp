// "qbtool search": the search window's criteria as options, its result page
// and its CSV export, made by the same code as the window.

#include <algorithm>

#include <QRegularExpression>

#include "engine/ReportPage.h"
#include "engine/SearchReport.h"
#include "engine/ShortDate.h"
#include "store/BookSchema.h"
#include "store/MasterEdits.h"
#include "store/Money.h"
#include "tool/Commands.h"

namespace qb {

namespace {

const QString kAmount = QStringLiteral("amount");
const QString kRange = QStringLiteral("range");

const char kSearchDescription[]
    = "Finds transactions as the Search window does. With --csv FILE the rows go to\n"
      "FILE as the window's Export to CSV writes them. The result page (style sheet\n"
      "in place of <HTML>) goes to OUT with -o, else to standard output, except\n"
      "when --csv is given: then only the rows are written. The count and total go\n"
      "to standard error. Each option is one criterion; without any, the\n"
      "template's own listing is shown.";

// An amount as the search boxes take it (up to nine integer digits and two
// decimals), written as plain number text: "0100.50" gives "100.5".
std::optional<QString> plainAmount(const QString& text)
{
    const std::optional<Money> amount = Money::parseEntry(text);
    return amount ? std::optional<QString>(amount->toText()) : std::nullopt;
}

class SearchCommand final : public BookCommand
{
public:
    SearchCommand()
        : BookCommand(QStringLiteral("search"),
            QStringLiteral(
                "search FILE.qbf [--from DATE --to DATE] [--account CODE]...\n"
                "       [--side from|to|both] [--amount OP A [B]]\n"
                "       [--details TEXT [--mode contains|equals|not]]\n"
                "       [--status not-cleared|cleared|reconciled] [-o OUT] [--csv FILE]"),
            QStringLiteral(
                "Find transactions as the Search window does (see \"qbtool search --help\")."),
            QLatin1String(kSearchDescription))
    {
        setArguments({QStringLiteral("FILE.qbf")});
        addValue({QStringLiteral("from")}, QStringLiteral("DATE"),
            QStringLiteral("the first day (yyyymmdd or yyyy-mm-dd)"));
        addValue({QStringLiteral("to")}, QStringLiteral("DATE"), QStringLiteral("the last day"));
        addValue({QStringLiteral("account")}, QStringLiteral("CODE"),
            QStringLiteral(
                "an account; again for more (listed by name, as the window's list keeps them)"));
        addValue({QStringLiteral("side")}, QStringLiteral("from|to|both"),
            QStringLiteral("which side must hold one of them (default both)"));
        addValue({kAmount}, QStringLiteral("OP A [B]"),
            QStringLiteral(
                "OP is =, >=, <=, >, < or range (A to B); amounts of up to nine digits and two "
                "decimals"));
        addValue({QStringLiteral("details")}, QStringLiteral("TEXT"),
            QStringLiteral("terms joined by AND or OR in capitals"));
        addValue({QStringLiteral("mode")}, QStringLiteral("contains|equals|not"),
            QStringLiteral("how the terms match (default contains)"));
        addValue({QStringLiteral("status")}, QStringLiteral("not-cleared|cleared|reconciled"),
            QStringLiteral("the transactions of this status only"));
        addValue({QStringLiteral("o")}, QStringLiteral("OUT"),
            QStringLiteral("write the page to the file OUT"));
        addValue({QStringLiteral("csv")}, QStringLiteral("FILE"),
            QStringLiteral("write the rows to FILE as comma-separated values"));
    }

private:
    // --amount takes two or three arguments: they become one value,
    // "OP A" or "range A B", before the options are parsed.
    bool prepare(QStringList& args, QString* error) const override
    {
        for (qsizetype i = 0; i < args.size() && args[i] != QStringLiteral("--"); ++i) {
            if (args[i] != QStringLiteral("--amount"))
                continue;
            const QString op = args.value(i + 1);
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("--amount needs a value");
                return false;
            }
            if (op != kRange && !SearchAmountOperators().contains(op)) {
                *error = QStringLiteral("--amount takes =, >=, <=, >, < or range, not ") + op;
                return false;
            }
            const qsizetype count = op == kRange ? 2 : 1;
            if (i + 1 + count >= args.size()) {
                *error = QStringLiteral("--amount ") + op
                    + (count == 2 ? QStringLiteral(" needs two amounts")
                                  : QStringLiteral(" needs an amount"));
                return false;
            }
            const QString glued
                = QStringLiteral("--amount=") + args.mid(i + 1, count + 1).join(QLatin1Char(' '));
            args.remove(i, count + 2);
            args.insert(i, glued);
        }
        return true;
    }

    int run() override
    {
        // The criteria that need no book are checked before it is read.
        const QString side = value(QStringLiteral("side"));
        if (isSet(QStringLiteral("side")) && side != QStringLiteral("from")
            && side != QStringLiteral("to") && side != QStringLiteral("both"))
            return usageError(QStringLiteral("--side takes from, to or both, not ") + side);
        const QString mode = value(QStringLiteral("mode"));
        if (isSet(QStringLiteral("mode")) && mode != QStringLiteral("contains")
            && mode != QStringLiteral("equals") && mode != QStringLiteral("not"))
            return usageError(QStringLiteral("--mode takes contains, equals or not, not ") + mode);
        QList<int> codes;
        for (const QString& v : values(QStringLiteral("account"))) {
            bool ok = false;
            const int code = v.toInt(&ok);
            if (!ok || code < 1)
                return usageError(QStringLiteral("--account takes an account code, not ") + v);
            if (!codes.contains(code))
                codes.append(code);
        }

        Book book;
        if (const int rc = openBook(argument(0), &book))
            return rc;
        SearchCriteria criteria;
        QString problem;
        if (!criteriaOf(book.document, codes, &criteria, &problem))
            return usageError(problem);

        SearchReport report;
        Error error;
        if (!report.load(&error))
            return fail(QStringLiteral("template Search: ") + error.description);
        const SearchPredicate predicate = BuildSearchPredicate(criteria);
        if (!report.run(book.document, predicate, DateDisplayExpression(), &error))
            return fail(QStringLiteral("the search failed: ") + error.description, kNotApplied);
        const QString csv = value(QStringLiteral("csv"));
        if (!csv.isEmpty()) {
            if (const int rc = writeOutput(csv, SearchCsv(report.result())))
                return rc;
        }
        QString page = report.page(predicate.summary);
        AddStyleHead(page);
        const QString output = value(QStringLiteral("o"));
        if (!output.isEmpty() || csv.isEmpty()) {
            const QByteArray bytes = output.isEmpty() ? page.toUtf8() + '\n' : page.toUtf8();
            if (const int rc = writeOutput(output, bytes))
                return rc;
        }
        FigureTrouble trouble;
        trouble.note(report.total());
        // The page and the rows are written with their error marks; no success.
        if (trouble.any())
            return fail(trouble.message());
        const int count = report.count();
        err() << count << (count == 1 ? " transaction" : " transactions") << ", total "
              << report.totalText() << '\n';
        return kOk;
    }

    // The window's criteria from the options; the account names from the book.
    bool criteriaOf(
        const XmlDocument& data, const QList<int>& codes, SearchCriteria* c, QString* error) const
    {
        if (isSet(QStringLiteral("from")) || isSet(QStringLiteral("to"))) {
            c->byDate = true;
            c->from = CommandDate(value(QStringLiteral("from")));
            c->to = CommandDate(value(QStringLiteral("to")));
            if (!c->from.isValid() || !c->to.isValid()) {
                *error = QStringLiteral("--from and --to take dates as yyyymmdd or yyyy-mm-dd");
                return false;
            }
        }
        if (!codes.isEmpty()) {
            c->byAccount = true;
            for (int code : codes) {
                const XmlNode head = FindAccount(data, code);
                if (head.isNull()) {
                    *error = QStringLiteral("the book has no account ") + QString::number(code);
                    return false;
                }
                c->accounts.append({code, head.attribute(schema::kAcName)});
            }
            // The window's list keeps the accounts by name, letter case ignored.
            std::stable_sort(
                c->accounts.begin(), c->accounts.end(), [](const auto& a, const auto& b) {
                    return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
                });
            const QString side = value(QStringLiteral("side"));
            if (side == QStringLiteral("from"))
                c->side = SearchCriteria::Side::FromOnly;
            else if (side == QStringLiteral("to"))
                c->side = SearchCriteria::Side::ToOnly;
        }
        if (isSet(kAmount)) {
            c->byAmount = true;
            const QStringList amount = value(kAmount).split(QLatin1Char(' '));
            const bool range = amount.value(0) == kRange;
            c->op = range ? SearchInRange() : amount.value(0);
            const auto a = plainAmount(amount.value(1));
            const auto b = range ? plainAmount(amount.value(2)) : std::optional<QString>(QString());
            if (!a || !b) {
                *error = QStringLiteral(
                    "--amount takes amounts of up to nine digits and two decimals");
                return false;
            }
            c->amount = *a;
            c->toAmount = *b;
        }
        if (isSet(QStringLiteral("details"))) {
            c->byDetails = true;
            c->details = value(QStringLiteral("details"));
            const QString mode = value(QStringLiteral("mode"));
            if (mode == QStringLiteral("equals"))
                c->mode = SearchCriteria::DetailsMode::Equals;
            else if (mode == QStringLiteral("not"))
                c->mode = SearchCriteria::DetailsMode::NotContain;
        }
        if (isSet(QStringLiteral("status"))) {
            const std::optional<TransactionStatus> status
                = StatusFromWord(value(QStringLiteral("status")));
            if (!status) {
                *error = QStringLiteral("--status takes not-cleared, cleared or reconciled");
                return false;
            }
            c->byStatus = true;
            c->status = *status;
        }
        return true;
    }
};

} // namespace

std::unique_ptr<Command> MakeSearchCommand()
{
    return std::make_unique<SearchCommand>();
}

} // namespace qb
