#include <QtTest>

#include "TestSupport.h"
#include "engine/ReportEngine.h"
#include "store/ClsAX.h"
#include "tool/Tool.h"

using namespace qb;
using namespace qb::test;

namespace {

struct Run
{
    int rc = -1;
    QString out;
    QString err;
};

Run report(const QStringList& args)
{
    Run r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.rc = RunQbtool(QStringList {QStringLiteral("report")} + args, out, err);
    return r;
}

} // namespace

class TstReportCommand : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(writeDataFile(m_env.path(QStringLiteral("book.qbf")), sampleBookXml()));
        XmlDocument locked;
        QVERIFY(locked.loadXml(sampleBookXml()));
        locked.selectSingleNode(QStringLiteral("/Data/PValue"))
            .setText(
                PasswordDigest(QStringLiteral("secret") + QStringLiteral("ABCDEFGHIJKLMNOPQRST")));
        QVERIFY(writeDataFile(m_env.path(QStringLiteral("locked.qbf")), locked.toBytes()));
    }

    void writesThePageAsAWindowShowsIt()
    {
        const Run r = report({m_env.path(QStringLiteral("book.qbf")), QStringLiteral("Pipeline"),
            QStringLiteral("--var"), QStringLiteral("ToDate=20131231"), QStringLiteral("--child"),
            QStringLiteral("2:2=20130101"), QStringLiteral("--var"), QStringLiteral("AcCode=4"),
            QStringLiteral("--var"), QStringLiteral("Label='Food & more'"),
            QStringLiteral("--date-order"), QStringLiteral("yyyy/mm/dd"), QStringLiteral("--title"),
            QStringLiteral("Food")});
        QVERIFY2(r.rc == 0, qPrintable(r.err));
        QVERIFY(r.out.startsWith(ReportStyleHead()));
        XmlDocument page;
        QVERIFY(page.loadXml(r.out));
        QCOMPARE(page.evaluate(QStringLiteral("string(//DIV)")), QStringLiteral("Food"));
        QCOMPARE(page.selectNodes(QStringLiteral("//TR")).size(), 2);
        QCOMPARE(
            page.evaluate(QStringLiteral("string(//TR[2]/TD[1])")), QStringLiteral("2013-02-01"));
        QCOMPARE(page.evaluate(QStringLiteral("string(//P)")), QStringLiteral("Food & more"));
    }

    void writesTheResultDocumentToAFile()
    {
        const QString out = m_env.path(QStringLiteral("result.xml"));
        const Run r = report({m_env.path(QStringLiteral("book.qbf")), QStringLiteral("Pipeline"),
            QStringLiteral("--document"), QStringLiteral("-o"), out, QStringLiteral("--var"),
            QStringLiteral("FromDate=20130101"), QStringLiteral("--var"),
            QStringLiteral("ToDate=20130131"), QStringLiteral("--var"), QStringLiteral("AcCode=1"),
            QStringLiteral("--date-value-of"), QStringLiteral("1"), QStringLiteral("--date-order"),
            QStringLiteral("mm/dd/yyyy")});
        QVERIFY2(r.rc == 0, qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        XmlDocument result;
        QVERIFY(result.loadXml(file.readAll()));
        QCOMPARE(result.documentElement().name(), QStringLiteral("HTML"));
        QVERIFY(result.selectSingleNode(QStringLiteral("/HTML/HEAD")).isNull()); // no style head
        QCOMPARE(
            result.evaluate(QStringLiteral("string(//DIV)")), QStringLiteral("[*[REPORTTILE]*]"));
        QCOMPARE(
            result.evaluate(QStringLiteral("string(//TR[1]/TD[1])")), QStringLiteral("01-10-2013"));
    }

    void templatesByPath()
    {
        const QString source = QStringLiteral(QB_TEST_SOURCE_DIR "/Pipeline.xsl");
        const Run plain = report({m_env.path(QStringLiteral("book.qbf")), source,
            QStringLiteral("--var"), QStringLiteral("Label='x'")});
        QVERIFY2(plain.rc == 0, qPrintable(plain.err));
        QVERIFY(plain.out.contains(QStringLiteral("<P>x</P>")));
        const Run packed = report({m_env.path(QStringLiteral("book.qbf")),
            ReportTemplatePath(QStringLiteral("Pipeline"))});
        QCOMPARE(packed.rc, 0);
        QCOMPARE(packed.out,
            report({m_env.path(QStringLiteral("book.qbf")), QStringLiteral("Pipeline")}).out);
    }

    void protectedBooksNeedThePassword()
    {
        const QString locked = m_env.path(QStringLiteral("locked.qbf"));
        Run r = report({locked, QStringLiteral("Pipeline")});
        QCOMPARE(r.rc, 3);
        QVERIFY(r.err.contains(QStringLiteral("protected by a password")));
        r = report({locked, QStringLiteral("Pipeline"), QStringLiteral("--password"),
            QStringLiteral("wrong")});
        QCOMPARE(r.rc, 3);
        QVERIFY(r.err.contains(QStringLiteral("wrong password")));
        r = report({locked, QStringLiteral("Pipeline"), QStringLiteral("--password"),
            QStringLiteral("secret")});
        QCOMPARE(r.rc, 0);
        QVERIFY(r.out.contains(QStringLiteral("<TABLE/>")));
    }

    void failuresAreClear()
    {
        const QString book = m_env.path(QStringLiteral("book.qbf"));
        Run r = report({book, QStringLiteral("Nothing")});
        QCOMPARE(r.rc, 3);
        QVERIFY(r.err.contains(QStringLiteral("no template named Nothing")));

        r = report({book, QStringLiteral("Pipeline"), QStringLiteral("--var"),
            QStringLiteral("GroupString='0'")});
        QCOMPARE(r.rc, 4);
        QVERIFY(r.err.contains(QStringLiteral("the template has no variable GroupString")));
        QVERIFY(r.out.isEmpty());

        r = report(
            {book, QStringLiteral("Pipeline"), QStringLiteral("--child"), QStringLiteral("9:1=0")});
        QCOMPARE(r.rc, 4);
        QVERIFY(r.err.contains(QStringLiteral("no child element 9")));

        r = report({book, QStringLiteral("Pipeline"), QStringLiteral("--var"),
            QStringLiteral("AcCode=1"), QStringLiteral("--var"), QStringLiteral("ToDate=20131231"),
            QStringLiteral("--var"), QStringLiteral("Label=concat(")});
        QCOMPARE(r.rc, 4);
        QVERIFY(r.err.contains(QStringLiteral("the transformation failed")));

        QFile plain(m_env.path(QStringLiteral("plain.qbf")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write(sampleBookXml()); // not enciphered
        plain.close();
        r = report({plain.fileName(), QStringLiteral("Pipeline")});
        QCOMPARE(r.rc, 3);
        QVERIFY(r.err.contains(QStringLiteral("not a Quillbrook data file")));

        r = report({m_env.path(QStringLiteral("missing.qbf")), QStringLiteral("Pipeline")});
        QCOMPARE(r.rc, 3);
        QVERIFY(r.err.contains(QStringLiteral("no such file")));

        r = report({book, QStringLiteral("Pipeline"), QStringLiteral("-o"),
            m_env.path(QStringLiteral("no/such/dir/out.html"))});
        QCOMPARE(r.rc, 3);
        QVERIFY(r.err.contains(QStringLiteral("could not be written")));
    }

    void usage()
    {
        const QString book = m_env.path(QStringLiteral("book.qbf"));
        QCOMPARE(report({book}).rc, 2);
        QCOMPARE(report({book, QStringLiteral("Pipeline"), QStringLiteral("--var"),
                            QStringLiteral("novalue")})
                     .rc,
            2);
        QCOMPARE(report({book, QStringLiteral("Pipeline"), QStringLiteral("--child"),
                            QStringLiteral("0:1=x")})
                     .rc,
            2);
        QCOMPARE(report({book, QStringLiteral("Pipeline"), QStringLiteral("--date-order"),
                            QStringLiteral("d/m/y")})
                     .rc,
            2);
        QCOMPARE(report({book, QStringLiteral("Pipeline"), QStringLiteral("--title")}).rc, 2);
        const Run unknown
            = report({book, QStringLiteral("Pipeline"), QStringLiteral("--frobnicate")});
        QCOMPARE(unknown.rc, 2);
        QVERIFY(unknown.err.contains(QStringLiteral("unknown option --frobnicate")));
        const Run help = report({QStringLiteral("--help")});
        QCOMPARE(help.rc, 0);
        QVERIFY(help.out.startsWith(QStringLiteral("Usage: qbtool report")));
    }

private:
    TempEnv m_env;
};

QTEST_GUILESS_MAIN(TstReportCommand)
#include "tst_reportcommand.moc"
