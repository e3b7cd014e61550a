// "qbtool report": makes a report page from a book with the report engine the
// windows use, for scripts, template authors and tests.

#include <algorithm>
#include <thread>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "engine/EntryReports.h"
#include "engine/LedgerReport.h"
#include "engine/MasterReports.h"
#include "engine/ReportEngine.h"
#include "engine/SummaryReport.h"
#include "store/BookSchema.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/MasterEdits.h"
#include "store/Xml.h"
#include "tool/Commands.h"

namespace qb {

namespace {

const char kReportUsage[] = "report FILE.qbf TEMPLATE [OPTIONS]\n"
                            "report FILE.qbf day --date DATE [-o OUT]\n"
                            "report FILE.qbf balance --account CODE --date DATE\n"
                            "report FILE.qbf summary [--account CODE | --group NAME]\n"
                            "                --from DATE --to DATE [-o OUT]\n"
                            "report FILE.qbf ledger --account CODE --from DATE --to DATE\n"
                            "                [--status] [-o OUT]\n"
                            "report FILE.qbf accounts|groups [-o OUT]";

const char kReportDescription[]
    = "Applies a report template to the book and writes the page as a report\n"
      "window shows it (style sheet in place of <HTML>), to standard output or OUT.\n"
      "TEMPLATE is the name of an installed template (rpt/TEMPLATE.rpt beside the\n"
      "program), an enciphered .rpt file, or a plain .xsl file.\n"
      "\n"
      "Named reports, made exactly as the program's windows make them:\n"
      "  day       the list of one day's transactions (DATE as yyyymmdd or yyyy-mm-dd)\n"
      "  balance   the balance of account CODE as of DATE: money into the account\n"
      "            counts positive, money out of it negative, written as 0.00\n"
      "  summary   the period summary of all accounts, of the group NAME or of the\n"
      "            account CODE from DATE to DATE, with its In, Out and difference\n"
      "            totals filled in, as the Period Summary window shows it\n"
      "  ledger    the transaction list of account CODE from one DATE to another, as\n"
      "            the transaction list window shows it (its status column with --status:\n"
      "            c cleared, R reconciled)\n"
      "  accounts  the account heads with their balances, as Master > Account Heads\n"
      "  groups    the groups with their member accounts, as Master > Groups";

struct ChildSetting
{
    int child;
    int attribute;
    QString value;
};

class ReportCommand final : public BookCommand
{
public:
    ReportCommand()
        : BookCommand(QStringLiteral("report"), QLatin1String(kReportUsage),
            QStringLiteral("Make a report page from a book (see \"qbtool report --help\")."),
            QLatin1String(kReportDescription))
    {
        setArguments({QStringLiteral("FILE.qbf"), QStringLiteral("TEMPLATE")});
        addValue({QStringLiteral("var")}, QStringLiteral("NAME=VALUE"),
            QStringLiteral(
                "set the select of the variable NAME to VALUE, an XPath expression: digits "
                "(20130105) or text in apostrophes ('12'); again for more"));
        addValue({QStringLiteral("child")}, QStringLiteral("N:A=VALUE"),
            QStringLiteral(
                "set attribute A of the root's child element N (both counted from 1, elements "
                "only), e.g. --child 2:2=20130105"));
        addValue({QStringLiteral("date-order")}, QStringLiteral("ORDER"),
            QStringLiteral(
                "dd/mm/yyyy, mm/dd/yyyy or yyyy/mm/dd for the dates in the page (default: the "
                "user's short date order)"));
        addValue({QStringLiteral("date-value-of")}, QStringLiteral("N"),
            QStringLiteral(
                "put the date expression into the first attribute of the N-th xsl:value-of "
                "(from 1) instead of the ##DATEFORMAT## placeholder"));
        addValue({QStringLiteral("title")}, QStringLiteral("TEXT"),
            QStringLiteral("replace the first [*[REPORTTILE]*] by TEXT"));
        addFlag({QStringLiteral("document")},
            QStringLiteral("write the result document as XML instead of the page"));
        addValue({QStringLiteral("date")}, QStringLiteral("DATE"),
            QStringLiteral("day, balance: the day"));
        addValue({QStringLiteral("account")}, QStringLiteral("CODE"),
            QStringLiteral("balance, ledger, summary: the account"));
        addValue({QStringLiteral("group")}, QStringLiteral("NAME"),
            QStringLiteral("summary: the group (letter case ignored, as in the window)"));
        addValue({QStringLiteral("from")}, QStringLiteral("DATE"),
            QStringLiteral("ledger, summary: the first day"));
        addValue({QStringLiteral("to")}, QStringLiteral("DATE"),
            QStringLiteral("ledger, summary: the last day"));
        addFlag({QStringLiteral("status")},
            QStringLiteral("ledger: a column with each transaction's status"));
        addValue(
            {QStringLiteral("o")}, QStringLiteral("OUT"), QStringLiteral("write to the file OUT"));
    }

private:
    int run() override
    {
        if (const int rc = readSettings())
            return rc;
        Book book;
        if (const int rc = openBook(argument(0), &book))
            return rc;
        const XmlDocument& data = book.document;
        const QString name = argument(1);
        if (name == QStringLiteral("day") || name == QStringLiteral("balance"))
            return runEntryReport(name, book);
        if (name == QStringLiteral("summary"))
            return runSummary(data);
        if (name == QStringLiteral("ledger"))
            return runLedger(data);
        if (name == QStringLiteral("accounts") || name == QStringLiteral("groups"))
            return runMasterReport(name, data);
        return runTemplate(name, data);
    }

    // The template settings, checked before the book is read.
    int readSettings()
    {
        for (const QString& v : values(QStringLiteral("var"))) {
            const qsizetype eq = v.indexOf(QLatin1Char('='));
            if (eq <= 0)
                return usageError(QStringLiteral("--var takes NAME=VALUE, not ") + v);
            m_variables.append({v.left(eq), v.mid(eq + 1)});
        }
        static const QRegularExpression childPattern(
            QStringLiteral("^(\\d+):(\\d+)=(.*)$"), QRegularExpression::DotMatchesEverythingOption);
        for (const QString& v : values(QStringLiteral("child"))) {
            const QRegularExpressionMatch m = childPattern.match(v);
            const int child = m.captured(1).toInt();
            const int attribute = m.captured(2).toInt();
            if (!m.hasMatch() || child < 1 || attribute < 1)
                return usageError(
                    QStringLiteral("--child takes N:A=VALUE with N and A from 1, not ") + v);
            m_children.append({child, attribute, m.captured(3)});
        }
        const QString order = value(QStringLiteral("date-order"));
        if (isSet(QStringLiteral("date-order")) && order != QStringLiteral("dd/mm/yyyy")
            && order != QStringLiteral("mm/dd/yyyy") && order != QStringLiteral("yyyy/mm/dd"))
            return usageError(
                QStringLiteral("--date-order takes dd/mm/yyyy, mm/dd/yyyy or yyyy/mm/dd"));
        m_dateExpression
            = order.isEmpty() ? DateDisplayExpression() : DateDisplayExpressionFor(order);
        if (isSet(QStringLiteral("date-value-of"))) {
            bool ok = false;
            m_dateValueOf = value(QStringLiteral("date-value-of")).toInt(&ok);
            if (!ok || m_dateValueOf < 1)
                return usageError(QStringLiteral("--date-value-of takes a number from 1"));
        }
        return kOk;
    }

    // A template by name or path, with the settings of the options.
    int runTemplate(const QString& name, const XmlDocument& data)
    {
        ReportTemplate report;
        if (const int rc = loadTemplate(name, &report))
            return rc;
        Error error;
        for (const auto& [variable, setting] : m_variables) {
            if (!report.setVariable(variable, setting, &error))
                return fail(
                    QStringLiteral("the template has no variable ") + variable, kNotApplied);
        }
        for (const ChildSetting& c : m_children) {
            if (!report.setChildAttribute(c.child - 1, c.attribute - 1, c.value, &error))
                return fail(error.description, kNotApplied);
        }
        if (m_dateValueOf > 0) {
            if (!report.setDateFormatAt(m_dateValueOf - 1, m_dateExpression, &error))
                return fail(error.description, kNotApplied);
        } else {
            report.setDateFormat(m_dateExpression); // a template without the placeholder needs none
        }
        const bool document = isSet(QStringLiteral("document"));
        QString page;
        if (document) {
            XmlDocument result;
            if (!report.transformToDocument(data.documentElement(), &result, &error))
                return fail(
                    QStringLiteral("the transformation failed: ") + describe(error), kNotApplied);
            page = result.xml();
        } else if (!report.transformToText(data.documentElement(), &page, &error)) {
            return fail(
                QStringLiteral("the transformation failed: ") + describe(error), kNotApplied);
        }
        if (isSet(QStringLiteral("title")))
            ReplaceReportTitle(page, value(QStringLiteral("title")));
        if (!document)
            AddStyleHead(page);
        return writePage(page);
    }

    // The code of --account when the book has that head; else exit 2 after one line.
    int accountCode(const XmlDocument& data, const QString& needs, int* code)
    {
        bool ok = false;
        *code = value(QStringLiteral("account")).toInt(&ok);
        if (!ok)
            return fail(needs + QStringLiteral(" needs --account CODE"), kUsage);
        if (FindAccount(data, *code).isNull())
            return fail(
                QStringLiteral("the book has no account head with code ") + QString::number(*code),
                kUsage);
        return kOk;
    }

    // The entry window's reports, through the same classes the window uses.
    int runEntryReport(const QString& name, Book& book)
    {
        const XmlDocument& data = book.document;
        const QDate date = CommandDate(value(QStringLiteral("date")));
        if (!date.isValid())
            return fail(QStringLiteral("--date takes a date as yyyymmdd or yyyy-mm-dd"), kUsage);
        Error error;
        if (name == QStringLiteral("day")) {
            DayListReport report;
            if (!report.load(&error))
                return fail(QStringLiteral("template Trans-daywise: ") + error.description);
            QList<QByteArray> page;
            const QString title = QStringLiteral("Entries on ") + ShortDateText(date);
            if (!report.buildPieces(data, date, title, &page, &error))
                return fail(error.description, kNotApplied);
            for (QByteArray& piece : page)
                AddStyleHead(piece);
            // The book is let go on another core while the page goes out: a
            // large book takes a while to free.
            std::thread release(
                [document = std::move(book.document)]() mutable { document.clear(); });
            const int rc = writePage(std::move(page));
            release.join();
            return pageTrouble(rc, report.trouble());
        }
        int code = 0;
        if (const int rc = accountCode(data, QStringLiteral("balance"), &code))
            return rc;
        AccountBalance balance;
        if (!balance.load(&error))
            return fail(QStringLiteral("template sum: ") + error.description);
        // A figure or nothing: an amount that cannot be read, or a sum out
        // of range, is one line and exit code 3, never a wrong number.
        const FigureSum figure = balance.figure(data, code, date);
        if (figure.isError()) {
            return fail(figure.overflowed()
                    ? QStringLiteral("the balance of account ") + QString::number(code)
                        + QStringLiteral(" leaves the range of amounts (about 922 trillion)")
                    : QStringLiteral("account ") + QString::number(code)
                        + QStringLiteral(
                            " has an amount that cannot be read (qbtool check lists it)"));
        }
        return writePage(figure.plain());
    }

    // The period summary, through the class the Period Summary window uses.
    int runSummary(const XmlDocument& data)
    {
        const QDate from = CommandDate(value(QStringLiteral("from")));
        const QDate to = CommandDate(value(QStringLiteral("to")));
        if (!from.isValid() || !to.isValid())
            return fail(
                QStringLiteral("summary needs --from and --to, as yyyymmdd or yyyy-mm-dd"), kUsage);
        const QString account = value(QStringLiteral("account"));
        const QString groupName = value(QStringLiteral("group"));
        if (!account.isEmpty() && !groupName.isEmpty())
            return fail(QStringLiteral("summary takes --account or --group, not both"), kUsage);
        SummarySubject subject;
        if (!account.isEmpty()) {
            bool ok = false;
            const int code = account.toInt(&ok);
            const XmlNode head = ok ? FindAccount(data, code) : XmlNode();
            if (head.isNull())
                return fail(QStringLiteral("the book has no account with code ") + account, kUsage);
            subject = SummarySubject::account(code, head.attribute(schema::kAcName));
        } else if (!groupName.isEmpty()) {
            // As the window's list finds it: the name as written first, else
            // the first group of that name in another letter case.
            XmlNode group = FindGroup(data, groupName);
            if (group.isNull())
                group = FindGroupsByName(data, groupName).value(0);
            if (group.isNull())
                return fail(QStringLiteral("the book has no group named ") + groupName, kUsage);
            subject = SummarySubject::group(group.text());
        }
        PeriodSummaryReport report;
        Error error;
        if (!report.load(&error))
            return fail(QStringLiteral("template Trans-summary: ") + error.description);
        SummaryResult result;
        if (!report.build(data, from, to, subject, &result, &error))
            return fail(QStringLiteral("the summary failed: ") + describe(error), kNotApplied);
        AddStyleHead(result.page);
        return pageTrouble(writePage(result.page), result.trouble);
    }

    // The transaction list, through the class the transaction list window uses.
    int runLedger(const XmlDocument& data)
    {
        int code = 0;
        if (const int rc = accountCode(data, QStringLiteral("ledger"), &code))
            return rc;
        const QDate from = CommandDate(value(QStringLiteral("from")));
        const QDate to = CommandDate(value(QStringLiteral("to")));
        if (!from.isValid() || !to.isValid())
            return fail(
                QStringLiteral("ledger needs --from and --to as yyyymmdd or yyyy-mm-dd"), kUsage);
        LedgerReport report;
        Error error;
        if (!report.load(&error))
            return fail(QStringLiteral("template Trans-acwise: ") + error.description);
        QString page;
        if (!report.build(data, code, AccountName(data, code), from, to, m_dateExpression, &page,
                &error, nullptr, isSet(QStringLiteral("status"))))
            return fail(error.description, kNotApplied);
        AddStyleHead(page);
        return pageTrouble(writePage(page), report.trouble());
    }

    // The account heads and groups pages, through the classes their windows use.
    int runMasterReport(const QString& name, const XmlDocument& data)
    {
        Error error;
        QString page;
        FigureTrouble trouble;
        if (name == QStringLiteral("accounts")) {
            AccountListReport report;
            if (!report.load(&error))
                return fail(QStringLiteral("template AcMaster-Listing: ") + error.description);
            page = report.build(data, &trouble);
        } else {
            GroupListReport report;
            if (!report.load(&error))
                return fail(QStringLiteral("template Group-Listing: ") + error.description);
            page = report.build(data);
        }
        if (page.isEmpty())
            return fail(QStringLiteral("the transformation failed"), kNotApplied);
        AddStyleHead(page);
        return pageTrouble(writePage(page), trouble);
    }

    // Every named report: a page written with error marks in place of
    // figures is no success (exit 3 after one line).
    int pageTrouble(int rc, const FigureTrouble& trouble)
    {
        if (rc == kOk && trouble.any())
            return fail(trouble.message());
        return rc;
    }

    static QString describe(const Error& e)
    {
        return QStringLiteral("error ") + QString::number(e.number) + QStringLiteral(" (")
            + e.description + QLatin1Char(')');
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
    int writePage(const QString& page) { return writePage(QList<QByteArray> {page.toUtf8()}); }
    int writePage(QList<QByteArray> pieces)
    {
        const QString output = value(QStringLiteral("o"));
        // Standard output ends with a line end.
        const auto last = std::find_if(pieces.crbegin(), pieces.crend(),
            [](const QByteArray& piece) { return !piece.isEmpty(); });
        if (output.isEmpty() && (last == pieces.crend() || !last->endsWith('\n')))
            pieces.append(QByteArrayLiteral("\n"));
        return writeOutput(output, pieces);
    }

    QList<QPair<QString, QString>> m_variables;
    QList<ChildSetting> m_children;
    QString m_dateExpression;
    int m_dateValueOf = 0;
};

} // namespace

std::unique_ptr<Command> MakeReportCommand()
{
    return std::make_unique<ReportCommand>();
}

} // namespace qb
