
#include "import/ImportPlan.h"
#include "import/ImportSettings.h"
#include "import/Statement.h"
#include "store/BookFile.h"
#include "store/BookGuard.h"
#include "store/BookSchema.h"
#include "store/Clock.h"
#include "store/OutputFile.h"
#include "store/Utilities.h"
#include "tool/Commands.h"

namespace qb {

namespace {

const QString kImportDescription = QStringLiteral(
    "Imports a bank statement into the book as the Import Statement window does:\n"
    "one transaction per new line, From the account To the other account for money\n"
    "out and the other way for money in, numbered per day, written in one save.\n"
    "Lines already in the book (an OFX id or a line imported before, or a\n"
    "transaction of the account with the same side and amount within a few days)\n"
    "and lines repeated in the file are left out. The format is told from the\n"
    "content unless --format says it. A CSV file is read with the named profile\n"
    "(saved by the window), else with the columns guessed from its content; the\n"
    "--csv options set or change single columns (counted from 1). A guess that is\n"
    "unsure (two columns could be the amount, no heading names it, ...) is printed\n"
    "and nothing is imported until the columns are given or --accept-guess is.\n"
    "An OFX account paired with an account by an earlier import needs no --account.\n"
    "A file of several accounts (OFX statements, QIF !Account blocks) is imported\n"
    "part by part: each account the file names needs --account-for ID=CODE (or\n"
    "a pairing from an earlier import); the ids are listed when one is missing.\n"
    "\n"
    "  --other CODE     the other account of lines that have no suggested one\n"
    "  --dry-run        show what would be imported; write nothing\n"
    "\n"
    "Prints one line per statement line: status (new, dup, repeat or error), date,\n"
    "amount, the other account's code or -, narration (an error line: the reason)\n"
    "and, where there is one, a note (a rounding to the cent, a balance line left\n"
    "out), separated by tabs; then \"imported N, already in the book M, left out K\",\n"
    "followed by what the file left out (\"left out: 12 security trades\") or\n"
    "why lines were matched otherwise.\n"
    "The other account of a line comes from the book's import rules (a text the\n"
    "line contains and its account, kept by the window) before the payees learned\n"
    "from every transaction of the book. Lines without another account are left out.\n"
    "Exit codes: 0 done (also when nothing was new), 2 wrong usage, 3 a file could\n"
    "not be read or written, 4 the statement could not be understood or its columns\n"
    "are an unsure guess (nothing written).\n");

struct ImportOptions
{
    QString book;
    QString statement;
    int account = 0;
    int other = 0;
    QHash<QString, int> accountFor; // bank account id -> account code

    std::optional<StatementFormat> format;
    QString profile;
    bool dryRun = false;
    // CSV columns from 0; -2 when not given.
    int date = -2, amount = -2, out = -2, in = -2, reference = -2;
    std::optional<DateOrder> order;
    std::optional<QList<int>> text;
    std::optional<char> separator;
    bool decimalComma = false;
    bool header = false;
    int skip = -1;
    int direction = -2;
    QString outWord, inWord;
    bool reverse = false;
    bool acceptGuess = false;
    QString error;

    // Columns chosen by the person (a profile or a column option): no guess decides alone.
    bool columnsGiven() const
    {
        return !profile.isEmpty() || date >= 0 || amount >= 0 || out >= 0 || direction >= 0;
    }
};

int columnOf(const QString& text)
{
    bool ok = false;
    const int column = text.toInt(&ok);
    return ok && column >= 1 && column <= 10000 ? column - 1 : -1;
}

// The options as the frame parsed them; o.error says what is wrong.
template <typename Value, typename Values, typename IsSet>
ImportOptions readOptions(const QStringList& arguments, Value value, Values values, IsSet isSet)
{
    ImportOptions o;
    auto fault = [&o](const QString& why) {
        if (o.error.isEmpty())
            o.error = why;
    };
    auto column = [&](const char* name, int* target) {
        const QString option = QLatin1String(name);
        if (!isSet(option))
            return;
        *target = columnOf(value(option));
        if (*target < 0)
            fault(QStringLiteral("--") + option
                + QStringLiteral(" takes a column number from 1, not ") + value(option));
    };
    auto code = [&](const char* name, int* target) {
        const QString option = QLatin1String(name);
        if (!isSet(option))
            return;
        bool ok = false;
        *target = value(option).toInt(&ok);
        if (!ok || *target < 1)
            fault(QStringLiteral("--") + option + QStringLiteral(" takes an account code, not ")
                + value(option));
    };
    code("account", &o.account);
    code("other", &o.other);
    if (isSet(QStringLiteral("account-for"))) {
        for (const QString& pair : values(QStringLiteral("account-for"))) {
            const qsizetype eq = pair.lastIndexOf(QLatin1Char('='));
            bool ok = false;
            const int account = eq < 0 ? 0 : pair.mid(eq + 1).toInt(&ok);
            if (!ok || account < 1)
                fault(QStringLiteral("--account-for takes ID=CODE, not ") + pair);
            else
                o.accountFor.insert(pair.left(eq), account);
        }
    }
    if (isSet(QStringLiteral("format"))) {
        o.format = StatementFormatFromName(value(QStringLiteral("format")));
        if (!o.format)
            fault(QStringLiteral("--format takes csv, ofx or qif"));
    }
    o.profile = value(QStringLiteral("profile"));
    o.dryRun = isSet(QStringLiteral("dry-run"));
    column("csv-date", &o.date);
    column("csv-amount", &o.amount);
    column("csv-out", &o.out);
    column("csv-in", &o.in);
    column("csv-ref", &o.reference);
    if (isSet(QStringLiteral("csv-date-order"))) {
        o.order = DateOrderFromName(value(QStringLiteral("csv-date-order")));
        if (!o.order)
            fault(QStringLiteral("--csv-date-order takes dmy, mdy or ymd"));
    }
    if (isSet(QStringLiteral("csv-text"))) {
        const QString v = value(QStringLiteral("csv-text"));
        QList<int> columns;
        for (const QString& part : v.split(QLatin1Char(','))) {
            const int c = columnOf(part.trimmed());
            if (c < 0) {
                fault(QStringLiteral("--csv-text takes column numbers from 1, not ") + v);
                break;
            }
            columns << c;
        }
        o.text = columns;
    }
    if (isSet(QStringLiteral("csv-separator"))) {
        const QString v = value(QStringLiteral("csv-separator"));
        const QString sep = v == QStringLiteral("\\t") ? QStringLiteral("\t") : v;
        if (sep.size() != 1 || sep.at(0).unicode() > 126 || sep.at(0) == QLatin1Char('"')
            || sep.at(0) == QLatin1Char('\n') || sep.at(0) == QLatin1Char('\r'))
            fault(QStringLiteral("--csv-separator takes one character (\\t for a tab)"));
        else
            o.separator = char(sep.at(0).unicode());
    }
    o.decimalComma = isSet(QStringLiteral("csv-decimal-comma"));
    o.header = isSet(QStringLiteral("csv-header"));
    o.reverse = isSet(QStringLiteral("csv-reverse-signs"));
    o.acceptGuess = isSet(QStringLiteral("accept-guess"));
    if (isSet(QStringLiteral("csv-skip"))) {
        bool ok = false;
        o.skip = value(QStringLiteral("csv-skip")).toInt(&ok);
        if (!ok || o.skip < 0 || o.skip > 1000000)
            fault(QStringLiteral("--csv-skip takes a number of lines, not ")
                + value(QStringLiteral("csv-skip")));
    }
    if (isSet(QStringLiteral("csv-direction"))) {
        // COL:OUT:IN, as "6:Af:Bij" or "5:debit:credit".
        const QStringList parts = value(QStringLiteral("csv-direction")).split(QLatin1Char(':'));
        o.direction = parts.size() == 3 ? columnOf(parts.at(0)) : -1;
        o.outWord = parts.value(1).trimmed();
        o.inWord = parts.value(2).trimmed();
        if (o.direction < 0 || o.outWord.isEmpty() || o.inWord.isEmpty()
            || o.outWord.compare(o.inWord, Qt::CaseInsensitive) == 0)
            fault(QStringLiteral("--csv-direction takes COL:OUT:IN (for example 6:Af:Bij), not ")
                + value(QStringLiteral("csv-direction")));
    }
    if ((o.out >= 0) != (o.in >= 0))
        fault(QStringLiteral("--csv-out and --csv-in go together"));
    else if (o.amount >= 0 && o.out >= 0)
        fault(QStringLiteral("give --csv-amount or --csv-out with --csv-in, not both"));
    o.book = arguments.value(0);
    o.statement = arguments.value(1);
    return o;
}

// The CSV mapping: the profile or the guess, then the columns given. doubts
// says why a guess left alone is unsure.
bool csvMapping(const ImportOptions& o, const QByteArray& bytes, CsvMapping* m, QString* why,
    QStringList* doubts)
{
    QString ambiguity;
    if (!o.profile.isEmpty()) {
        const std::optional<CsvMapping> saved = LoadCsvProfile(o.profile);
        if (!saved) {
            *why = QStringLiteral("no CSV profile named ") + o.profile;
            return false;
        }
        *m = *saved;
    } else {
        // Columns are guessed with the separator given, if one is.
        *m = GuessCsvMapping(bytes, &ambiguity, doubts, o.separator.value_or(0));
    }
    if (o.separator)
        m->separator = *o.separator;
    if (o.skip >= 0)
        m->skipLines = o.skip;
    if (o.direction >= 0) {
        m->textColumns.removeAll(o.direction);
        m->directionColumn = o.direction;
        m->outWord = o.outWord;
        m->inWord = o.inWord;
    }
    if (o.reverse)
        m->reverseSigns = true;
    if (o.date >= 0)
        m->dateColumn = o.date;
    if (o.order)
        m->dateOrder = o.order;
    if (o.amount >= 0) {
        m->amountColumn = o.amount;
        m->outColumn = m->inColumn = -1;
    }
    if (o.out >= 0) {
        m->outColumn = o.out;
        m->inColumn = o.in;
        m->amountColumn = -1;
    }
    if (o.text)
        m->textColumns = *o.text;
    if (o.reference >= 0)
        m->referenceColumn = o.reference;
    if (o.decimalComma)
        m->decimalComma = true;
    if (o.header)
        m->header = true;
    if (!m->dateOrder && m->dateColumn >= 0 && !ambiguity.isEmpty()) {
        *why = QStringLiteral("cannot tell ") + ambiguity
            + QStringLiteral("; give --csv-date-order");
        return false;
    }
    return true;
}

QString accountExists(const XmlDocument& doc, int code)
{
    for (XmlNode a = doc.selectSingleNode(QStringLiteral("/Data/AcMaster")).firstChildElement(); a;
         a = a.nextSiblingElement()) {
        if (a.attribute(QStringLiteral("Code")).toInt() == code)
            return a.attribute(schema::kAcName);
    }
    return {};
}

QString shownId(const QString& id)
{
    return id.isEmpty() ? QStringLiteral("(unnamed)") : id;
}

class ImportCommand final : public BookCommand
{
public:
    ImportCommand()
        : BookCommand(QStringLiteral("import"),
            QStringLiteral("import FILE.qbf STATEMENT --account CODE [OPTIONS]"),
            QStringLiteral(
                "imports a bank statement (CSV, OFX/QFX, QIF), leaving out what the book has"),
            kImportDescription)
    {
        setArguments({QStringLiteral("FILE.qbf"), QStringLiteral("STATEMENT")});
        addValue({QStringLiteral("account")}, QStringLiteral("CODE"),
            QStringLiteral("the account the statement belongs to"));
        addValue({QStringLiteral("account-for")}, QStringLiteral("ID=CODE"),
            QStringLiteral("the account of the file's part for bank account ID (repeatable)"));
        addValue({QStringLiteral("format")}, QStringLiteral("csv|ofx|qif"),
            QStringLiteral("the statement's format (else told from its content)"));
        addValue({QStringLiteral("profile")}, QStringLiteral("NAME"),
            QStringLiteral("the CSV profile saved by the window"));
        addValue(
            {QStringLiteral("csv-date")}, QStringLiteral("COL"), QStringLiteral("the date column"));
        addValue({QStringLiteral("csv-date-order")}, QStringLiteral("dmy|mdy|ymd"),
            QStringLiteral("the order of the date's parts"));
        addValue({QStringLiteral("csv-amount")}, QStringLiteral("COL"),
            QStringLiteral("the signed amount column"));
        addValue({QStringLiteral("csv-out")}, QStringLiteral("COL"),
            QStringLiteral("the money-out column"));
        addValue({QStringLiteral("csv-in")}, QStringLiteral("COL"),
            QStringLiteral("the money-in column"));
        addValue({QStringLiteral("csv-text")}, QStringLiteral("COL[,COL]"),
            QStringLiteral("the narration column(s)"));
        addValue({QStringLiteral("csv-ref")}, QStringLiteral("COL"),
            QStringLiteral("the reference column"));
        addValue({QStringLiteral("csv-separator")}, QStringLiteral("C"),
            QStringLiteral("the separator (\\t for a tab)"));
        addFlag(
            {QStringLiteral("csv-decimal-comma")}, QStringLiteral("amounts use a decimal comma"));
        addFlag({QStringLiteral("csv-header")}, QStringLiteral("the first row is a heading"));
        addValue({QStringLiteral("csv-skip")}, QStringLiteral("N"),
            QStringLiteral("lines before the heading (or the first row) to skip"));
        addValue({QStringLiteral("csv-direction")}, QStringLiteral("COL:OUT:IN"),
            QStringLiteral("a column saying which way the money went, with its two words "
                           "(6:Af:Bij)"));
        addFlag({QStringLiteral("csv-reverse-signs")},
            QStringLiteral("charges are written as positive amounts: reverse every sign"));
        addFlag({QStringLiteral("accept-guess")},
            QStringLiteral("import with the guessed CSV columns even when the guess is unsure"));
        addValue({QStringLiteral("other")}, QStringLiteral("CODE"),
            QStringLiteral("the other account of lines that have no suggested one"));
        addFlag({QStringLiteral("dry-run")},
            QStringLiteral("show what would be imported; write nothing"));
        addForceUnlock();
    }

private:
    // The account of each part of the file: --account-for, --account for a
    // file of one account (or the part the file leaves unnamed), else the
    // pairing of an earlier import. Refuses, listing the ids, when one is missing.
    int accountsOfParts(const ImportOptions& o, const XmlDocument& document,
        const QList<Statement>& parts, QList<int>* accounts)
    {
        QStringList missing;
        QStringList ids;
        for (const Statement& part : parts) {
            ids << part.bankAccountId;
            int account = o.accountFor.value(part.bankAccountId);
            if (!account && (parts.size() == 1 || part.bankAccountId.isEmpty()))
                account = o.account;
            if (!account)
                account = PairedAccount(document, part.bankAccountId);
            if (!account && parts.size() > 1 && part.lines.isEmpty())
                account = -1; // a part without lines needs none
            if (!account)
                missing << shownId(part.bankAccountId);
            accounts->append(std::max(account, 0));
        }
        for (auto given = o.accountFor.cbegin(); given != o.accountFor.cend(); ++given) {
            if (!ids.contains(given.key()))
                return usageError(QStringLiteral("the statement names no account ") + given.key()
                    + QStringLiteral("; it names ") + ids.join(QStringLiteral(", ")));
        }
        if (!missing.isEmpty() && parts.size() == 1)
            return usageError(QStringLiteral("import needs --account CODE"));
        if (!missing.isEmpty())
            return usageError(QStringLiteral("the statement holds ") + QString::number(parts.size())
                + QStringLiteral(" accounts: give --account-for ID=CODE for ")
                + missing.join(QStringLiteral(", ")));
        for (int account : *accounts) {
            if (account && accountExists(document, account).isNull())
                return usageError(
                    QStringLiteral("the book has no account ") + QString::number(account));
        }
        return 0;
    }

    int run() override
    {
        const ImportOptions o = readOptions(
            {argument(0), argument(1)}, [this](const QString& name) { return value(name); },
            [this](const QString& name) { return values(name); },
            [this](const QString& name) { return isSet(name); });
        if (!o.error.isEmpty())
            return usageError(o.error);
        QByteArray bytes;
        QString unread;
        if (!LoadStatementFile(o.statement, &bytes, &unread))
            return fail(o.statement + QStringLiteral(": ") + unread);

        // The book is locked before it is read, so nothing changes it in between.
        BookLock lock;
        if (!o.dryRun) {
            if (const int rc = lockBook(o.book, &lock))
                return rc;
        }
        Book book;
        if (const int rc = openBook(o.book, &book))
            return rc;
        QString why;

        const StatementFormat format = o.format.value_or(DetectStatementFormat(bytes));
        // Every message about the statement names the format it was read as.
        const QString read = o.statement + QStringLiteral(" (read as ")
            + StatementFormatTitle(format) + QStringLiteral("): ");
        CsvMapping mapping;
        QStringList doubts;
        if (format == StatementFormat::Csv && !csvMapping(o, bytes, &mapping, &why, &doubts))
            return fail(read + why, kNotApplied);
        if (!doubts.isEmpty() && !o.columnsGiven() && !o.acceptGuess) {
            // An unsure guess is shown, never used unseen.
            out() << "guessed columns:\n";
            for (const QString& part : DescribeCsvMapping(bytes, mapping))
                out() << "  " << part << '\n';
            return fail(read + QStringLiteral("choose the columns: ")
                    + doubts.join(QStringLiteral("; "))
                    + QStringLiteral(" (give the --csv options, or --accept-guess)"),
                kNotApplied);
        }
        Statement statement;
        StatementError error;
        if (!ReadStatement(bytes, format, mapping, &statement, &error))
            return fail(read + error.text(), kNotApplied);

        const QList<Statement> parts = SplitStatementByAccount(statement);
        QList<int> accounts;
        if (const int rc = accountsOfParts(o, book.document, parts, &accounts))
            return rc;
        if (o.other) {
            for (int account : accounts) {
                if (o.other == account || accountExists(book.document, o.other).isNull())
                    return usageError(
                        QStringLiteral("--other must be another account of the book"));
            }
        }

        QList<ImportPlan> plans;
        for (qsizetype p = 0; p < parts.size(); ++p) {
            if (!accounts.at(p))
                continue;
            ImportPlan plan
                = ImportPlan::make(book.document, accounts.at(p), parts.at(p), ImportMatchDays());
            if (o.other)
                plan.setOtherForAll(o.other);
            if (parts.size() > 1)
                out() << "account " << shownId(parts.at(p).bankAccountId) << " to "
                      << accounts.at(p) << '\n';
            for (const ImportLine& line : plan.lines()) {
                const QString date = line.source.date.isValid()
                    ? line.source.date.toString(Qt::ISODate)
                    : QStringLiteral("-");
                out() << LineStatusWord(line.status) << '\t' << date << '\t'
                      << line.source.amount.format() << '\t'
                      << (line.other ? QString::number(line.other) : QStringLiteral("-")) << '\t'
                      << (line.status == LineStatus::Error ? line.reason : line.narration);
                if (!line.source.note.isEmpty() && line.status != LineStatus::Error)
                    out() << '\t' << line.source.note;
                out() << '\n';
            }
            plans.append(std::move(plan));
        }
        ImportCounts counts;
        QList<const ImportPlan*> planned;
        for (const ImportPlan& plan : plans) {
            const ImportCounts part = ApplyImport(book.document, plan);
            counts.imported += part.imported;
            counts.inBook += part.inBook;
            counts.leftOut += part.leftOut;
            counts.changed = counts.changed || part.changed;
            planned.append(&plan);
        }
        if (counts.changed && !o.dryRun) {
            QByteArray text = book.document.toBytes();
            BookWriteOptions write;
            write.key = book.key.get();
            write.today = SystemClock().today();
            write.keepDailyCopies = GetSetting(
                QStringLiteral("Backups"), QStringLiteral("DailyCopies"), QStringLiteral("30"))
                                        .toInt();
            BookError copyError;
            write.dailyCopyError = &copyError;
            if (const BookError saved = WriteBook(text.data(), text.size(), o.book, write);
                saved.isSet()) {
                return fail(saved.line());
            }
            if (copyError.isSet())
                note(copyError.line());
        }
        const QString notes = StatementNotes(parts, planned);
        out() << "imported " << counts.imported << ", already in the book " << counts.inBook
              << ", left out " << counts.leftOut
              << (notes.isEmpty() ? QString() : QStringLiteral("; ") + notes)
              << (o.dryRun ? " (dry run: nothing written)" : "") << '\n';
        return kOk;
    }
};

} // namespace

std::unique_ptr<Command> MakeImportCommand()
{
    return std::make_unique<ImportCommand>();
}

} // namespace qb
