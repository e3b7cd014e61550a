#include <string>

#include <QtTest>

#include "TestSupport.h"
#include "store/BookEdits.h"
#include "store/MasterEdits.h"
#include "store/Utilities.h"

using namespace qb;

// Book: Cash(1), Bank(2), Salary(3), Food(4); group Money (1, 2); Cash, Bank,
// Salary and Food all appear in transactions.
class TstMasterEdits : public QObject
{
    Q_OBJECT

    static XmlDocument book(const QByteArray& xml = test::sampleBookXml())
    {
        XmlDocument doc;
        doc.loadXml(xml);
        return doc;
    }

private slots:
    void accountNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("editing"); // 0: a new account
        QTest::addColumn<int>("expected");
        const int ok = int(NameCheck::Accepted);
        const int dup = int(NameCheck::Duplicate);
        const int empty = int(NameCheck::Empty);
        QTest::newRow("new name") << "Petty Cash" << 0 << ok;
        QTest::newRow("other case") << "cash" << 0 << dup;
        QTest::newRow("blanks around") << "  BANK " << 0 << dup;
        QTest::newRow("apostrophe kept") << "F'ood" << 0 << ok;
        QTest::newRow("accent kept") << QStringLiteral("Sal\u00e9ary") << 0 << ok;
        QTest::newRow("control characters dropped")
            << QStringLiteral("Fo\u0002od\u202e") << 0 << dup;
        QTest::newRow("a tab is a blank") << QStringLiteral("Fo\tod") << 0 << ok;
        QTest::newRow("euro sign and dash")
            << QStringLiteral("Urlaub \u20ac \u2014 2024") << 0 << ok;
        const int tooLong = int(NameCheck::TooLong);
        QTest::newRow("100 characters") << QString(100, QLatin1Char('x')) << 0 << ok;
        QTest::newRow("101 characters") << QString(101, QLatin1Char('x')) << 0 << tooLong;
        QTest::newRow("100 characters, blanks around")
            << QStringLiteral("  ") + QString(100, QLatin1Char('x')) + QStringLiteral(" ") << 0
            << ok;
        QTest::newRow("100 emoji, 200 UTF-16 units")
            << QString::fromUcs4(std::u32string(100, U'\U0001F600').c_str()) << 0 << ok;
        QTest::newRow("101 characters, a rename") << QString(101, QLatin1Char('x')) << 1 << tooLong;
        QTest::newRow("blank") << "   " << 0 << empty;
        QTest::newRow("nothing storable") << QStringLiteral("\t\r\n\u0007") << 0 << empty;
        QTest::newRow("rename") << "Petty Cash" << 1 << ok;
        QTest::newRow("unchanged") << "Cash" << 1 << ok;
        QTest::newRow("unchanged, blanks") << " Cash " << 1 << ok;
        QTest::newRow("case only") << "CASH" << 1 << dup;
        QTest::newRow("another's name") << "bank" << 1 << dup;
    }
    void accountNames()
    {
        QFETCH(QString, typed);
        QFETCH(int, editing);
        QFETCH(int, expected);
        const XmlDocument doc = book();
        QCOMPARE(int(CheckAccountName(doc, typed, editing ? FindAccount(doc, editing) : XmlNode())),
            expected);
    }

    void codesFollowTheHighestCode()
    {
        // An empty book starts at 1; codes continue after the highest even when
        // the heads were reordered by hand; a freed highest code is used again.
        XmlDocument doc = book(QByteArrayLiteral("<Data><AcMaster/><Trans/><Groups/></Data>"));
        QCOMPARE(AddAccountHead(doc, QStringLiteral("Cash")), 1);
        QCOMPARE(AddAccountHead(doc, QStringLiteral("Bank")), 2);
        XmlDocument shuffled
            = book(QByteArrayLiteral("<Data><AcMaster><a Code=\"7\" AcName=\"A\"/><a Code=\"3\" "
                                     "AcName=\"B\"/></AcMaster></Data>"));
        QCOMPARE(AddAccountHead(shuffled, QStringLiteral("C")), 8);
        XmlNode eight = FindAccount(shuffled, 8);
        eight.parent().removeChild(eight);
        QCOMPARE(AddAccountHead(shuffled, QStringLiteral("D")), 8);
        QCOMPARE(FindAccount(shuffled, 8).xml(), QStringLiteral("<a Code=\"8\" AcName=\"D\"/>"));

        XmlNode cash = FindAccount(doc, 1);
        RenameAccount(cash, QStringLiteral("Petty Cash"));
        QCOMPARE(cash.xml(), QStringLiteral("<a Code=\"1\" AcName=\"Petty Cash\"/>"));
        QCOMPARE(FindAccountsByName(doc, QStringLiteral("PETTY cash")).size(), 1);
    }

    void deletionRules()
    {
        XmlDocument doc = book();
        // Bank is in Money; a second group holding it makes the plural message.
        AccountDeletion inOne = CheckAccountDeletion(doc, 2);
        QCOMPARE(inOne.verdict, AccountDeletion::InGroups);
        QCOMPARE(AccountDeletionMessage(inOne),
            QStringLiteral("This Account cannot be deleted because this account is part of "
                           "this group - 'Money'. \r\nYou can remove this account from this "
                           "group and try deleting again"));
        QVERIFY(AccountDeletionTitle(inOne).isEmpty());
        AddGroup(doc, QStringLiteral("Banks"), QStringLiteral(",12,2,"));
        AddGroup(doc, QStringLiteral("Other"), QStringLiteral(",12,"));
        const AccountDeletion inTwo = CheckAccountDeletion(doc, 2);
        QCOMPARE(inTwo.groups, (QStringList {QStringLiteral("Money"), QStringLiteral("Banks")}));
        QCOMPARE(AccountDeletionMessage(inTwo),
            QStringLiteral("This Account cannot be deleted because this account is part of "
                           "these groups - \r\n'Money', 'Banks'.\r\n\r\nYou can remove this "
                           "account from these group and try deleting again"));
        // Salary: only in transactions (as From); a code that is part of another (1 in 12) is no
        // member.
        const AccountDeletion used = CheckAccountDeletion(doc, 3);
        QCOMPARE(used.verdict, AccountDeletion::HasTransactions);
        QCOMPARE(AccountDeletionMessage(used),
            QStringLiteral("Transactions for this account exist. \r\nCheck the transaction "
                           "list report to list the transactions."));
        QCOMPARE(AccountDeletionTitle(used), QStringLiteral("Cannot delete account"));
        const int fresh = AddAccountHead(doc, QStringLiteral("Unused"));
        QCOMPARE(CheckAccountDeletion(doc, fresh).verdict, AccountDeletion::Allowed);
        QVERIFY(AccountDeletionMessage(CheckAccountDeletion(doc, fresh)).isEmpty());
    }

    void groups()
    {
        QCOMPARE(MemberList({3, 1, 7}), QStringLiteral(",3,1,7,"));
        QCOMPARE(MemberList({}), QStringLiteral(","));
        QCOMPARE(MemberCodes(QStringLiteral(",3,1,7,")), (QList<int> {3, 1, 7}));
        QCOMPARE(MemberCodes(QStringLiteral(",,x,5,")), (QList<int> {5}));
        QVERIFY(MemberCodes(QStringLiteral(",")).isEmpty());

        XmlDocument doc = book();
        XmlNode added = AddGroup(doc, QStringLiteral("Day to day"), MemberList({4, 1}));
        QCOMPARE(added.xml(), QStringLiteral("<Group gi=\",4,1,\">Day to day</Group>"));
        QCOMPARE(FindGroup(doc, QStringLiteral("Day to day")), added);
        QVERIFY(FindGroup(doc, QStringLiteral("day to day")).isNull());
        QCOMPARE(int(CheckGroupName(doc, QStringLiteral("MONEY"))), int(NameCheck::Duplicate));
        QCOMPARE(int(CheckGroupName(doc, QStringLiteral("Mon'ey"))), int(NameCheck::Accepted));
        QCOMPARE(
            int(CheckGroupName(doc, QStringLiteral("Mon\u200eey"))), int(NameCheck::Duplicate));
        QCOMPARE(int(CheckGroupName(doc, QStringLiteral("Day to day"), added)),
            int(NameCheck::Accepted));
        QCOMPARE(int(CheckGroupName(doc, QStringLiteral("DAY TO DAY"), added)),
            int(NameCheck::Duplicate));
        QCOMPARE(
            int(CheckGroupName(doc, QStringLiteral("money"), added)), int(NameCheck::Duplicate));
        UpdateGroup(added, QStringLiteral("Daily"), MemberList({}));
        QCOMPARE(added.xml(), QStringLiteral("<Group gi=\",\">Daily</Group>"));
    }
};

QTEST_GUILESS_MAIN(TstMasterEdits)
#include "tst_masteredits.moc"
