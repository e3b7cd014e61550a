#include <QtTest>

#include "ReportEngine.h"
#include "TestSupport.h"
#include "Xml.h"

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
    page += QStringLiteral("<TR><TD><TABLE><TR><TD class=\"in out Amount\">0.05</TD></TR></TABLE></TD>"
                           "<TD id=\"intotal\" class=\"GrandTotalAmount\"></TD></TR></TABLE></BODY></HTML>");
    XmlDocument doc;
    doc.loadXml(page);
    return doc;
}

} // namespace

class TstTransSummary : public QObject
{
    Q_OBJECT

private slots:
    void sumColAddsOneColumn_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QStringList>("counted");
        // The nested cell "in out Amount" 0.05 belongs to all three columns.
        QTest::newRow("in") << "'in'" << "1258.05"
                            << QStringList{u"1250.5"_s, u"0.20"_s, u"7"_s, u"0.3"_s, u"0.05"_s};
        QTest::newRow("out") << "'out'" << "1300.3" << QStringList{u"0.10"_s, u"1300.15"_s, u"0.05"_s};
        QTest::newRow("Amount") << "'Amount'" << "2548"
                                << QStringList{u"1250.5"_s, u"0.10"_s, u"0.20"_s, u"1300.15"_s, u"-3"_s, u"0.05"_s};
        QTest::newRow("no such column") << "'Total'" << "0" << QStringList{};
    }

    void sumColAddsOneColumn()
    {
        QFETCH(QString, column);
        QFETCH(QString, total);
        QFETCH(QStringList, counted);
        // Words of the class count, not parts of words; grouped, empty and
        // padded figures: only the plain decimals are added.
        const XmlDocument page = pageOfCells({
            {u"Amount in"_s, u"1250.5"_s}, {u"Amount out"_s, u"0.10"_s}, {u"Amount in"_s, u"0.20"_s},
            {u"  out   Amount "_s, u"1300.15"_s}, {u"Amount"_s, u"-3"_s}, {u"input"_s, u"999"_s}, {u"inout"_s, u"5"_s},
            {u"in"_s, u"1,000.00"_s}, {u"in"_s, u""_s}, {u"in"_s, u" 7 "_s}, {u"in"_s, u"0.3"_s}, {u"Amount"_s, u"12.5 CR"_s},
        });
                QVERIFY(!page.isNull());

        ReportTemplate sumCol;
        QVERIFY(sumCol.load(QStringLiteral("sumCol")));
        // The column goes into the second attribute of the root's second child.
        QVERIFY(sumCol.setChildAttribute(1, 1, column));
        const QStringList lines = sumCol.TransformNode(page.documentElement()).split(QLatin1Char('\n'));
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
