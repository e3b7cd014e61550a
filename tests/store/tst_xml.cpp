#include <QtTest>

#include "store/Xml.h"

using namespace qb;
using namespace Qt::StringLiterals;

class TstXml : public QObject
{
    Q_OBJECT
private slots:
    void parseSelectAndSerialize()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray("<Data><Trans><t No=\"1\" dt=\"20130105\">12.5</t>"
                                       "<t No=\"2\" dt=\"20130105\">3</t></Trans></Data>")));
        QCOMPARE(doc.selectNodes(QStringLiteral("/Data/Trans/t[@dt>=20130101]")).size(), 2);
        XmlNode last = doc.selectSingleNode(
            QStringLiteral("/Data/Trans/t[@dt=20130105][position()=last()]"));
        QCOMPARE(last.attributeValue(0), QStringLiteral("2"));
        QCOMPARE(last.attributeName(1), QStringLiteral("dt"));
        QCOMPARE(doc.evaluate(QStringLiteral("sum(/Data/Trans/t)")), QStringLiteral("15.5"));
        QVERIFY(doc.selectSingleNode(QStringLiteral("/Data/Nothing")).isNull());
        QVERIFY(doc.selectNodes(QStringLiteral("][ not xpath")).isEmpty());
    }

    // The hostile-file pre-pass allows 256 attributes on one element and
    // refuses 257; an equals sign inside a value is no attribute.
    void attributesPerElementAreLimited_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("256") << 256 << QByteArray("v") << true;
        QTest::newRow("256, equals signs in values") << 256 << QByteArray("a=b='c'") << true;
        QTest::newRow("257") << 257 << QByteArray("v") << false;
        QTest::newRow("2561") << 2561 << QByteArray("v") << false;
    }
    void attributesPerElementAreLimited()
    {
        QFETCH(int, count);
        QFETCH(QByteArray, value);
        QFETCH(bool, accepted);
        QByteArray text = "<Data><a";
        for (int i = 0; i < count; ++i)
            text += " x" + QByteArray::number(i) + "=\"" + value + "\"";
        text += "/></Data>";
        XmlDocument doc;
        Error error;
        QCOMPARE(doc.loadXml(text, &error), accepted);
        if (accepted)
            QCOMPARE(doc.selectSingleNode(QStringLiteral("/Data/a")).attributeCount(), count);
        else
            QVERIFY(error.description.contains(QStringLiteral("more than 256 attributes")));
    }

    void textAndAttributesAreEscapedNotParsed()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray("<Data/>")));
        XmlNode root = doc.documentElement();
        XmlNode n = root.appendChild(root.createElement(QStringLiteral("n")));
        n.setText(QStringLiteral("a < b & \"c\" &amp;"));
        n.setAttribute(QStringLiteral("Nar"), QStringLiteral("x&y<z\"\\"));
        XmlDocument again;
        QVERIFY(again.loadXml(doc.toBytes()));
        XmlNode m = again.selectSingleNode(QStringLiteral("/Data/n"));
        QCOMPARE(m.text(), QStringLiteral("a < b & \"c\" &amp;"));
        QCOMPARE(m.attribute(QStringLiteral("Nar")), QStringLiteral("x&y<z\"\\"));
    }

    // Whatever a caller passes, the document only ever holds what XML 1.0
    // allows: the serialized book parses again and holds the text without
    // the characters it cannot hold.
    void textsKeepToTheCharactersXmlAllows_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("stored");
        QTest::newRow("fine as it is: blanks, tab, line breaks, euro, emoji") << QString::fromUcs4(
            U"a\tb\nc\rd \u20ac\U0001F600") << QString::fromUcs4(U"a\tb\nc\rd \u20ac\U0001F600");
        QTest::newRow("C0 controls, first and last")
            << QStringLiteral("\u0001x\u0002y\u001f") << QStringLiteral("xy");
        QTest::newRow("nul") << QStringLiteral("a") + QChar(0) + QStringLiteral("b")
                             << QStringLiteral("ab");
        QTest::newRow("U+FFFE and U+FFFF, U+FFFD kept")
            << QStringLiteral("\ufffe1\uffff2\ufffd") << QStringLiteral("12\ufffd");
        QTest::newRow("lone surrogates, a pair kept") << QChar(0xDC00) + QStringLiteral("a")
                + QChar(0xD83D) + QStringLiteral("b") + QChar(0xD83D) + QChar(0xDE00)
                + QChar(0xD800) << QStringLiteral("ab") + QChar(0xD83D) + QChar(0xDE00);
    }
    void textsKeepToTheCharactersXmlAllows()
    {
        QFETCH(QString, given);
        QFETCH(QString, stored);
        QCOMPARE(XmlCharsOnly(given), stored);
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray("<Data><t a=\"\"/></Data>")));
        XmlNode t = doc.selectSingleNode(QStringLiteral("/Data/t"));
        t.setAttribute(QStringLiteral("a"), given);
        t.setAttribute(QStringLiteral("b"), given);
        QVERIFY(t.setAttributeValue(0, given));
        t.setText(given);
        const QByteArray bytes = doc.toBytes();
        Error error;
        QVERIFY2(XmlDocument::isWellFormed(bytes, &error), qPrintable(error.description));
        XmlDocument again;
        QVERIFY(again.loadXml(bytes));
        const XmlNode back = again.selectSingleNode(QStringLiteral("/Data/t"));
        QCOMPARE(back.attribute(QStringLiteral("a")), stored);
        QCOMPARE(back.attribute(QStringLiteral("b")), stored);
        QCOMPARE(back.text(), stored);
    }

    void serializationStaysWithinSevenBits()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray("<Data a=\"caf\xe9\">\xe9</Data>")));
        const QByteArray bytes = doc.toBytes();
        for (char c : bytes)
            QVERIFY(static_cast<unsigned char>(c) < 128);
        XmlDocument again;
        QVERIFY(again.loadXml(bytes));
        QCOMPARE(again.documentElement().text(), QString(QChar(0xe9)));
    }

    void attributeOrderKeptWhenReplaced()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray("<t No=\"1\" dt=\"2\" fAc=\"3\"/>")));
        XmlNode t = doc.documentElement();
        t.setAttribute(QStringLiteral("dt"), 20200101);
        QVERIFY(t.setAttributeValue(0, QStringLiteral("9")));
        QCOMPARE(t.attributeCount(), 3);
        QCOMPARE(t.attributeName(1), QStringLiteral("dt"));
        QCOMPARE(t.attributeValue(1), QStringLiteral("20200101"));
        QCOMPARE(t.attributeValue(0), QStringLiteral("9"));
        QVERIFY(t.attributeValue(7).isEmpty());
        QVERIFY(!t.setAttributeValue(7, QStringLiteral("x")));
    }

    void insertRemoveClone()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray("<r><a/><b/></r>")));
        XmlNode root = doc.documentElement();
        root.insertBefore(root.createElement(QStringLiteral("x")), root.childElement(1));
        QCOMPARE(root.childElement(1).name(), QStringLiteral("x"));
        XmlNode copy = root.childElement(0).clone();
        root.appendChild(copy);
        root.removeChild(root.childElement(0));
        QCOMPARE(root.xml(), QStringLiteral("<r><x/><b/><a/></r>"));
    }

    void brokenTextLeavesDocumentEmptyWithError()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray("<ok/>")));
        Error e;
        QVERIFY(!doc.loadXml(QByteArray("<Data><unclosed></Data>"), &e));
        QVERIFY(doc.isNull());
        QVERIFY(e.isSet());
        QVERIFY(!doc.loadXml(QByteArray(), &e));
    }

    void transformWithRegisteredPrefix()
    {
        XmlDocument style;
        QVERIFY(style.loadXml(QByteArray("<xsl:stylesheet version=\"1.0\" "
                                         "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                                         "<xsl:output method=\"xml\" omit-xml-declaration=\"yes\"/>"
                                         "<xsl:variable name=\"AcCode\" select=\"0\"/>"
                                         "<xsl:template match=\"/\"><HTML><xsl:value-of "
                                         "select=\"sum(//t[@fAc=$AcCode])\"/></HTML></xsl:template>"
                                         "</xsl:stylesheet>"),
            nullptr, XmlDocument::DropBlanks));
        style.registerNamespace(
            QStringLiteral("xsl"), QStringLiteral("http://www.w3.org/1999/XSL/Transform"));
        XmlNode var = style.selectSingleNode(QStringLiteral("//xsl:variable[@name='AcCode']"));
        QVERIFY(!var.isNull());
        var.setAttribute(QStringLiteral("select"), QStringLiteral("2"));

        XmlDocument data;
        QVERIFY(data.loadXml(
            QByteArray("<Data><t fAc=\"2\">4</t><t fAc=\"2\">1.5</t><t fAc=\"1\">9</t></Data>")));
        QString out;
        Error e;
        QVERIFY(style.transformToText(data.documentElement(), &out, &e));
        QCOMPARE(out.trimmed(), QStringLiteral("<HTML>5.5</HTML>"));
        // The template document keeps its edited variable after compiling.
        QCOMPARE(style.selectSingleNode(QStringLiteral("//xsl:variable"))
                     .attribute(QStringLiteral("select")),
            QStringLiteral("2"));
        XmlDocument result;
        QVERIFY(style.transformToDocument(data.documentElement(), &result, &e));
        QCOMPARE(result.documentElement().name(), QStringLiteral("HTML"));
    }

    void brokenStylesheetReportsError()
    {
        XmlDocument style;
        QVERIFY(style.loadXml(QByteArray("<notxsl/>")));
        XmlDocument data;
        QVERIFY(data.loadXml(QByteArray("<Data/>")));
        QString out;
        Error e;
        QVERIFY(!style.transformToText(data.documentElement(), &out, &e));
        QVERIFY(e.isSet());
    }

    void childElementsByAttributeAndCopies()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray(
            "<Trans><t dt=\"1\" fAc=\"7\" tAc=\"2\"/><x dt=\"7\"/>"
            "<t dt=\"2\" fAc=\"3\" tAc=\"7\"/><t dt=\"7&amp;\" fAc=\"17\"/>text</Trans>")));
        const XmlNode root = doc.documentElement();
        const QList<XmlNode> found = root.childElementsWithAttribute(
            {QStringLiteral("fAc"), QStringLiteral("tAc")}, QStringLiteral("7"));
        QCOMPARE(found.size(), 2);
        QCOMPARE(found.at(1).attribute(QStringLiteral("dt")), QStringLiteral("2"));
        // Values with entity references compare by their text.
        QCOMPARE(
            root.childElementsWithAttribute({QStringLiteral("dt")}, QStringLiteral("7&")).size(),
            1);
        // A name not in the document at all finds nothing.
        QVERIFY(root.childElementsWithAttribute({QStringLiteral("nothere")}, QStringLiteral("7"))
                    .isEmpty());

        XmlDocument other;
        QVERIFY(other.loadXml(QByteArray("<Data/>")));
        XmlNode copy = other.documentElement().appendCopy(found.at(0));
        QCOMPARE(copy.xml(), QStringLiteral("<t dt=\"1\" fAc=\"7\" tAc=\"2\"/>"));
        QCOMPARE(root.childElements().size(), 4); // the original stays
    }

    // The walk lends each child's named attributes in the order asked, in
    // any order in the element, missing ones empty; an attribute the program
    // added, a value with an entity and text in pieces read as written.
    void visitLendsNamedAttributes()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray("<Trans><t Nar=\"a&amp;b\" dt=\"1\" No=\"4\">1<!--c-->2</t>"
                                       "text<t No=\"5\"/></Trans>")));
        XmlNode added = doc.createElement(QStringLiteral("t"));
        added.setAttribute(QStringLiteral("dt"), QStringLiteral("9"));
        added.setAttribute(QStringLiteral("zz"), QStringLiteral("-"));
        added.setText(QStringLiteral("3.5"));
        doc.documentElement().appendChild(added);
        QStringList seen;
        doc.documentElement().visitChildElements({"No", "dt", "Nar", "nothere"},
            [&seen](const QList<QByteArrayView>& values, QByteArrayView text) {
                QStringList row;
                for (const QByteArrayView v : values)
                    row << QString::fromUtf8(v);
                seen << row.join(QLatin1Char('|')) + QLatin1Char('>') + QString::fromUtf8(text);
            });
        QCOMPARE(seen, QStringList({u"4|1|a&b|>12"_s, u"5|||>"_s, u"|9||>3.5"_s}));
    }

    void styleSheetWithErrorsIsRefusedEvenUnused()
    {
        XmlDocument style;
        QVERIFY(style.loadXml(QByteArray(
            "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
            "<xsl:template match=\"/\"><x/></xsl:template>"
            "<xsl:template match=\"never\"><xsl:value-of select=\"][\"/></xsl:template>"
            "</xsl:stylesheet>")));
        XmlDocument data;
        QVERIFY(data.loadXml(QByteArray("<Data/>")));
        QString out;
        Error e;
        QVERIFY(!style.transformToText(data.documentElement(), &out, &e));
        QVERIFY(e.isSet());
    }

    void xpathLiteralQuotes()
    {
        QCOMPARE(XPathLiteral(QStringLiteral("ab")), QStringLiteral("'ab'"));
        QCOMPARE(XPathLiteral(QStringLiteral("a'b")), QStringLiteral("\"a'b\""));
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray("<r><g>a'b\"c</g></r>")));
        QVERIFY(!doc.selectSingleNode(QStringLiteral("//g[.=")
                        + XPathLiteral(QStringLiteral("a'b\"c")) + QLatin1Char(']'))
                     .isNull());
    }
};

QTEST_GUILESS_MAIN(TstXml)
#include "tst_xml.moc"
