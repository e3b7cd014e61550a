// Statement files in the shapes banks and money programs write, one row per
// layout: the format told from the content, each account's part with its
// count, sum and first and last day, and what the file leaves out. The
// files and how they were made: data/README.md.

#include <QFile>
#include <QTest>

#include "import/ImportPlan.h"
#include "import/Statement.h"

using namespace qb;

Q_DECLARE_METATYPE(qb::StatementFormat)

class tst_StatementFiles : public QObject
{
    Q_OBJECT

private slots:
    void filesReadAsWritten_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<StatementFormat>("format");
        // Per part: "account: count lines, sum, first day..last day".
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QString>("notes");
        const auto L = [](std::initializer_list<const char*> texts) {
            QStringList list;
            for (const char* t : texts)
                list << QString::fromUtf8(t);
            return list;
        };
        QTest::newRow("ofx 2.1.1 checking and card")
            << "two-statements.ofx" << StatementFormat::Ofx
            << L({"999988: 4 lines, 1404.9, 2009-12-01..2009-12-31",
                   "4111111111111111: 2 lines, 229.45, 2009-12-05..2009-12-31"})
            << QString();
        QTest::newRow("ofx one fitid on every line")
            << "same-fitid.ofx" << StatementFormat::Ofx
            << L({"999988: 4 lines, -391.14, 2005-10-04..2005-10-24"}) << QString();
        QTest::newRow("ofx investment cash lines")
            << "investment.ofx" << StatementFormat::Ofx
            << L({"X77-123456: 4 lines, 4877.4, 2024-01-02..2024-01-31"})
            << "left out: 3 security trades";
        QTest::newRow("ofx investment trades only")
            << "trades-only.ofx" << StatementFormat::Ofx << L({"X77-999: 0 lines, 0, .."})
            << "left out: 2 security trades; the statement holds nothing to import";
        QTest::newRow("ofx header in a comment")
            << "header-in-comment.ofx" << StatementFormat::Ofx
            << L({"5500-0000-0000-0004: 2 lines, -13, 2013-02-01..2013-02-28"}) << QString();
        QTest::newRow("qif quicken autoswitch, splits")
            << "quicken-autoswitch.qif" << StatementFormat::Qif
            << L({"Checking: 4 lines, 1313.55, 2000-12-31..2001-01-10",
                   "Visa: 2 lines, 76.01, 2001-01-05..2001-01-10"})
            << QString();
        QTest::newRow("qif autoswitch left on")
            << "autoswitch-left-on.qif" << StatementFormat::Qif
            << L({"Checking: 1 lines, -5, 2013-01-02..2013-01-02",
                   "Card: 1 lines, -7.25, 2013-01-31..2013-01-31"})
            << QString();
        QTest::newRow("qif cr line ends, a record without ^")
            << "savings-cr.qif" << StatementFormat::Qif
            << L({"Savings: 3 lines, 8.5, 2021-08-27..2024-02-29"}) << QString();
        QTest::newRow("qif account inside a bank section")
            << "account-in-bank.qif" << StatementFormat::Qif
            << L({"Household: 2 lines, -12.5, 1999-12-31..2000-01-01"}) << QString();
    }
    void filesReadAsWritten()
    {
        QFETCH(QString, file);
        QFETCH(StatementFormat, format);
        QFETCH(QStringList, parts);
        QFETCH(QString, notes);
        QFile f(QStringLiteral(QB_IMPORT_DATA "/") + file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(DetectStatementFormat(bytes), format);
        Statement statement;
        StatementError error;
        QVERIFY2(
            ReadStatement(bytes, std::nullopt, {}, &statement, &error), qPrintable(error.text()));
        const QList<Statement> split = SplitStatementByAccount(statement);
        QStringList got;
        for (const Statement& part : split) {
            Money sum;
            QDate first, last;
            for (const StatementLine& line : part.lines) {
                QVERIFY2(line.error.isEmpty(), qPrintable(line.error));
                sum += line.amount;
                first = first.isValid() ? std::min(first, line.date) : line.date;
                last = std::max(last, line.date);
            }
            got << part.bankAccountId + QStringLiteral(": ") + QString::number(part.lines.size())
                    + QStringLiteral(" lines, ") + sum.toText() + QStringLiteral(", ")
                    + first.toString(Qt::ISODate) + QStringLiteral("..")
                    + last.toString(Qt::ISODate);
        }
        QCOMPARE(got, parts);
        QCOMPARE(StatementNotes(split, {}), notes);
    }
};

QTEST_GUILESS_MAIN(tst_StatementFiles)
#include "tst_statementfiles.moc"
