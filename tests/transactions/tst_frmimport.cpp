// The Import Statement window driven by keys on its real widgets: a CSV
// statement with its columns guessed, the account typed, another account
// set for selected lines, a line left out with Space, the import in one
// save; the profile and the OFX account pairing chosen again by themselves;
// a statement that cannot be read.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>

#include "TestBook.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "controls/AccountCombo.h"
#include "import/ImportSettings.h"
#include "store/MasterEdits.h"
#include "transactions/ImportLinesModel.h"
#include "transactions/frmImport.h"
#include "windows/BookChanges.h"
#include "windows/WindowHost.h"

using namespace qb;
using namespace qb::test;

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

const QByteArray kCsv = "Datum;Text;Soll;Haben\n"
                        "05.01.2013;Lohn;;2.500,00\n" // the January pay: already in the book
                        "31.01.2013;Bakery 0815;1.234,56;\n"
                        "01.02.2013;Bakery 0815;0,05;\n"
                        "15.02.2013;Kiosk;3,00;\n";

const QByteArray kOfx
    = "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\n\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS>"
      "<BANKACCTFROM><BANKID>9<ACCTID>DE-77<ACCTTYPE>CHECKING</BANKACCTFROM><BANKTRANLIST>\n"
      "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20130228<TRNAMT>-19.99<FITID>X1<NAME>Phone</STMTTRN>\n"
      "</BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n";

QStringList statuses(const ImportLinesModel* model)
{
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r) {
        out << model->data(model->index(r, ImportLinesModel::Status), Qt::DisplayRole).toString()
                + QLatin1Char('|')
                + model->data(model->index(r, ImportLinesModel::Other), Qt::DisplayRole).toString()
                + QLatin1Char('|')
                + (model->data(model->index(r, ImportLinesModel::Include), Qt::CheckStateRole)
                                .toInt()
                            == Qt::Checked
                        ? QStringLiteral("x")
                        : QStringLiteral("-"));
    }
    return out;
}

QByteArray transOf(const QByteArray& xml)
{
    const qsizetype from = xml.indexOf("<Trans>");
    return xml.mid(from, xml.indexOf("</Trans>") - from);
}

} // namespace

class tst_frmImport : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestBook> env;
    std::unique_ptr<RecordingPrompt> prompt;
    std::unique_ptr<RecordingFileDialogs> dialogs;

    frmImport* open()
    {
        auto* w = new frmImport(env->context());
        w->show();
        activate(w);
        return w;
    }

private slots:
    void init()
    {
        env = std::make_unique<TestBook>();
        prompt = std::make_unique<RecordingPrompt>();
        dialogs = std::make_unique<RecordingFileDialogs>();
        QVERIFY(env->open(sampleBookXml(), QStringLiteral("books.qbf")));
        QVERIFY(env->store.SaveDocument()); // the book as the program writes it
        writeBytes(env->path(QStringLiteral("statement.csv")), kCsv);
        writeBytes(env->path(QStringLiteral("bank.ofx")), kOfx);
    }

    void cleanup()
    {
        // Pop-ups of a window's boxes are top-level too and go with it.
        QList<QPointer<frmImport>> windows;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* import = qobject_cast<frmImport*>(w))
                windows << import;
        }
        qDeleteAll(windows);
        dialogs.reset();
        prompt.reset();
        env.reset();
    }

    void importsACsvStatementWithTheKeyboard()
    {
        const QByteArray before = readDataFile(env->file);
        frmImport* w = open();
        dialogs->answer(env->path(QStringLiteral("statement.csv")));
        w->cmdChoose->setFocus();
        pressKey(Qt::Key_Space);
        QCOMPARE(dialogs->requests.size(), 1);
        QCOMPARE(dialogs->requests.first().title, S("Import Statement"));
        QVERIFY(w->fraCsv->isEnabled());
        // The columns as guessed: out and in, decimal comma, day-month-year.
        QVERIFY(w->optTwoColumns->isChecked());
        QVERIFY(w->chkDecimalComma->isChecked());
        QCOMPARE(w->cmbDateOrder->currentText(), S("day-month-year"));
        QCOMPARE(w->txtTextColumns->text(), S("2"));

        QTRY_VERIFY(w->cmbAccount->hasFocus());
        typeText(S("Bank"));
        pressKey(Qt::Key_Tab);
        QCOMPARE(w->cmbAccount->selectedCode(), std::optional<int>(2));
        QCOMPARE(statuses(w->model()),
            QStringList({S("Already in the book (05-01-2013 No 1)||-"), S("New||x"), S("New||x"),
                S("New||x")}));

        // The two bakery lines get Food; Space leaves the kiosk out.
        w->tblLines->setFocus();
        w->tblLines->setCurrentIndex(w->model()->index(0, 0));
        pressKey(Qt::Key_Down);
        pressKey(Qt::Key_Down, Qt::ShiftModifier);
        w->cmbOther->setFocus();
        typeText(S("Food"));
        pressKey(Qt::Key_Tab);
        QVERIFY(w->cmdSetOther->hasFocus());
        pressKey(Qt::Key_Space);
        QVERIFY(w->tblLines->hasFocus());
        pressKey(Qt::Key_Down);
        pressKey(Qt::Key_Down);
        pressKey(Qt::Key_Space);
        QCOMPARE(statuses(w->model()),
            QStringList({S("Already in the book (05-01-2013 No 1)||-"), S("New|Food|x"),
                S("New|Food|x"), S("New||-")}));
        QCOMPARE(w->model()
                     ->data(w->model()->index(1, ImportLinesModel::Other), Qt::ToolTipRole)
                     .toString(),
            S("Chosen here"));
        QVERIFY(w->lblSummary->text().endsWith(S("2 checked with another account.")));

        w->cmdImport->setFocus();
        pressKey(Qt::Key_Space);
        QCOMPARE(
            prompt->last().text, S("Imported 2 transactions; already in the book 1, left out 1."));
        QCOMPARE(readDataFile(env->file + QStringLiteral(".bak")), before);
        QCOMPARE(transOf(readDataFile(env->file)),
            transOf(before)
                + "<t No=\"1\" dt=\"20130131\" fAc=\"2\" tAc=\"4\" Nar=\"Bakery 0815\" "
                  "St=\"C\">1234.56</t>"
                  "<t No=\"2\" dt=\"20130201\" fAc=\"2\" tAc=\"4\" Nar=\"Bakery 0815\" "
                  "St=\"C\">0.05</t>");
        QCOMPARE(statuses(w->model()).mid(1, 2),
            QStringList({S("Already in the book (31-01-2013 No 1)|Food|-"),
                S("Already in the book (01-02-2013 No 2)|Food|-")}));
        // The mapping is kept as a profile for files with this header.
        QCOMPARE(CsvProfileForHeader(S("Datum\x1fText\x1fSoll\x1fHaben")), S("statement"));

        // An OFX statement: its bank account is paired by the import and
        // chosen by itself the next time.
        QVERIFY(w->loadFile(env->path(QStringLiteral("bank.ofx"))));
        QVERIFY(!w->fraCsv->isEnabled());
        QCOMPARE(statuses(w->model()), QStringList({S("New||x")}));
        w->tblLines->setFocus();
        w->tblLines->setCurrentIndex(w->model()->index(0, 0));
        w->cmbOther->setFocus();
        w->cmbOther->lineEdit()->selectAll();
        typeText(S("Cash"));
        pressKey(Qt::Key_Tab);
        pressKey(Qt::Key_Space);
        QVERIFY2(w->importLines(), qPrintable(prompt->last().text));
        delete w;
        frmImport* again = open();
        QVERIFY(again->loadFile(env->path(QStringLiteral("bank.ofx"))));
        QCOMPARE(again->cmbAccount->selectedCode(), std::optional<int>(2));
        QCOMPARE(statuses(again->model()),
            QStringList({S("Already in the book (28-02-2013 No 1)|Cash|-")}));
        QVERIFY(again->tblLines->hasFocus());
        QVERIFY(overlappingControls(again).isEmpty());
    }

    void aNewAccountNameOffersToAddIt()
    {
        // Both boxes offer a name no account has, with the entry window's
        // question: No keeps the focus in the box and imports nothing; Yes
        // adds the account with the next code (the book's highest is 4),
        // saves, tells the other windows and chooses it.
        frmImport* w = open();
        frmImport* other = open();
        QVERIFY(w->loadFile(env->path(QStringLiteral("statement.csv"))));
        activate(w);
        QTRY_VERIFY(w->cmbAccount->hasFocus());
        const QByteArray raw = fileBytes(env->file);
        const QByteArray before = readDataFile(env->file);
        typeText(S("Café Mom's"));
        prompt->answer(MsgResult::No);
        pressKey(Qt::Key_Tab);
        QCOMPARE(prompt->last().text, S("Add 'Café Mom's' to Account Heads ?"));
        QCOMPARE(prompt->last().title, S("Confirm new Account"));
        QTRY_VERIFY(w->cmbAccount->hasFocus());
        QCOMPARE(w->cmbAccount->lineEdit()->selectedText(), S("Café Mom's"));
        QVERIFY(!w->cmbAccount->selectedCode());
        prompt->answer(MsgResult::No);
        QTest::mouseClick(w->cmdImport, Qt::LeftButton);
        QCOMPARE(prompt->count(), 3);
        QCOMPARE(prompt->last().text, S("Choose the account the statement belongs to."));
        QCOMPARE(fileBytes(env->file), raw);
        QTRY_COMPARE(w->cmbAccount->lineEdit()->selectedText(), S("Café Mom's"));

        typeText(S("Café Mom's")); // Yes by default
        pressKey(Qt::Key_Tab);
        QCOMPARE(prompt->last().text, S("Add 'Café Mom's' to Account Heads ?"));
        QCOMPARE(w->cmbAccount->selectedCode(), std::optional<int>(5));
        QCOMPARE(w->cmbAccount->currentText(), S("Café Mom's"));
        QVERIFY(readDataFile(env->file).contains("<a Code=\"5\" AcName=\"Caf&#233; Mom's\"/>"));
        QCOMPARE(w->cmbOther->findData(5), w->cmbOther->findText(S("Café Mom's")));
        QTRY_VERIFY(other->cmbAccount->findData(5) >= 0); // through the book-change notice
        QCOMPARE(other->cmbOther->itemText(other->cmbOther->findData(5)), S("Café Mom's"));
        // Typed again in another box, the name is the account's: no question.
        const int asked = prompt->count();
        activate(other);
        other->cmbOther->setFocus();
        typeText(S("CAFÉ MOM'S"));
        pressKey(Qt::Key_Tab);
        QCOMPARE(prompt->count(), asked);
        QCOMPARE(other->cmbOther->selectedCode(), std::optional<int>(5));

        // The other account of the selected lines: a new name added as well.
        activate(w);
        w->tblLines->setFocus();
        w->tblLines->setCurrentIndex(w->model()->index(1, 0));
        pressKey(Qt::Key_Down, Qt::ShiftModifier);
        w->cmbOther->setFocus();
        typeText(S("Bäckerei"));
        pressKey(Qt::Key_Tab);
        QCOMPARE(prompt->last().text, S("Add 'Bäckerei' to Account Heads ?"));
        QCOMPARE(w->cmbOther->selectedCode(), std::optional<int>(6));
        QVERIFY(w->cmdSetOther->hasFocus());
        // The notice of the new account keeps the rows selected.
        QTRY_VERIFY(other->cmbOther->findData(6) >= 0);
        QTRY_VERIFY(!BookChanges::instance().isPending());
        QCOMPARE(w->tblLines->selectionModel()->selectedRows().size(), 2);
        pressKey(Qt::Key_Space);
        w->cmdImport->setFocus();
        pressKey(Qt::Key_Space);
        QCOMPARE(
            prompt->last().text, S("Imported 2 transactions; already in the book 0, left out 2."));
        QCOMPARE(transOf(readDataFile(env->file)),
            transOf(before)
                + "<t No=\"1\" dt=\"20130131\" fAc=\"5\" tAc=\"6\" Nar=\"Bakery 0815\" "
                  "St=\"C\">1234.56</t>"
                  "<t No=\"2\" dt=\"20130201\" fAc=\"5\" tAc=\"6\" Nar=\"Bakery 0815\" "
                  "St=\"C\">0.05</t>");

        // The import is one undo step, taken back before the account added
        // for its lines (which would otherwise leave them without one).
        UndoHistory& history = env->store.history();
        XmlDocument& doc = env->store.document();
        QCOMPARE(history.undoCaption(), S("import of 2 transactions"));
        QCOMPARE(history.undo(doc).kind, UndoHistory::Outcome::Done);
        QCOMPARE(transOf(doc.toBytes()), transOf(before));
        QVERIFY(!doc.xml().contains(S("<Imported")));
        QCOMPARE(history.undoCaption(), S("addition of account Bäckerei"));
        QCOMPARE(history.undo(doc).kind, UndoHistory::Outcome::Done);
        QVERIFY(FindAccount(doc, 6).isNull());
        QCOMPARE(history.redo(doc).kind, UndoHistory::Outcome::Done);
        QCOMPARE(history.redo(doc).kind, UndoHistory::Outcome::Done);
        QVERIFY(doc.xml().contains(S("<Imported><l Ac=\"5\"")));
        QCOMPARE(transOf(doc.toBytes()), transOf(readDataFile(env->file)));
    }

    void aStatementThatCannotBeReadImportsNothing()
    {
        writeBytes(env->path(QStringLiteral("bad.qif")), "!Type:Bank\nDyesterday\nT1\n^\n");
        const QByteArray raw = fileBytes(env->file);
        frmImport* w = open();
        QVERIFY(!w->loadFile(env->path(QStringLiteral("bad.qif"))));
        QCOMPARE(w->lblSummary->text(),
            S("The statement cannot be read: line 2: the date \"yesterday\" is in no form QIF "
              "dates take"));
        QVERIFY(!w->cmdImport->isEnabled());
        QVERIFY(!w->importLines());
        QCOMPARE(fileBytes(env->file), raw);
    }
};

QTEST_MAIN(tst_frmImport)
#include "tst_frmimport.moc"
