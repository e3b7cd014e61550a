#include "tool/ReportCommand.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "store/BookSchema.h"
#include "store/ClsAX.h"
#include "tool/CommandLine.h"
#include "tool/CommandOutput.h"
#include "store/DataStore.h"
#include "engine/EntryReports.h"
#include "engine/LedgerReport.h"
#include "store/MasterEdits.h"
#include "engine/MasterReports.h"
#include "engine/ReportEngine.h"
#include "engine/SummaryReport.h"
#include "store/Xml.h"

namespace qb {

namespace {

const char kReportUsage[]
    = "Usage: qbtool report FILE.qbf TEMPLATE [OPTIONS]\n"
      "       qbtool report FILE.qbf day --date DATE [--password P] [-o OUT]\n"
      "       qbtool report FILE.qbf balance --account CODE --date DATE [--password P]\n"
      "       qbtool report FILE.qbf summary [--account CODE | --group NAME]\n"
      "                     --from DATE --to DATE [--password P] [-o OUT]\n"
      "       qbtool report FILE.qbf ledger --account CODE --from DATE --to DATE\n"
      "                                     [--password P] [-o OUT]\n"
      "       qbtool report FILE.qbf accounts|groups [--password P] [-o OUT]\n"
      "\n"
      "Applies a report template to the book and writes the page as a report\n"
      "window shows it (style sheet in place of <HTML>), to standard output or OUT.\n"
      "TEMPLATE is the name of an installed template (rpt/TEMPLATE.rpt beside the\n"
      "program), an enciphered .rpt file, or a plain .xsl file.\n"
      "\n"
      "Options:\n"
      "  --password P          the book's password, when it has one; or\n"
      "  --password-file F     the first line of the file F; without either, the\n"
      "                        environment variable QB_PASSWORD when it is set\n"
      "  --var NAME=VALUE      set the select of the variable NAME to VALUE, an XPath\n"
      "                        expression: digits (20130105) or text in apostrophes ('12')\n"
      "  --child N:A=VALUE     set attribute A of the root's child element N (both\n"
      "                        counted from 1, elements only), e.g. --child 2:2=20130105\n"
      "  --date-order ORDER    dd/mm/yyyy, mm/dd/yyyy or yyyy/mm/dd for the dates in the\n"
      "                        page (default: the user's short date order)\n"
      "  --date-value-of N     put the date expression into the first attribute of the\n"
      "                        N-th xsl:value-of (from 1) instead of the ##DATEFORMAT##\n"
      "                        placeholder\n"
      "  --title TEXT          replace the first [*[REPORTTILE]*] by TEXT\n"
      "  --document            write the result document as XML instead of the page\n"
      "  -o OUT                write to the file OUT\n"
      "\n"
      "Named reports, made exactly as the transaction entry window makes them:\n"
      "  day       the list of one day's transactions (DATE as yyyymmdd or yyyy-mm-dd)\n"
      "  balance   the balance of account CODE as of DATE: money into the account\n"
      "            counts positive, money out of it negative, written as 0.00\n"
      "  summary   the period summary of all accounts, of the group NAME or of the\n"
      "            account CODE from DATE to DATE, with its In, Out and difference\n"
      "            totals filled in, as the Period Summary window shows it\n"
      "  ledger    the transaction list of account CODE from one DATE to another, as\n"
      "            the transaction list window shows it\n";

struct ChildSetting
{
    int child;
    int attribute;
    QString value;
};

struct ReportOptions
{
    QString file;
    QString templateName;
    PasswordSource password;
    QList<QPair<QString, QString>> variables;
    QList<ChildSetting> children;
    QString dateOrder;
    int dateValueOf = 0;
    bool hasTitle = false;
    QString title;
    bool document = false;
    QString output;
    QString date;
    QString account;
    QString group;
    QString from; // ledger, summary
    QString to;
    bool help = false;
    QString error;
};

ReportOptions parse(const QStringList& args)
{
    ReportOptions o;
    QStringList positional;
    auto value = [&](qsizetype& i, const QString& name) {
        return OptionValue(args, i, name, &o.error);
    };
    static const QRegularExpression childPattern(
        QStringLiteral("^(\\d+):(\\d+)=(.*)$"), QRegularExpression::DotMatchesEverythingOption);
    for (qsizetype i = 0; i < args.size() && o.error.isEmpty(); ++i) {
        const QString& a = args.at(i);
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            o.help = true;
        } else if (TakePasswordOption(args, i, &o.password, &o.error)) {
        } else if (a == QStringLiteral("--var")) {
            if (auto v = value(i, a)) {
                const qsizetype eq = v->indexOf(QLatin1Char('='));
                if (eq <= 0)
                    o.error = QStringLiteral("--var takes NAME=VALUE, not ") + *v;
                else
                    o.variables.append({v->left(eq), v->mid(eq + 1)});
            }
        } else if (a == QStringLiteral("--child")) {
            if (auto v = value(i, a)) {
                const QRegularExpressionMatch m = childPattern.match(*v);
                const int child = m.captured(1).toInt();
                const int attribute = m.captured(2).toInt();
                if (!m.hasMatch() || child < 1 || attribute < 1)
                    o.error
                        = QStringLiteral("--child takes N:A=VALUE with N and A from 1, not ") + *v;
                else
                    o.children.append({child, attribute, m.captured(3)});
            }
        } else if (a == QStringLiteral("--date-order")) {
            if (auto v = value(i, a)) {
                if (*v != QStringLiteral("dd/mm/yyyy") && *v != QStringLiteral("mm/dd/yyyy")
                    && *v != QStringLiteral("yyyy/mm/dd"))
                    o.error
                        = QStringLiteral("--date-order takes dd/mm/yyyy, mm/dd/yyyy or yyyy/mm/dd");
                else
                    o.dateOrder = *v;
            }
        } else if (a == QStringLiteral("--date-value-of")) {
            if (auto v = value(i, a)) {
                bool ok = false;
                o.dateValueOf = v->toInt(&ok);
                if (!ok || o.dateValueOf < 1)
                    o.error = QStringLiteral("--date-value-of takes a number from 1");
            }
        } else if (a == QStringLiteral("--title")) {
            if (auto v = value(i, a)) {
                o.hasTitle = true;
                o.title = *v;
            }
        } else if (a == QStringLiteral("--date")) {
            if (auto v = value(i, a))
                o.date = *v;
        } else if (a == QStringLiteral("--account")) {
            if (auto v = value(i, a))
                o.account = *v;
        } else if (a == QStringLiteral("--group")) {
            if (auto v = value(i, a))
                o.group = *v;
        } else if (a == QStringLiteral("--from")) {
            if (auto v = value(i, a))
                o.from = *v;
        } else if (a == QStringLiteral("--to")) {
            if (auto v = value(i, a))
                o.to = *v;
        } else if (a == QStringLiteral("--document")) {
            o.document = true;
        } else if (a == QStringLiteral("-o")) {
            if (auto v = value(i, a))
                o.output = *v;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            o.error = QStringLiteral("unknown option ") + a;
        } else {
            positional.append(a);
        }
    }
    if (o.error.isEmpty() && !o.help) {
        if (positional.size() != 2)
            o.error = QStringLiteral("report takes a data file and a template");
        else {
            o.file = positional.at(0);
            o.templateName = positional.at(1);
        }
    }
    return o;
}

class ReportRun
{
public:
    ReportRun(QTextStream& out, QTextStream& err)
        : m_out(out)
        , m_err(err)
    { }

    int run(const ReportOptions& o)
    {
        XmlDocument book;
        if (int rc = loadBook(o, &book); rc != kOk)
            return rc;
        if (o.templateName == QStringLiteral("day") || o.templateName == QStringLiteral("balance"))
            return runEntryReport(o, book);
        if (o.templateName == QStringLiteral("summary"))
            return runSummary(o, book);
        if (o.templateName == QStringLiteral("ledger"))
            return runLedger(o, book);
        if (o.templateName == QStringLiteral("accounts") || o.templateName == QStringLiteral("groups"))
            return runMasterReport(o, book);
        ReportTemplate report;
        if (int rc = loadTemplate(o.templateName, &report); rc != kOk)
            return rc;

        Error error;
        for (const auto& [name, value] : o.variables) {
            if (!report.setVariable(name, value, &error))
                return templateFail(QStringLiteral("the template has no variable ") + name);
        }
        for (const ChildSetting& c : o.children) {
            if (!report.setChildAttribute(c.child - 1, c.attribute - 1, c.value, &error))
                return templateFail(error.description);
        }
        const QString expression = o.dateOrder.isEmpty() ? DateDisplayExpression()
                                                         : DateDisplayExpressionFor(o.dateOrder);
        if (o.dateValueOf > 0) {
            if (!report.setDateFormatAt(o.dateValueOf - 1, expression, &error))
                return templateFail(error.description);
        } else {
            report.setDateFormat(expression); // a template without the placeholder needs none
        }

        QString page;
        if (o.document) {
            XmlDocument result;
            if (!report.transformToDocument(book.documentElement(), &result, &error))
                return templateFail(
                    QStringLiteral("the transformation failed: ") + describe(error));
            page = result.xml();
        } else if (!report.transformToText(book.documentElement(), &page, &error)) {
            return templateFail(QStringLiteral("the transformation failed: ") + describe(error));
        }
        if (o.hasTitle)
            ReplaceReportTitle(page, o.title);
        if (!o.document)
            AddStyleHead(page);
        return write(page, o.output);
    }

    int loadOnly(const ReportOptions& o, XmlDocument* book) { return loadBook(o, book); }

private:
    // The entry window's reports, through the same classes the window uses.
    int runEntryReport(const ReportOptions& o, const XmlDocument& book)
    {
        const QDate date = CommandDate(o.date);
        if (!date.isValid())
            return usageFail(QStringLiteral("--date takes a date as yyyymmdd or yyyy-mm-dd"));
        Error error;
        if (o.templateName == QStringLiteral("day")) {
            DayListReport report;
            if (!report.load(&error))
                return fail(QStringLiteral("template Trans-daywise: ") + error.description);
            QString page;
            const QString title = QStringLiteral("Entries on ") + ShortDateText(date);
            if (!report.build(book, date, title, &page, &error))
                return templateFail(error.description);
            if (report.overflowed())
                return fail(QStringLiteral("the day's total is beyond the range of amounts"));
            AddStyleHead(page);
            return write(page, o.output);
        }
        bool ok = false;
        const int code = o.account.toInt(&ok);
        if (!ok)
            return usageFail(QStringLiteral("balance needs --account CODE"));
        if (FindAccount(book, code).isNull())
            return usageFail(QStringLiteral("the book has no account head with code ")
                             + QString::number(code));
        AccountBalance balance;
        if (!balance.load(&error))
            return fail(QStringLiteral("template sum: ") + error.description);
        // A figure or nothing: an amount that cannot be read, or a sum out
        // of range, is one line and exit code 3, never a wrong number.
        const FigureSum value = balance.figure(book, code, date);
        if (value.isError()) {
            return fail(value.overflowed()
                    ? QStringLiteral("the balance of account ") + QString::number(code)
                        + QStringLiteral(" leaves the range of amounts (about 922 trillion)")
                    : QStringLiteral("account ") + QString::number(code)
                        + QStringLiteral(" has an amount that cannot be read (qbtool check lists it)"));
        }
        return write(value.plain(), o.output);
    }

    // The period summary, through the class the Period Summary window uses.
    int runSummary(const ReportOptions& o, const XmlDocument& book)
    {
        const QDate from = CommandDate(o.from);
        const QDate to = CommandDate(o.to);
        if (!from.isValid() || !to.isValid())
            return usageFail(QStringLiteral("summary needs --from and --to, as yyyymmdd or yyyy-mm-dd"));
        if (!o.account.isEmpty() && !o.group.isEmpty())
            return usageFail(QStringLiteral("summary takes --account or --group, not both"));
        SummarySubject subject;
        if (!o.account.isEmpty()) {
            bool ok = false;
            const int code = o.account.toInt(&ok);
            const XmlNode head = FindAccount(book, code);
            if (!ok || code <= 0 || head.isNull())
                return usageFail(QStringLiteral("the book has no account with code ") + o.account);
            subject = SummarySubject::account(code, head.attribute(schema::kAcName));
        } else if (!o.group.isEmpty()) {
            // As the window's list finds it: the name as written first, else
            // the first group of that name in another letter case.
            XmlNode group = FindGroup(book, o.group);
            if (group.isNull())
                group = FindGroupsByName(book, o.group).value(0);
            if (group.isNull())
                return usageFail(QStringLiteral("the book has no group named ") + o.group);
            subject = SummarySubject::group(group.text());
        }
        PeriodSummaryReport report;
        Error error;
        if (!report.load(&error))
            return fail(QStringLiteral("template Trans-summary: ") + error.description);
        SummaryResult result;
        if (!report.build(book, from, to, subject, &result, &error))
            return templateFail(QStringLiteral("the summary failed: ") + describe(error));
        AddStyleHead(result.page);
        const int rc = write(result.page, o.output);
        // The page is written with its error marks, but it is no success.
        if (rc == kOk && result.trouble.any())
            return fail(result.trouble.message());
        return rc;
    }

    // The transaction list, through the class the transaction list window uses.
    int runLedger(const ReportOptions& o, const XmlDocument& book)
    {
        bool ok = false;
        const int code = o.account.toInt(&ok);
        if (!ok)
            return usageFail(QStringLiteral("ledger needs --account CODE"));
        const QDate from = CommandDate(o.from);
        const QDate to = CommandDate(o.to);
        if (!from.isValid() || !to.isValid())
            return usageFail(
                QStringLiteral("ledger needs --from and --to as yyyymmdd or yyyy-mm-dd"));
        if (FindAccount(book, code).isNull())
            return usageFail(QStringLiteral("the book has no account head with code ")
                             + QString::number(code));
        LedgerReport report;
        Error error;
        if (!report.load(&error))
            return fail(QStringLiteral("template Trans-acwise: ") + error.description);
        const QString expression = o.dateOrder.isEmpty() ? DateDisplayExpression()
                                                         : DateDisplayExpressionFor(o.dateOrder);
        QString page;
        if (!report.build(book, code, AccountName(book, code), from, to, expression, &page, &error))
            return templateFail(error.description);
        if (report.overflowed())
            return fail(QStringLiteral("a sum of the listing is beyond the range of amounts"));
        AddStyleHead(page);
        return write(page, o.output);
    }

    // The account heads and groups pages, through the classes their windows use.
    int runMasterReport(const ReportOptions& o, const XmlDocument& book)
    {
        Error error;
        QString page;
        FigureTrouble trouble;
        if (o.templateName == QStringLiteral("accounts")) {
            AccountListReport report;
            if (!report.load(&error))
                return fail(QStringLiteral("template AcMaster-Listing: ") + error.description);
            page = report.build(book, &trouble);
        } else {
            GroupListReport report;
            if (!report.load(&error))
                return fail(QStringLiteral("template Group-Listing: ") + error.description);
            page = report.build(book);
        }
        if (page.isEmpty())
            return templateFail(QStringLiteral("the transformation failed"));
        AddStyleHead(page);
        const int rc = write(page, o.output);
        if (rc == kOk && trouble.any())
            return fail(trouble.message());
        return rc;
    }

    int usageFail(const QString& message)
    {
        m_err << "qbtool: " << message << '\n';
        m_err.flush();
        return kUsage;
    }

    static QString describe(const Error& e)
    {
        return QStringLiteral("error ") + QString::number(e.number) + QStringLiteral(" (")
            + e.description + QLatin1Char(')');
    }

    int fail(const QString& message)
    {
        m_err << "qbtool: " << message << '\n';
        m_err.flush();
        return kFileError;
    }

    int templateFail(const QString& message)
    {
        m_err << "qbtool: " << message << '\n';
        m_err.flush();
        return kTemplateError;
    }

    // The book as a window sees it: deciphered, parsed, older files' missing
    // sections added, and the password checked.
    int loadBook(const ReportOptions& o, XmlDocument* book)
    {
        BookReadOptions read;
        read.testPassword = true;
        QString why;
        if (!ResolvePassword(o.password, &read.password, &why))
            return fail(why);
        Book loaded;
        if (const BookError error = ReadBook(o.file, &loaded, read); error.isSet())
            return fail(error.line());
        *book = std::move(loaded.document);
        return kOk;
    }

    int loadTemplate(const QString& name, ReportTemplate* report)
    {
        Error error;
        const QString lower = name.toLower();
        if (lower.endsWith(QStringLiteral(".xsl"))) {
            QFile file(name);
            if (!file.open(QIODevice::ReadOnly))
                return fail(name + QStringLiteral(": cannot be read"));
            if (!report->loadText(file.readAll(), &error))
                return fail(name + QStringLiteral(": not a template (") + error.description
                    + QLatin1Char(')'));
            return kOk;
        }
        QString path = name;
        if (!lower.endsWith(QStringLiteral(".rpt")) || !QFileInfo(name).isFile()) {
            path = ReportTemplatePath(name);
            if (!QFileInfo::exists(path))
                return fail(QStringLiteral("no template named ") + name + QStringLiteral(" (")
                    + path + QStringLiteral(" does not exist)"));
        }
        const QByteArray text = LoadReportTemplateFile(path, &error);
        if (error.isSet())
            return fail(path + QStringLiteral(": ") + error.description);
        if (!report->loadText(text, &error))
            return fail(path + QStringLiteral(": does not decipher to a template (")
                + error.description + QLatin1Char(')'));
        return kOk;
    }

    // A page on standard output ends with a line break; a file gets the page as it is.
    int write(const QString& page, const QString& output)
    {
        QByteArray bytes = page.toUtf8();
        if (output.isEmpty() && !bytes.endsWith('\n'))
            bytes += '\n';
        return WriteCommandOutput(output, bytes, m_out, m_err);
    }

    QTextStream& m_out;
    QTextStream& m_err;
};

} // namespace

int runReportCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const ReportOptions o = parse(args);
    if (o.help)
        return CommandHelp(out, kReportUsage);
    if (!o.error.isEmpty())
        return CommandUsageError(err, o.error, kReportUsage);
    return ReportRun(out, err).run(o);
}

int LoadCommandBook(const QString& file, const PasswordSource& password, XmlDocument* book, QTextStream& err)
{
    ReportOptions o;
    o.file = file;
    o.password = password;
    return ReportRun(err, err).loadOnly(o, book);
}

} // namespace qb
