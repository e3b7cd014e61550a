#include <QProcess>
#include <QtTest>

#include "TestSupport.h"
#include "engine/MasterReports.h"
#include "engine/ReportPage.h"
#include "store/Xml.h"

using namespace qb;

namespace {

XmlDocument pageOf(const QString& page)
{
    XmlDocument result;
    result.loadXml(page);
    return result;
}

} // namespace

class TstMasterReports : public QObject
{
    Q_OBJECT

private slots:
    void accountListWithBalances()
    {
        // Amounts a double would not add up exactly, codes out of order, an
        // account without transactions and a balance of more than a million.
        XmlDocument book;
        QVERIFY(book.loadXml(QByteArrayLiteral(
            "<Data><AcMaster><a Code=\"5\" AcName=\"cash\"/><a Code=\"2\" AcName=\"Bank\"/>"
            "<a Code=\"9\" AcName=\"Idle\"/><a Code=\"3\" AcName=\"Salary\"/>"
            "<a Code=\"7\" AcName=\"Odd\"/><a Code=\"8\" AcName=\"Huge\"/></AcMaster><Trans>"
            "<t No=\"1\" dt=\"20130105\" fAc=\"3\" tAc=\"2\" Nar=\"\">1234567.1</t>"
            "<t No=\"2\" dt=\"20130105\" fAc=\"2\" tAc=\"5\" Nar=\"\">0.1</t>"
            "<t No=\"3\" dt=\"20130105\" fAc=\"2\" tAc=\"5\" Nar=\"\">0.2</t>"
            "<t No=\"1\" dt=\"20130106\" fAc=\"5\" tAc=\"3\" Nar=\"\">0.005</t>"
            // Refused by the one grammar: marked, never read as 0 or 0.5.
            "<t No=\"2\" dt=\"20130106\" fAc=\"7\" tAc=\"7\" Nar=\"\">.5</t>"
            // Beyond the money type: marked, never clamped or wrapped.
            "<t No=\"3\" dt=\"20130106\" fAc=\"7\" tAc=\"8\" Nar=\"\">900000000000000</t>"
            "<t No=\"4\" dt=\"20130106\" fAc=\"7\" tAc=\"8\" Nar=\"\">900000000000000</t>"
            "</Trans><Groups/></Data>")));
        AccountListReport report;
        QVERIFY(report.load());
        const XmlDocument result = pageOf(report.build(book));
        QCOMPARE(result.documentElement().name(), QStringLiteral("HTML"));

        // Every head listed once, by name whatever the letter case, with its own row id.
        const QList<XmlNode> rows = result.selectNodes(QStringLiteral("//TR[@id]"));
        QStringList ids;
        for (const XmlNode& row : rows)
            ids.append(row.attribute(QStringLiteral("id")));
        QCOMPARE(ids,
            (QStringList {QStringLiteral("id2"), QStringLiteral("id5"), QStringLiteral("id8"),
                QStringLiteral("id9"), QStringLiteral("id7"), QStringLiteral("id3")}));
        QCOMPARE(AccountListReport::RowId(5), QStringLiteral("id5"));

        struct Expect
        {
            const char* id;
            const char* name;
            const char* balance;
        };
        const Expect expected[] = {
            {"id2", "Bank", "1,234,566.80"}, // 1234567.1 - 0.1 - 0.2
            {"id5", "cash", "0.30"}, // 0.1 + 0.2 - 0.005, half away from zero
            {"id9", "Idle", "0.00"},
            {"id3", "Salary", "-1,234,567.10"}, // -1234567.1 + 0.005
            {"id7", "Odd", "#ERR"},
            {"id8", "Huge", "#ERR"},
        };
        for (const Expect& e : expected) {
            const XmlNode row = result.selectSingleNode(
                QStringLiteral("//TR[@id='%1']").arg(QLatin1String(e.id)));
            const QString code = QString::fromLatin1(e.id).mid(2);
            QCOMPARE(row.evaluate(QStringLiteral("string(TD[1])")), code);
            QCOMPARE(row.evaluate(
                         QStringLiteral("string(.//A[.='%1']/@href)").arg(QLatin1String(e.name))),
                code);
            QCOMPARE(
                row.evaluate(QStringLiteral("normalize-space(TD[3])")), QLatin1String(e.balance));
            QCOMPARE(row.evaluate(QStringLiteral("string(.//A[.='Edit']/@href)")),
                QStringLiteral("[*[E]*]") + code);
            QCOMPARE(row.evaluate(QStringLiteral("string(.//A[.='Delete']/@href)")),
                QStringLiteral("[*[D]*]") + code);
        }

        // Given the whole book, the template still lists every account.
        QString page;
        Error error;
        ReportTemplate t;
        QVERIFY(t.load(QStringLiteral("AcMaster-Listing"), &error));
        QVERIFY(t.transformToText(book.documentElement(), &page, &error));
        QCOMPARE(pageOf(page).selectNodes(QStringLiteral("//TR[@id]")).size(), 6);
    }

    void aHubAccountPayingAndPaidByAThousandKeepsEveryAmount()
    {
        // Account 1 pays 1.00 to each of 1,000 accounts and is paid 0.01 times its
        // payer's number by 1,000 others: the balance table grows many times during
        // the walk, and no amount may land in a moved entry.
        QByteArray xml = "<Data><AcMaster><a Code=\"1\" AcName=\"Hub\"/>";
        for (int c = 1001; c <= 3000; ++c)
            xml += "<a Code=\"" + QByteArray::number(c) + "\" AcName=\"A" + QByteArray::number(c)
                + "\"/>";
        xml += "</AcMaster><Trans>";
        for (int i = 1; i <= 1000; ++i) {
            xml += "<t No=\"" + QByteArray::number(i) + "\" dt=\"20240229\" fAc=\"1\" tAc=\""
                + QByteArray::number(1000 + i) + "\" Nar=\"\">1.00</t>";
            xml += "<t No=\"" + QByteArray::number(1000 + i) + "\" dt=\"20240301\" fAc=\""
                + QByteArray::number(2000 + i) + "\" tAc=\"1\" Nar=\"\">"
                + QByteArray::number(i / 100) + '.'
                + QByteArray::number(i % 100).rightJustified(2, '0') + "</t>";
        }
        xml += "</Trans><Groups/></Data>";
        XmlDocument book;
        QVERIFY(book.loadXml(xml));
        AccountListReport report;
        QVERIFY(report.load());
        const XmlDocument result = pageOf(report.build(book));
        auto balanceOf = [&](int code) {
            return result.evaluate(
                QStringLiteral("normalize-space(//TR[@id='id%1']/TD[3])").arg(code));
        };
        // Paid 0.01 + ... + 10.00 = 5,005.00, paid out 1,000.00.
        QCOMPARE(balanceOf(1), QStringLiteral("4,005.00"));
        QCOMPARE(balanceOf(1001), QStringLiteral("1.00"));
        QCOMPARE(balanceOf(2000), QStringLiteral("1.00"));
        QCOMPARE(balanceOf(2001), QStringLiteral("-0.01"));
        QCOMPARE(balanceOf(3000), QStringLiteral("-10.00"));
        QCOMPARE(result.selectNodes(QStringLiteral("//TR[@id]")).size(), 2001);
    }

    void groupListWithMembers_data()
    {
        QTest::addColumn<QString>("gi");
        QTest::addColumn<QString>("members"); // as the row shows them
        // The sample book's heads: 1 Cash, 2 Bank, 3 Salary, 4 Food.
        QTest::newRow("member order, an unknown code between") << ",3,99,1,4,"
                                                               << "Salary, Cash, Food";
        QTest::newRow("first codes without a head") << ",99,98,3,1,"
                                                    << "Salary, Cash";
        QTest::newRow("last code without a head") << ",2,77,"
                                                  << "Bank";
        QTest::newRow("no head at all") << ",77,78,"
                                        << "";
        QTest::newRow("no members") << ","
                                    << "";
        QTest::newRow("blanks and junk around codes") << ", 4 ,x,'],2,"
                                                      << "Food, Bank";
    }

    void groupListWithMembers()
    {
        QFETCH(QString, gi);
        QFETCH(QString, members);
        XmlDocument book;
        QVERIFY(book.loadXml(test::sampleBookXml()));
        XmlNode groups = book.selectSingleNode(QStringLiteral("/Data/Groups"));
        XmlNode added = groups.appendChild(groups.createElement(QStringLiteral("Group")));
        added.setAttribute(QStringLiteral("gi"), gi);
        added.setText(QStringLiteral("Day & <night>"));
        XmlNode empty = groups.appendChild(groups.createElement(QStringLiteral("Group")));
        empty.setAttribute(QStringLiteral("gi"), QStringLiteral(","));
        empty.setText(QStringLiteral("alpha"));

        GroupListReport report;
        QVERIFY(report.load());
        const XmlDocument result = pageOf(report.build(book));
        const QList<XmlNode> rows = result.selectNodes(QStringLiteral("//TR[@id]"));
        QCOMPARE(rows.size(), 3);
        // By name, letter case ignored; members in member order, unknown codes left out.
        const QString names[3]
            = {QStringLiteral("alpha"), QStringLiteral("Day & <night>"), QStringLiteral("Money")};
        const QString shown[3] = {QString(), members, QStringLiteral("Cash, Bank")};
        for (int i = 0; i < 3; ++i) {
            const QString& name = names[i];
            const XmlNode row = rows.at(i);
            QCOMPARE(row.attribute(QStringLiteral("id")), GroupListReport::RowId(name));
            QCOMPARE(row.evaluate(QStringLiteral("string(TD[1]/A/@href)")), name);
            QCOMPARE(row.evaluate(QStringLiteral("string(TD[1]/A)")), name);
            QCOMPARE(row.evaluate(QStringLiteral("string(TD[2])")), shown[i]);
            QCOMPARE(row.evaluate(QStringLiteral("string(.//A[.='Edit']/@href)")),
                QStringLiteral("[*[E]*]") + name);
            QCOMPARE(row.evaluate(QStringLiteral("string(.//A[.='Delete']/@href)")),
                QStringLiteral("[*[D]*]") + name);
        }
    }

    void qbtoolGivesTheWindowsPages()
    {
        test::TempEnv env;
        const QString path = env.path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(path, test::sampleBookXml()));
        XmlDocument book;
        QVERIFY(book.loadXml(test::sampleBookXml()));
        AccountListReport accounts;
        GroupListReport groups;
        QVERIFY(accounts.load() && groups.load());
        for (const QString& name : {QStringLiteral("accounts"), QStringLiteral("groups")}) {
            QProcess p;
            p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool"),
                {QStringLiteral("report"), path, name});
            QVERIFY(p.waitForFinished(60000));
            QCOMPARE(p.exitCode(), 0);
            QString page
                = name == QStringLiteral("accounts") ? accounts.build(book) : groups.build(book);
            AddStyleHead(page);
            QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), page);
        }
    }
};

QTEST_GUILESS_MAIN(TstMasterReports)
#include "tst_masterreports.moc"
