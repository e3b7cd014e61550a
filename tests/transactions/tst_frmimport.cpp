// The Import Statement window driven by keys on its real widgets: a CSV
// statement with its columns guessed, the account typed, another account
// set for selected lines, a line left out with Space, the import in one
// save; the profile and the OFX account pairing chosen again by themselves;
// a statement that cannot be read.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
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
        w->tblLines->setCurrentIndex(w->tblLines->model()->index(0, 0));
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
        // The account shown is not carried over to another file.
        QVERIFY(w->loadFile(env->path(QStringLiteral("bank.ofx"))));
        QVERIFY(!w->fraCsv->isEnabled());
        QCOMPARE(statuses(w->model()), QStringList({S("New||x")}));
        QVERIFY(!w->cmbAccount->selectedCode());
        QTRY_VERIFY(w->cmbAccount->hasFocus());
        typeText(S("Bank"));
        pressKey(Qt::Key_Return);
        w->tblLines->setFocus();
        w->tblLines->setCurrentIndex(w->tblLines->model()->index(0, 0));
        w->cmbOther->setFocus();
        w->cmbOther->lineEdit()->selectAll();
        typeText(S("Cash"));
        pressKey(Qt::Key_Tab);
        pressKey(Qt::Key_Space);
        QVERIFY2(w->importLines(), qPrintable(prompt->last().text));
        QCOMPARE(
            prompt->last().text, S("Imported 1 transaction; already in the book 0, left out 0."));
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
        w->tblLines->setCurrentIndex(w->tblLines->model()->index(1, 0));
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

    // A guessed mapping is marked as a guess until the person confirms it;
    // an unsure one names its doubts. Lines skipped, a direction column with
    // its words and reversed signs are chosen in the window and kept in the
    // profile, which is no guess the next time.
    void aGuessIsMarkedUntilConfirmed()
    {
        writeBytes(env->path(QStringLiteral("pre.csv")),
            "Konto;4711\nVom;01.01.2013\nTag;Text;Wert;Stand;SH\n31.01.2013;Tea;1,50;100,00;Ab\n"
            "01.02.2013;Cake;2,25;97,75;Zu\n");
        frmImport* w = open();
        QVERIFY(w->loadFile(env->path(QStringLiteral("pre.csv"))));
        QVERIFY(w->mappingIsGuess());
        QVERIFY(w->lblGuess->isVisible());
        QCOMPARE(w->lblGuess->text(),
            S("Guessed columns, unsure: column 3 \"Wert\" and column 4 \"Stand\" both hold "
              "amounts. Choose the columns."));
        QCOMPARE(w->spnSkip->value(), 2);
        QVERIFY(w->chkHeader->isChecked());
        QCOMPARE(w->cmbAmountColumn->currentText(), S("3: Wert"));
        w->cmbAccount->chooseCode(2);

        // The direction column and its words, typed.
        w->cmbDirection->setFocus();
        w->cmbDirection->setCurrentIndex(w->cmbDirection->findData(4));
        w->txtOutWord->setFocus();
        typeText(S("Ab"));
        pressKey(Qt::Key_Tab);
        typeText(S("Zu"));
        pressKey(Qt::Key_Tab);
        const ImportPlan& plan = w->model()->plan();
        QCOMPARE(plan.lines().size(), 2);
        QCOMPARE(plan.lines().at(0).source.amount.toText(), S("-1.5"));
        QCOMPARE(plan.lines().at(1).source.amount.toText(), S("2.25"));
        w->chkReverse->setFocus();
        pressKey(Qt::Key_Space);
        QCOMPARE(w->model()->plan().lines().at(0).source.amount.toText(), S("1.5"));
        QVERIFY(w->mappingIsGuess());

        // Import asks while the columns are a guess; No writes nothing.
        w->tblLines->setFocus();
        w->tblLines->selectAll();
        w->cmbOther->chooseCode(4);
        QTest::mouseClick(w->cmdSetOther, Qt::LeftButton);
        const QByteArray raw = fileBytes(env->file);
        prompt->answer(MsgResult::No);
        QVERIFY(!w->importLines());
        QVERIFY(prompt->last().text.startsWith(S("The CSV columns were guessed and the guess is "
                                                 "unsure: column 3")));
        QCOMPARE(prompt->last().defaultButton, MsgResult::No);
        QCOMPARE(fileBytes(env->file), raw);
        QVERIFY(w->cmdConfirm->hasFocus());
        pressKey(Qt::Key_Space);
        QVERIFY(!w->mappingIsGuess());
        QVERIFY(!w->lblGuess->isVisible());
        const int asked = prompt->count();
        QVERIFY(w->importLines());
        QCOMPARE(prompt->count(), asked + 1);
        QCOMPARE(
            prompt->last().text, S("Imported 2 transactions; already in the book 0, left out 0."));

        const std::optional<CsvMapping> kept = LoadCsvProfile(S("pre"));
        QVERIFY(kept);
        QCOMPARE(kept->skipLines, 2);
        QCOMPARE(kept->directionColumn, 4);
        QCOMPARE(kept->outWord + kept->inWord, S("AbZu"));
        QVERIFY(kept->reverseSigns);
        frmImport* again = open();
        QVERIFY(again->loadFile(env->path(QStringLiteral("pre.csv"))));
        QVERIFY(!again->mappingIsGuess());
        QVERIFY(again->chkReverse->isChecked());
        QCOMPARE(again->txtInWord->text(), S("Zu"));
    }

    // A file of a checking and a card statement: each part gets its own
    // account, chosen with the keyboard; the other accounts chosen in one
    // part stay while the other is shown; Import writes both parts as one
    // undo step.
    void eachPartOfAFileGoesToItsOwnAccount()
    {
        const QString file = env->path(QStringLiteral("two.ofx"));
        QVERIFY(QFile::copy(QStringLiteral(QB_IMPORT_DATA "/two-statements.ofx"), file));
        const QByteArray before = readDataFile(env->file);
        frmImport* w = open();
        QVERIFY(w->loadFile(file));
        QVERIFY(w->cmbPart->isEnabled());
        QCOMPARE(w->cmbPart->count(), 2);
        QCOMPARE(w->cmbPart->itemText(1), S("4111111111111111 (2 lines)"));
        QVERIFY(!w->cmbAccount->selectedCode());
        QVERIFY(w->lblSummary->text().startsWith(S("Part 1 of 2 (0 with an account): 4 lines")));
        QTRY_VERIFY(w->cmbAccount->hasFocus());
        const auto chooseAll = [w](const char* account, const char* other) {
            w->cmbAccount->setFocus();
            w->cmbAccount->lineEdit()->selectAll();
            typeText(S(account));
            pressKey(Qt::Key_Tab);
            w->tblLines->setFocus();
            pressKey(Qt::Key_A, Qt::ControlModifier);
            w->cmbOther->setFocus();
            w->cmbOther->lineEdit()->selectAll();
            typeText(S(other));
            pressKey(Qt::Key_Tab);
            pressKey(Qt::Key_Space);
        };
        chooseAll("Bank", "Food");
        QCOMPARE(statuses(w->model()), QStringList(4, S("New|Food|x")));
        w->cmbPart->setFocus();
        pressKey(Qt::Key_Down);
        QVERIFY(!w->cmbAccount->selectedCode());
        QCOMPARE(statuses(w->model()), QStringList(2, S("New||x")));
        chooseAll("Cash", "Salary");
        w->cmbPart->setFocus();
        pressKey(Qt::Key_Up);
        QCOMPARE(w->cmbAccount->selectedCode(), std::optional<int>(2));
        QCOMPARE(statuses(w->model()), QStringList(4, S("New|Food|x")));
        QVERIFY(w->lblSummary->text().startsWith(S("Part 1 of 2 (2 with an account)")));

        w->cmdImport->setFocus();
        pressKey(Qt::Key_Space);
        QCOMPARE(
            prompt->last().text, S("Imported 6 transactions; already in the book 0, left out 0."));
        const QByteArray after = transOf(readDataFile(env->file));
        QCOMPARE(after.count("<t "), transOf(before).count("<t ") + 6);
        QVERIFY(after.contains("<t No=\"1\" dt=\"20091205\" fAc=\"1\" tAc=\"3\" Nar=\"Book "
                               "shop\" St=\"C\">120.55</t>"));
        QCOMPARE(env->store.history().undoCaption(), S("import of two.ofx"));
    }

    // Enter moves on from the account boxes; the lines sort by a heading
    // and filter by text, and a choice made in the sorted list lands on its
    // line; another statement account keeps the other accounts chosen; a
    // rule from the selected line's payee is kept in the book and applied;
    // after an undo of the import the file opened again has its choices; a
    // new CSV file starts without an account unless its profile names one.
    void choicesStayWithTheirLinesAndFile()
    {
        const QString file = env->path(QStringLiteral("statement.csv"));
        frmImport* w = open();
        QVERIFY(w->loadFile(file));
        QTRY_VERIFY(w->cmbAccount->hasFocus());
        typeText(S("Bank"));
        pressKey(Qt::Key_Return);
        QCOMPARE(w->cmbAccount->selectedCode(), std::optional<int>(2));
        QVERIFY(w->cmbSeparator->hasFocus());

        QAbstractItemModel* shown = w->tblLines->model();
        QHeaderView* heading = w->tblLines->horizontalHeader();
        QTest::mouseClick(heading->viewport(), Qt::LeftButton, {},
            QPoint(heading->sectionViewportPosition(ImportLinesModel::Amount) + 5, 5));
        QStringList dates;
        for (int r = 0; r < shown->rowCount(); ++r)
            dates << shown->index(r, ImportLinesModel::Date).data().toString();
        QCOMPARE(dates,
            QStringList({S("31-01-2013"), S("15-02-2013"), S("01-02-2013"), S("05-01-2013")}));
        w->tblLines->setFocus();
        w->tblLines->setCurrentIndex(shown->index(1, 0));
        w->cmbOther->setFocus();
        typeText(S("Cash"));
        pressKey(Qt::Key_Enter);
        QVERIFY(w->cmdSetOther->hasFocus());
        pressKey(Qt::Key_Space);
        QCOMPARE(statuses(w->model()),
            QStringList({S("Already in the book (05-01-2013 No 1)||-"), S("New||x"), S("New||x"),
                S("New|Cash|x")}));
        w->txtFilter->setFocus();
        typeText(S("BAKERY"));
        QCOMPARE(shown->rowCount(), 2);

        // Salary as the statement's account (the pay is new to it): Cash
        // stays on the kiosk line.
        w->cmbAccount->chooseCode(3);
        QCOMPARE(statuses(w->model()).at(3), S("New|Cash|x"));

        // The rule offered is the payee of the line chosen.
        w->tblLines->setFocus();
        w->tblLines->setCurrentIndex(shown->index(0, 0));
        QCOMPARE(w->txtRuleText->text(), S("bakery"));
        w->cmbOther->chooseCode(4);
        QTest::mouseClick(w->cmdRule, Qt::LeftButton);
        QVERIFY(readDataFile(env->file).contains(
            "<ImportRules><r Text=\"bakery\" Ac=\"4\"/></ImportRules>"));
        QCOMPARE(statuses(w->model()).mid(1),
            QStringList({S("New|Food|x"), S("New|Food|x"), S("New|Cash|x")}));
        QCOMPARE(w->model()
                     ->data(w->model()->index(2, ImportLinesModel::Other), Qt::ToolTipRole)
                     .toString(),
            S("The rule for text containing bakery"));
        QVERIFY(w->importLines());
        QCOMPARE(
            prompt->last().text, S("Imported 3 transactions; already in the book 0, left out 1."));
        QCOMPARE(env->store.history().undo(env->store.document()).kind, UndoHistory::Outcome::Done);
        QVERIFY(env->store.SaveDocument());
        delete w;

        frmImport* again = open();
        QVERIFY(again->loadFile(file));
        QCOMPARE(again->cmbAccount->selectedCode(), std::optional<int>(3));
        QCOMPARE(statuses(again->model()),
            QStringList({S("New||x"), S("New|Food|x"), S("New|Food|x"), S("New|Cash|x")}));
        // The same layout under another name: the profile names Salary. A
        // layout without a profile starts empty.
        writeBytes(env->path(QStringLiteral("march.csv")), kCsv);
        QVERIFY(again->loadFile(env->path(QStringLiteral("march.csv"))));
        QCOMPARE(again->cmbAccount->selectedCode(), std::optional<int>(3));
        writeBytes(
            env->path(QStringLiteral("card.csv")), "Date;Shop;Sum\n01.03.2013;Kiosk;-3,00\n");
        again->loadFile(env->path(QStringLiteral("card.csv")));
        QVERIFY(!again->cmbAccount->selectedCode());
    }

    void aStatementThatCannotBeReadImportsNothing()
    {
        writeBytes(env->path(QStringLiteral("bad.qif")), "!Type:Bank\nDyesterday\nT1\n^\n");
        const QByteArray raw = fileBytes(env->file);
        frmImport* w = open();
        QVERIFY(!w->loadFile(env->path(QStringLiteral("bad.qif"))));
        QCOMPARE(w->lblSummary->text(),
            S("The statement cannot be read as QIF: line 2: the date \"yesterday\" is in no form "
              "QIF "
              "dates take"));
        QVERIFY(!w->cmdImport->isEnabled());
        QVERIFY(!w->importLines());
        QCOMPARE(fileBytes(env->file), raw);
    }
};

QTEST_MAIN(tst_frmImport)
#include "tst_frmimport.moc"
