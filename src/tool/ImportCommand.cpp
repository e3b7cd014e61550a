#include "tool/ImportCommand.h"

#include <QFile>
#include <QFileInfo>

#include "import/ImportPlan.h"
#include "import/ImportSettings.h"
#include "import/Statement.h"
#include "store/BookFile.h"
#include "store/BookGuard.h"
#include "store/Clock.h"
#include "store/Utilities.h"
#include "tool/CommandLine.h"

namespace qb {

namespace {

constexpr int kNotUnderstood = 4;

const char kImportUsage[]
    = "Usage: qbtool import FILE.qbf STATEMENT --account CODE [--format csv|ofx|qif]\n"
      "                    [--profile NAME] [--csv-date COL --csv-date-order dmy|mdy|ymd\n"
      "                    --csv-amount COL | --csv-out COL --csv-in COL --csv-text COL[,COL]\n"
      "                    --csv-ref COL --csv-separator C --csv-decimal-comma --csv-header]\n"
      "                    [--other CODE] [--dry-run] [--password P | --password-file F]\n"
      "\n"
      "Imports a bank statement into the book as the Import Statement window does:\n"
      "one transaction per new line, From the account To the other account for money\n"
      "out and the other way for money in, numbered per day, written in one save.\n"
      "Lines already in the book (an OFX id or a line imported before, or a\n"
      "transaction of the account with the same side and amount within a few days)\n"
      "and lines repeated in the file are left out. The format is told from the\n"
      "content unless --format says it. A CSV file is read with the named profile\n"
      "(saved by the window), else with the columns guessed from its content; the\n"
      "--csv options set or change single columns (counted from 1). An OFX account\n"
      "paired with an account by an earlier import needs no --account.\n"
      "\n"
      "  --other CODE     the other account of lines that have no suggested one\n"
      "  --dry-run        show what would be imported; write nothing\n"
      "\n"
      "Prints one line per statement line: status (new, dup, repeat or error), date,\n"
      "amount, the other account's code or -, narration (an error line: the reason),\n"
      "separated by tabs; then \"imported N, already in the book M, left out K\".\n"
      "Lines without another account are left out.\n"
      "Exit codes: 0 done (also when nothing was new), 2 wrong usage, 3 a file could\n"
      "not be read or written, 4 the statement could not be understood (nothing written).\n";

struct ImportOptions
{
    QString book;
    QString statement;
    int account = 0;
    int other = 0;
    std::optional<StatementFormat> format;
    QString profile;
    bool dryRun = false;
    PasswordSource password;
    // CSV columns from 0; -2 when not given.
    int date = -2, amount = -2, out = -2, in = -2, reference = -2;
    std::optional<DateOrder> order;
    std::optional<QList<int>> text;
    std::optional<char> separator;
    bool decimalComma = false;
    bool header = false;
    bool help = false;
    QString error;
};

int columnOf(const QString& text)
{
    bool ok = false;
    const int column = text.toInt(&ok);
    return ok && column >= 1 && column <= 10000 ? column - 1 : -1;
}

ImportOptions parse(const QStringList& args)
{
    ImportOptions o;
    QStringList positional;
    auto value = [&](qsizetype& i, const QString& name) { return OptionValue(args, i, name, &o.error); };
    auto column = [&](qsizetype& i, const QString& name, int* target) {
        if (auto v = value(i, name)) {
            *target = columnOf(*v);
            if (*target < 0)
                o.error = name + QStringLiteral(" takes a column number from 1, not ") + *v;
        }
    };
    auto code = [&](qsizetype& i, const QString& name, int* target) {
        if (auto v = value(i, name)) {
            bool ok = false;
            *target = v->toInt(&ok);
            if (!ok || *target < 1)
                o.error = name + QStringLiteral(" takes an account code, not ") + *v;
        }
    };
    for (qsizetype i = 0; i < args.size() && o.error.isEmpty(); ++i) {
        const QString& a = args.at(i);
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            o.help = true;
        } else if (TakePasswordOption(args, i, &o.password, &o.error)) {
        } else if (a == QStringLiteral("--account")) {
            code(i, a, &o.account);
        } else if (a == QStringLiteral("--other")) {
            code(i, a, &o.other);
        } else if (a == QStringLiteral("--format")) {
            if (auto v = value(i, a)) {
                o.format = StatementFormatFromName(*v);
                if (!o.format)
                    o.error = QStringLiteral("--format takes csv, ofx or qif");
            }
        } else if (a == QStringLiteral("--profile")) {
            if (auto v = value(i, a))
                o.profile = *v;
        } else if (a == QStringLiteral("--dry-run")) {
            o.dryRun = true;
        } else if (a == QStringLiteral("--csv-date")) {
            column(i, a, &o.date);
        } else if (a == QStringLiteral("--csv-amount")) {
            column(i, a, &o.amount);
        } else if (a == QStringLiteral("--csv-out")) {
            column(i, a, &o.out);
        } else if (a == QStringLiteral("--csv-in")) {
            column(i, a, &o.in);
        } else if (a == QStringLiteral("--csv-ref")) {
            column(i, a, &o.reference);
        } else if (a == QStringLiteral("--csv-date-order")) {
            if (auto v = value(i, a)) {
                o.order = DateOrderFromName(*v);
                if (!o.order)
                    o.error = QStringLiteral("--csv-date-order takes dmy, mdy or ymd");
            }
        } else if (a == QStringLiteral("--csv-text")) {
            if (auto v = value(i, a)) {
                QList<int> columns;
                for (const QString& part : v->split(QLatin1Char(','))) {
                    const int c = columnOf(part.trimmed());
                    if (c < 0) {
                        o.error = QStringLiteral("--csv-text takes column numbers from 1, not ") + *v;
                        break;
                    }
                    columns << c;
                }
                o.text = columns;
            }
        } else if (a == QStringLiteral("--csv-separator")) {
            if (auto v = value(i, a)) {
                const QString sep = *v == QStringLiteral("\\t") ? QStringLiteral("\t") : *v;
                if (sep.size() != 1 || sep.at(0).unicode() > 126 || sep.at(0) == QLatin1Char('"')
                    || sep.at(0) == QLatin1Char('\n') || sep.at(0) == QLatin1Char('\r'))
                    o.error = QStringLiteral("--csv-separator takes one character (\\t for a tab)");
                else
                    o.separator = char(sep.at(0).unicode());
            }
        } else if (a == QStringLiteral("--csv-decimal-comma")) {
            o.decimalComma = true;
        } else if (a == QStringLiteral("--csv-header")) {
            o.header = true;
        } else if (a.startsWith(QStringLiteral("--"))) {
            o.error = QStringLiteral("unknown option ") + a;
        } else {
            positional << a;
        }
    }
    if (o.error.isEmpty() && !o.help) {
        if (positional.size() != 2)
            o.error = QStringLiteral("import takes a book and a statement file");
        else if ((o.out >= 0) != (o.in >= 0))
            o.error = QStringLiteral("--csv-out and --csv-in go together");
        else if (o.amount >= 0 && o.out >= 0)
            o.error = QStringLiteral("give --csv-amount or --csv-out with --csv-in, not both");
    }
    o.book = positional.value(0);
    o.statement = positional.value(1);
    return o;
}

// The CSV mapping: the profile or the guess, then the columns given.
bool csvMapping(const ImportOptions& o, const QByteArray& bytes, CsvMapping* m, QString* why)
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
        *m = GuessCsvMapping(bytes, &ambiguity);
    }
    if (o.separator && *o.separator != m->separator) {
        // Columns guessed with another separator mean nothing: guessed again with this one.
        if (o.profile.isEmpty()) {
            *m = GuessCsvMapping(bytes, &ambiguity);
        }
        m->separator = *o.separator;
    }
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
        *why = QStringLiteral("cannot tell ") + ambiguity + QStringLiteral("; give --csv-date-order");
        return false;
    }
    return true;
}

QString accountExists(const XmlDocument& doc, int code)
{
    for (XmlNode a = doc.selectSingleNode(QStringLiteral("/Data/AcMaster")).firstChildElement(); a;
         a = a.nextSiblingElement()) {
        if (a.attribute(QStringLiteral("Code")).toInt() == code)
            return a.attribute(QStringLiteral("AcName"));
    }
    return {};
}

} // namespace

int runImportCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const ImportOptions o = parse(args);
    if (o.help)
        return CommandHelp(out, kImportUsage);
    if (!o.error.isEmpty())
        return CommandUsageError(err, o.error, kImportUsage);
    auto fail = [&](int code, const QString& message) {
        err << "qbtool: " << message << '\n';
        err.flush();
        return code;
    };

    QFile statementFile(o.statement);
    if (!QFileInfo(o.statement).isFile())
        return fail(kFileError, o.statement + QStringLiteral(": no such file"));
    if (!statementFile.open(QIODevice::ReadOnly))
        return fail(kFileError, o.statement + QStringLiteral(": cannot be read: ") + statementFile.errorString());
    const QByteArray bytes = statementFile.readAll();
    statementFile.close();

    // The book is locked before it is read, so nothing changes it in between.
    BookLock lock;
    if (!o.dryRun) {
        LockHolder holder;
        if (lock.lock(o.book, &holder) == BookLock::Outcome::HeldElsewhere)
            return fail(kFileError, o.book + QStringLiteral(": open in Quillbrook by ") + holder.describe()
                                        + QStringLiteral("; close it there first"));
    }
    Book book;
    BookReadOptions read;
    read.testPassword = true;
    QString why;
    if (!ResolvePassword(o.password, &read.password, &why))
        return fail(kFileError, why);
    if (const BookError error = ReadBook(o.book, &book, read); error.isSet())
        return fail(kFileError, error.line());

    const StatementFormat format = o.format.value_or(DetectStatementFormat(bytes));
    CsvMapping mapping;
    if (format == StatementFormat::Csv && !csvMapping(o, bytes, &mapping, &why))
        return fail(kNotUnderstood, o.statement + QStringLiteral(": ") + why);
    Statement statement;
    StatementError error;
    if (!ReadStatement(bytes, format, mapping, &statement, &error))
        return fail(kNotUnderstood, o.statement + QStringLiteral(": ") + error.text());

    int account = o.account;
    if (!account)
        account = PairedAccount(book.document, statement.bankAccountId);
    if (!account)
        return CommandUsageError(err, QStringLiteral("import needs --account CODE"), kImportUsage);
    if (accountExists(book.document, account).isNull())
        return CommandUsageError(err, QStringLiteral("the book has no account ") + QString::number(account),
                                 kImportUsage);
    if (o.other && (o.other == account || accountExists(book.document, o.other).isNull()))
        return CommandUsageError(err, QStringLiteral("--other must be another account of the book"),
                                 kImportUsage);

    ImportPlan plan = ImportPlan::make(book.document, account, statement, ImportMatchDays());
    if (o.other)
        plan.setOtherForAll(o.other);
    for (const ImportLine& line : plan.lines()) {
        const QString date = line.source.date.isValid() ? line.source.date.toString(Qt::ISODate)
                                                        : QStringLiteral("-");
        out << LineStatusWord(line.status) << '\t' << date << '\t' << line.source.amount.format() << '\t'
            << (line.other ? QString::number(line.other) : QStringLiteral("-")) << '\t'
            << (line.status == LineStatus::Error ? line.reason : line.narration) << '\n';
    }
    const ImportCounts counts = ApplyImport(book.document, plan);
    if (counts.changed && !o.dryRun) {
        QByteArray text = book.document.toBytes();
        BookWriteOptions write;
        write.key = book.key.get();
        write.today = SystemClock().today();
        write.keepDailyCopies = GetSetting(QStringLiteral("Backups"), QStringLiteral("DailyCopies"),
                                           QStringLiteral("30")).toInt();
        BookError copyError;
        write.dailyCopyError = &copyError;
        if (const BookError saved = WriteBook(text.data(), text.size(), o.book, write); saved.isSet()) {
            out.flush();
            return fail(kFileError, saved.line());
        }
        if (copyError.isSet())
            err << "qbtool: " << copyError.line() << '\n';
    }
    out << "imported " << counts.imported << ", already in the book " << counts.inBook << ", left out "
        << counts.leftOut << (o.dryRun ? " (dry run: nothing written)" : "") << '\n';
    out.flush();
    err.flush();
    return kOk;
}

} // namespace qb
