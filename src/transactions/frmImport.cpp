#include "transactions/frmImport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/AccountCombo.h"
#include "controls/KeyPreview.h"
#include "import/ImportPlan.h"
#include "import/ImportSettings.h"
#include "store/DataStore.h"
#include "store/OutputFile.h"
#include "store/UiServices.h"
#include "store/Utilities.h"
#include "store/VisibleText.h"
#include "transactions/ImportLinesModel.h"
#include "transactions/NewAccountOffer.h"
#include "transactions/clsAutoComplete.h"
#include "windows/HtmlView.h"
#include "windows/WindowHost.h"

namespace qb {

namespace {

const QString kTitle = QStringLiteral("Import Statement");

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// "Column N" items, named by the first row when it is a header.
void fillColumns(QComboBox* box, const QStringList& names, int count, bool none)
{
    box->clear();
    if (none)
        box->addItem(QStringLiteral("(none)"), -1);
    for (int c = 0; c < count; ++c) {
        const QString name = names.value(c).simplified().left(30);
        box->addItem(
            QString::number(c + 1) + (name.isEmpty() ? QString() : QStringLiteral(": ") + name), c);
    }
}

void chooseColumn(QComboBox* box, int column)
{
    const int index = box->findData(column);
    box->setCurrentIndex(
        index >= 0 ? index : (box->count() > 0 && box->itemData(0).toInt() == -1 ? 0 : -1));
}

int columnOf(const QComboBox* box)
{
    return box->currentIndex() < 0 ? -1 : box->currentData().toInt();
}

// What was chosen for a statement file while the program runs: the account
// of each part and the other accounts by line key.
struct FileChoices
{
    QList<int> accounts;
    QHash<QString, int> others;
};

QHash<QString, FileChoices>& choicesByFile()
{
    static QHash<QString, FileChoices> choices;
    return choices;
}

QString fileKey(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

frmImport::frmImport(const BookContext& book, QWidget* parent)
    : DataWindow(parent)
    , m_book(book)
{
    buildUi();
    connectSignals();
    if (QWidget* main = WindowHost::current().mainWindow())
        setWindowIcon(main->windowIcon());
    m_completeAccount = new clsAutoComplete(this);
    m_completeOther = new clsAutoComplete(this);
    cmbAccount->fillAccounts(book.store.AcMasterSection());
    cmbOther->fillAccounts(book.store.AcMasterSection());
    m_completeAccount->setLinkedComboBox(cmbAccount);
    m_completeOther->setLinkedComboBox(cmbOther);
    setCaption(kTitle);
    updateSummary();
    joinWindowList();
}

frmImport::~frmImport() = default;

DataStore& frmImport::book() const
{
    return m_book.store;
}

void frmImport::buildUi()
{
    // The report view of the frame is not used: the preview is a table.
    WebBrowser1->hide();

    cmdChoose = named(new QPushButton(QStringLiteral("&Statement file..."), this), "cmdChoose");
    lblFile = named(new QLabel(QStringLiteral("(no statement chosen)"), this), "lblFile");
    lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* lblPart = named(new QLabel(QStringLiteral("&Part:"), this), "lblPart");
    cmbPart = named(new QComboBox(this), "cmbPart");
    cmbPart->setMinimumContentsLength(24);
    cmbPart->setEnabled(false);
    lblPart->setBuddy(cmbPart);
    auto* lblAccount = named(new QLabel(QStringLiteral("&Account:"), this), "lblAccount");
    cmbAccount = named(new AccountCombo(true, this), "cmbAccount");
    cmbAccount->setMinimumContentsLength(24);
    lblAccount->setBuddy(cmbAccount);

    fraCsv = named(new QGroupBox(QStringLiteral("CSV columns"), this), "fraCsv");
    cmbSeparator = named(new QComboBox(fraCsv), "cmbSeparator");
    cmbSeparator->addItem(QStringLiteral("Comma ,"), int(','));
    cmbSeparator->addItem(QStringLiteral("Semicolon ;"), int(';'));
    cmbSeparator->addItem(QStringLiteral("Tab"), int('\t'));
    cmbSeparator->addItem(QStringLiteral("Bar |"), int('|'));
    chkHeader = named(new QCheckBox(QStringLiteral("Headin&g row"), fraCsv), "chkHeader");
    cmbDateColumn = named(new QComboBox(fraCsv), "cmbDateColumn");
    cmbDateOrder = named(new QComboBox(fraCsv), "cmbDateOrder");
    cmbDateOrder->addItem(QStringLiteral("day-month-year"), int(DateOrder::DayMonthYear));
    cmbDateOrder->addItem(QStringLiteral("month-day-year"), int(DateOrder::MonthDayYear));
    cmbDateOrder->addItem(QStringLiteral("year-month-day"), int(DateOrder::YearMonthDay));
    optSigned = named(new QRadioButton(QStringLiteral("Signed amo&unt"), fraCsv), "optSigned");
    optTwoColumns
        = named(new QRadioButton(QStringLiteral("Mone&y out / in"), fraCsv), "optTwoColumns");
    optSigned->setChecked(true);
    cmbAmountColumn = named(new QComboBox(fraCsv), "cmbAmountColumn");
    cmbOutColumn = named(new QComboBox(fraCsv), "cmbOutColumn");
    cmbInColumn = named(new QComboBox(fraCsv), "cmbInColumn");
    chkDecimalComma
        = named(new QCheckBox(QStringLiteral("Decimal &comma"), fraCsv), "chkDecimalComma");
    txtTextColumns = named(new QLineEdit(fraCsv), "txtTextColumns");
    txtTextColumns->setPlaceholderText(QStringLiteral("e.g. 2,3"));
    cmbReference = named(new QComboBox(fraCsv), "cmbReference");
    spnSkip = named(new QSpinBox(fraCsv), "spnSkip");
    spnSkip->setRange(0, 999);
    cmbDirection = named(new QComboBox(fraCsv), "cmbDirection");
    txtOutWord = named(new QLineEdit(fraCsv), "txtOutWord");
    txtOutWord->setPlaceholderText(QStringLiteral("out, e.g. debit"));
    txtInWord = named(new QLineEdit(fraCsv), "txtInWord");
    txtInWord->setPlaceholderText(QStringLiteral("in, e.g. credit"));
    chkReverse = named(new QCheckBox(QStringLiteral("Reverse signs"), fraCsv), "chkReverse");
    chkReverse->setToolTip(
        QStringLiteral("For card exports that write charges as positive amounts"));
    txtProfile = named(new QLineEdit(fraCsv), "txtProfile");
    lblGuess = named(new QLabel(fraCsv), "lblGuess");
    lblGuess->setWordWrap(true);
    // Room for two lines of doubts, so that the panel's rows never clip them.
    lblGuess->setMinimumHeight(2 * lblGuess->fontMetrics().lineSpacing() + 4);
    cmdConfirm = named(new QPushButton(QStringLiteral("Columns are right"), fraCsv), "cmdConfirm");

    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, fraCsv);
        l->setBuddy(buddy);
        return l;
    };
    auto* csv = new QGridLayout(fraCsv);
    csv->addWidget(label(QStringLiteral("Se&parator:"), cmbSeparator), 0, 0);
    csv->addWidget(cmbSeparator, 0, 1);
    csv->addWidget(chkHeader, 0, 2);
    csv->addWidget(chkDecimalComma, 0, 3);
    csv->addWidget(label(QStringLiteral("&Date:"), cmbDateColumn), 1, 0);
    csv->addWidget(cmbDateColumn, 1, 1);
    csv->addWidget(label(QStringLiteral("Ord&er:"), cmbDateOrder), 1, 2);
    csv->addWidget(cmbDateOrder, 1, 3);
    csv->addWidget(optSigned, 2, 0);
    csv->addWidget(cmbAmountColumn, 2, 1);
    csv->addWidget(optTwoColumns, 2, 2);
    auto* outIn = new QHBoxLayout;
    outIn->addWidget(cmbOutColumn);
    outIn->addWidget(cmbInColumn);
    csv->addLayout(outIn, 2, 3);
    csv->addWidget(label(QStringLiteral("&Narration columns:"), txtTextColumns), 3, 0);
    csv->addWidget(txtTextColumns, 3, 1);
    csv->addWidget(label(QStringLiteral("&Bank reference:"), cmbReference), 3, 2);
    csv->addWidget(cmbReference, 3, 3);
    csv->addWidget(label(QStringLiteral("Skip lines before heading:"), spnSkip), 4, 0);
    csv->addWidget(spnSkip, 4, 1);
    csv->addWidget(label(QStringLiteral("Direction column:"), cmbDirection), 4, 2);
    csv->addWidget(cmbDirection, 4, 3);
    auto* words = new QHBoxLayout;
    words->addWidget(txtOutWord);
    words->addWidget(txtInWord);
    csv->addWidget(chkReverse, 5, 0, 1, 2);
    csv->addWidget(label(QStringLiteral("Direction words:"), txtOutWord), 5, 2);
    csv->addLayout(words, 5, 3);
    csv->addWidget(label(QStringLiteral("&Keep as profile:"), txtProfile), 6, 0);
    csv->addWidget(txtProfile, 6, 1);
    auto* guess = new QHBoxLayout;
    guess->addWidget(lblGuess, 1);
    guess->addWidget(cmdConfirm);
    csv->addLayout(guess, 7, 0, 1, 4);
    markGuess(false);
    // The main menu's access keys (F M T R V W H) are not used in this window.
    // Shown (and held in the window's size) always; used for CSV statements only.
    fraCsv->setEnabled(false);

    m_model = new ImportLinesModel(this);
    m_shown = new QSortFilterProxyModel(this);
    m_shown->setSourceModel(m_model);
    m_shown->setSortRole(ImportLinesModel::SortRole);
    m_shown->setFilterKeyColumn(-1);
    m_shown->setFilterCaseSensitivity(Qt::CaseInsensitive);
    txtFilter = named(new QLineEdit(this), "txtFilter");
    txtFilter->setClearButtonEnabled(true);
    auto* lblFilter = named(new QLabel(QStringLiteral("Filter te&xt:"), this), "lblFilter");
    lblFilter->setBuddy(txtFilter);
    tblLines = named(new QTableView(this), "tblLines");
    tblLines->setModel(m_shown);
    tblLines->setSortingEnabled(true);
    // File order until a heading is clicked.
    tblLines->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    tblLines->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblLines->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tblLines->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblLines->setWordWrap(false);
    tblLines->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblLines->verticalHeader()->setDefaultSectionSize(tblLines->fontMetrics().height() + 6);
    tblLines->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    tblLines->horizontalHeader()->setStretchLastSection(true);
    tblLines->setColumnWidth(ImportLinesModel::Include, 28);
    tblLines->setColumnWidth(ImportLinesModel::Status, 250);
    tblLines->setColumnWidth(ImportLinesModel::Date, 80);
    tblLines->setColumnWidth(ImportLinesModel::Amount, 90);
    tblLines->setColumnWidth(ImportLinesModel::Narration, 190);
    tblLines->setMinimumSize(560, 200);
    auto* lblLines = named(
        new QLabel(QStringLiteral("&Lines (Space checks or unchecks the selected lines; "
                                  "the tool tip of an other account says where it came from):"),
            this),
        "lblLines");
    lblLines->setBuddy(tblLines);

    auto* lblOther = named(
        new QLabel(QStringLiteral("&Other account of the selected lines:"), this), "lblOther");
    cmbOther = named(new AccountCombo(true, this), "cmbOther");
    cmbOther->setMinimumContentsLength(20);
    lblOther->setBuddy(cmbOther);
    cmdSetOther = named(new QPushButton(QStringLiteral("Set"), this), "cmdSetOther");
    txtRuleText = named(new QLineEdit(this), "txtRuleText");
    txtRuleText->setPlaceholderText(QStringLiteral("text"));
    cmdRule = named(
        new QPushButton(QStringLiteral("Always use this account for text containing"), this),
        "cmdRule");
    lblSummary = named(new QLabel(this), "lblSummary");
    lblSummary->setWordWrap(true);
    cmdImport = named(new QPushButton(QStringLiteral("&Import"), this), "cmdImport");
    cmdClose = named(new QPushButton(QStringLiteral("Close"), this), "cmdClose");

    auto* top = new QHBoxLayout;
    top->addWidget(cmdChoose);
    top->addWidget(lblFile, 1);
    auto* account = new QHBoxLayout;
    account->addWidget(lblPart);
    account->addWidget(cmbPart);
    account->addWidget(lblAccount);
    account->addWidget(cmbAccount);
    account->addStretch(1);
    auto* other = new QHBoxLayout;
    other->addWidget(lblOther);
    other->addWidget(cmbOther);
    other->addWidget(cmdSetOther);
    other->addWidget(cmdRule);
    other->addWidget(txtRuleText, 1);
    auto* filter = new QHBoxLayout;
    filter->addWidget(lblLines, 1);
    filter->addWidget(lblFilter);
    filter->addWidget(txtFilter);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblSummary, 1);
    buttons->addWidget(cmdImport);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(account);
    layout->addWidget(fraCsv);
    layout->addLayout(filter);
    layout->addWidget(tblLines, 1);
    layout->addLayout(other);
    layout->addLayout(buttons);

    setTabOrder(cmdChoose, cmbPart);
    setTabOrder(cmbPart, cmbAccount);
    setTabOrder(cmbAccount, cmbSeparator);
    setTabOrder(cmbSeparator, chkHeader);
    setTabOrder(chkHeader, chkDecimalComma);
    setTabOrder(chkDecimalComma, cmbDateColumn);
    setTabOrder(cmbDateColumn, cmbDateOrder);
    setTabOrder(cmbDateOrder, optSigned);
    setTabOrder(optSigned, cmbAmountColumn);
    setTabOrder(cmbAmountColumn, optTwoColumns);
    setTabOrder(optTwoColumns, cmbOutColumn);
    setTabOrder(cmbOutColumn, cmbInColumn);
    setTabOrder(cmbInColumn, txtTextColumns);
    setTabOrder(txtTextColumns, cmbReference);
    setTabOrder(cmbReference, spnSkip);
    setTabOrder(spnSkip, cmbDirection);
    setTabOrder(cmbDirection, chkReverse);
    setTabOrder(chkReverse, txtOutWord);
    setTabOrder(txtOutWord, txtInWord);
    setTabOrder(txtInWord, txtProfile);
    setTabOrder(txtProfile, cmdConfirm);
    setTabOrder(cmdConfirm, txtFilter);
    setTabOrder(txtFilter, tblLines);
    setTabOrder(tblLines, cmbOther);
    setTabOrder(cmbOther, cmdSetOther);
    setTabOrder(cmdSetOther, cmdRule);
    setTabOrder(cmdRule, txtRuleText);
    setTabOrder(txtRuleText, cmdImport);
    setTabOrder(cmdImport, cmdClose);
    resize(900, 600);
    // Enter moves on in the account boxes as in the entry window; the list
    // keeps it.
    setEnterAsTab(true);
    keyPreview()->keepEnter(tblLines);
}

void frmImport::connectSignals()
{
    connect(cmdChoose, &QPushButton::clicked, this, [this] { chooseFile(); });
    connect(cmdImport, &QPushButton::clicked, this, [this] { importLines(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { close(); });
    connect(cmdSetOther, &QPushButton::clicked, this, &frmImport::setOtherForSelection);
    connect(cmdRule, &QPushButton::clicked, this, &frmImport::addRule);
    connect(
        txtFilter, &QLineEdit::textChanged, m_shown, &QSortFilterProxyModel::setFilterFixedString);
    // The rule offered is the payee of the line chosen.
    connect(tblLines->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) {
            const QModelIndex row = m_shown->mapToSource(current);
            if (!row.isValid() || row.row() >= m_model->plan().lines().size())
                return;
            const ImportLine& line = m_model->plan().lines().at(row.row());
            txtRuleText->setText(
                PayeeKey(line.source.payee.isEmpty() ? line.narration : line.source.payee));
        });
    // A name no account has offers to add it, as in the entry window; on No
    // the focus goes back to the box, which has no account chosen.
    auto* offer = new NewAccountOffer(this, book(), {cmbAccount, cmbOther});
    connect(offer, &NewAccountOffer::left, this, [](AccountCombo* box, TypedAccount result) {
        if (result == TypedAccount::Declined)
            QTimer::singleShot(0, box, [box] {
                box->setFocus(Qt::OtherFocusReason);
                box->lineEdit()->selectAll();
            });
    });
    connect(cmbAccount, &AccountCombo::choiceChanged, this, [this] {
        if (!m_filling)
            followAccount();
    });
    connect(cmbPart, &QComboBox::currentIndexChanged, this, [this](int part) {
        if (!m_filling)
            showPart(part);
    });
    connect(m_model, &ImportLinesModel::includeChanged, this, &frmImport::updateSummary);
    const auto changed = [this] {
        if (!m_filling)
            rebuild();
    };
    for (QComboBox* box : {cmbDateColumn, cmbDateOrder, cmbAmountColumn, cmbOutColumn, cmbInColumn,
             cmbReference, cmbDirection})
        connect(box, &QComboBox::currentIndexChanged, this, changed);
    connect(cmbSeparator, &QComboBox::currentIndexChanged, this, [this] {
        if (m_filling)
            return;
        // Other separators make other columns: guessed again with this one.
        QStringList doubts;
        const CsvMapping m
            = GuessCsvMapping(m_bytes, nullptr, &doubts, char(cmbSeparator->currentData().toInt()));
        showMapping(m);
        markGuess(true, doubts);
        rebuild();
    });
    // Other lines skipped put another row at the top: its names head the columns.
    connect(spnSkip, &QSpinBox::valueChanged, this, [this] {
        if (m_filling)
            return;
        showMapping(mappingShown());
        rebuild();
    });
    for (QAbstractButton* box : std::initializer_list<QAbstractButton*> {
             chkHeader, chkDecimalComma, optSigned, optTwoColumns, chkReverse})
        connect(box, &QAbstractButton::toggled, this, changed);
    for (QLineEdit* box : {txtTextColumns, txtOutWord, txtInWord})
        connect(box, &QLineEdit::editingFinished, this, changed);
    connect(cmdConfirm, &QPushButton::clicked, this, [this] {
        markGuess(false);
        tblLines->setFocus();
    });
}

bool frmImport::chooseFile()
{
    FileRequest request;
    request.kind = FileRequest::Open;
    request.title = kTitle;
    request.filter = QStringLiteral("Statements (*.csv *.ofx *.qfx *.qif *.txt);;All files (*)");
    request.folder
        = GetSetting(QStringLiteral("Import"), QStringLiteral("folder"), book().dataFolder());
    const QString path = FileDialogs::current().choose(request);
    if (path.isEmpty())
        return false;
    SaveSetting(QStringLiteral("Import"), QStringLiteral("folder"), QFileInfo(path).absolutePath());
    return loadFile(path);
}

bool frmImport::loadFile(const QString& path)
{
    QByteArray bytes;
    QString why;
    if (!LoadStatementFile(path, &bytes, &why)) {
        MsgBox(VisibleText(QDir::toNativeSeparators(path)) + QStringLiteral(": ") + why,
            MsgIcon::Exclamation, kTitle);
        return false;
    }
    m_bytes = std::move(bytes);
    m_path = path;
    m_statement.reset();
    m_parts.clear();
    m_plans.clear();
    m_part = 0;
    m_format = DetectStatementFormat(m_bytes);
    m_profileAccount = 0;
    lblFile->setText(QDir::toNativeSeparators(path) + QStringLiteral("  (")
        + StatementFormatTitle(m_format) + QLatin1Char(')'));
    fraCsv->setEnabled(m_format == StatementFormat::Csv);
    QString ambiguity;
    markGuess(false);
    if (m_format == StatementFormat::Csv) {
        QStringList doubts;
        CsvMapping mapping = GuessCsvMapping(m_bytes, &ambiguity, &doubts);
        const QString profile = CsvProfileForHeader(CsvHeaderKey(m_bytes, mapping));
        const std::optional<CsvMapping> saved
            = profile.isEmpty() ? std::nullopt : LoadCsvProfile(profile);
        if (saved) {
            mapping = *saved;
            ambiguity.clear();
        }
        m_profileAccount = saved ? CsvProfileAccount(profile) : 0;
        showMapping(mapping);
        markGuess(!saved, doubts);
        txtProfile->setText(profile.isEmpty() ? QFileInfo(path).completeBaseName() : profile);
    }
    rebuild();
    if (!ambiguity.isEmpty() && !mappingShown().dateOrder) {
        MsgBox(QStringLiteral("The statement does not show ") + ambiguity
                + QStringLiteral(". Choose the date order in the CSV columns."),
            MsgIcon::Information, kTitle);
        cmbDateOrder->setFocus();
        return false;
    }
    if (m_statementError.isEmpty())
        (cmbAccount->selectedCode() ? static_cast<QWidget*>(tblLines) : cmbAccount)->setFocus();
    return m_statementError.isEmpty();
}

void frmImport::showMapping(const CsvMapping& m)
{
    m_filling = true;
    CsvRows first;
    StatementError ignored;
    QStringList names;
    int columns = 0;
    // The heading (or the first values) names the columns.
    ReadCsvRows(m_bytes, m, &first, &ignored, 50);
    for (const QStringList& row : first.rows)
        columns = std::max(columns, int(row.size()));
    if (!first.rows.isEmpty())
        names = first.rows.first();
    columns = std::max(columns, m.neededColumns());
    cmbSeparator->setCurrentIndex(std::max(0, cmbSeparator->findData(int(m.separator))));
    chkHeader->setChecked(m.header);
    chkDecimalComma->setChecked(m.decimalComma);
    for (QComboBox* box : {cmbDateColumn, cmbAmountColumn, cmbOutColumn, cmbInColumn})
        fillColumns(box, names, columns, false);
    fillColumns(cmbReference, names, columns, true);
    fillColumns(cmbDirection, names, columns, true);
    spnSkip->setValue(m.skipLines);
    chooseColumn(cmbDirection, m.directionColumn);
    txtOutWord->setText(m.outWord);
    txtInWord->setText(m.inWord);
    chkReverse->setChecked(m.reverseSigns);
    chooseColumn(cmbDateColumn, m.dateColumn);
    cmbDateOrder->setCurrentIndex(m.dateOrder ? cmbDateOrder->findData(int(*m.dateOrder)) : -1);
    const bool two = m.amountColumn < 0 && m.outColumn >= 0;
    optTwoColumns->setChecked(two);
    optSigned->setChecked(!two);
    chooseColumn(cmbAmountColumn, m.amountColumn);
    chooseColumn(cmbOutColumn, m.outColumn);
    chooseColumn(cmbInColumn, m.inColumn);
    chooseColumn(cmbReference, m.referenceColumn);
    QStringList text;
    for (int c : m.textColumns)
        text << QString::number(c + 1);
    txtTextColumns->setText(text.join(QLatin1Char(',')));
    m_filling = false;
}

CsvMapping frmImport::mappingShown() const
{
    CsvMapping m;
    m.separator = char(cmbSeparator->currentData().toInt());
    m.header = chkHeader->isChecked();
    m.decimalComma = chkDecimalComma->isChecked();
    m.dateColumn = columnOf(cmbDateColumn);
    if (cmbDateOrder->currentIndex() >= 0)
        m.dateOrder = DateOrder(cmbDateOrder->currentData().toInt());
    if (optTwoColumns->isChecked()) {
        m.outColumn = columnOf(cmbOutColumn);
        m.inColumn = columnOf(cmbInColumn);
    } else {
        m.amountColumn = columnOf(cmbAmountColumn);
    }
    m.referenceColumn = columnOf(cmbReference);
    m.skipLines = spnSkip->value();
    m.directionColumn = columnOf(cmbDirection);
    m.outWord = txtOutWord->text().trimmed();
    m.inWord = txtInWord->text().trimmed();
    m.reverseSigns = chkReverse->isChecked();
    for (const QString& part : txtTextColumns->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int c = part.trimmed().toInt(&ok);
        if (ok && c >= 1 && c <= 10000)
            m.textColumns << c - 1;
    }
    return m;
}

void frmImport::markGuess(bool guessed, const QStringList& doubts)
{
    m_guessed = guessed;
    m_doubts = guessed ? doubts : QStringList();
    lblGuess->setText(!guessed ? QString()
            : doubts.isEmpty()
            ? QStringLiteral("Guessed columns: check them against the lines below.")
            : QStringLiteral("Guessed columns, unsure: ") + doubts.join(QStringLiteral("; "))
                + QStringLiteral(". Choose the columns."));
    lblGuess->setToolTip(lblGuess->text());
    lblGuess->setStyleSheet(guessed ? QStringLiteral("color: #b00000") : QString());
    lblGuess->setVisible(guessed);
    cmdConfirm->setVisible(guessed);
}

void frmImport::rebuild()
{
    if (m_path.isEmpty())
        return;
    // OFX and QIF files read the same every time: they are read once (libofx
    // takes its time over a long statement), CSV files with the columns shown.
    if (m_format == StatementFormat::Csv || !m_statement) {
        Statement statement;
        StatementError error;
        const CsvMapping mapping = m_format == StatementFormat::Csv ? mappingShown() : CsvMapping();
        m_statementError.clear();
        if (!ReadStatement(m_bytes, m_format, mapping, &statement, &error))
            m_statementError = error.text();
        m_statement = statement;
    }
    const QList<Statement> parts = SplitStatementByAccount(*m_statement);
    const FileChoices remembered = choicesByFile().value(fileKey(m_path));
    // The account of each part: as chosen while the file is open, else the
    // one paired with its bank account by an earlier import.
    QList<int> accounts;
    for (qsizetype p = 0; p < parts.size(); ++p) {
        const bool same
            = p < m_parts.size() && m_parts.at(p).bankAccountId == parts.at(p).bankAccountId;
        int account = same ? m_plans.at(p).account() : 0;
        if (p == m_part && same)
            account = cmbAccount->selectedCode().value_or(0);
        if (!same)
            account = PairedAccount(book().document(), parts.at(p).bankAccountId);
        // A file opened again takes what was chosen for it; a CSV file the
        // account its profile names. Else a new file starts without one: a
        // card statement must not fall into the bank account last shown.
        if (!same && !account)
            account = remembered.accounts.value(p);
        if (!same && !account && m_format == StatementFormat::Csv)
            account = m_profileAccount;
        accounts << account;
    }
    // The other accounts chosen stay with their lines.
    QHash<QString, int> chosen = remembered.others;
    for (const ImportPlan* plan : plans())
        chosen.insert(plan->choices());
    m_parts = parts;
    m_plans.clear();
    for (qsizetype p = 0; p < parts.size(); ++p) {
        m_plans << ImportPlan::make(
            book().document(), accounts.at(p), parts.at(p), ImportMatchDays());
        m_plans.last().applyChoices(chosen);
    }
    m_filling = true;
    cmbPart->clear();
    for (const Statement& part : m_parts)
        cmbPart->addItem(
            (part.bankAccountId.isEmpty() ? QStringLiteral("(the whole file)") : part.bankAccountId)
            + QStringLiteral(" (") + QString::number(part.lines.size())
            + QStringLiteral(" lines)"));
    cmbPart->setEnabled(m_parts.size() > 1);
    m_part = std::clamp(m_part, 0, int(m_parts.size()) - 1);
    cmbPart->setCurrentIndex(m_part);
    m_filling = false;
    showPart(m_part);
}

void frmImport::followAccount()
{
    const int account = cmbAccount->selectedCode().value_or(0);
    if (m_parts.isEmpty() || account == m_model->plan().account())
        return;
    ImportPlan plan
        = ImportPlan::make(book().document(), account, m_parts.at(m_part), ImportMatchDays());
    plan.applyChoices(m_model->plan().choices());
    m_model->setPlan(std::move(plan), [this](int code) { return accountName(code); });
    updateSummary();
}

void frmImport::showPart(int part)
{
    if (part < 0 || part >= m_parts.size())
        return;
    if (m_part < m_plans.size() && part != m_part)
        m_plans[m_part] = m_model->plan();
    m_part = part;
    m_filling = true;
    if (const int account = m_plans.at(part).account())
        cmbAccount->chooseCode(account);
    else
        cmbAccount->setCurrentIndex(-1);
    m_filling = false;
    m_model->setPlan(m_plans.at(part), [this](int code) { return accountName(code); });
    updateSummary();
}

QList<const ImportPlan*> frmImport::plans() const
{
    QList<const ImportPlan*> all;
    for (qsizetype p = 0; p < m_plans.size(); ++p)
        all << (p == m_part ? &m_model->plan() : &m_plans.at(p));
    return all;
}

QString frmImport::accountName(int code) const
{
    const int index = cmbOther->findData(code);
    return index >= 0 ? cmbOther->itemText(index) : QString::number(code);
}

void frmImport::updateSummary()
{
    if (!m_statementError.isEmpty()) {
        lblSummary->setText(QStringLiteral("The statement cannot be read as ")
            + StatementFormatTitle(m_format) + QStringLiteral(": ") + m_statementError);
        cmdImport->setEnabled(false);
        return;
    }
    const ImportPlan& plan = m_model->plan();
    int counts[4] = {0, 0, 0, 0};
    for (const ImportLine& l : plan.lines())
        ++counts[int(l.status)];
    QString text = m_path.isEmpty()
        ? QStringLiteral("Choose the statement file.")
        : QString::number(plan.lines().size()) + QStringLiteral(" lines: ")
            + QString::number(counts[0]) + QStringLiteral(" new, ") + QString::number(counts[1])
            + QStringLiteral(" already in the book, ") + QString::number(counts[2])
            + QStringLiteral(" repeated, ") + QString::number(counts[3])
            + QStringLiteral(" in error; ") + QString::number(m_model->importable())
            + QStringLiteral(" checked with another account.");
    if (m_parts.size() > 1) {
        int ready = 0;
        for (const ImportPlan* p : plans())
            ready += p->account() != 0;
        text = QStringLiteral("Part ") + QString::number(m_part + 1) + QStringLiteral(" of ")
            + QString::number(m_parts.size()) + QStringLiteral(" (") + QString::number(ready)
            + QStringLiteral(" with an account): ") + text;
    }
    if (!m_path.isEmpty()) {
        if (const QString notes = StatementNotes(m_parts, plans()); !notes.isEmpty())
            text += QStringLiteral(" Note: ") + notes + QLatin1Char('.');
    }
    lblSummary->setText(text);
    cmdImport->setEnabled(!m_path.isEmpty());
    // Every change of an account or an other account passes here.
    rememberChoices();
}

void frmImport::rememberChoices() const
{
    if (m_path.isEmpty() || m_plans.isEmpty())
        return;
    FileChoices& kept = choicesByFile()[fileKey(m_path)];
    kept.accounts.clear();
    for (const ImportPlan* plan : plans()) {
        kept.accounts << plan->account();
        kept.others.insert(plan->choices());
    }
}

QList<int> frmImport::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : tblLines->selectionModel()->selectedRows())
        rows << m_shown->mapToSource(index).row();
    if (rows.isEmpty() && tblLines->currentIndex().isValid())
        rows << m_shown->mapToSource(tblLines->currentIndex()).row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void frmImport::setOtherForSelection()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty()) {
        MsgBox(QStringLiteral("Select the lines in the list first."), MsgIcon::Information, kTitle);
        tblLines->setFocus();
        return;
    }
    const std::optional<int> code = otherChosen();
    if (!code)
        return;
    m_model->setOther(rows, *code);
    tblLines->setFocus();
}

std::optional<int> frmImport::otherChosen()
{
    const std::optional<int> code = cmbOther->selectedCode();
    if (!code) {
        MsgBox(QStringLiteral("Choose the other account from the list."), MsgIcon::Information,
            kTitle);
        cmbOther->setFocus();
        return std::nullopt;
    }
    if (*code == cmbAccount->selectedCode().value_or(0)) {
        MsgBox(QStringLiteral("The other account cannot be the statement's account."),
            MsgIcon::Information, kTitle);
        cmbOther->setFocus();
        return std::nullopt;
    }
    return code;
}

void frmImport::addRule()
{
    const QString text = txtRuleText->text().simplified();
    if (text.isEmpty()) {
        MsgBox(QStringLiteral("Type the text the rule looks for."), MsgIcon::Information, kTitle);
        txtRuleText->setFocus();
        return;
    }
    const std::optional<int> code = otherChosen();
    if (!code)
        return;
    DataStore& store = book();
    if (store.refuseChange())
        return;
    AddImportRule(store.document(), {text, *code}, &store.history());
    if (!store.SaveDocument()) {
        // The store has told the user; the book stays as the file has it.
        store.history().revertLast(store.document());
        return;
    }
    // The lines are decided again: the rule applies to this statement too.
    rebuild();
    tblLines->setFocus();
}

bool frmImport::importLines()
{
    if (m_path.isEmpty()) {
        MsgBox(QStringLiteral("Choose the statement file first."), MsgIcon::Information, kTitle);
        cmdChoose->setFocus();
        return false;
    }
    if (!m_statementError.isEmpty()) {
        MsgBox(QStringLiteral("The statement cannot be read as ") + StatementFormatTitle(m_format)
                + QStringLiteral(": ") + VisibleText(m_statementError),
            MsgIcon::Exclamation, kTitle);
        return false;
    }
    followAccount();
    const QList<const ImportPlan*> all = plans();
    if (std::none_of(all.begin(), all.end(), [](const ImportPlan* p) { return p->account(); })) {
        MsgBox(QStringLiteral("Choose the account the statement belongs to."), MsgIcon::Information,
            kTitle);
        cmbAccount->setFocus();
        return false;
    }
    int importable = 0;
    for (const ImportPlan* plan : all)
        importable += plan->account() ? plan->importable() : 0;
    if (importable == 0) {
        MsgBox(QStringLiteral("No checked line has another account: nothing is imported."),
            MsgIcon::Information, kTitle);
        tblLines->setFocus();
        return false;
    }
    if (m_format == StatementFormat::Csv && m_guessed) {
        // A guess is used only once the person has seen it.
        const QString question = QStringLiteral("The CSV columns were guessed")
            + (m_doubts.isEmpty() ? QString()
                                  : QStringLiteral(" and the guess is unsure: ")
                        + m_doubts.join(QStringLiteral("; ")))
            + QStringLiteral(".\nImport with these columns?");
        if (MsgBox(question, MsgIcon::Question, kTitle, MsgButtons::YesNo,
                m_doubts.isEmpty() ? MsgResult::Yes : MsgResult::No)
            != MsgResult::Yes) {
            cmdConfirm->setFocus();
            return false;
        }
        markGuess(false);
    }
    DataStore& store = book();
    if (store.refuseChange())
        return false;
    // Every part with an account, as one step of the undo history.
    ImportCounts counts;
    const bool several = all.size() > 1;
    if (several)
        store.history().beginGroup(QStringLiteral("import of ") + QFileInfo(m_path).fileName());
    for (const ImportPlan* plan : all) {
        if (!plan->account())
            continue;
        const ImportCounts part = ApplyImport(store.document(), *plan, &store.history());
        counts.imported += part.imported;
        counts.inBook += part.inBook;
        counts.leftOut += part.leftOut;
        counts.changed = counts.changed || part.changed;
    }
    if (several)
        store.history().endGroup();
    // One save: the .bak holds the book as it was just before the import.
    const bool saved = counts.changed && store.SaveDocument();
    if (counts.changed)
        AnnounceBookChange(BookChange::Transactions, this);
    if (saved && m_format == StatementFormat::Csv) {
        const CsvMapping mapping = mappingShown();
        const QString name = txtProfile->text().trimmed();
        if (!name.isEmpty()) {
            SaveCsvProfile(name, mapping, CsvHeaderKey(m_bytes, mapping));
            SaveCsvProfileAccount(name, m_model->plan().account());
        }
    }
    if (saved)
        MsgBox(QStringLiteral("Imported ") + QString::number(counts.imported)
                + (counts.imported == 1 ? QStringLiteral(" transaction")
                                        : QStringLiteral(" transactions"))
                + QStringLiteral("; already in the book ") + QString::number(counts.inBook)
                + QStringLiteral(", left out ") + QString::number(counts.leftOut)
                + QLatin1Char('.'),
            MsgIcon::Information, kTitle);
    rebuild();
    tblLines->setFocus();
    return saved;
}

bool frmImport::previewKey(QWidget* target, QKeyEvent* key)
{
    // Space turns the include boxes of the selected lines over.
    if (target == tblLines && key->type() == QEvent::KeyPress && key->key() == Qt::Key_Space
        && key->modifiers() == Qt::NoModifier) {
        m_model->toggleInclude(selectedRows());
        return true;
    }
    return false;
}

void frmImport::bookChanged(const BookChange& change)
{
    if (change.has(BookChange::Accounts)) {
        cmbAccount->refillAccounts(book().AcMasterSection());
        cmbOther->refillAccounts(book().AcMasterSection());
    }
    // Statuses and suggestions follow the transactions. A change to the
    // accounts alone keeps the lines as the user set them (and the rows
    // selected) unless one of their other accounts is no longer there.
    if (change.has(BookChange::Transactions)) {
        rebuild();
        return;
    }
    if (change.has(BookChange::Accounts)) {
        QSet<int> codes;
        for (int i = 0; i < cmbOther->count(); ++i)
            codes.insert(cmbOther->itemData(i).toInt());
        const QList<ImportLine>& lines = m_model->plan().lines();
        if (std::any_of(lines.begin(), lines.end(),
                [&codes](const ImportLine& l) { return l.other != 0 && !codes.contains(l.other); }))
            rebuild();
        else
            m_model->refreshNames();
    }
}

} // namespace qb
