#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTextTable>
#include <QtTest>

#include "WidgetTestSupport.h"
#include "engine/ReportPage.h"
#include "windows/HtmlView.h"

using namespace qb;
using namespace qb::test;

namespace {

class PdfPrintDialogs final : public PrintDialogs
{
public:
    explicit PdfPrintDialogs(QString file, bool accept)
        : m_file(std::move(file))
        , m_accept(accept)
    {
        PrintDialogs::install(this);
    }
    ~PdfPrintDialogs() override { PrintDialogs::install(nullptr); }
    bool setup(QPrinter* printer, QWidget*) override
    {
        ++asked;
        resolution = printer->resolution();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(m_file);
        return m_accept;
    }
    int asked = 0;
    int resolution = 0;

private:
    QString m_file;
    bool m_accept;
};

QString bigPage(int rows)
{
    QString page = QStringLiteral("<HTML><BODY><TABLE>");
    for (int i = 1; i <= rows; ++i)
        page += QStringLiteral(
            "<TR id=\"id%1\"><TD class=\"text\">row %1</TD><TD class=\"Amount\">%2</TD></TR>")
                    .arg(i)
                    .arg(i * 3);
    page += QStringLiteral("</TABLE></BODY></HTML>");
    return page;
}

} // namespace

class TstHtmlView : public QObject
{
    Q_OBJECT
private slots:
    void linksCarryTheHrefAsWritten()
    {
        HtmlView view;
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QStringList seen;
        connect(&view, &HtmlView::beforeNavigate, &view, [&](const QString& href, bool* cancel) {
            seen.append(href);
            *cancel = true;
        });
        const QString one = QString(QChar(1));
        view.writePage(QStringLiteral("<HTML><BODY><P>"
                                      "<A href=\"[*[date]*]20130105\">Alpha</A> "
                                      "<A href=\"Sales:Team\">Bravo</A> "
                                      "<A href=\"50% share\">Charlie</A> "
                                      "<A href=\"about:blank12\">Delta</A> "
                                      "<A href=\"1")
            + one + QStringLiteral("2\">Echo</A> plain</P></BODY></HTML>"));
        const QStringList names = {QStringLiteral("Alpha"), QStringLiteral("Bravo"),
            QStringLiteral("Charlie"), QStringLiteral("Delta"), QStringLiteral("Echo")};
        for (const QString& name : names)
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, pointOfText(&view, name));
        QCOMPARE(seen,
            QStringList({QStringLiteral("[*[date]*]20130105"), QStringLiteral("Sales:Team"),
                QStringLiteral("50% share"), QStringLiteral("about:blank12"),
                QStringLiteral("1") + one + QStringLiteral("2")}));

        // Text that is no link, and a press and release on different links, raise nothing.
        seen.clear();
        QTest::mouseClick(
            view.viewport(), Qt::LeftButton, {}, pointOfText(&view, QStringLiteral("plain")));
        QTest::mousePress(
            view.viewport(), Qt::LeftButton, {}, pointOfText(&view, QStringLiteral("Alpha")));
        QTest::mouseRelease(
            view.viewport(), Qt::LeftButton, {}, pointOfText(&view, QStringLiteral("Bravo")));
        QTest::mouseClick(
            view.viewport(), Qt::RightButton, {}, pointOfText(&view, QStringLiteral("Alpha")));
        QVERIFY(seen.isEmpty());

        // Keyboard: Tab chooses the first link, Enter activates it.
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_Tab);
        QTest::keyClick(&view, Qt::Key_Tab);
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(seen, QStringList({QStringLiteral("Sales:Team")}));
        // The page stays; nothing was navigated to.
        QVERIFY(view.toPlainText().contains(QStringLiteral("Charlie")));
        QVERIFY(view.source().isEmpty());
    }

    void millimetresBecomePixelsOnlyInStyles()
    {
        HtmlView view;
        const QString page = QStringLiteral(
            "<HTML><HEAD><style type=\"text/css\">.p {padding-left:10mm;}</style></HEAD><BODY>"
            "<TABLE><TR><TD class=\"p\">bolt 10mm</TD><TD "
            "style=\"padding-left:5mm\">x</TD></TR></TABLE>"
            "</BODY></HTML>");
        view.writePage(page);
        QCOMPARE(view.pageText(), page);
        QVERIFY(view.toPlainText().contains(QStringLiteral("bolt 10mm")));
        const double dpi = view.logicalDpiX();
        QTextCursor c(view.document());
        c.setPosition(view.document()->find(QStringLiteral("bolt")).selectionStart());
        QTextTable* table = c.currentTable();
        QVERIFY(table);
        const auto left = [&](int column) {
            return table->cellAt(0, column).format().toTableCellFormat().leftPadding();
        };
        QCOMPARE(left(0), double(qRound(10 * dpi / 25.4)));
        QCOMPARE(left(1), double(qRound(5 * dpi / 25.4)));
    }

    void focusScrollsTheRowIntoView()
    {
        HtmlView view;
        view.resize(500, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QString page = bigPage(10000);
        QElapsedTimer written;
        written.start();
        ShowReportHtml(&view, page);
        qInfo("10000 rows written in %lld ms", written.elapsed());
        QVERIFY(page.startsWith(ReportStyleHead()));

        // A long page comes in pieces: a row that is not there yet is
        // focused when it arrives, and a later request replaces it.
        QVERIFY(!view.isComplete());
        QVERIFY(view.focusElement(QStringLiteral("id9990")));
        QVERIFY(view.focusElement(QStringLiteral("id9000")));
        QTRY_COMPARE(view.textCursor().block().text(), QStringLiteral("row 9000"));
        // Rows far below the one shown wait for the reader (or the printer).
        QVERIFY(!view.isComplete());
        view.finishPage();
        QVERIFY(view.verticalScrollBar()->value() > 0);
        // The parts added later got the first part's column widths in their text.
        const QList<QTextFrame*> parts = view.document()->rootFrame()->childFrames();
        QCOMPARE(parts.size(), 67); // 10,000 rows in parts of 150
        auto secondCellLeft = [&](QTextFrame* part) {
            auto* table = qobject_cast<QTextTable*>(part);
            const QTextBlock block
                = table->cellAt(table->rows() - 1, 1).firstCursorPosition().block();
            return view.document()->documentLayout()->blockBoundingRect(block).left();
        };
        QCOMPARE(secondCellLeft(parts.last()), secondCellLeft(parts.first()));
        QCOMPARE(secondCellLeft(parts.at(33)), secondCellLeft(parts.first()));
        const QRect row = view.cursorRect();
        QVERIFY(view.viewport()->rect().contains(row));
        QTextCursor cursor = view.textCursor();
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QCOMPARE(cursor.selectedText(), QStringLiteral("row 9000"));

        QVERIFY(view.focusElement(QStringLiteral("id9990")));
        QCOMPARE(view.textCursor().block().text(), QStringLiteral("row 9990"));
        QVERIFY(view.viewport()->rect().contains(view.cursorRect()));
        QVERIFY(view.focusElement(QStringLiteral("id1")));
        QVERIFY(view.verticalScrollBar()->value() < 20);
        QVERIFY(view.viewport()->rect().contains(view.cursorRect()));
        QVERIFY(!view.focusElement(QStringLiteral("id10001")));
        QVERIFY(!view.focusElement(QString()));
    }

    // A long page gets its rows as the reader pages towards them: a few
    // screens ahead, never the whole page unasked; printing completes it.
    void longPagesGrowAsTheReaderPagesDown()
    {
        HtmlView view;
        view.resize(500, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto rowsIn = [&] {
            int rows = 0;
            for (QTextFrame* frame : view.document()->rootFrame()->childFrames()) {
                if (auto* table = qobject_cast<QTextTable*>(frame))
                    rows += table->rows();
            }
            return rows;
        };
        view.writePage(bigPage(20000));
        QTest::qWait(300);
        const int first = rowsIn();
        QVERIFY2(first > 30 && first < 1000, qPrintable(QString::number(first)));
        QScrollBar* bar = view.verticalScrollBar();
        for (int page = 0; page < 60; ++page) {
            QTest::keyClick(&view, Qt::Key_PageDown);
            QTest::qWait(5);
        }
        QTRY_VERIFY(rowsIn() > first);
        // Rows are ready below the screen before the reader gets there.
        QTRY_VERIFY(bar->maximum() - bar->value() > view.viewport()->height());
        QVERIFY(bar->value() > 0);
        QVERIFY(!view.isComplete());
        QVERIFY(rowsIn() < 5000);
        view.finishPage();
        QCOMPARE(rowsIn(), 20000);
    }

    // Long tables are cut into tables of a few hundred rows that keep the
    // first part's column widths; ids, links and nested tables still work
    // across the cuts.
    void longTablesAreCutKeepingColumnsAndIds()
    {
        HtmlView view;
        view.resize(700, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QStringList hrefs;
        connect(&view, &HtmlView::beforeNavigate, &view, [&](const QString& href, bool* cancel) {
            hrefs.append(href);
            *cancel = true;
        });
        QString page = QStringLiteral(
            "<HTML><BODY><TABLE width=\"100%\"><TR><TH>No</TH><TH>Name</TH><TH>Sum</TH></TR>");
        for (int i = 1; i <= 1000; ++i) {
            page += QStringLiteral(
                "<TR id=\"r%1\"><TD>n%1</TD><TD><A href=\"Sales:Team %1\">name %1</A></TD>"
                "<TD id=\"c%1\" class=\"Amount\">s%1</TD></TR>")
                        .arg(i);
            if (i == 700)
                page += QStringLiteral(
                    "<TR><TD><TABLE><TR "
                    "id=\"inner\"><TD>nested</TD></TR></TABLE></TD><TD>x</TD><TD>y</TD></TR>");
        }
        page += QStringLiteral("</TABLE><P id=\"after\">after the table</P></BODY></HTML>");
        ShowReportHtml(&view, page);
        QVERIFY(view.isComplete()); // a page of this size is built at once

        QList<QTextTable*> tables;
        for (QTextFrame* frame : view.document()->rootFrame()->childFrames()) {
            if (auto* table = qobject_cast<QTextTable*>(frame))
                tables.append(table);
        }
        QCOMPARE(tables.size(), 4); // 1001 + 1 rows in parts of 300
        QCOMPARE(tables.first()->rows() + tables.at(1)->rows() + tables.at(2)->rows()
                + tables.at(3)->rows(),
            1002);
        // Every part has the columns of the first.
        auto cellLeft = [&](QTextTable* table, int column) {
            const QTextBlock block
                = table->cellAt(table->rows() - 1, column).firstCursorPosition().block();
            return view.document()->documentLayout()->blockBoundingRect(block).left();
        };
        for (int column = 0; column < 3; ++column) {
            for (QTextTable* table : tables)
                QCOMPARE(cellLeft(table, column), cellLeft(tables.first(), column));
        }

        auto focused = [&] { return view.textCursor().block().text(); };
        const struct
        {
            const char* id;
            const char* text;
        } ids[] = {{"r1", "n1"}, {"r299", "n299"}, {"r300", "n300"}, {"r301", "n301"},
            {"c650", "s650"}, {"inner", "nested"}, {"r701", "n701"}, {"c1000", "s1000"}};
        for (const auto& expected : ids) {
            QVERIFY2(view.focusElement(QLatin1String(expected.id)), expected.id);
            QCOMPARE(focused(), QLatin1String(expected.text));
            QVERIFY(view.viewport()->rect().contains(view.cursorRect()));
        }
        QVERIFY(view.focusElement(QStringLiteral("after")));
        QVERIFY(!view.focusElement(QStringLiteral("r1001")));

        // Links in a later part carry their href as written.
        QVERIFY(view.focusElement(QStringLiteral("r950")));
        QTest::mouseClick(
            view.viewport(), Qt::LeftButton, {}, pointOfText(&view, QStringLiteral("name 950")));
        QCOMPARE(hrefs, QStringList {QStringLiteral("Sales:Team 950")});
    }

    // A new page, or blank(), stops a page still being built; printing
    // first adds what is missing.
    void newPagesStopTheBuildAndPrintingWaitsForIt()
    {
        HtmlView view;
        view.resize(500, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        int completed = 0;
        connect(&view, &HtmlView::pageComplete, &view, [&] { ++completed; });
        view.writePage(bigPage(20000));
        QVERIFY(!view.isComplete());
        QVERIFY(view.focusElement(QStringLiteral("id19990")));
        view.writePage(bigPage(3));
        QVERIFY(view.isComplete());
        QTest::qWait(200);
        QCOMPARE(view.toPlainText().count(QStringLiteral("row ")), 3);
        QVERIFY(view.textCursor().block().text() != QStringLiteral("row 19990"));
        view.writePage(bigPage(20000));
        view.blank();
        QTest::qWait(200);
        QVERIFY(view.toPlainText().isEmpty());
        QCOMPARE(completed, 0);

        // Printed at once, the page holds every row: as many pages as when
        // it was printed complete.
        QTemporaryDir dir;
        auto pdfPages = [](const QString& file) {
            QFile pdf(file);
            return pdf.open(QIODevice::ReadOnly) ? pdf.readAll().count("/Type /Page\n") : -1;
        };
        view.writePage(bigPage(6000));
        QVERIFY(!view.isComplete());
        QVERIFY(view.printToPdf(dir.filePath(QStringLiteral("early.pdf"))));
        QVERIFY(view.isComplete());
        QCOMPARE(completed, 1);
        QVERIFY(view.toPlainText().contains(QStringLiteral("row 6000")));
        view.writePage(bigPage(6000));
        view.finishPage();
        QVERIFY(view.printToPdf(dir.filePath(QStringLiteral("whole.pdf"))));
        const int pages = pdfPages(dir.filePath(QStringLiteral("whole.pdf")));
        QVERIFY2(pages > 50, qPrintable(QString::number(pages)));
        QCOMPARE(pdfPages(dir.filePath(QStringLiteral("early.pdf"))), pages);
    }

    void focusFindsCellsNestedTablesAndAnchors()
    {
        HtmlView view;
        view.resize(400, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QString page = QStringLiteral("<HTML><BODY><TABLE id=\"empty\"></TABLE><TABLE/><TABLE>");
        for (int i = 1; i <= 60; ++i) {
            page += QStringLiteral("<TR><TD>a%1</TD><TD id=\"cell%1\">b%1</TD></TR>").arg(i);
            if (i == 30)
                page += QStringLiteral(
                    "<TR><TD><TABLE><TR "
                    "id=\"inner\"><TD>nested</TD></TR></TABLE></TD><TD>c</TD></TR>");
            // Ids are found under the names the page's references stand for.
            if (i == 40)
                page += QStringLiteral(
                    "<TR id=\"idKids &amp; home &lt;&#51;&#x33;&quot;\"><TD>amp</TD></TR>");
        }
        page += QStringLiteral(
            "</TABLE><P><A name=\"bottom\">end</A></P><!-- <TR id=\"hidden\"> --></BODY></HTML>");
        view.writePage(page);

        auto focusedText = [&] {
            QTextCursor cursor = view.textCursor();
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            return cursor.selectedText();
        };
        QVERIFY(view.focusElement(QStringLiteral("cell45")));
        QCOMPARE(focusedText(), QStringLiteral("b45"));
        QVERIFY(view.focusElement(QStringLiteral("idKids & home <33\"")));
        QCOMPARE(focusedText(), QStringLiteral("amp"));
        QVERIFY(!view.focusElement(QStringLiteral("idKids &amp; home <33\"")));
        QVERIFY(view.focusElement(QStringLiteral("inner")));
        QCOMPARE(focusedText(), QStringLiteral("nested"));
        QVERIFY(view.focusElement(QStringLiteral("cell31")));
        QCOMPARE(focusedText(), QStringLiteral("b31"));
        QVERIFY(view.focusElement(QStringLiteral("bottom")));
        QVERIFY(view.viewport()->rect().contains(view.cursorRect()));
        QVERIFY(!view.focusElement(QStringLiteral("hidden")));

        view.blank();
        QVERIFY(view.toPlainText().isEmpty());
        QVERIFY(view.pageText().isEmpty());
        QVERIFY(!view.focusElement(QStringLiteral("cell45")));
    }

    void printsThroughTheDialog()
    {
        QTemporaryDir dir;
        HtmlView view;
        view.writePage(bigPage(50));
        const QString file = dir.filePath(QStringLiteral("page.pdf"));
        {
            PdfPrintDialogs cancelled(file, false);
            QVERIFY(!view.print());
            QCOMPARE(cancelled.asked, 1);
            QVERIFY(!QFile::exists(file));
        }
        {
            PdfPrintDialogs accepted(file, true);
            QVERIFY(view.print());
            QCOMPARE(accepted.resolution, view.logicalDpiY() > 0 ? accepted.resolution : 0);
        }
        QFile pdf(file);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
        QVERIFY(pdf.size() > 1000);

        // On paper the page is white; on screen it keeps its grey background.
        QString styled = bigPage(3);
        ShowReportHtml(&view, styled);
        const auto cornerOf = [](QTextDocument* document) {
            QImage image(200, 120, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            document->drawContents(&painter, QRectF(image.rect()));
            painter.end();
            return image.pixelColor(1, 1);
        };
        QCOMPARE(view.document()->rootFrame()->frameFormat().background().color(),
            QColor(0xE5, 0xE5, 0xE5));
        const std::unique_ptr<QTextDocument> paper = view.printableDocument();
        QCOMPARE(paper->rootFrame()->frameFormat().background().style(), Qt::NoBrush);
        QCOMPARE(cornerOf(paper.get()), QColor(Qt::white));
        QCOMPARE(paper->toPlainText(), view.document()->toPlainText());

        const QString direct = dir.filePath(QStringLiteral("direct.pdf"));
        QVERIFY(view.printToPdf(direct));
        QVERIFY(QFileInfo(direct).size() > 1000);
    }
};

QTEST_MAIN(TstHtmlView)
#include "tst_htmlview.moc"
