#include <QPrinter>
#include <QScrollBar>
#include <QTextTable>
#include <QtTest>

#include "HtmlView.h"
#include "WidgetTestSupport.h"
#include "ReportPage.h"

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

        QElapsedTimer timer;
        timer.start();
        QVERIFY(view.focusElement(QStringLiteral("id9000")));
        qInfo("row focused in %lld ms", timer.elapsed());
        QVERIFY(timer.elapsed() < 3000);
        QVERIFY(view.verticalScrollBar()->value() > 0);
        const QRect row = view.cursorRect();
        QVERIFY(view.viewport()->rect().contains(row));
        QTextCursor cursor = view.textCursor();
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QCOMPARE(cursor.selectedText(), QStringLiteral("row 9000"));

        QVERIFY(view.focusElement(QStringLiteral("id1")));
        QVERIFY(view.verticalScrollBar()->value() < 20);
        QVERIFY(view.viewport()->rect().contains(view.cursorRect()));
        QVERIFY(!view.focusElement(QStringLiteral("id10001")));
        QVERIFY(!view.focusElement(QString()));
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

        const QString direct = dir.filePath(QStringLiteral("direct.pdf"));
        QVERIFY(view.printToPdf(direct));
        QVERIFY(QFileInfo(direct).size() > 1000);
    }
};

QTEST_MAIN(TstHtmlView)
#include "tst_htmlview.moc"
