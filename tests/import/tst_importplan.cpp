// Importing statements into a book: what is new and what is already there
// (re-import, overlap, equal lines, FITIDs, the window of days), the
// suggested other accounts, and the book as written after one save.

#include <QRegularExpression>
#include <QTest>

#include "TestBook.h"
#include "import/ImportPlan.h"
#include "store/BookCheck.h"
#include "store/Utilities.h"

using namespace qb;
using namespace qb::test;

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

QStringList L(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* t : texts)
        list << QString::fromUtf8(t);
    return list;
}

constexpr int kBank = 2;
constexpr int kCash = 1;
constexpr int kFood = 4;

// The sample book with transactions of the bank account to suggest from and
// a day (1 February) whose numbers have a gap.
QByteArray importBook()
{
    QByteArray xml = sampleBookXml();
    xml.replace("</Trans>",
        "<t No=\"1\" dt=\"20130115\" fAc=\"2\" tAc=\"4\" Nar=\"Tesco Store 4411 15/01\">20.1</t>"
        "<t No=\"1\" dt=\"20130120\" fAc=\"2\" tAc=\"1\" Nar=\"TESCO STORE 9987\">10</t>"
        "<t No=\"3\" dt=\"20130201\" fAc=\"1\" tAc=\"4\" Nar=\"Gift\">5</t></Trans>");
    return xml;
}

Statement csvStatement(const QByteArray& rows)
{
    const QByteArray bytes = "Date,Text,Amount\n" + rows;
    CsvMapping m;
    m.header = true;
    m.dateColumn = 0;
    m.dateOrder = DateOrder::YearMonthDay;
    m.textColumns = {1};
    m.amountColumn = 2;
    Statement s;
    StatementError error;
    if (!ReadCsvStatement(bytes, m, &s, &error))
        qFatal("statement: %s", qPrintable(error.text()));
    return s;
}

struct OfxLine
{
    const char* fitid;
    const char* date;
    const char* amount;
    const char* name;
};

Statement ofxStatement(const QList<OfxLine>& lines)
{
    QByteArray ofx
        = "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\n\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS>"
          "<CURDEF>EUR<BANKACCTFROM><BANKID>1<ACCTID>12345678<ACCTTYPE>CHECKING</BANKACCTFROM>"
          "<BANKTRANLIST><DTSTART>20130101<DTEND>20130228\n";
    for (const OfxLine& l : lines)
        ofx += QByteArray("<STMTTRN><TRNTYPE>OTHER<DTPOSTED>") + l.date + "<TRNAMT>" + l.amount
            + (*l.fitid ? QByteArray("<FITID>") + l.fitid : QByteArray()) + "<NAME>" + l.name
            + "</STMTTRN>\n";
    ofx += "</BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n";
    Statement s;
    StatementError error;
    if (!ReadOfxStatement(ofx, &s, &error))
        qFatal("statement: %s", qPrintable(error.text()));
    return s;
}

// "status other" per line, with the matched key for lines already in the book.
QStringList outcome(const ImportPlan& plan)
{
    QStringList out;
    for (const ImportLine& l : plan.lines()) {
        QString text = LineStatusWord(l.status) + QLatin1Char(' ') + QString::number(l.other);
        if (l.status == LineStatus::InBook)
            text += QStringLiteral(" = %1/%2").arg(l.match.date).arg(l.match.number);
        if (l.status == LineStatus::Repeated || l.status == LineStatus::Error)
            text += QStringLiteral(" (") + l.reason + QLatin1Char(')');
        out << text;
    }
    return out;
}

QByteArray section(const QByteArray& xml, const QByteArray& name)
{
    const qsizetype from = xml.indexOf(QByteArray("<" + name));
    const qsizetype to = xml.indexOf(QByteArray("</" + name + ">"));
    return from < 0 || to < 0 ? QByteArray() : xml.mid(from, to - from + name.size() + 3);
}

} // namespace

Q_DECLARE_METATYPE(OfxLine)

class tst_ImportPlan : public QObject
{
    Q_OBJECT

private slots:
    // One statement through the whole road: matching, suggestions, the
    // user's choice spreading to the same payee, the book written in one
    // save; then the same statement again and an overlapping one.
    void csvImportReimportAndOverlap()
    {
        TestBook book;
        QVERIFY(book.open(importBook()));
        QVERIFY(book.store.SaveDocument()); // the book as the program writes it
        const QByteArray before = readDataFile(book.file);
        const Statement first = csvStatement(
            "2013-01-05,SALARY ACME,2500.00\n" // the January pay, same day
            "2013-01-13,ATM WITHDRAWAL,-300.00\n" // the withdrawal of the 10th: 3 days
            "2013-01-14,Tesco Store 1234,-33.10\n" // payee seen in the book: latest is Cash
            "2013-02-01,Coffee Corner,-3.50\n"
            "2013-02-01,Coffee Corner,-3.50\n" // two equal lines
            "2013-01-24,Withdrawal again,-10.00\n" // 10 out on the 20th is 4 days away
            "2013-02-28,Interest,0.45\n"); // no other account: left out
        ImportPlan plan = ImportPlan::make(book.store.document(), kBank, first);
        QCOMPARE(outcome(plan),
            L({"dup 0 = 20130105/1", "dup 0 = 20130110/1", "new 1", "new 0", "new 0", "new 1",
                "new 0"}));
        QCOMPARE(plan.lines().at(2).otherWhy,
            QStringLiteral("From the transaction of 20-01-2013 No 1: TESCO STORE 9987"));
        // The first word alone when the two do not match.
        QCOMPARE(plan.lines().at(5).otherWhy,
            QStringLiteral("From the transaction of 10-01-2013 No 1: Withdrawal"));
        plan.setOther(3, kFood);
        QCOMPARE(plan.lines().at(4).other, kFood);
        QCOMPARE(plan.lines().at(4).otherWhy,
            QStringLiteral("As chosen for the same payee on line 5 of this statement"));
        QCOMPARE(plan.lines().at(4).otherFrom, SuggestionSource::ThisImport);

        const ImportCounts counts = ApplyImport(book.store.document(), plan);
        QCOMPARE(counts.imported, 4);
        QCOMPARE(counts.inBook, 2);
        QCOMPARE(counts.leftOut, 1);
        QVERIFY(book.store.SaveDocument());

        // One save: the backup is the book as it was just before.
        QCOMPARE(readDataFile(book.file + QStringLiteral(".bak")), before);
        const QByteArray after = readDataFile(book.file);
        QByteArray trans = section(before, "Trans");
        trans.chop(8);
        // Imported lines are cleared: the bank has them.
        trans += "<t No=\"1\" dt=\"20130114\" fAc=\"2\" tAc=\"1\" Nar=\"Tesco Store 1234\" "
                 "St=\"C\">33.1</t>"
                 "<t No=\"4\" dt=\"20130201\" fAc=\"2\" tAc=\"4\" Nar=\"Coffee Corner\" "
                 "St=\"C\">3.5</t>"
                 "<t No=\"5\" dt=\"20130201\" fAc=\"2\" tAc=\"4\" Nar=\"Coffee Corner\" "
                 "St=\"C\">3.5</t>"
                 "<t No=\"1\" dt=\"20130124\" fAc=\"2\" tAc=\"1\" Nar=\"Withdrawal "
                 "again\" St=\"C\">10</t></Trans>";
        QCOMPARE(section(after, "Trans"), trans);
        // Everything else stays as it was; the Imported section follows the others.
        QVERIFY(after.startsWith(before.left(before.indexOf("<Trans>"))));
        QVERIFY(section(after, "DateRanges").size() > 0 || after.contains("<DateRanges/>"));
        QCOMPARE(after.count("<l Ac=\"2\" Id=\"fp:"), 4);
        QVERIFY(after.indexOf("<Imported>") > after.indexOf("<DateRanges"));
        QCOMPARE(BookCheck::problems(book.store.document()), QStringList());

        // The same file again adds nothing.
        const ImportPlan again = ImportPlan::make(book.store.document(), kBank, first);
        QCOMPARE(outcome(again),
            L({"dup 0 = 20130105/1", "dup 0 = 20130110/1", "dup 1 = 20130114/1",
                "dup 4 = 20130201/4", "dup 4 = 20130201/5", "dup 1 = 20130124/1", "new 0"}));
        const ImportCounts none = ApplyImport(book.store.document(), again);
        QCOMPARE(none.imported, 0);
        QVERIFY(!none.changed);

        // An overlapping statement: a third coffee that day is new.
        const ImportPlan overlap = ImportPlan::make(book.store.document(), kBank,
            csvStatement("2013-02-01,Coffee Corner,-3.50\n2013-02-01,Coffee Corner,-3.50\n"
                         "2013-02-01,Coffee Corner,-3.50\n2013-02-27,Coffee Corner 2,-2\n"));
        QCOMPARE(
            outcome(overlap), L({"dup 4 = 20130201/4", "dup 4 = 20130201/5", "new 4", "new 4"}));
        QCOMPARE(overlap.lines().at(2).otherFrom, SuggestionSource::Book);
    }

    // Hand-typed transactions match within the window of days, each once.
    void matchingWindowAndSides_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("three days either way")
            << 3 << QByteArray("2013-01-07,x,-300\n2013-01-13,y,-300\n")
            << L({"dup 0 = 20130110/1", "new 0"});
        QTest::newRow("a narrower window")
            << 2 << QByteArray("2013-01-13,y,-300\n") << L({"new 0"});
        QTest::newRow("the other side does not match")
            << 3 << QByteArray("2013-01-10,x,300\n") << L({"new 0"});
        QTest::newRow("another amount does not match")
            << 3 << QByteArray("2013-01-10,x,-300.01\n") << L({"new 0"});
        QTest::newRow("the nearest day wins")
            << 3 << QByteArray("2013-01-19,a,-10\n2013-01-20,b,-10\n")
            << L({"dup 1 = 20130120/1", "new 1"});
    }
    void matchingWindowAndSides()
    {
        QFETCH(int, days);
        QFETCH(QByteArray, rows);
        QFETCH(QStringList, expected);
        TestBook book;
        QVERIFY(book.open(importBook()));
        const ImportPlan plan
            = ImportPlan::make(book.store.document(), kBank, csvStatement(rows), days);
        QStringList got = outcome(plan);
        // Suggestions are not what this test is about.
        for (QString& s : got)
            s.replace(QRegularExpression(QStringLiteral("^(\\w+) \\d+")), QStringLiteral("\\1 0"));
        for (QString& s : expected)
            s.replace(QRegularExpression(QStringLiteral("^(\\w+) \\d+")), QStringLiteral("\\1 0"));
        QCOMPARE(got, expected);
    }

    // OFX lines are known again by their FITID, even after the transaction
    // was changed in the book; a FITID twice in one file is a repeat; the
    // bank account is paired with the book's account.
    void ofxFitidsAndPairing()
    {
        TestBook book;
        QVERIFY(book.open(importBook()));
        XmlDocument& doc = book.store.document();
        const Statement s = ofxStatement({{"A-1", "20130105", "2500.00", "PAYROLL"},
            {"A-2", "20130131", "-8388617.45", "Big purchase"},
            {"A-2", "20130131", "-8388617.45", "Big purchase"},
            {"A-3", "20130201", "0.00", "Nothing"}});
        QCOMPARE(PairedAccount(doc, s.bankAccountId), 0);
        ImportPlan plan = ImportPlan::make(doc, kBank, s);
        QCOMPARE(outcome(plan),
            L({"dup 0 = 20130105/1", "new 0", "repeat 0 (repeats line 7)",
                "error 0 (zero amount)"}));
        plan.setOtherForAll(kFood);
        const ImportCounts counts = ApplyImport(doc, plan);
        QCOMPARE(counts.imported, 1);
        QCOMPARE(counts.inBook, 1);
        QCOMPARE(counts.leftOut, 2);
        QVERIFY(book.store.SaveDocument());
        const QByteArray after = readDataFile(book.file);
        QVERIFY(after.contains("<t No=\"1\" dt=\"20130131\" fAc=\"2\" tAc=\"4\" Nar=\"Big "
                               "purchase\" St=\"C\">8388617.45</t>"));
        QCOMPARE(section(after, "Imported"),
            QByteArray("<Imported><l Ac=\"2\" Id=\"ofx:A-2\" dt=\"20130131\" No=\"1\"/>"
                       "<b Id=\"12345678\" Ac=\"2\"/></Imported>"));
        QCOMPARE(PairedAccount(doc, QStringLiteral("12345678")), kBank);
        QCOMPARE(BookCheck::problems(doc), QStringList());

        // Changed in the book since: still known by its FITID.
        doc.selectSingleNode(QStringLiteral("/Data/Trans/t[@dt=20130131]"))
            .setText(QStringLiteral("1"));
        const ImportPlan again = ImportPlan::make(doc, kBank, s);
        QCOMPARE(outcome(again).at(1), QStringLiteral("dup 4 = 20130131/1"));
        QVERIFY(!ApplyImport(doc, again).changed);
        // The ids remembered belong to the bank account: planned for cash,
        // the same purchase is new there.
        QVERIFY(outcome(ImportPlan::make(doc, kCash, s)).at(1).startsWith(QStringLiteral("new ")));
    }

    // Where the line and the book's transaction both carry a bank id, the
    // ids decide; the window of days is for lines or transactions without
    // one. A file whose ids repeat on different lines has no usable ids.
    // The book: 10 out on 20 January imported with id A-9, 300 out on 10
    // January typed by hand.
    void bankIdsDecideMatches_data()
    {
        QTest::addColumn<QList<OfxLine>>("lines");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("notes");
        const QString repeated
            = S("the bank's ids repeat within the file, so its lines were matched by amount "
                "and date");
        QTest::newRow("a new id two days after a line imported with one")
            << QList<OfxLine> {{"B-1", "20130122", "-10.00", "TESCO"}} << L({"new"}) << QString();
        QTest::newRow("the same id") << QList<OfxLine> {{"A-9", "20130125", "-10.00", "TESCO"}}
                                     << L({"dup = 20130120/1"}) << QString();
        QTest::newRow("an id against a typed transaction")
            << QList<OfxLine> {{"B-2", "20130113", "-300.00", "ATM"}} << L({"dup = 20130110/1"})
            << QString();
        QTest::newRow("no id against an imported transaction")
            << QList<OfxLine> {{"", "20130123", "-10.00", "TESCO"}} << L({"dup = 20130120/1"})
            << QString();
        QTest::newRow("one id on different lines")
            << QList<OfxLine> {{"X", "20130122", "-10.00", "TESCO"},
                   {"X", "20130111", "-300.00", "ATM"}, {"X", "20130301", "-300.00", "ATM"}}
            << L({"dup = 20130120/1", "dup = 20130110/1", "new"}) << repeated;
        QTest::newRow("one id on the same line twice")
            << QList<OfxLine> {{"X", "20130301", "-5", "Kiosk"}, {"X", "20130301", "-5", "Kiosk"}}
            << L({"new", "repeat"}) << QString();
    }
    void bankIdsDecideMatches()
    {
        QFETCH(QList<OfxLine>, lines);
        QFETCH(QStringList, expected);
        QFETCH(QString, notes);
        TestBook book;
        QByteArray xml = importBook();
        xml.replace("</Data>",
            "<Imported><l Ac=\"2\" Id=\"ofx:A-9\" dt=\"20130120\" No=\"1\"/></Imported></Data>");
        QVERIFY(book.open(xml));
        const Statement s = ofxStatement(lines);
        const ImportPlan plan = ImportPlan::make(book.store.document(), kBank, s);
        QStringList got;
        for (const ImportLine& l : plan.lines())
            got << LineStatusWord(l.status)
                    + (l.status == LineStatus::InBook
                            ? QStringLiteral(" = %1/%2").arg(l.match.date).arg(l.match.number)
                            : QString());
        QCOMPARE(got, expected);
        QCOMPARE(plan.notes().join(QLatin1Char(';')), notes);
    }

    // A QIF category that is the name of an account of the book chooses it,
    // before any suggestion from the book's history; the parts of a split
    // each take their own.
    void qifCategoriesChooseAccounts()
    {
        TestBook book;
        QVERIFY(book.open(importBook()));
        Statement s;
        StatementError error;
        QVERIFY(ReadQifStatement("!Type:Bank\nD3/1/2013\nT-20\nPTesco Store\nLfood\n^\n"
                                 "D3/2/2013\nT-30\nPTesco Store\nSFood:Snacks/Trip\n$-25\n"
                                 "S[ Cash ]\n$-4\nSHobby\n$-1\n^\nD3/3/2013\nT-2\nLBank\n^\n",
            &s, &error));
        const ImportPlan plan = ImportPlan::make(book.store.document(), kBank, s);
        QStringList got;
        for (const ImportLine& l : plan.lines())
            got << QString::number(l.other) + QLatin1Char(' ') + l.otherWhy;
        QCOMPARE(got,
            L({"4 The statement's category food", "4 The statement's category Food:Snacks/Trip",
                "1 The statement's category [ Cash ]",
                "1 From the transaction of 20-01-2013 No 1: TESCO STORE 9987", "0 "}));
    }

    // Suggestions learn from every transaction of the book (a card account
    // new to the book gets them), the account's own history first; the
    // person's rules come before both, letter case aside, and a rule naming
    // the statement's own account is passed over.
    void suggestionsFromTheBookAndRules_data()
    {
        QTest::addColumn<int>("account");
        QTest::addColumn<QByteArray>("rules");
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<QStringList>("others");
        const QByteArray rows = "2013-03-01,Tesco Store 77,-8\n2013-03-01,Market hall,-3\n"
                                "2013-03-02,Withdrawal,50\n2013-03-02,January pay,10\n"
                                "2013-03-03,Groceries,-5\n";
        // Out of the card: the side the money went to in the latest
        // transaction of the payee (20 January: Bank -> Cash); into it: the
        // side it came from.
        QTest::newRow("new card account, no rules")
            << 5 << QByteArray() << rows
            << L({"1 From the transaction of 20-01-2013 No 1: TESCO STORE 9987",
                   "4 From the transaction of 01-02-2013 No 1: Market",
                   "2 From the transaction of 10-01-2013 No 1: Withdrawal",
                   "3 From the transaction of 05-01-2013 No 1: January pay",
                   "4 From the transaction of 10-01-2013 No 2: Groceries"});
        // The bank's own transactions: Withdrawal went Bank -> Cash, so money
        // into the bank under that payee is suggested Cash, not the bank.
        QTest::newRow("the account's own history first")
            << kBank << QByteArray() << rows
            << L({"1 From the transaction of 20-01-2013 No 1: TESCO STORE 9987",
                   "4 From the transaction of 01-02-2013 No 1: Market",
                   "1 From the transaction of 10-01-2013 No 1: Withdrawal",
                   "3 From the transaction of 05-01-2013 No 1: January pay",
                   "4 From the transaction of 10-01-2013 No 2: Groceries"});
        QTest::newRow("rules first, case aside, own account passed over")
            << 5
            << QByteArray("<ImportRules><r Text=\"pay\" Ac=\"5\"/><r Text=\"STORE 7\" Ac=\"4\"/>"
                          "<r Text=\"hall\" Ac=\"3\"/><r Text=\"ma\" Ac=\"1\"/>"
                          "<r Text=\"january  pay\" Ac=\"2\"/></ImportRules>")
            << rows
            << L({"4 The rule for text containing STORE 7", "3 The rule for text containing hall",
                   "2 From the transaction of 10-01-2013 No 1: Withdrawal",
                   "2 The rule for text containing january pay",
                   "4 From the transaction of 10-01-2013 No 2: Groceries"});
    }
    void suggestionsFromTheBookAndRules()
    {
        QFETCH(int, account);
        QFETCH(QByteArray, rules);
        QFETCH(QByteArray, rows);
        QFETCH(QStringList, others);
        QByteArray xml = importBook();
        xml.replace("</AcMaster>", "<a Code=\"5\" AcName=\"Card\"/></AcMaster>");
        xml.replace("</Data>", QByteArray(rules + "</Data>"));
        TestBook book;
        QVERIFY(book.open(xml));
        const ImportPlan plan
            = ImportPlan::make(book.store.document(), account, csvStatement(rows));
        QStringList got;
        for (const ImportLine& l : plan.lines())
            got << QString::number(l.other) + QLatin1Char(' ') + l.otherWhy;
        QCOMPARE(got, others);
    }

    // A rule added to a book without rules makes the optional section; one
    // of the same text replaces it; undo puts back the book byte for byte;
    // qbtool check accepts the section and names a bad rule.
    void rulesAreKeptInTheBook()
    {
        TestBook book;
        QVERIFY(book.open(importBook()));
        XmlDocument& doc = book.store.document();
        const QByteArray before = doc.xml().toUtf8();
        QVERIFY(ImportRules(doc).isEmpty());
        UndoHistory history;
        QVERIFY(!AddImportRule(doc, {S("  "), kFood}, &history));
        QVERIFY(!AddImportRule(doc, {S("x"), 0}, &history));
        QVERIFY(AddImportRule(doc, {S(" Tesco   store "), kFood}, &history));
        QVERIFY(AddImportRule(doc, {S("rent"), kCash}, &history));
        const QByteArray two = doc.xml().toUtf8();
        QVERIFY(AddImportRule(doc, {S("TESCO STORE"), kCash}, &history));
        QCOMPARE(section(doc.xml().toUtf8(), "ImportRules"),
            QByteArray("<ImportRules><r Text=\"rent\" Ac=\"1\"/><r Text=\"TESCO STORE\" "
                       "Ac=\"1\"/></ImportRules>"));
        QCOMPARE(ImportRules(doc).size(), 2);
        QVERIFY(BookCheck::problems(doc).isEmpty());
        QCOMPARE(history.undo(doc).kind, UndoHistory::Outcome::Done);
        QCOMPARE(doc.xml().toUtf8(), two);
        history.undo(doc);
        QCOMPARE(history.undo(doc).kind, UndoHistory::Outcome::Done);
        QCOMPARE(doc.xml().toUtf8(), before);

        XmlDocument bad;
        QByteArray xml = importBook();
        xml.replace("</Data>",
            "<ImportRules><r Ac=\"4\" Text=\"a\"/><r Text=\" \" Ac=\"9\"/><q/></ImportRules>"
            "<ImportRules/></Data>");
        QVERIFY(bad.loadXml(xml));
        QCOMPARE(BookCheck::problems(bad),
            L({"section ImportRules appears more than once",
                "import rule 1: attributes are Ac Text instead of Text Ac",
                "import rule 2: the text is empty",
                "import rule 2: account \"9\" has no account head",
                "ImportRules holds an element q"}));
    }

    // Bank ids come from statements as they are: whatever they hold, the
    // book saved after the import opens again, and the same statement is
    // then known as imported.
    void bankIdsWithControlCharactersSaveABookThatOpens_data()
    {
        QTest::addColumn<QString>("fitid");
        QTest::addColumn<QString>("acctid");
        QTest::addColumn<QByteArray>("imported"); // the section as written
        QTest::newRow("control characters")
            << QStringLiteral("A\u0002-1") << QStringLiteral("12\u001b34")
            << QByteArray("<Imported><l Ac=\"2\" Id=\"ofx:A-1\" dt=\"20130131\" No=\"1\"/>"
                          "<b Id=\"1234\" Ac=\"2\"/></Imported>");
        QTest::newRow("nul, U+FFFF, U+FFFE, lone surrogates")
            << QStringLiteral("B") + QChar(0) + QChar(0xFFFF) + QChar(0xD800) + QStringLiteral("-1")
            << QStringLiteral("9\ufffe") + QChar(0xDC00)
            << QByteArray("<Imported><l Ac=\"2\" Id=\"ofx:B-1\" dt=\"20130131\" No=\"1\"/>"
                          "<b Id=\"9\" Ac=\"2\"/></Imported>");
        QTest::newRow("tab and euro sign kept")
            << QStringLiteral("C\t\u20ac") << QStringLiteral("DE\u20ac")
            << QByteArray("<Imported><l Ac=\"2\" Id=\"ofx:C&#9;&#8364;\" dt=\"20130131\" "
                          "No=\"1\"/><b Id=\"DE&#8364;\" Ac=\"2\"/></Imported>");
    }
    void bankIdsWithControlCharactersSaveABookThatOpens()
    {
        QFETCH(QString, fitid);
        QFETCH(QString, acctid);
        QFETCH(QByteArray, imported);
        TestBook book;
        QVERIFY(book.open(importBook()));
        Statement s = ofxStatement({{"X", "20130131", "-7.50", "Kiosk"}});
        s.lines[0].id = fitid;
        s.bankAccountId = acctid;
        ImportPlan plan = ImportPlan::make(book.store.document(), kBank, s);
        plan.setOtherForAll(kFood);
        QCOMPARE(ApplyImport(book.store.document(), plan).imported, 1);
        QVERIFY(book.store.SaveDocument());
        QCOMPARE(section(readDataFile(book.file), "Imported"), imported);

        QVERIFY(book.store.OpenDataFile(book.file));
        const XmlDocument& doc = book.store.document();
        QCOMPARE(BookCheck::problems(doc), QStringList());
        QCOMPARE(PairedAccount(doc, acctid), kBank);
        QCOMPARE(outcome(ImportPlan::make(doc, kBank, s)), L({"dup 4 = 20130131/1"}));
    }

    // What qbtool check says about a damaged Imported section.
    void checkFindsBadImportRecords()
    {
        XmlDocument doc;
        QByteArray xml = importBook();
        xml.replace("</Data>",
            "<Imported><l Ac=\"9\" Id=\"x\" dt=\"20130231\" No=\"1\"/>"
            "<l Ac=\"2\" Id=\"y\" dt=\"20130105\" No=\"1\"/><l Ac=\"2\" Id=\"y\" dt=\"20130105\" "
            "No=\"1\"/>"
            "<b Ac=\"2\" Id=\"\"/><z/></Imported><Imported/></Data>");
        QVERIFY(doc.loadXml(xml));
        QCOMPARE(BookCheck::problems(doc),
            L({"section Imported appears more than once",
                "imported record 1 (Id x): account 9 has no account head",
                "imported record 1 (Id x): dt and No must name a transaction (yyyymmdd and a "
                "number)",
                "imported record 3 (Id y): the id is remembered twice for account 2",
                "imported record 4 (Id ): attributes are Ac Id instead of Id Ac",
                "imported record 4 (Id ): the id is empty", "Imported holds an element z"}));
    }

    void payeeKeysIgnoreCaseAndDigits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::newRow("card number") << S("TESCO STORE 4411 15/01") << S("tesco store");
        QTest::newRow("digits inside") << S("Amazon*MK12AB3 Marketplace") << S("amazon mkab");
        QTest::newRow("one word") << S("  Rent  ") << S("rent");
        QTest::newRow("no letters") << S("1234 5678") << S("");
    }
    void payeeKeysIgnoreCaseAndDigits()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QCOMPARE(PayeeKey(text), key);
    }

    // The narration is cut and filtered as a typed one.
    void narrationsPassTheNarrationRoutine()
    {
        StatementLine line;
        line.payee = QString(10000, QLatin1Char('n')) + QStringLiteral("\x01");
        line.memo = QStringLiteral("  and\tmore  ");
        const QString n = StatementNarration(line);
        QCOMPARE(n.size(), 10000 + 9);
        QVERIFY(n.endsWith(QStringLiteral("n and more")));
        // Signs, dashes and accents of a statement are kept.
        line.payee = QStringLiteral("CAF\u00c9 \u2014 \u20ac20");
        line.memo.clear();
        QCOMPARE(StatementNarration(line), QStringLiteral("CAF\u00c9 \u2014 \u20ac20"));
        line.payee = QString(40000, QLatin1Char('n'));
        QCOMPARE(StatementNarration(line).size(), kMaxNarrationLength);
    }
};

QTEST_GUILESS_MAIN(tst_ImportPlan)
#include "tst_importplan.moc"
