#include <algorithm>
#include <limits>
#include <optional>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include "SummaryTestBook.h"
#include "TestSupport.h"
#include "engine/ListingBook.h"
#include "engine/MasterReports.h"
#include "engine/ReportEngine.h"
#include "engine/SummaryReport.h"
#include "store/BookExport.h"
#include "store/ClsAX.h"
#include "store/Utilities.h"
#include "store/Xml.h"

using namespace qb;
using namespace Qt::StringLiterals;

namespace {

// A finished report page read back as XML: one row per cell, given as
// class and text, inside a table nested in another.
XmlDocument pageOfCells(const QList<QPair<QString, QString>>& cells)
{
    QString page = QStringLiteral("<HTML><BODY><TABLE><TR><TH class=\"in\">1</TH></TR>");
    for (const auto& [cls, text] : cells)
        page += QStringLiteral("<TR><TD class=\"text\">x</TD><TD class=\"") + cls
            + QStringLiteral("\">") + text + QStringLiteral("</TD></TR>");
    page += QStringLiteral(
        "<TR><TD><TABLE><TR><TD class=\"in out Amount\">0.05</TD></TR></TABLE></TD>"
        "<TD id=\"intotal\" class=\"GrandTotalAmount\"></TD></TR></TABLE></BODY></HTML>");
    XmlDocument doc;
    doc.loadXml(page);
    return doc;
}

// A transaction of the small books below, as the book holds it.
struct Tx
{
    QString dt;
    int from;
    int to;
    QString amount;
};
using TxList = QList<Tx>;

// The test's own reading of an amount: digits, and a point with one to
// four digits, in ten-thousandths; nothing for anything else.
std::optional<qint64> unitsOf(const QString& text)
{
    static const QRegularExpression plain(u"^(\\d+)(?:\\.(\\d{1,4}))?$"_s);
    const QRegularExpressionMatch m = plain.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    qint64 units = 0;
    const QString digits = m.captured(1) + m.captured(2).leftJustified(4, QLatin1Char('0'));
    for (QChar c : digits) {
        if (qMulOverflow(units, qint64(10), &units)
            || qAddOverflow(units, qint64(c.unicode() - '0'), &units))
            return std::nullopt;
    }
    return units;
}

// A figure worked out in the test: ten-thousandths, or the mark for an
// amount that could not be read or a sum beyond 64 bits.
struct Figure
{
    qint64 units = 0;
    bool bad = false;
    Figure& operator+=(const Figure& o)
    {
        bad = bad || o.bad || qAddOverflow(units, o.units, &units);
        return *this;
    }
    QString text() const
    {
        if (bad || units == std::numeric_limits<qint64>::min())
            return u"#ERR"_s;
        const qint64 magnitude = units < 0 ? -units : units;
        const qint64 cents
            = magnitude / 100 + (magnitude % 100 >= 50 ? 1 : 0); // half away from zero
        return test::SummaryTestBook::centsText(units < 0 ? -cents : cents);
    }
};

Figure negated(Figure f)
{
    f.units = -f.units;
    return f;
}

// Accounts 1 Cash, 2 Bank, 3 Shop; group "Some" of 3 and 1.
QByteArray smallBook(const TxList& list, const QString& gi = u",3,1,"_s)
{
    QString x = u"<Data><AcMaster><a Code=\"1\" AcName=\"Cash\"/><a Code=\"2\" AcName=\"Bank\"/>"
                "<a Code=\"3\" AcName=\"Shop\"/></AcMaster><PValue>"_s
        + PasswordDigest(u"ABCDEFGHIJKLMNOPQRST"_s) + u"</PValue><Trans>"_s;
    int no = 0;
    for (const Tx& t : list)
        x += u"<t No=\"%1\" dt=\"%2\" fAc=\"%3\" tAc=\"%4\" Nar=\"n\">%5</t>"_s.arg(++no)
                 .arg(t.dt)
                 .arg(t.from)
                 .arg(t.to)
                 .arg(t.amount);
    return (x
        + u"</Trans><Groups><Group gi=\"%1\">Some</Group></Groups><Narration/>"
          "<I>ABCDEFGHIJKLMNOPQRST</I><DateRanges/></Data>"_s.arg(gi.toHtmlEscaped()))
        .toUtf8();
}

} // namespace

class TstTransSummary : public QObject
{
    Q_OBJECT

    test::SummaryTestBook handMade;
    XmlDocument book;

    static XmlDocument pageOf(const SummaryResult& result)
    {
        XmlDocument page;
        page.loadXml(result.page);
        return page;
    }

    static QString cell(const XmlDocument& page, const char* id)
    {
        return page.evaluate(QStringLiteral("string(//TD[@id='%1'])").arg(QLatin1String(id)));
    }

private slots:
    // The walks over the transactions (listing rows, account list, period
    // summary, export) read one book the same way: amounts with blanks and
    // line breaks around them, on the first and last day of the period and
    // around it, and a book past the range, worked out here.
    void everyWalkReadsTheSameAmounts()
    {
        XmlDocument data;
        QVERIFY(data.loadXml(QByteArrayLiteral(
            "<Data><AcMaster><a Code=\"1\" AcName=\"Cash\"/><a Code=\"2\" AcName=\"Bank\"/>"
            "<a Code=\"3\" AcName=\"Huge\"/></AcMaster><Trans>"
            "<t No=\"1\" dt=\"20240101\" fAc=\"1\" tAc=\"2\" Nar=\"first\"> 10.5 </t>"
            "<t No=\"1\" dt=\"20241231\" fAc=\"2\" tAc=\"1\" Nar=\"last\">\n2.25\n</t>"
            "<t No=\"1\" dt=\"20231231\" fAc=\"1\" tAc=\"2\" Nar=\"before\">1</t>"
            "<t No=\"1\" dt=\"20250101\" fAc=\"2\" tAc=\"1\" Nar=\"after\">7</t>"
            "</Trans><Groups/><Narration/></Data>")));
        // In the period: Bank in 10.5, out 2.25, opening 1; Cash the mirror.
        const QList<ListingRow> rows = ListingRows(data, [](int, int, int) { return true; });
        QStringList amounts;
        for (const ListingRow& r : rows)
            amounts << (r.amount ? r.amount->toText() : Money::errorMark());
        QCOMPARE(amounts, (QStringList {u"1"_s, u"10.5"_s, u"2.25"_s, u"7"_s}));

        const XmlDocument list = AccountListReport::ListBook(data);
        QCOMPARE(list.evaluate(u"string(//b[@Code='2'])"_s), u"2.25"_s); // 10.5 + 1 - 2.25 - 7
        QCOMPARE(list.evaluate(u"string(//b[@Code='1'])"_s), u"-2.25"_s);
        QCOMPARE(list.evaluate(u"string(//b[@Code='3'])"_s), u"0.00"_s);

        SummaryResult result;
        const XmlDocument summary = PeriodSummaryReport::SummaryBook(
            data, 20240101, 20241231, SummarySubject::allAccounts(), XmlNode(), &result);
        auto figures = [&summary](const char* code) {
            const XmlNode f
                = summary.selectSingleNode(u"//Figures/f[@Code='%1']"_s.arg(QLatin1String(code)));
            return QStringList {f.attribute(u"Opening"_s), f.attribute(u"In"_s),
                f.attribute(u"Out"_s), f.attribute(u"Closing"_s)};
        };
        QCOMPARE(figures("2"), (QStringList {u"1.00"_s, u"10.50"_s, u"2.25"_s, u"9.25"_s}));
        QCOMPARE(figures("1"), (QStringList {u"-1.00"_s, u"2.25"_s, u"10.50"_s, u"-9.25"_s}));

        QString csv, why;
        QVERIFY2(ExportBook(data, ExportFormat::Csv, ExportRange {20240101, 20241231}, &csv, &why),
            qPrintable(why));
        QVERIFY(csv.contains(u"2024-01-01,1,Cash,Bank,10.5,first"_s));
        QVERIFY(csv.contains(u"2024-12-31,1,Bank,Cash,2.25,last"_s));

        // A packed book whose balances leave the range: the error mark in
        // the list and the summary, never a clamped figure.
        XmlDocument packed;
        QString trans;
        for (int day = 1; day <= 11; ++day)
            trans
                += u"<t No=\"1\" dt=\"202401%1\" fAc=\"1\" tAc=\"3\" Nar=\"\">900000000000000</t>"_s
                       .arg(day, 2, 10, QLatin1Char('0'));
        QVERIFY(packed.loadXml(
            u"<Data><AcMaster><a Code=\"1\" AcName=\"Cash\"/><a Code=\"3\" AcName=\"Huge\"/>"
            "</AcMaster><Trans>%1</Trans><Groups/><Narration/></Data>"_s.arg(trans)));
        FigureTrouble trouble;
        const XmlDocument packedList = AccountListReport::ListBook(packed, &trouble);
        QCOMPARE(packedList.evaluate(u"string(//b[@Code='3'])"_s), Money::errorMark());
        QCOMPARE(packedList.evaluate(u"string(//b[@Code='1'])"_s), Money::errorMark());
        QVERIFY(trouble.overflow && !trouble.unreadable);
        SummaryResult packedResult;
        const XmlDocument packedSummary = PeriodSummaryReport::SummaryBook(
            packed, 20240101, 20240111, SummarySubject::allAccounts(), XmlNode(), &packedResult);
        QCOMPARE(packedSummary.evaluate(u"string(//f[@Code='3']/@In)"_s), Money::errorMark());
        QCOMPARE(packedSummary.evaluate(u"string(//f[@Code='1']/@Out)"_s), Money::errorMark());
        QCOMPARE(packedResult.inTotal.grouped(), Money::errorMark());
        QVERIFY(packedResult.trouble.overflow);
    }

    void initTestCase() { QVERIFY(book.loadXml(handMade.xml())); }

    void summaryMatchesSumsWorkedOutApart_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("damage"); // 2: a code not plain
        QTest::newRow("all, whole history") << 0 << "" << 20110101 << 20141231 << 0;
        QTest::newRow("all, one year") << 0 << "" << 20130101 << 20131231 << 0;
        QTest::newRow("group of three") << 0 << "Home" << 20120101 << 20121231 << 0;
        QTest::newRow("group, one day") << 0 << "Car costs" << 20120614 << 20120614 << 0;
        QTest::newRow("group without members") << 0 << "Empty" << 20110101 << 20141231 << 0;
        QTest::newRow("one account") << 2 << "" << 20120301 << 20120831 << 0;
        QTest::newRow("before the book") << 0 << "" << 20000101 << 20001231 << 0;
        QTest::newRow("after the book") << 0 << "Money" << 20200101 << 20201231 << 0;
        QTest::newRow("to before from") << 0 << "Income" << 20130601 << 20130101 << 0;
        QTest::newRow("code not plain") << 0 << "" << 20120101 << 20121231 << 2;
    }

    void summaryMatchesSumsWorkedOutApart()
    {
        QFETCH(int, code);
        QFETCH(QString, group);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, damage);
        test::SummaryTestBook expected = handMade;
        XmlDocument data = book.copy();
        if (damage == 2) {
            // Head and transactions of account 4 written as 04: the template
            // still matches them as text.
            data.selectSingleNode(QStringLiteral("/Data/AcMaster/a[@Code='4']"))
                .setAttribute(QStringLiteral("Code"), QStringLiteral("04"));
            for (XmlNode t :
                data.selectNodes(QStringLiteral("/Data/Trans/t[@fAc='4' or @tAc='4']")))
                t.setAttribute(t.attribute(QStringLiteral("fAc")) == QStringLiteral("4")
                        ? QStringLiteral("fAc")
                        : QStringLiteral("tAc"),
                    QStringLiteral("04"));
        }
        const bool all = code == 0 && group.isEmpty();
        const QList<test::SummaryTestBook::Row> rows = all
            ? expected.rows(from, to)
            : expected.rows(from, to, code ? QList<int> {code} : expected.members(group));
        const SummarySubject subject = code ? SummarySubject::account(code, QStringLiteral("Bank"))
            : group.isEmpty()               ? SummarySubject::allAccounts()
                                            : SummarySubject::group(group);

        PeriodSummaryReport report;
        QVERIFY(report.load());
        SummaryResult result;
        Error error;
        const QDate first = DocDateToDate(from);
        const QDate last = DocDateToDate(to);
        QVERIFY(report.build(data, first, last, subject, &result, &error, QLocale::c()));
        const XmlDocument page = pageOf(result);
        QVERIFY(!page.isNull());
        QStringList expectedRows = test::summaryRowsText(rows);
        expectedRows.replaceInStrings(
            QRegularExpression(damage == 2 ? u"^4\\|"_s : u"^$"_s), u"04|"_s);
        QCOMPARE(test::summaryPageRows(page), expectedRows);

        qint64 in = 0, out = 0;
        for (const auto& r : rows) {
            in += r.in;
            out += r.out;
        }
        QCOMPARE(result.inTotal.value(), Money::fromUnits(in * 100));
        QCOMPARE(result.outTotal.value(), Money::fromUnits(out * 100));
        QVERIFY(!result.trouble.any());
        QCOMPARE(cell(page, "intotal"), test::SummaryTestBook::centsText(in));
        QCOMPARE(cell(page, "outtotal"), test::SummaryTestBook::centsText(out));
        QCOMPARE(cell(page, "diff"), test::SummaryTestBook::centsText(in - out));
        // Over all accounts every amount is counted in and out once, and the page says so.
        if (all)
            QCOMPARE(in, out);
        QCOMPARE(result.page.contains(QStringLiteral("In and Out totals are always equal")), all);

        const QString name = code ? QStringLiteral("'Bank'")
                                  : QString(QLatin1Char('\'') + group + QLatin1Char('\''));
        const QString dates = QStringLiteral(" - From ") + ShortDateText(first, QLocale::c())
            + QStringLiteral(" To ") + ShortDateText(last, QLocale::c());
        const QString title = QStringLiteral("Period Summary for ")
            + (all ? QStringLiteral("All accounts") : name) + dates;
        QCOMPARE(result.title, title);
        QCOMPARE(result.caption,
            QStringLiteral("Period Summary - ")
                + (all ? QStringLiteral("All Accounts") : name.mid(1).chopped(1)));
        QVERIFY(
            result.page.contains(result.title) && !result.page.contains(ReportTitlePlaceholder()));
    }

    // Small books with transactions on the period's first and last day and
    // around it, amounts with half cents, amounts the program refuses to
    // read and sums beyond the money type: every figure is worked out here
    // and compared for all accounts, a group and one account, and qbtool's
    // summary, balance and check say the same.
    void figuresAreExactAndMarked_data()
    {
        QTest::addColumn<TxList>("list");
        QTest::newRow("first and last day in the period, the days around not")
            << TxList {{u"20240101"_s, 1, 2, u"10"_s}, {u"20241231"_s, 2, 1, u"2.5"_s},
                   {u"20231231"_s, 1, 3, u"1"_s}, {u"20250101"_s, 3, 1, u"7"_s},
                   {u"20240229"_s, 3, 2, u"0.25"_s}};
        TxList halves {{u"20231231"_s, 1, 2, u"0.005"_s}, {u"20240615"_s, 2, 3, u"1.005"_s},
            {u"20240101"_s, 3, 1, u"0.0049"_s}, {u"20241231"_s, 1, 3, u"2.675"_s}};
        for (int i = 0; i < 7; ++i)
            halves.append({u"20240301"_s, 3, 2, u"0.005"_s});
        QTest::newRow("half cents, rounded once") << halves;
        QTest::newRow("amounts that cannot be read") << TxList {{u"20240105"_s, 1, 2, u".5"_s},
            {u"20231201"_s, 2, 3, u"5."_s}, {u"20240301"_s, 3, 2, u"4"_s},
            {u"20250101"_s, 3, 1, u"after"_s}, {u"2024-03-01"_s, 2, 3, u"1"_s}};
        QTest::newRow("garbage in the period only") << TxList {{u"20231231"_s, 1, 2, u"3"_s},
            {u"20240601"_s, 2, 1, u"1.2.3"_s}, {u"20240602"_s, 3, 1, u"2"_s}};
        QTest::newRow("sums beyond the money type")
            << TxList {{u"20240101"_s, 1, 2, u"900000000000000"_s},
                   {u"20241231"_s, 1, 2, u"900000000000000"_s}, {u"20240102"_s, 3, 1, u"1"_s}};
    }

    void figuresAreExactAndMarked()
    {
        QFETCH(TxList, list);
        const int from = 20240101, to = 20241231; // a leap year
        // Opening, in, out per account, worked out in the test.
        Figure opening[4], in[4], out[4];
        for (const Tx& t : list) {
            bool numeric = false;
            const int dt = t.dt.toInt(&numeric);
            const std::optional<qint64> units = unitsOf(t.amount);
            const Figure amount {units.value_or(0), !units};
            if (!numeric) {
                for (int code : {t.from, t.to})
                    opening[code].bad = in[code].bad = out[code].bad = true;
            } else if (dt < from) {
                opening[t.to] += amount;
                opening[t.from] += negated(amount);
            } else if (dt <= to) {
                in[t.to] += amount;
                out[t.from] += amount;
            }
        }
        XmlDocument data;
        QVERIFY(data.loadXml(smallBook(list)));
        const QStringList names {QString(), u"Cash"_s, u"Bank"_s, u"Shop"_s};
        auto rowsOf = [&](const QList<int>& codes, Figure* inTotal, Figure* outTotal) {
            QStringList rows;
            for (int code : codes) { // given in name order
                Figure closing = opening[code];
                closing += in[code];
                closing += negated(out[code]);
                rows << QStringList {QString::number(code), names[code], opening[code].text(),
                    in[code].text(), out[code].text(), closing.text()}
                            .join(QLatin1Char('|'));
                *inTotal += in[code];
                *outTotal += out[code];
            }
            return rows;
        };
        PeriodSummaryReport report;
        QVERIFY(report.load());
        const struct
        {
            SummarySubject subject;
            QList<int> codes;
        } subjects[] = {{SummarySubject::allAccounts(), {2, 1, 3}},
            {SummarySubject::group(u"Some"_s), {1, 3}},
            {SummarySubject::account(2, u"Bank"_s), {2}}};
        for (const auto& [subject, codes] : subjects) {
            Figure inTotal, outTotal;
            const QStringList rows = rowsOf(codes, &inTotal, &outTotal);
            SummaryResult result;
            Error error;
            QVERIFY(report.build(data, DocDateToDate(from), DocDateToDate(to), subject, &result,
                &error, QLocale::c()));
            const XmlDocument page = pageOf(result);
            QCOMPARE(test::summaryPageRows(page), rows);
            Figure diff = inTotal;
            diff += negated(outTotal);
            QCOMPARE(
                (QStringList {cell(page, "intotal"), cell(page, "outtotal"), cell(page, "diff")}),
                (QStringList {inTotal.text(), outTotal.text(), diff.text()}));
            if (codes.size() == 3 && !inTotal.bad)
                QCOMPARE(cell(page, "intotal"), cell(page, "outtotal"));
            QCOMPARE(result.trouble.any(), result.page.contains(u"#ERR"_s));
        }

        // qbtool: the page with its marks and exit code 3, the balance as a
        // plain figure or one line and exit code 3, and check lists what
        // could not be read.
        test::TempEnv env;
        const QString file = env.path(u"small.qbf"_s);
        QVERIFY(test::writeDataFile(file, smallBook(list)));
        auto qbtool
            = [&](const QStringList& args, QString* output = nullptr, QString* errors = nullptr) {
                  QProcess p;
                  p.start(QCoreApplication::applicationDirPath() + u"/qbtool"_s, args);
                  p.waitForFinished(60000);
                  if (output)
                      *output = QString::fromUtf8(p.readAllStandardOutput());
                  if (errors)
                      *errors = QString::fromUtf8(p.readAllStandardError());
                  return p.exitCode();
              };
        Figure inTotal, outTotal;
        const QStringList all = rowsOf({2, 1, 3}, &inTotal, &outTotal);
        const bool marked = all.join(QString()).contains(u"#ERR"_s);
        QString page, errors;
        QCOMPARE(qbtool({u"report"_s, file, u"summary"_s, u"--from"_s, u"20240101"_s, u"--to"_s,
                            u"20241231"_s},
                     &page, &errors),
            marked ? 3 : 0);
        QCOMPARE(errors.count(QLatin1Char('\n')), marked ? 1 : 0);
        Figure diff = inTotal;
        diff += negated(outTotal);
        QCOMPARE(page.count(u"#ERR"_s),
            (all + QStringList {inTotal.text(), outTotal.text(), diff.text()})
                .join(QString())
                .count(u"#ERR"_s));
        Figure cashAtEnd = opening[1];
        cashAtEnd += in[1];
        cashAtEnd += negated(out[1]);
        QString balance;
        const bool cashMarked = cashAtEnd.text() == u"#ERR"_s;
        QCOMPARE(qbtool({u"report"_s, file, u"balance"_s, u"--account"_s, u"1"_s, u"--date"_s,
                            u"20241231"_s},
                     &balance, &errors),
            cashMarked ? 3 : 0);
        QCOMPARE(
            balance.trimmed(), cashMarked ? QString() : cashAtEnd.text().remove(QLatin1Char(',')));
        if (cashMarked)
            QCOMPARE(errors.count(QLatin1Char('\n')), 1);
        // The search of the period and the account list: exit code 3 when a
        // figure of theirs is the mark.
        Figure found;
        Figure balances[4];
        for (const Tx& t : list) {
            const std::optional<qint64> units = unitsOf(t.amount);
            const Figure amount {units.value_or(0), !units};
            balances[t.to] += amount;
            balances[t.from] += negated(amount);
            if (t.dt.toInt() >= from && t.dt.toInt() <= to)
                found += amount;
        }
        QCOMPARE(qbtool({u"search"_s, file, u"--from"_s, u"20240101"_s, u"--to"_s, u"20241231"_s},
                     &page, &errors),
            found.text() == u"#ERR"_s ? 3 : 0);
        QVERIFY(errors.endsWith(found.text().remove(QLatin1Char(',')) + u'\n')
            || found.text() == u"#ERR"_s);
        const bool balanceMarked = std::any_of(
            balances + 1, balances + 4, [](const Figure& f) { return f.text() == u"#ERR"_s; });
        QCOMPARE(qbtool({u"report"_s, file, u"accounts"_s}, &page), balanceMarked ? 3 : 0);
        QString listed;
        qbtool({u"check"_s, file}, &listed);
        for (const Tx& t : list) {
            if (!unitsOf(t.amount))
                QVERIFY2(listed.contains(u"amount \""_s + t.amount + u'"'), qPrintable(listed));
        }
    }

    // Text of the book is data, never an expression or markup: a member list
    // written to break out of a string literal, a member list long enough to
    // take minutes if it were searched once per account, names with markup,
    // and templates that try to read or write files.
    void hostileBookTextStaysData()
    {
        const TxList list {{u"20240105"_s, 1, 2, u"5"_s}, {u"20240106"_s, 3, 1, u"2"_s}};
        const QString injection = u",2,'] | document('/etc/passwd') | x[',\"]|//t[\",3,"_s;
        XmlDocument data;
        QVERIFY(data.loadXml(smallBook(list, injection)));
        // Markup and an ampersand in the names of an account and the group.
        const QString groupName = u"<a href=\"x\">Kids</a> & home"_s;
        data.selectSingleNode(u"/Data/Groups/Group"_s).setText(groupName);
        data.selectSingleNode(u"/Data/AcMaster/a[@Code='3']"_s)
            .setAttribute(u"AcName"_s, u"R&D <b>x</b>"_s);

        PeriodSummaryReport report;
        QVERIFY(report.load());
        SummaryResult result;
        Error error;
        const QDate from(2024, 1, 1), to(2024, 12, 31);
        QVERIFY(report.build(
            data, from, to, SummarySubject::group(groupName), &result, &error, QLocale::c()));
        QCOMPARE(report.reportTemplate().variable(u"GroupString"_s), u"',2,3,'"_s);
        const XmlDocument page = pageOf(result);
        QCOMPARE(test::summaryPageRows(page),
            (QStringList {
                u"2|Bank|0.00|5.00|0.00|5.00"_s, u"3|R&D <b>x</b>|0.00|0.00|2.00|-2.00"_s}));
        QVERIFY(!result.page.contains(u"root:"_s));
        // The title shows the name as text: no link, no bold, the text intact.
        QCOMPARE(page.selectNodes(u"//DIV[@class='reporttitle']//A"_s).size(), 0);
        QCOMPARE(page.evaluate(u"string(//DIV[@class='reporttitle'])"_s),
            u"Period Summary for '"_s + groupName + u"' - From "_s
                + ShortDateText(from, QLocale::c()) + u" To "_s + ShortDateText(to, QLocale::c()));
        QVERIFY(report.build(data, from, to, SummarySubject::account(3, u"R&D <b>x</b>"_s), &result,
            &error, QLocale::c()));
        QCOMPARE(pageOf(result).selectNodes(u"//DIV[@class='reporttitle']//b"_s).size(), 0);
        QVERIFY(result.page.contains(u"R&amp;D &lt;b&gt;x&lt;/b&gt;"_s));

        // 4,000 accounts and a member list of a megabyte: one pass.
        XmlDocument big;
        QString heads, members = u","_s;
        for (int code = 1; code <= 4000; ++code) {
            heads += u"<a Code=\"%1\" AcName=\"A%1\"/>"_s.arg(code);
            if (code % 2 == 0)
                members += QString::number(code) + QLatin1Char(',');
        }
        members += QString(1 << 20, QLatin1Char('9')) + QLatin1Char(',');
        QVERIFY(big.loadXml(
            u"<Data><AcMaster>%1</AcMaster><Trans/><Groups><Group gi=\"%2\">Half</Group></Groups></Data>"_s
                .arg(heads, members)
                .toUtf8()));
        QVERIFY(report.build(
            big, from, to, SummarySubject::group(u"Half"_s), &result, &error, QLocale::c()));
        QCOMPARE(test::summaryPageRows(pageOf(result)).size(), 2000);

        // No template reads or writes a file: document() and exsl:document fail.
        const QString written
            = QDir::temp().filePath(u"pages-exsl-%1.txt"_s.arg(QCoreApplication::applicationPid()));
        const QByteArray head
            = "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" "
              "xmlns:exsl=\"http://exslt.org/common\" extension-element-prefixes=\"exsl\">"
              "<xsl:template match=\"/\"><HTML>";
        const QByteArray bodies[] = {"<xsl:copy-of select=\"document('/etc/passwd')\"/>",
            "<xsl:copy-of select=\"document('file:///etc/hostname')\"/>",
            "<exsl:document href=\"" + written.toUtf8() + "\">x</exsl:document>"};
        for (const QByteArray& body : bodies) {
            ReportTemplate t;
            QVERIFY(t.loadText(head + body + "</HTML></xsl:template></xsl:stylesheet>"));
            QString text;
            error = Error();
            QVERIFY(!t.transformToText(data.documentElement(), &text, &error));
            QVERIFY(error.isSet());
            QVERIFY(!text.contains(u"root:"_s));
        }
        QVERIFY(!QFileInfo::exists(written));
    }

    void subjectVariablesAndAMissingGroup()
    {
        PeriodSummaryReport report;
        QVERIFY(report.load());
        ReportTemplate& t = report.reportTemplate();
        SummaryResult result;
        Error error;
        const QDate from(2012, 1, 1), to(2012, 12, 31);
        // The account is an XPath string, the group its member list as one.
        QVERIFY(report.build(book, from, to,
            SummarySubject::account(12, QStringLiteral("electricity")), &result, &error));
        QCOMPARE(t.variable(QStringLiteral("AccountCode")), QStringLiteral("'12'"));
        QCOMPARE(t.variable(QStringLiteral("GroupString")), QStringLiteral("0"));
        QCOMPARE(t.variable(QStringLiteral("FromDate")), QStringLiteral("20120101"));
        QCOMPARE(t.variable(QStringLiteral("ToDate")), QStringLiteral("20121231"));
        QCOMPARE(test::summaryPageRows(pageOf(result)).size(), 1);
        QVERIFY(report.build(
            book, from, to, SummarySubject::group(QStringLiteral("HOME")), &result, &error));
        QVERIFY(!result.subjectFound); // group names are found as written
        QVERIFY(report.build(
            book, from, to, SummarySubject::group(QStringLiteral("Home")), &result, &error));
        QCOMPARE(t.variable(QStringLiteral("AccountCode")), QStringLiteral("0"));
        QCOMPARE(t.variable(QStringLiteral("GroupString")), QStringLiteral("',4,12,11,'"));
        QVERIFY(result.subjectFound);

        // A group gone from the book after an account's summary: no title, no
        // caption, and not the account of before but every account.
        QVERIFY(report.build(book, from, to,
            SummarySubject::account(12, QStringLiteral("electricity")), &result, &error));
        QVERIFY(report.build(
            book, from, to, SummarySubject::group(QStringLiteral("Gone")), &result, &error));
        QVERIFY(!result.subjectFound);
        QCOMPARE(result.caption, QString());
        QCOMPARE(result.title, QString());
        QCOMPARE(t.variable(QStringLiteral("AccountCode")), QStringLiteral("0"));
        QCOMPARE(t.variable(QStringLiteral("GroupString")), QStringLiteral("0"));
        QCOMPARE(test::summaryPageRows(pageOf(result)),
            test::summaryRowsText(handMade.rows(20120101, 20121231)));
    }

    void figuresAreGroupedInEveryLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("full stop") << QLocale::c();
        QTest::newRow("comma") << QLocale(QLocale::German, QLocale::Germany);
    }

    void figuresAreGroupedInEveryLocale()
    {
        // One format on every page, as the transaction and account lists
        // show figures: thousands grouped, a point before the cents.
        QFETCH(QLocale, locale);
        XmlDocument data;
        QVERIFY(data.loadXml(
            QByteArray("<Data><AcMaster><a Code=\"1\" AcName=\"A\"/><a Code=\"2\" AcName=\"B\"/><a "
                       "Code=\"3\" AcName=\"C\"/></AcMaster>"
                       "<Trans><t No=\"1\" dt=\"20130105\" fAc=\"2\" tAc=\"1\" Nar=\"\">1250.5</t>"
                       "<t No=\"2\" dt=\"20130105\" fAc=\"1\" tAc=\"3\" "
                       "Nar=\"\">1300.25</t></Trans><Groups/></Data>")));
        PeriodSummaryReport report;
        QVERIFY(report.load());
        SummaryResult result;
        Error error;
        QVERIFY(report.build(data, QDate(2013, 1, 1), QDate(2013, 1, 31),
            SummarySubject::account(1, QStringLiteral("A")), &result, &error, locale));
        const XmlDocument page = pageOf(result);
        QCOMPARE((QStringList {cell(page, "intotal"), cell(page, "outtotal"), cell(page, "diff")}),
            (QStringList {u"1,250.50"_s, u"1,300.25"_s, u"-49.75"_s}));
        QCOMPARE(test::summaryPageRows(page), QStringList {u"1|A|0.00|1,250.50|1,300.25|-49.75"_s});
    }

    void brokenTemplatesFailTheBuild()
    {
        PeriodSummaryReport report;
        QVERIFY(report.load());
        SummaryResult result;
        Error error;
        const QByteArray head
            = "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
              "<xsl:output method=\"xml\"/><xsl:variable name=\"FromDate\" select=\"0\"/>"
              "<xsl:variable name=\"ToDate\" select=\"0\"/><xsl:variable name=\"AccountCode\" "
              "select=\"0\"/>";
        // No GroupString; then no diff cell; then a result that is not a document.
        const QByteArray templates[] = {
            head + "<xsl:template match=\"/\"><HTML/></xsl:template></xsl:stylesheet>",
            head
                + "<xsl:variable name=\"GroupString\" select=\"0\"/><xsl:template "
                  "match=\"/\"><HTML><TD id=\"intotal\"/>"
                  "<TD id=\"outtotal\"/></HTML></xsl:template></xsl:stylesheet>",
            head
                + "<xsl:variable name=\"GroupString\" select=\"0\"/><xsl:template match=\"/\">text "
                  "only</xsl:template></xsl:stylesheet>",
        };
        for (const QByteArray& text : templates) {
            QVERIFY(report.reportTemplate().loadText(text));
            error = Error();
            QVERIFY(!report.build(book, QDate(2012, 1, 1), QDate(2012, 2, 1),
                SummarySubject::allAccounts(), &result, &error));
            QVERIFY(error.isSet());
            QCOMPARE(result.caption, QStringLiteral("Period Summary - All Accounts"));
        }
    }

    void qbtoolWritesTheWindowsPage_data()
    {
        QTest::addColumn<QString>("args"); // separated by "|", after the year 2013
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QList<int>>("codes"); // the rows expected; -1: every account
        QTest::newRow("all accounts") << "" << 0 << QList<int> {-1};
        QTest::newRow("group") << "--group|Car costs" << 0 << QList<int> {6, 7};
        QTest::newRow("account") << "--account|9" << 0 << QList<int> {9};
        QTest::newRow("both") << "--account|9|--group|Home" << 2 << QList<int> {};
        QTest::newRow("group in another letter case")
            << "--group|CAR costs" << 0 << QList<int> {6, 7};
        QTest::newRow("no such group") << "--group|Cars" << 2 << QList<int> {};
        QTest::newRow("no such account") << "--account|99" << 2 << QList<int> {};
        QTest::newRow("no to date") << "--to|2013-02-30" << 2 << QList<int> {};
    }

    void qbtoolWritesTheWindowsPage()
    {
        QFETCH(QString, args);
        QFETCH(int, exitCode);
        QFETCH(QList<int>, codes);
        test::TempEnv env;
        const QString file = env.path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(file, handMade.xml()));
        QProcess p;
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool"),
            u"report|%1|summary|--from|20130101|--to|2013-12-31"_s.arg(file).split(QLatin1Char('|'))
                + (args.isEmpty() ? QStringList() : args.split(QLatin1Char('|'))));
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), exitCode);
        if (exitCode != 0)
            return;
        QString page = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY(page.startsWith(ReportStyleHead()));
        page.remove(0, ReportStyleHead().size()).prepend(QStringLiteral("<HTML>"));
        XmlDocument doc;
        QVERIFY(doc.loadXml(page));
        const auto rows = codes == QList<int> {-1} ? handMade.rows(20130101, 20131231)
                                                   : handMade.rows(20130101, 20131231, codes);
        QCOMPARE(test::summaryPageRows(doc), test::summaryRowsText(rows));
        qint64 in = 0;
        for (const auto& r : rows)
            in += r.in;
        QCOMPARE(cell(doc, "intotal"), test::SummaryTestBook::centsText(in));
    }

    void sumColAddsOneColumn_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QStringList>("counted");
        // The nested cell "in out Amount" 0.05 belongs to all three columns.
        QTest::newRow("in") << "'in'"
                            << "1258.05"
                            << QStringList {u"1250.5"_s, u"0.20"_s, u"7"_s, u"0.3"_s, u"0.05"_s};
        QTest::newRow("out") << "'out'"
                             << "1300.3" << QStringList {u"0.10"_s, u"1300.15"_s, u"0.05"_s};
        QTest::newRow("Amount") << "'Amount'"
                                << "2548"
                                << QStringList {u"1250.5"_s, u"0.10"_s, u"0.20"_s, u"1300.15"_s,
                                       u"-3"_s, u"0.05"_s};
        QTest::newRow("no such column") << "'Total'"
                                        << "0" << QStringList {};
    }

    void sumColAddsOneColumn()
    {
        QFETCH(QString, column);
        QFETCH(QString, total);
        QFETCH(QStringList, counted);
        // Words of the class count, not parts of words; grouped, empty and
        // padded figures: only the plain decimals are added.
        const XmlDocument page = pageOfCells({
            {u"Amount in"_s, u"1250.5"_s},
            {u"Amount out"_s, u"0.10"_s},
            {u"Amount in"_s, u"0.20"_s},
            {u"  out   Amount "_s, u"1300.15"_s},
            {u"Amount"_s, u"-3"_s},
            {u"input"_s, u"999"_s},
            {u"inout"_s, u"5"_s},
            {u"in"_s, u"1,000.00"_s},
            {u"in"_s, u""_s},
            {u"in"_s, u" 7 "_s},
            {u"in"_s, u"0.3"_s},
            {u"Amount"_s, u"12.5 CR"_s},
        });
        QVERIFY(!page.isNull());

        ReportTemplate sumCol;
        QVERIFY(sumCol.load(QStringLiteral("sumCol")));
        // The column goes into the second attribute of the root's second child.
        QVERIFY(sumCol.setChildAttribute(1, 1, column));
        const QStringList lines
            = sumCol.TransformNode(page.documentElement()).split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), total);
        QCOMPARE(lines.mid(1), counted);
    }

    void sumColTotalIsPlainDecimal()
    {
        // A thousand cents and large figures: no exponent, no float noise.
        QList<QPair<QString, QString>> cells;
        for (int i = 0; i < 1000; ++i)
            cells.append({QStringLiteral("in"), QStringLiteral("0.01")});
        cells.append({QStringLiteral("out"), QStringLiteral("98765432109.87")});
        cells.append({QStringLiteral("out"), QStringLiteral("1234567890.12")});
        const XmlDocument page = pageOfCells(cells);
        ReportTemplate sumCol;
        QVERIFY(sumCol.load(QStringLiteral("sumCol")));
        QVERIFY(sumCol.setChildAttribute(1, 1, QStringLiteral("'in'")));
        QCOMPARE(sumCol.TransformNode(page.documentElement()).section(QLatin1Char('\n'), 0, 0),
            QStringLiteral("10.05"));
        QVERIFY(sumCol.setChildAttribute(1, 1, QStringLiteral("'out'")));
        QCOMPARE(sumCol.TransformNode(page.documentElement()).section(QLatin1Char('\n'), 0, 0),
            QStringLiteral("100000000000.04"));
    }
};

QTEST_GUILESS_MAIN(TstTransSummary)
#include "tst_transsummary.moc"
