#include <QtTest>

#include "TestSupport.h"
#include "store/BookCheck.h"
#include "store/Xml.h"

using namespace qb;

namespace {

const QByteArray kFirstTrans
    = "<t No=\"1\" dt=\"20130105\" fAc=\"3\" tAc=\"2\" Nar=\"January pay\">2500</t>";

QByteArray sampleWith(const QByteArray& from, const QByteArray& to)
{
    QByteArray xml = test::sampleBookXml();
    const qsizetype at = xml.indexOf(from);
    if (at < 0)
        qFatal("fixture text not found");
    return xml.replace(at, from.size(), to);
}

QStringList check(const QByteArray& xml)
{
    XmlDocument doc;
    if (!doc.loadXml(xml))
        return {QStringLiteral("<does not parse>")};
    return BookCheck::problems(doc);
}

} // namespace

class TstBookCheck : public QObject
{
    Q_OBJECT
private slots:
    void sampleBookIsClean()
    {
        QCOMPARE(check(test::sampleBookXml()), QStringList());
        // A separator date range needs no dates.
        QCOMPARE(check(sampleWith("<DateRanges/>",
                     "<DateRanges><DR From=\"20130101\" To=\"20131231\" Caption=\"2013\"/>"
                     "<DR From=\"\" To=\"\" Caption=\"-\"/></DateRanges>")),
            QStringList());
    }

    void findsEachInconsistency_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char* name, const QByteArray& xml, const QStringList& lines) {
            QTest::newRow(name) << xml << lines;
        };
        row("missing Trans", sampleWith("<Trans>", "<Trash>").replace("</Trans>", "</Trash>"),
            {QStringLiteral("unexpected element Trash in Data"),
                QStringLiteral("missing section Trans")});
        // The bin: optional; each entry a d with its Id, time and the transaction.
        row("bin entries",
            sampleWith("<DateRanges/>",
                "<DateRanges/><Deleted>"
                "<d Id=\"1\" At=\"20261207093005\" No=\"1\" dt=\"20130105\" fAc=\"3\" tAc=\"9\" "
                "Nar=\"\">2500</d>"
                "<d Id=\"1\" At=\"20261307093005\" No=\"0\" dt=\"2013015\" fAc=\"3\" tAc=\"2\" "
                "Nar=\"\">2.50</d>"
                "<t No=\"1\"/></Deleted><Deleted/>"),
            {QStringLiteral("deleted transaction 2 (Id 1): Id is used more than once"),
                QStringLiteral("deleted transaction 2 (Id 1): At must be a time of fourteen digits "
                               "(yyyymmddhhmmss)"),
                QStringLiteral("deleted transaction 2 (Id 1): No must be a number of 1 or more"),
                QStringLiteral(
                    "deleted transaction 2 (Id 1): dt must be a date of eight digits (yyyymmdd)"),
                QStringLiteral(
                    "deleted transaction 2 (Id 1): amount \"2.50\" is not a plain positive number"),
                QStringLiteral("Deleted holds an element t"),
                QStringLiteral("section Deleted appears more than once")});
        row("missing I", sampleWith("<I>ABCDEFGHIJKLMNOPQRST</I>", ""),
            {QStringLiteral("missing section I (added when the file is opened)")});
        row("section twice", sampleWith("<Narration>", "<Groups/><Narration>"),
            {QStringLiteral("section Groups appears 2 times")});
        row("I not 20 capitals", sampleWith("<I>ABCDEFGHIJKLMNOPQRST</I>", "<I>abc</I>"),
            {QStringLiteral("I is not 20 capital letters: \"abc\"")});
        row("I of three capitals", sampleWith("<I>ABCDEFGHIJKLMNOPQRST</I>", "<I>ABC</I>"),
            {QStringLiteral("I is not 20 capital letters: \"ABC\"")});
        row("account without head",
            sampleWith(
                kFirstTrans, "<t No=\"1\" dt=\"20130105\" fAc=\"9\" tAc=\"2\" Nar=\"x\">2500</t>"),
            {QStringLiteral(
                "transaction 1 (dt 20130105, No 1): From account 9 has no account head")});
        row("account not a code",
            sampleWith(kFirstTrans,
                "<t No=\"1\" dt=\"20130105\" fAc=\"3\" tAc=\"two\" Nar=\"x\">2500</t>"),
            {QStringLiteral(
                "transaction 1 (dt 20130105, No 1): To account \"two\" is not an account code")});
        row("From equals To",
            sampleWith(
                kFirstTrans, "<t No=\"1\" dt=\"20130105\" fAc=\"2\" tAc=\"2\" Nar=\"x\">2500</t>"),
            {QStringLiteral(
                "transaction 1 (dt 20130105, No 1): From and To are the same account")});
        row("amount with trailing zero", sampleWith(">2500</t>", ">12.50</t>"),
            {QStringLiteral("transaction 1 (dt 20130105, No 1): amount \"12.50\" is not a positive "
                            "plain decimal")});
        row("amount the program cannot write", sampleWith(">2500</t>", ">1234567890.125</t>"),
            {QStringLiteral("transaction 1 (dt 20130105, No 1): amount \"1234567890.125\" has more "
                            "than two decimals"),
                QStringLiteral("transaction 1 (dt 20130105, No 1): amount \"1234567890.125\" has "
                               "more than nine integer digits")});
        row("largest amount the box takes", sampleWith(">2500</t>", ">999999999.99</t>"), {});
        row("negative amount", sampleWith(">2500</t>", ">-5</t>"),
            {QStringLiteral("transaction 1 (dt 20130105, No 1): amount \"-5\" is not a positive "
                            "plain decimal")});
        row("no amount", sampleWith(">2500</t>", "></t>"),
            {QStringLiteral(
                "transaction 1 (dt 20130105, No 1): amount \"\" is not a positive plain decimal")});
        row("same date and number",
            sampleWith("<t No=\"2\" dt=\"20130110\"", "<t No=\"1\" dt=\"20130110\""),
            {QStringLiteral("transaction 3 (dt 20130110, No 1): another transaction has the same "
                            "date and number")});
        row("bad date and number",
            sampleWith(
                kFirstTrans, "<t No=\"0\" dt=\"20130231\" fAc=\"3\" tAc=\"2\" Nar=\"x\">2500</t>"),
            {QStringLiteral(
                 "transaction 1 (dt 20130231, No 0): No is not a whole number of 1 or more"),
                QStringLiteral("transaction 1 (dt 20130231, No 0): dt is not a date of eight "
                               "digits (yyyymmdd)")});
        row("attributes out of order",
            sampleWith(
                kFirstTrans, "<t dt=\"20130105\" No=\"1\" fAc=\"3\" tAc=\"2\" Nar=\"x\">2500</t>"),
            {QStringLiteral("transaction 1 (dt 20130105, No 1): attributes are dt No fAc tAc Nar "
                            "instead of No dt fAc tAc Nar")});
        row("apostrophe and letters of other scripts in a narration",
            sampleWith(kFirstTrans,
                "<t No=\"1\" dt=\"20130105\" fAc=\"3\" tAc=\"2\" Nar=\"Tom's caf&#233; "
                "&#x6771;\">2500</t>"),
            {});
        row("direction override in a narration",
            sampleWith(kFirstTrans,
                "<t No=\"1\" dt=\"20130105\" fAc=\"3\" tAc=\"2\" Nar=\"Tom&#x202E;s\">2500</t>"),
            {QStringLiteral("transaction 1 (dt 20130105, No 1): the narration holds characters "
                            "outside the allowed set")});
        row("member without head", sampleWith("gi=\",1,2,\"", "gi=\",1,9,\""),
            {QStringLiteral("group 1 (Money): member 9 has no account head")});
        row("malformed member list", sampleWith("gi=\",1,2,\"", "gi=\",1,,2\""),
            {QStringLiteral(
                "group 1 (Money): member list \",1,,2\" is not of the form ,code,code,")});
        row("group names repeat", sampleWith("</Groups>", "<Group gi=\",\">MONEY</Group></Groups>"),
            {QStringLiteral("group 2 (MONEY): another group has the same name")});
        row("account codes repeat",
            sampleWith("<a Code=\"2\" AcName=\"Bank\"/>", "<a Code=\"1\" AcName=\"Bank\"/>"),
            {QStringLiteral("account head 2 (Code 1): another account head has the same code"),
                QStringLiteral(
                    "transaction 1 (dt 20130105, No 1): To account 2 has no account head"),
                QStringLiteral(
                    "transaction 2 (dt 20130110, No 1): From account 2 has no account head"),
                QStringLiteral("group 1 (Money): member 2 has no account head")});
        row("head names alike but for letter case",
            sampleWith("<a Code=\"4\" AcName=\"Food\"/>",
                "<a Code=\"4\" AcName=\"SALARY\"/><a Code=\"5\" AcName=\"\"/>"
                "<a Code=\"6\" AcName=\"salary\"/><a Code=\"7\" AcName=\"  \"/>"),
            {QStringLiteral("account head 4 (Code 4): the same name as account head 3 (Code 3), "
                            "letter case ignored"),
                QStringLiteral("account head 5 (Code 5): the name is empty"),
                QStringLiteral("account head 6 (Code 6): the same name as account head 3 (Code 3), "
                               "letter case ignored"),
                QStringLiteral("account head 7 (Code 7): the name is empty")});
        row("member listed twice, empty group name",
            sampleWith("</Groups>", "<Group gi=\",2,1,2,01,2,\"></Group></Groups>"),
            {QStringLiteral("group 2 (): member 2 is listed more than once"),
                QStringLiteral("group 2 (): member 01 is listed more than once"),
                QStringLiteral("group 2 (): the name is empty")});
        row("bad date range",
            sampleWith("<DateRanges/>",
                "<DateRanges><DR From=\"2013\" To=\"20131231\" Caption=\"Y\"/></DateRanges>"),
            {QStringLiteral(
                "date range 1 (Y): From and To must be dates of eight digits (yyyymmdd)")});
        row("not a book", QByteArray("<Books/>"),
            {QStringLiteral("the root element is Books, not Data")});
    }

    void findsEachInconsistency()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QStringList, expected);
        QCOMPARE(check(xml), expected);
    }

    void plainAmounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("plain");
        for (const char* ok : {"1", "12.5", "1250", "0.05", "1000000", "0.5"})
            QTest::newRow(ok) << QString::fromLatin1(ok) << true;
        for (const char* bad : {"", "0", "0.0", "12.50", "1,250", "1e3", "-5", "+5", ".5", "5.",
                 "012", " 5", "5 ", "1.2.3"})
            QTest::newRow(bad[0] ? bad : "empty") << QString::fromLatin1(bad) << false;
    }

    void plainAmounts()
    {
        QFETCH(QString, text);
        QFETCH(bool, plain);
        QCOMPARE(BookCheck::isPlainAmount(text), plain);
    }

    void memberLists()
    {
        for (const char* ok : {",", ",3,", ",3,1,7,"})
            QVERIFY2(BookCheck::isMemberList(QString::fromLatin1(ok)), ok);
        for (const char* bad : {"", ",,", "3,1,", ",3,1", ",3,,1,", ",a,", ", 3,"})
            QVERIFY2(!BookCheck::isMemberList(QString::fromLatin1(bad)), bad);
    }
};

QTEST_GUILESS_MAIN(TstBookCheck)
#include "tst_bookcheck.moc"
