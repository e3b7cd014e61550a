// CSV statements in the layouts real banks export (data/csv, made by hand in
// their shapes): each is read with the guessed columns, or with the columns
// a person would give where the guess cannot know, and its lines are
// counted and added up against figures worked out by hand.

#include <QTest>

#include "import/Statement.h"

using namespace qb;

class tst_CsvLayouts : public QObject
{
    Q_OBJECT

private slots:
    void everyLayoutReadsToTheCent_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("given"); // columns given by hand: amount=N (from 1), reverse
        QTest::addColumn<bool>("sure"); // the guess has no doubt
        QTest::addColumn<int>("count"); // lines to import
        QTest::addColumn<QString>("sum");
        QTest::addColumn<QString>("first"); // the first line's date
        QTest::addColumn<int>("refused"); // lines in error
        QTest::addColumn<int>("unchecked"); // balance lines

        auto row = [](const char* file, const char* given, bool sure, int count, const char* sum,
                       const char* first, int refused, int unchecked) {
            QTest::newRow(file) << QString::fromLatin1(file) << QString::fromLatin1(given) << sure
                                << count << QString::fromLatin1(sum) << QString::fromLatin1(first)
                                << refused << unchecked;
        };
        // 2450.00 - 64.00 - 43.17 - 820.00 - 8.40 - 39.95
        row("ing-de-preamble.csv", "", true, 6, "1474.48", "2018-03-31", 0, 0);
        // -29.99 + 312.00 - 55.10 - 36.00
        row("dkb-two-digit-years.csv", "", true, 4, "190.91", "2018-03-28", 0, 0);
        // -4.75 + 2150.00 - 38.20 - 23.99 + 23.99 - 1200.00
        row("mint.csv", "", true, 6, "907.05", "2019-01-02", 0, 0);
        // -23.45 + 2310.00 - 18.60 - 61.00
        row("ing-nl-af-bij.csv", "", true, 4, "2206.95", "2019-01-31", 0, 0);
        // Net: 48.25 - 19.99 + 116.32 - 100.00 (Gross would give 50.01)
        row("paypal-gross-fee-net.csv", "", true, 4, "44.58", "2019-02-03", 0, 0);
        // charges reversed: -6.50 - 412.30 + 500.00 - 87.14 + 15.99
        row("card-positive-charges.csv", "reverse", true, 5, "10.05", "2020-02-03", 0, 0);
        // 250.00 - 54.21 - 31.00 - 13.99 - 102.87
        row("card-debit-credit.csv", "", true, 5, "47.93", "2020-03-02", 0, 0);
        // 1830.55 - 150.00 - 62.18 - 1200.00 + 0.42
        row("account-numbers-debit-credit.csv", "", true, 5, "418.79", "2019-05-01", 0, 0);
        // the amount or the balance? given by hand: -75.00 - 40.00 + 1830.55 - 310.25
        row("no-heading-two-money-columns.csv", "amount=5", false, 4, "1405.3", "2019-06-03", 0, 0);
        // -41.09 + 1525.00 - 88.40 - 5.00, dated by the transaction date
        row("statement-date-column.csv", "", true, 4, "1390.51", "2021-04-02", 0, 0);
        // Saldo Anterior left out; -45.90 + 1980.00 - 67.35 - 3.00
        row("document-numbers-saldo-anterior.csv", "", true, 4, "1863.75", "2021-02-03", 0, 1);
        // 115.8331 -> 115.83, -2150.70, 3000.00, 1.0050 -> 1.01; -0.004 is less than a cent
        row("broker-quantities-four-decimals.csv", "", true, 4, "966.14", "2022-03-01", 1, 0);
        // -20.00 + 1650.00 - 112.00 - 35.49
        row("nationwide-pounds-month-names.csv", "", true, 4, "1482.51", "2013-11-07", 0, 0);
        // opening balance left out; -76.00 - 85.00 + 73.01 - 2.50
        row("dollars-as-written.csv", "", true, 4, "-90.49", "2009-11-12", 0, 1);
    }
    void everyLayoutReadsToTheCent()
    {
        QFETCH(QString, file);
        QFETCH(QString, given);
        QFETCH(bool, sure);
        QFETCH(int, count);
        QFETCH(QString, sum);
        QFETCH(QString, first);
        QFETCH(int, refused);
        QFETCH(int, unchecked);
        const QString path = QFINDTESTDATA(QStringLiteral("data/csv/") + file);
        QVERIFY(!path.isEmpty());
        QByteArray bytes;
        QString why;
        QVERIFY2(LoadStatementFile(path, &bytes, &why), qPrintable(why));
        QString ambiguity;
        QStringList doubts;
        CsvMapping mapping = GuessCsvMapping(bytes, &ambiguity, &doubts);
        QCOMPARE(ambiguity, QString());
        QVERIFY2(doubts.isEmpty() == sure, qPrintable(doubts.join(QLatin1Char('|'))));
        if (given.startsWith(QStringLiteral("amount="))) {
            mapping.amountColumn = given.mid(7).toInt() - 1;
            mapping.outColumn = mapping.inColumn = -1;
        }
        mapping.reverseSigns = given == QStringLiteral("reverse");
        Statement s;
        StatementError error;
        QVERIFY2(ReadStatement(bytes, std::nullopt, mapping, &s, &error), qPrintable(error.text()));
        Money total;
        int lines = 0, errors = 0, balances = 0;
        QDate firstDate;
        for (const StatementLine& l : s.lines) {
            errors += !l.error.isEmpty();
            balances += l.unchecked;
            if (!l.error.isEmpty() || l.unchecked)
                continue;
            ++lines;
            total += l.amount;
            if (!firstDate.isValid())
                firstDate = l.date;
        }
        QCOMPARE(lines, count);
        QCOMPARE(total.toText(), sum);
        QCOMPARE(firstDate.toString(Qt::ISODate), first);
        QCOMPARE(errors, refused);
        QCOMPARE(balances, unchecked);
    }
};

QTEST_GUILESS_MAIN(tst_CsvLayouts)
#include "tst_csvlayouts.moc"
