#include <QtTest>

#include "store/Money.h"

using namespace qb;

namespace {

constexpr std::int64_t kMaxUnits = std::numeric_limits<std::int64_t>::max();

} // namespace

class TstMoney : public QObject
{
    Q_OBJECT
private slots:
    // Plain decimal text: the units it reads as (-1 column: refused) and the
    // shortest text written back.
    void parseAndWrite_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<qint64>("units");
        QTest::addColumn<QString>("written");
        auto ok = [](const char* text, qint64 units, const char* written) {
            QTest::newRow(text) << QString::fromLatin1(text) << true << units
                                << QString::fromLatin1(written);
        };
        auto refused = [](const char* name, const QString& text) {
            QTest::newRow(name) << text << false << qint64(0) << QString();
        };
        ok("12.5", 125000, "12.5");
        ok("1250", 12500000, "1250");
        ok("0.05", 500, "0.05");
        ok("12.50", 125000, "12.5");
        ok("0", 0, "0");
        ok("-0", 0, "0");
        ok("-0.0001", -1, "-0.0001");
        ok("007.10", 71000, "7.1");
        ok("8388617.45", 83886174500, "8388617.45");
        ok("123456789.12", 1234567891200, "123456789.12");
        ok("999999999.99", 9999999999900, "999999999.99");
        ok("922337203685477.5807", kMaxUnits, "922337203685477.5807");
        ok("-922337203685477.5807", -kMaxUnits, "-922337203685477.5807");
        refused("empty", QString());
        refused("minus only", QStringLiteral("-"));
        refused("exponent", QStringLiteral("1e3"));
        refused("exponent with point", QStringLiteral("1.5E2"));
        refused("grouping comma", QStringLiteral("1,250"));
        refused("grouping blank", QStringLiteral("1 250"));
        refused("five decimals", QStringLiteral("0.00001"));
        refused("bare point", QStringLiteral("."));
        refused("no integer digits", QStringLiteral(".5"));
        refused("no decimal digits", QStringLiteral("5."));
        refused("plus sign", QStringLiteral("+5"));
        refused("blank around", QStringLiteral(" 5"));
        refused("two points", QStringLiteral("1.2.3"));
        refused("letters", QStringLiteral("12a"));
        refused("just past the range", QStringLiteral("922337203685477.5808"));
        refused("far past the range", QStringLiteral("99999999999999999999"));
        refused("int64 minimum", QStringLiteral("-922337203685477.5808"));
        refused("arabic digits", QString::fromUtf8("\xd9\xa1\xd9\xa2"));
    }
    void parseAndWrite()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        const std::optional<Money> money = Money::parse(text);
        QCOMPARE(money.has_value(), accepted);
        if (!accepted)
            return;
        QFETCH(qint64, units);
        QFETCH(QString, written);
        QCOMPARE(money->units(), units);
        QCOMPARE(money->toText(), written);
        QCOMPARE(Money::parse(written), money); // the written text reads back as the same amount
    }

    // A template's number text is rounded on its decimal digits to
    // ten-thousandths, and then to cents for display, half away from zero
    // both times and never through a binary neighbour.
    void numberTextAndFormat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("exact"); // toText after reading; empty: refused
        QTest::addColumn<QString>("formatted");
        auto row = [](const char* text, const char* exact, const char* formatted) {
            QTest::newRow(text) << QString::fromLatin1(text) << QString::fromLatin1(exact)
                                << QString::fromLatin1(formatted);
        };
        row("2.675", "2.675", "2.68");
        row("3.685", "3.685", "3.69");
        row("1.005", "1.005", "1.01");
        row("-49.755", "-49.755", "-49.76");
        row("0.005", "0.005", "0.01");
        row("-0.005", "-0.005", "-0.01");
        row("-0.004", "-0.004", "0.00");
        row("4.6899999999999995", "4.69", "4.69");
        row("2.67499999", "2.675", "2.68"); // rounded twice, each time on the decimal digits
        row("0.00004999", "0", "0.00");
        row("-0.00005", "-0.0001", "0.00");
        row(" 12 ", "12", "12.00");
        row(".5", "0.5", "0.50");
        row("5.", "5", "5.00");
        row("-12", "-12", "-12.00");
        row("12345678901234.56", "12345678901234.56", "12345678901234.56");
        row("999999999999.995", "999999999999.995", "1000000000000.00");
        row("922337203685477.58069", "922337203685477.5807", "922337203685477.58");
        row("922337203685477.58075", "", ""); // rounds out of the range
        row("1.2345e+13", "", "");
        row("NaN", "", "");
        row("Infinity", "", "");
        row("", "", "");
    }
    void numberTextAndFormat()
    {
        QFETCH(QString, text);
        QFETCH(QString, exact);
        QFETCH(QString, formatted);
        const std::optional<Money> money = Money::fromNumberText(text);
        QCOMPARE(money.has_value(), !exact.isEmpty());
        if (!money)
            return;
        QCOMPARE(money->toText(), exact);
        QCOMPARE(money->format(), formatted);
    }

    void arithmetic()
    {
        const Money cent = *Money::parse(u"0.01");
        Money total;
        for (int i = 0; i < 100000; ++i)
            total += cent;
        QCOMPARE(total.toText(), QStringLiteral("1000"));
        QCOMPARE(total, *Money::parse(u"1000"));
        for (int i = 0; i < 100000; ++i)
            total -= cent;
        QVERIFY(total.isZero());

        const Money a = *Money::parse(u"3.685");
        const Money b = *Money::parse(u"1.005");
        QCOMPARE((a + b).toText(), QStringLiteral("4.69"));
        QCOMPARE((b - a).toText(), QStringLiteral("-2.68"));
        QCOMPARE((-a).format(), QStringLiteral("-3.69"));
        QVERIFY(b < a && a > b && a != b && (b - a).isNegative());

        // Sums at the edges of the range are refused rather than wrapped.
        QVERIFY(!Money::max().checkedAdd(Money::fromUnits(1)));
        QVERIFY(!Money::min().checkedSubtract(Money::fromUnits(1)));
        QVERIFY(!Money::min().checkedAdd(Money::fromUnits(-1)));
        QCOMPARE(Money::max().checkedSubtract(Money::max()), Money());
        QCOMPARE(Money::max().format(), QStringLiteral("922337203685477.58"));
        QCOMPARE(Money::min().toText(), QStringLiteral("-922337203685477.5807"));
    }

    // Grouping starts at the fourth integer digit and never splits the sign;
    // a sum that leaves the range stays marked, however much comes after.
    void groupingAndCheckedSums()
    {
        const std::pair<const char*, const char*> grouped[] = {{"0", "0.00"}, {"-0.005", "-0.01"},
            {"999.995", "1,000.00"}, {"-123456.7", "-123,456.70"}, {"1234567.891", "1,234,567.89"},
            {"100000", "100,000.00"}, {"-999", "-999.00"}};
        for (const auto& [text, expected] : grouped)
            QCOMPARE(Money::parse(QString::fromLatin1(text))->formatGrouped(),
                QString::fromLatin1(expected));
        QCOMPARE(Money::max().formatGrouped(), QStringLiteral("922,337,203,685,477.58"));

        MoneySum sum;
        sum += *Money::parse(u"999999999.99");
        sum -= *Money::parse(u"0.99");
        QCOMPARE(sum.value(), Money::parse(u"999999999"));
        QCOMPARE(sum.formatGrouped(), QStringLiteral("999,999,999.00"));
        MoneySum big(Money::max());
        big += Money::fromUnits(1);
        QVERIFY(big.overflowed() && !big.value());
        big += -Money::max(); // back in range arithmetically, still marked
        QCOMPARE(big.format(), Money::errorMark());
        sum.add(big);
        QCOMPARE(sum.formatGrouped(), Money::errorMark());
    }

    // The grammars every other reader calls, side by side on one text: the
    // book's reading (blanks around trimmed), the amount box's form (as the
    // search takes it, written back plain), the canonical stored form that
    // "qbtool check" asks for, and a number as typed into a box.
    void oneGrammarForEveryReader_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("book"); // toText() of fromBook, "-" when refused
        QTest::addColumn<QString>("entry"); // toText() of parseEntry, "-" when refused
        QTest::addColumn<bool>("canonical");
        QTest::addColumn<bool>("typed");
        auto row = [](const char* text, const char* book, const char* entry, bool canonical,
                       bool typed) {
            QTest::newRow(text[0] ? text : "empty")
                << QString::fromUtf8(text) << QString::fromLatin1(book)
                << QString::fromLatin1(entry) << canonical << typed;
        };
        row("12.5", "12.5", "12.5", true, true);
        row(" 12.5\n", "12.5", "-", false, false);
        row("0100.50", "100.5", "100.5", false, true);
        row("5.", "-", "5", false, true);
        row(".5", "-", "-", false, true);
        row("-3", "-3", "-", false, true);
        row("0", "0", "0", false, true);
        row("999999999.99", "999999999.99", "999999999.99", true, true);
        row("1000000000", "1000000000", "-", true, true); // ten integer digits: past the box
        row("1.005", "1.005", "-", true, true); // three decimals: past the box
        row("1.23456", "-", "-", true, true); // five decimals: past the book's four
        row("99999999999999999999", "-", "-", true, true); // past the range, still a number's shape
        row("1,250", "-", "-", false, false);
        row("1e3", "-", "-", false, false);
        row("+5", "-", "-", false, false);
        row("-", "-", "-", false, false);
        row("", "-", "-", false, false);
        row("\xd9\xa1", "-", "-", false, false); // Arabic-Indic one
    }
    void oneGrammarForEveryReader()
    {
        QFETCH(QString, text);
        QFETCH(QString, book);
        QFETCH(QString, entry);
        QFETCH(bool, canonical);
        QFETCH(bool, typed);
        auto shown
            = [](const std::optional<Money>& m) { return m ? m->toText() : QStringLiteral("-"); };
        QCOMPARE(shown(Money::fromBook(text)), book);
        QCOMPARE(shown(Money::fromBook(QByteArrayView(text.toUtf8()))), book);
        QCOMPARE(shown(Money::parseEntry(text)), entry);
        QCOMPARE(Money::isCanonicalPositive(text), canonical);
        QCOMPARE(Money::isNumberText(text), typed);
    }
};

QTEST_GUILESS_MAIN(TstMoney)
#include "tst_money.moc"
