#include <algorithm>

#include <QtTest>

#include "TestSupport.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/Records.h"
#include "store/Utilities.h"
#include "store/Xml.h"

using namespace qb;

namespace {

QStringList childNames(const XmlNode& node)
{
    QStringList names;
    for (const XmlNode& c : node.childElements())
        names << c.name();
    return names;
}

QStringList attributeNames(const XmlNode& node)
{
    QStringList names;
    for (int i = 0; i < node.attributeCount(); ++i)
        names << node.attributeName(i);
    return names;
}

const QStringList kSections = {QStringLiteral("AcMaster"), QStringLiteral("PValue"),
    QStringLiteral("Trans"), QStringLiteral("Groups"), QStringLiteral("Narration"),
    QStringLiteral("I"), QStringLiteral("DateRanges")};

XmlDocument parse(const char* xml)
{
    XmlDocument doc;
    doc.loadXml(QByteArray(xml));
    return doc;
}

XmlNode appendTrans(XmlDocument& doc, int no, int dt)
{
    Trans t;
    t.No = no;
    t.dt = dt;
    t.fAc = 1;
    t.tAc = 2;
    XmlNode node = t.CreateNode(doc.selectSingleNode(QStringLiteral("/Data/Trans")));
    node.setText(QStringLiteral("10"));
    return node;
}

} // namespace

class TstDocument : public QObject
{
    Q_OBJECT
private slots:
    void newDocumentHasSevenSectionsAndNoPassword()
    {
        XmlDocument doc = NewDataDocument();
        QCOMPARE(childNames(doc.documentElement()), kSections);
        const QString i = doc.selectSingleNode(QStringLiteral("/Data/I")).text();
        QVERIFY2(
            QRegularExpression(QStringLiteral("^[A-Z]{20}$")).match(i).hasMatch(), qPrintable(i));
        QCOMPARE(doc.selectSingleNode(QStringLiteral("/Data/PValue")).text(), PasswordDigest(i));
        QVERIFY(!HasPassword(doc));
        QVERIFY(HasDataSections(doc));
        // Two new files get their own I.
        QVERIFY(NewDataDocument().selectSingleNode(QStringLiteral("/Data/I")).text() != i);

        // What is written reads back the same, in seven-bit bytes.
        const QByteArray bytes = doc.toBytes();
        for (char c : bytes)
            QVERIFY(static_cast<unsigned char>(c) < 128);
        XmlDocument again;
        QVERIFY(again.loadXml(bytes));
        QCOMPARE(childNames(again.documentElement()), kSections);
        QCOMPARE(again.selectSingleNode(QStringLiteral("/Data/I")).text(), i);
    }

    void repairAddsMissingSectionsInPlace()
    {
        XmlDocument doc = parse("<Data><AcMaster/><Trans/><Groups/><Narration/></Data>");
        RepairSections(doc);
        QCOMPARE(childNames(doc.documentElement()), kSections);
        const QString i = doc.selectSingleNode(QStringLiteral("/Data/I")).text();
        QCOMPARE(i.size(), 20);
        QCOMPARE(doc.selectSingleNode(QStringLiteral("/Data/PValue")).text(), PasswordDigest(i));
        QVERIFY(!HasPassword(doc));
    }

    void repairKeepsWhatIsThere()
    {
        // PValue missing only: made from the I the file already has.
        XmlDocument doc = parse("<Data><AcMaster/><Trans/><Groups/><Narration/>"
                                "<I>ABCDEFGHIJKLMNOPQRST</I><DateRanges><DR From=\"1\" To=\"2\" "
                                "Caption=\"x\"/></DateRanges></Data>");
        RepairSections(doc);
        QCOMPARE(doc.documentElement().childElement(1).name(), QStringLiteral("PValue"));
        QCOMPARE(doc.documentElement().childElement(1).text(),
            PasswordDigest(QStringLiteral("ABCDEFGHIJKLMNOPQRST")));
        QCOMPARE(doc.selectNodes(QStringLiteral("/Data/DateRanges")).size(), 1);
        QCOMPARE(doc.selectNodes(QStringLiteral("/Data/DateRanges/DR")).size(), 1);
        QCOMPARE(doc.selectNodes(QStringLiteral("/Data/I")).size(), 1);

        // A protected file stays protected.
        const QByteArray protectedBook = "<Data><AcMaster/><PValue>"
            + PasswordDigest(QStringLiteral("pwABCDEFGHIJKLMNOPQRST")).toLatin1()
            + "</PValue><Trans/><Groups/><Narration/><I>ABCDEFGHIJKLMNOPQRST</I></Data>";
        XmlDocument locked;
        QVERIFY(locked.loadXml(protectedBook));
        RepairSections(locked);
        QVERIFY(HasPassword(locked));
        QCOMPARE(childNames(locked.documentElement()), kSections);

        // Fewer than two children: PValue goes at the end, after the new I.
        XmlDocument tiny = parse("<Data><AcMaster/></Data>");
        RepairSections(tiny);
        QCOMPARE(childNames(tiny.documentElement()),
            (QStringList {QStringLiteral("AcMaster"), QStringLiteral("PValue"), QStringLiteral("I"),
                QStringLiteral("DateRanges")}));
    }

    void dataSectionsAreRequired()
    {
        QVERIFY(HasDataSections(parse("<Data><AcMaster/><Trans/><Groups/><Narration/></Data>")));
        QVERIFY(!HasDataSections(parse("<Data><AcMaster/><Trans/><Groups/></Data>")));
        QVERIFY(!HasDataSections(parse("<Books><AcMaster/><Trans/><Groups/><Narration/></Books>")));
        QVERIFY(!HasDataSections(XmlDocument()));
    }

    void accountCodesFollowTheLastHead()
    {
        XmlDocument doc = NewDataDocument();
        XmlNode section = doc.selectSingleNode(QStringLiteral("/Data/AcMaster"));
        QCOMPARE(NextAccountCode(doc), 1);
        for (const char* name : {"Cash", "Bank", "Food"}) {
            AcMaster a;
            a.Code = NextAccountCode(doc);
            a.AcName = QString::fromLatin1(name);
            a.CreateNode(section);
        }
        QCOMPARE(
            doc.evaluate(QStringLiteral("string(/Data/AcMaster/a[3]/@Code)")), QStringLiteral("3"));
        QCOMPARE(NextAccountCode(doc), 4);

        // Deleting the last head frees its code.
        section.removeChild(doc.selectSingleNode(QStringLiteral("/Data/AcMaster/a[@Code=3]")));
        QCOMPARE(NextAccountCode(doc), 3);
        AcMaster again;
        again.Code = NextAccountCode(doc);
        again.AcName = QStringLiteral("Rent");
        again.CreateNode(section);
        // Deleting another head frees nothing.
        section.removeChild(doc.selectSingleNode(QStringLiteral("/Data/AcMaster/a[@Code=2]")));
        QCOMPARE(NextAccountCode(doc), 4);
    }

    void transactionNumbersCountWithinTheirDate()
    {
        XmlDocument doc = NewDataDocument();
        QCOMPARE(NextTransactionNumber(doc, 20130105), 1);
        appendTrans(doc, NextTransactionNumber(doc, 20130105), 20130105);
        appendTrans(doc, NextTransactionNumber(doc, 20130106), 20130106);
        QCOMPARE(NextTransactionNumber(doc, 20130106), 2);
        QCOMPARE(NextTransactionNumber(doc, 20130105), 2);
        appendTrans(doc, 2, 20130105);
        QCOMPARE(NextTransactionNumber(doc, 20130105), 3);
        QCOMPARE(NextTransactionNumber(doc, 20991231), 1);
    }

    // An edit that moves an early transaction to a date whose transactions lie
    // later in the file must not make the next number of that date a duplicate.
    void transactionNumbersStayUniqueAfterADateEdit()
    {
        XmlDocument doc = NewDataDocument();
        XmlNode moved = appendTrans(doc, 1, 20130101);
        appendTrans(doc, 1, 20130105);
        appendTrans(doc, 2, 20130105);
        // Edit: the first transaction moves to 5 January and takes the next number there.
        const int number = NextTransactionNumber(doc, 20130105);
        QCOMPARE(number, 3);
        moved.setAttribute(QStringLiteral("No"), number);
        moved.setAttribute(QStringLiteral("dt"), 20130105);
        // The last one of that date in file order is number 2, but 3 is taken.
        QCOMPARE(NextTransactionNumber(doc, 20130105), 4);
        appendTrans(doc, 4, 20130105);
        QStringList keys;
        for (const XmlNode& t : doc.selectNodes(QStringLiteral("/Data/Trans/t[@dt=20130105]")))
            keys << t.attribute(QStringLiteral("No"));
        keys.sort();
        QCOMPARE(keys,
            (QStringList {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                QStringLiteral("4")}));
    }

    void groupMembershipIsTestedWithCommas()
    {
        XmlDocument doc = NewDataDocument();
        Groups g;
        g.gi = QStringLiteral(",3,1,");
        g.CreateNode(doc.selectSingleNode(QStringLiteral("/Data/Groups")))
            .setText(QStringLiteral("Money"));
        QCOMPARE(doc.selectNodes(QStringLiteral("//Group[contains(@gi,  ',1,')]")).size(), 1);
        QCOMPARE(doc.selectNodes(QStringLiteral("//Group[contains(@gi,  ',11,')]")).size(), 0);
        QCOMPARE(doc.selectSingleNode(QStringLiteral("//Group")).attributeValue(0),
            QStringLiteral(",3,1,"));
    }

    void createNodeWithParentAppendsOneElementInFieldOrder()
    {
        XmlDocument doc = parse(
            "<Data><AcMaster><a Code=\"1\" AcName=\"Bank\"/></AcMaster><Trans/><Groups/></Data>");
        AcMaster a;
        a.Code = 7;
        a.AcName = QStringLiteral("Cash");
        XmlNode section = doc.selectSingleNode(QStringLiteral("/Data/AcMaster"));
        XmlNode node = a.CreateNode(section);
        QCOMPARE(section.childElements().size(), 2);
        QVERIFY(section.childElements().last() == node);
        QCOMPARE(
            attributeNames(node), (QStringList {QStringLiteral("Code"), QStringLiteral("AcName")}));
        QCOMPARE(node.attributeValue(0), QStringLiteral("7"));
        QCOMPARE(node.attributeValue(1), QStringLiteral("Cash"));

        Trans t;
        t.No = 2;
        t.dt = 20130305;
        t.fAc = 3;
        t.tAc = -4;
        t.Nar = QStringLiteral("a \"quoted\" <b> & c");
        XmlNode tn = t.CreateNode(doc.selectSingleNode(QStringLiteral("/Data/Trans")));
        QCOMPARE(attributeNames(tn),
            (QStringList {QStringLiteral("No"), QStringLiteral("dt"), QStringLiteral("fAc"),
                QStringLiteral("tAc"), QStringLiteral("Nar")}));
        QCOMPARE(tn.attributeValue(3), QStringLiteral("-4"));
        QCOMPARE(tn.attributeValue(4), t.Nar);
        QVERIFY(tn.text().isEmpty());

        Groups g;
        g.gi = QStringLiteral(",");
        XmlNode gn = g.CreateNode(doc.selectSingleNode(QStringLiteral("/Data/Groups")));
        QCOMPARE(attributeNames(gn), QStringList {QStringLiteral("gi")});
        QCOMPARE(gn.name(), QStringLiteral("Group"));
        QCOMPARE(g.NodeName(), QStringLiteral("Group"));
    }

    void createNodeWithoutParentLeavesDocumentsAlone()
    {
        XmlDocument doc = parse("<Data><AcMaster/></Data>");
        const QByteArray before = doc.toBytes();
        Trans t;
        t.No = 1;
        t.dt = 20200229;
        t.fAc = 1;
        t.tAc = 2;
        t.Nar = QStringLiteral("n");
        XmlNode node = t.CreateNode(XmlNode());
        QVERIFY(!node.isNull());
        QVERIFY(node.parent().isNull());
        QCOMPARE(node.name(), QStringLiteral("t"));
        QCOMPARE(node.xml(),
            QStringLiteral("<t No=\"1\" dt=\"20200229\" fAc=\"1\" tAc=\"2\" Nar=\"n\"/>"));
        QCOMPARE(doc.toBytes(), before);
    }

    void loadNodeNeedsNumbersInIntegerFields()
    {
        XmlDocument doc
            = parse("<r><a Code=\"5\"/><a AcName=\"NoCode\"/><a Code=\"x\" AcName=\"Bad\"/>"
                    "<t No=\"3\" dt=\"20130305\" fAc=\"1\" tAc=\"2\"/></r>");
        QList<XmlNode> nodes = doc.documentElement().childElements();
        AcMaster a;
        a.AcName = QStringLiteral("old");
        QVERIFY(a.LoadNode(nodes[0]));
        QCOMPARE(a.Code, 5);
        QVERIFY(a.AcName.isEmpty()); // a missing text attribute reads as empty
        Error e;
        QVERIFY(!a.LoadNode(nodes[1], &e));
        QVERIFY(e.isSet());
        QVERIFY(!AcMaster().LoadNode(nodes[2]));

        Trans t;
        t.Nar = QStringLiteral("old");
        QVERIFY(t.LoadNode(nodes[3]));
        QCOMPARE(t.No, 3);
        QCOMPARE(t.dt, 20130305);
        QCOMPARE(t.tAc, 2);
        QVERIFY(t.Nar.isEmpty());

        // Nothing to load: the fields stay.
        AcMaster kept;
        kept.Code = 9;
        QVERIFY(kept.LoadNode(XmlNode()));
        QCOMPARE(kept.Code, 9);
    }

    void xmlPropertyRoundTrips()
    {
        AcMaster a;
        a.Code = 12;
        a.AcName = QStringLiteral("Tom & \"Jerry\" <Ltd>");
        AcMaster b;
        QVERIFY(b.setXML(a.XML()));
        QCOMPARE(b.Code, 12);
        QCOMPARE(b.AcName, a.AcName);
        QCOMPARE(b.XML(), a.XML());

        Groups g;
        QVERIFY(g.setXML(QStringLiteral("<Group gi=\",3,1,\">Money</Group>")));
        QCOMPARE(g.gi, QStringLiteral(",3,1,"));
        QVERIFY(!g.setXML(QStringLiteral("<Group gi=")));
        // A character beyond the basic plane survives the one-byte parser as a reference.
        QVERIFY(g.setXML(QStringLiteral("<Group gi=\"") + QString::fromUcs4(U"\U0001F600")
            + QStringLiteral("\"/>")));
        QCOMPARE(g.gi, QString::fromUcs4(U"\U0001F600"));
    }

    void documentDates()
    {
        QCOMPARE(DateToDocDate(QDate(2013, 3, 5)), 20130305);
        QCOMPARE(DocDateToDate(20130305), QDate(2013, 3, 5));
        QCOMPARE(DateToDocDate(QDate(1999, 12, 31)), 19991231);
        QCOMPARE(DocDateToDate(20000229), QDate(2000, 2, 29));
        QVERIFY(!DocDateToDate(20010229).isValid());
        QVERIFY(!DocDateToDate(2013035).isValid());
        QVERIFY(!DocDateToDate(0).isValid());
    }

    void allowedCharsOnly_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("firstRefused"); // -1: none
        QTest::newRow("empty") << QString() << QString() << -1;
        QTest::newRow("printable ASCII, apostrophe included")
            << QStringLiteral(" \"\\<>&`~!@#$%^*()_-+=:;,./?[]{}|'Mom's 09AZaz")
            << QStringLiteral(" \"\\<>&`~!@#$%^*()_-+=:;,./?[]{}|'Mom's 09AZaz") << -1;
        QTest::newRow("letters of other scripts with their marks")
            << QStringLiteral(
                   "Caf\u00e9 \u00e9\u00e9\u00e9 Stra\u00dfe \u0928\u092e\u0938\u094d\u0924\u0947 "
                   "\u0645\u0631\u062d\u0628\u0627 \u6771\u4eac \u0661\u0662 M\u2019s")
            << QStringLiteral(
                   "Caf\u00e9 \u00e9\u00e9\u00e9 Stra\u00dfe \u0928\u092e\u0938\u094d\u0924\u0947 "
                   "\u0645\u0631\u062d\u0628\u0627 \u6771\u4eac \u0661\u0662 M\u2019s")
            << -1;
        QTest::newRow("currency signs, dashes, typographic quotes, no-break space")
            << QStringLiteral("Kaffee 3,50 \u20ac bar \u2014 \u201eZitat\u201c \u2018x\u2019 "
                              "\u00a3\u00a5\u20b9\u2026 CAF\u00c9\u00a0\u2013")
            << QStringLiteral("Kaffee 3,50 \u20ac bar \u2014 \u201eZitat\u201c \u2018x\u2019 "
                              "\u00a3\u00a5\u20b9\u2026 CAF\u00c9\u00a0\u2013")
            << -1;
        QTest::newRow("beyond the first plane: a letter, an emoji, a joined family")
            << QString::fromUcs4(U"\U0001D400x\U0001F600\U0001F468\u200D\U0001F469")
            << QString::fromUcs4(U"\U0001D400x\U0001F600\U0001F468\u200D\U0001F469") << -1;
        QTest::newRow("tabs and line breaks become blanks, DEL goes")
            << QStringLiteral("a\tb\r\nc\u007fd\u0085e\u2028f\u2029g")
            << QStringLiteral("a b  cd e f g") << 0x7f;
        QTest::newRow("C0 and C1 controls, direction marks and isolates")
            << QStringLiteral("A\u0002B") + QChar(0)
                + QStringLiteral("C\u001bD\u0080E\u200eF\u2066G")
            << QStringLiteral("ABCDEFG") << 2;
        QTest::newRow("direction overrides, byte order mark, joiners kept")
            << QStringLiteral("a\u202eb\ufeffc\u200dd\u200ce")
            << QStringLiteral("abc\u200dd\u200ce") << 0x202e;
        QTest::newRow("unpaired surrogates and non-characters go, private use stays")
            << QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00)
                + QStringLiteral("c\ue000d\uffffe\ufdd0f")
            << QStringLiteral("abc\ue000def") << 0xD800;
    }

    void allowedCharsOnly()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(int, firstRefused);
        QCOMPARE(AllowedCharsOnly(typed), kept);
        QCOMPARE(OnlyAllowedChars(typed), typed == kept);
        QVERIFY(OnlyAllowedChars(kept));
        QCOMPARE(FirstRefusedChar(typed).has_value(), firstRefused >= 0);
        if (firstRefused >= 0)
            QCOMPARE(int(*FirstRefusedChar(typed)), firstRefused);
        int ascii = 0;
        for (char32_t u = 0; u < 128; ++u)
            ascii += IsAllowedChar(u) ? 1 : 0;
        QCOMPARE(ascii, 95);
        // A password keeps to printable ASCII without the apostrophe.
        QCOMPARE(
            PasswordCharsOnly(QStringLiteral("Tom's caf\u00e9\t1")), QStringLiteral("Toms caf1"));

        // The file holds seven-bit text: other characters as references, read back unchanged.
        XmlDocument doc;
        QVERIFY(doc.loadXml(
            QByteArrayLiteral("<Data><AcMaster><a Code=\"1\" AcName=\"\"/></AcMaster></Data>")));
        XmlNode a = doc.selectSingleNode(QStringLiteral("/Data/AcMaster/a"));
        a.setAttribute(QStringLiteral("AcName"), kept);
        const QByteArray bytes = doc.toBytes();
        QVERIFY(std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }));
        for (const char32_t c : kept.toUcs4()) {
            if (c > 127)
                QVERIFY(bytes.contains(QByteArray("&#" + QByteArray::number(uint(c)) + ';')));
        }
        XmlDocument back;
        QVERIFY(back.loadXml(bytes));
        QCOMPARE(back.selectSingleNode(QStringLiteral("/Data/AcMaster/a"))
                     .attribute(QStringLiteral("AcName")),
            kept);
    }

    void randomLetters()
    {
        const QRegularExpression capitals(QStringLiteral("^[A-Z]{20}$"));
        QSet<QChar> seen;
        for (int round = 0; round < 50; ++round) {
            const QString letters = RandomLetters(20);
            QVERIFY2(capitals.match(letters).hasMatch(), qPrintable(letters));
            for (QChar c : letters)
                seen.insert(c);
        }
        QVERIFY(seen.size() > 20); // the draws spread over the alphabet
        QCOMPARE(RandomLetters(0), QString());
        for (int round = 0; round < 200; ++round) {
            const short r = RandomInRange(3, 5);
            QVERIFY(r >= 3 && r <= 5);
        }
    }

    void foldersAndSettings()
    {
        const QString folder = ProgramFolder();
        QVERIFY(!folder.isEmpty());
        QVERIFY(!folder.endsWith(QLatin1Char('/')) || folder == QStringLiteral("/"));
        QVERIFY(!folder.endsWith(QLatin1Char('\\')));

        test::TempEnv env;
        QCOMPARE(GetSetting(QStringLiteral("StartUp"), QStringLiteral("LoadLastDatabase"),
                     QStringLiteral("1")),
            QStringLiteral("1"));
        SaveSetting(
            QStringLiteral("StartUp"), QStringLiteral("LoadLastDatabase"), QStringLiteral("0"));
        QCOMPARE(GetSetting(QStringLiteral("StartUp"), QStringLiteral("LoadLastDatabase"),
                     QStringLiteral("1")),
            QStringLiteral("0"));
        QVERIFY(QFileInfo::exists(env.path(QStringLiteral("settings"))));
    }
};

QTEST_GUILESS_MAIN(TstDocument)
#include "tst_document.moc"
