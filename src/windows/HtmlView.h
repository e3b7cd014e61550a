#pragma once

// The HTML view of every report window (WebBrowser1): a QTextBrowser that
// never navigates by itself. It shows pages written by the program, scrolls a
// row into view by its id, prints, and reports every link activation before
// anything happens, with the href exactly as the page wrote it.

#include <memory>

#include <QHash>
#include <QString>
#include <QTextBrowser>
#include <QTimer>

class QPrinter;
class QTextTable;

namespace qb {

// The print dialog of the view, replaceable so that tests can print to a file.
class PrintDialogs
{
public:
    virtual ~PrintDialogs() = default;
    // Lets the user set up printer; false when the user cancels.
    virtual bool setup(QPrinter* printer, QWidget* parent) = 0;

    static PrintDialogs& current();
    static void install(PrintDialogs* dialogs); // not owned; nullptr restores QPrintDialog
};

class HtmlView : public QTextBrowser
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HtmlView)

public:
    explicit HtmlView(QWidget* parent = nullptr);

    // An empty page.
    void blank();

    // Replaces the whole page by text, rendered as HTML with its style element.
    // Millimetre lengths of the page's style sheet and style attributes are
    // given to the renderer in pixels (it ignores mm); the text itself is kept.
    // Long tables are shown as tables of a few hundred rows with the column
    // widths of the first; a long page shows its first rows at once and gets
    // the rest, while the event loop runs, as the reader scrolls towards it
    // (a new page or blank() stops that). Printing, finishPage() and a row to
    // focus that is still to come add what is missing.
    void writePage(const QString& text);
    // Whether every row of the page is in the view.
    bool isComplete() const { return m_nextPiece >= m_pieces.size(); }
    // Adds the rows still missing at once.
    void finishPage();
    // The text last written (as the caller gave it).
    QString pageText() const { return m_page; }

    // Scrolls the element with this id into view and puts the cursor there.
    // Rows (TR), cells (TD, TH) and tables are found through a map made when
    // the page was written; other elements through the renderer's anchors.
    // False when the page has no such element. A row of a long page that is
    // not in the view yet is focused as soon as it arrives.
    bool focusElement(const QString& id);

    // The href of the link chosen with Tab (the selection), as written; empty when none.
    QString chosenLink() const;
    // Chooses the first link whose href is exactly href, as Tab would, without
    // scrolling; false when the page shown so far has none.
    bool chooseLink(const QString& href);

    // Prints the page after the print dialog (PrintDialogs::current()).
    // False when cancelled or printing failed.
    bool print();
    // Prints the page into a PDF file without a dialog.
    bool printToPdf(const QString& fileName);
    // The page as it goes to paper: white, without the screen's grey background.
    std::unique_ptr<QTextDocument> printableDocument() const;

Q_SIGNALS:
    // A link was activated (mouse click or Enter on a link chosen with Tab).
    // href is the attribute text exactly as written. The view never navigates;
    // setting *cancel tells the view that the owner has handled the link.
    void beforeNavigate(const QString& href, bool* cancel);
    // The last rows of a page built piece by piece are in the view.
    void pageComplete();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Where an element with an id sits in the page: the n-th table in start-tag
    // order, and the row and cell in that table (-1: the table or row itself).
    struct ElementPlace
    {
        int table = -1;
        int row = -1;
        int cell = -1;
    };
    void mapElementIds(const QString& text);
    int positionOf(const ElementPlace& place) const;
    QString rewriteMillimetres(const QString& text) const;
    bool raiseNavigate(const QString& href);
    void stopBuild();
    void addPieces();
    bool needsPieces() const;
    void addPiecesWhenNeeded();
    void insertPiece(const QString& piece);
    void focusPosition(int position);

    QString m_page;
    QStringList m_pieces; // the parts of a long page still to add, from m_nextPiece on
    qsizetype m_nextPiece = 0;
    QTimer m_buildTimer;
    QString m_pendingFocus;
    QHash<QString, ElementPlace> m_places;
    QString m_pressedAnchor;
};

// Puts the style head into the page ("<HTML>", upper case, every occurrence;
// the caller's text is changed) and writes it into the view.
void ShowReportHtml(HtmlView* view, QString& page);

} // namespace qb
