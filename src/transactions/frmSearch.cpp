#include "transactions/frmSearch.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/DateBox.h"
#include "controls/neb.h"
#include "controls/sesPanel.h"
#include "engine/ShortDate.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/UiServices.h"
#include "store/Utilities.h"
#include "windows/BookChanges.h"
#include "windows/DateRangeMenu.h"
#include "windows/DateSelector.h"
#include "windows/FileAsk.h"
#include "windows/HtmlView.h"

namespace qb {

namespace {

template <class W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

neb* amountBox(QWidget* parent, const char* name)
{
    auto* box = named(new neb(parent), name);
    // As many digits as a transaction's amount may have.
    box->setIntegerSize(9);
    // Enter moves on (the box's own default): the box keeps Enter from the
    // window's key preview, so it must do the moving itself.
    box->setMinimumWidth(120);
    return box;
}

} // namespace

frmSearch::frmSearch(const BookContext& book, QWidget* parent)
    : DataWindow(parent)
    , m_book(book)
{
    buildUi();
    connectSignals();
    Form_Load();
}

QWidget* frmSearch::buildCriteria()
{
    Frame2 = named(new QGroupBox(QStringLiteral("Search Transactions"), fraContainer), "Frame2");

    chkDate = named(new QCheckBox(QStringLiteral("Date"), Frame2), "chkDate");
    m_dates = new DateSelector(m_book, Frame2);
    debFromDate = named(m_dates->debFrom, "debFromDate");
    debToDate = named(m_dates->debTo, "debToDate");
    VScrollFrom = m_dates->VScrollFrom;
    VScrollTo = m_dates->VScrollTo;
    // The check box names the criterion: the labels and their access keys are not used here.
    for (QLabel* unused : {m_dates->lblFrom, m_dates->lblTo}) {
        unused->hide();
        unused->setText(QString());
    }
    cmdDateSelect = m_dates->cmdDateSelect;
    // Here the arrow button shows the quick-date panel; the date ranges have a button of their own.
    disconnect(cmdDateSelect, nullptr, m_dates, nullptr);
    cmdSelectDate
        = named(new QPushButton(QStringLiteral("D&ate ranges..."), Frame2), "cmdSelectDate");
    cmdSelectDate->setToolTip(QStringLiteral("Saved date ranges"));

    chkAccount = named(new QCheckBox(QStringLiteral("Account"), Frame2), "chkAccount");
    lstAccounts = named(new QListWidget(Frame2), "lstAccounts");
    lstAccounts->setSelectionMode(QAbstractItemView::MultiSelection);
    lstAccounts->setMinimumSize(220, 90);
    lstAccounts->setMaximumHeight(110); // leaves the view room
    Frame3 = named(new QGroupBox(QStringLiteral("Account In"), Frame2), "Frame3");
    optFromOrTo = named(new QRadioButton(QStringLiteral("From or To"), Frame3), "optFromOrTo");
    optFromOnly = named(new QRadioButton(QStringLiteral("From"), Frame3), "optFromOnly");
    optToOnly = named(new QRadioButton(QStringLiteral("To"), Frame3), "optToOnly");
    optFromOrTo->setChecked(true);
    auto* sides = new QVBoxLayout(Frame3);
    sides->addWidget(optFromOrTo);
    sides->addWidget(optFromOnly);
    sides->addWidget(optToOnly);

    chkAmount = named(new QCheckBox(QStringLiteral("Amount"), Frame2), "chkAmount");
    cmbAmount = named(new QComboBox(Frame2), "cmbAmount");
    nebFromAmount = amountBox(Frame2, "nebFromAmount");
    lblAmountRangeSep = named(new QLabel(QStringLiteral("-"), Frame2), "lblAmountRangeSep");
    nebToAmount = amountBox(Frame2, "nebToAmount");

    chkDetails = named(new QCheckBox(QStringLiteral("Details"), Frame2), "chkDetails");
    cmbDetails = named(new QComboBox(Frame2), "cmbDetails");
    cmbDetails->addItems(
        {QStringLiteral("Contains"), QStringLiteral("Equals"), QStringLiteral("Not contain")});
    txtDetails = named(new QLineEdit(Frame2), "txtDetails");
    txtDetails->setMinimumWidth(200);
    cmdDetailsHelp = named(new QPushButton(QStringLiteral("?"), Frame2), "cmdDetailsHelp");
    cmdDetailsHelp->setToolTip(QStringLiteral("How to search with AND or OR"));
    cmdDetailsHelp->setFixedWidth(28);

    chkStatus = named(new QCheckBox(QStringLiteral("Status"), Frame2), "chkStatus");
    cmbStatus = named(new QComboBox(Frame2), "cmbStatus");
    // In the order of TransactionStatus.
    for (const TransactionStatus s : {TransactionStatus::NotCleared, TransactionStatus::Cleared,
             TransactionStatus::Reconciled}) {
        QString word = StatusWord(s);
        word[0] = word[0].toUpper();
        cmbStatus->addItem(word);
    }

    cmdSearch = named(new QPushButton(QStringLiteral("&Search"), Frame2), "cmdSearch");
    cmdPrint = named(new QPushButton(QStringLiteral("Pr&int"), Frame2), "cmdPrint");
    cmdExport = named(new QPushButton(QStringLiteral("Exp&ort to CSV"), Frame2), "cmdExport");
    cmdClose = named(new QPushButton(QStringLiteral("&Close"), Frame2), "cmdClose");

    auto* dates = new QHBoxLayout;
    dates->setSpacing(0);
    dates->addWidget(debFromDate);
    dates->addWidget(VScrollFrom);
    dates->addSpacing(8);
    dates->addWidget(new QLabel(QStringLiteral("-"), Frame2));
    dates->addSpacing(8);
    dates->addWidget(debToDate);
    dates->addWidget(VScrollTo);
    dates->addSpacing(4);
    dates->addWidget(cmdDateSelect);
    dates->addSpacing(8);
    dates->addWidget(cmdSelectDate);
    dates->addSpacing(8);
    dates->addWidget(m_dates->lblDateOrder);
    dates->addStretch();
    buildQuickPanel();

    auto* accounts = new QHBoxLayout;
    accounts->addWidget(lstAccounts, 1);
    accounts->addWidget(Frame3, 0, Qt::AlignTop);

    auto* amount = new QHBoxLayout;
    amount->addWidget(cmbAmount);
    amount->addWidget(nebFromAmount);
    amount->addWidget(lblAmountRangeSep);
    amount->addWidget(nebToAmount);
    amount->addStretch();

    auto* detailsRow = new QHBoxLayout;
    detailsRow->addWidget(cmbDetails);
    detailsRow->addWidget(txtDetails, 1);
    detailsRow->addWidget(cmdDetailsHelp);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdSearch, cmdPrint, cmdExport, cmdClose}) {
        b->setAutoDefault(false);
        // Print and Export come and go with results; the others stay in place.
        QSizePolicy policy = b->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        b->setSizePolicy(policy);
        buttons->addWidget(b);
    }
    buttons->addStretch();

    auto* grid = new QGridLayout(Frame2);
    grid->addWidget(chkDate, 0, 0, Qt::AlignTop);
    grid->addLayout(dates, 0, 1);
    grid->addWidget(chkAccount, 1, 0, Qt::AlignTop);
    grid->addLayout(accounts, 1, 1);
    grid->addWidget(chkAmount, 2, 0);
    grid->addLayout(amount, 2, 1);
    grid->addWidget(chkDetails, 3, 0);
    grid->addLayout(detailsRow, 3, 1);
    grid->addWidget(chkStatus, 4, 0);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(cmbStatus);
    statusRow->addStretch();
    grid->addLayout(statusRow, 4, 1);
    grid->addLayout(buttons, 0, 2, 5, 1);
    grid->setColumnStretch(1, 1);
    return Frame2;
}

void frmSearch::buildQuickPanel()
{
    // A panel over the window, below the dates, while it is shown.
    fraQuickDateSelect = named(new sesPanel(this), "fraQuickDateSelect");
    fraQuickDateSelect->setCaption(QStringLiteral("Quick date selector"));
    QGroupBox* quick = m_dates->Frame1;
    quick->setParent(fraQuickDateSelect);
    quick->setTitle(QString());
    quick->setFlat(true);
    cmdDateSelectClose
        = named(new QPushButton(QStringLiteral("Close"), fraQuickDateSelect), "cmdDateSelectClose");
    cmdDateSelectClose->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addWidget(quick);
    row->addWidget(cmdDateSelectClose, 0, Qt::AlignBottom);
    row->addStretch();
    auto* panel = new QVBoxLayout(fraQuickDateSelect);
    const QRect inner = fraQuickDateSelect->contentsRectBelowCaption();
    panel->setContentsMargins(inner.left() + 2, inner.top() + 2, 4, 4);
    panel->addLayout(row);
    fraQuickDateSelect->resize(fraQuickDateSelect->sizeHint());
    fraQuickDateSelect->hide();
}

void frmSearch::placeQuickPanel()
{
    const QPoint below = debFromDate->mapTo(this, QPoint(0, debFromDate->height() + 2));
    fraQuickDateSelect->move(below);
    fraQuickDateSelect->raise();
}

void frmSearch::buildUi()
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Search Transactions"));

    fraContainer = named(new QFrame(this), "fraContainer");
    auto* containerLayout = new QVBoxLayout(fraContainer);
    containerLayout->setContentsMargins(0, 0, 0, 0);
    containerLayout->addWidget(buildCriteria());
    containerLayout->addWidget(WebBrowser1, 1);
    WebBrowser1->setMinimumHeight(120);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(fraContainer);

    setUpPleaseWait(QStringLiteral("Loading data. Please wait ..."), WaitPlace::Middle);

    QWidget* order[] = {chkDate, debFromDate, debToDate, cmdDateSelect, cmdSelectDate, chkAccount,
        lstAccounts, optFromOrTo, optFromOnly, optToOnly, chkAmount, cmbAmount, nebFromAmount,
        nebToAmount, chkDetails, cmbDetails, txtDetails, cmdDetailsHelp, chkStatus, cmbStatus,
        cmdSearch, cmdPrint, cmdExport, cmdClose, WebBrowser1};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    // Tiling never makes the criteria overlap: the window stays at least this large.
    setMinimumSize(minimumSizeHint());
    resize(760, 560);
}

void frmSearch::connectSignals()
{
    for (QCheckBox* box : {chkDate, chkAccount, chkAmount, chkDetails, chkStatus})
        connect(box, &QCheckBox::toggled, this, &frmSearch::enableCriteria);
    connect(cmbAmount, &QComboBox::currentIndexChanged, this, &frmSearch::cmbAmount_Click);
    connect(cmdDateSelect, &QToolButton::clicked, this, [this] {
        placeQuickPanel();
        fraQuickDateSelect->setVisible(!fraQuickDateSelect->isVisible());
    });
    connect(cmdDateSelectClose, &QPushButton::clicked, fraQuickDateSelect, &QWidget::hide);
    connect(cmdSelectDate, &QPushButton::clicked, this, &frmSearch::cmdSelectDate_Click);
    // The quick buttons set the dates first (the selector's own handler);
    // the search follows only while the date criterion is ticked. The spin
    // bars and typed dates change the dates alone.
    for (int i = 1; i <= 3; ++i) {
        connect(m_dates->cmdQuickDateSelect[i], &QPushButton::clicked, this, [this] {
            if (chkDate->isChecked())
                RefreshList();
        });
    }
    connect(cmdSearch, &QPushButton::clicked, this, &frmSearch::cmdSearch_Click);
    connect(cmdPrint, &QPushButton::clicked, this, [this] { printPage(); });
    connect(cmdExport, &QPushButton::clicked, this, &frmSearch::cmdExport_Click);
    connect(cmdClose, &QPushButton::clicked, this, [this] { close(); });
    connect(cmdDetailsHelp, &QPushButton::clicked, this, &frmSearch::cmdDetailsHelp_Click);
    setEnterAsTab(true);
}

void frmSearch::Form_Load()
{

    const QDate today = m_book.clock.today();
    m_dates->setDates(QDate(today.year(), today.month(), 1), today);

    Error error;
    if (!m_report.load(&error))
        MsgBox(error.description);
    {
        BusyScope busy(this);
        WebBrowser1->blank();
    }
    FillAccounts();
    cmbAmount->addItems(SearchAmountOperators());
    cmbAmount->setCurrentIndex(0);
    cmbDetails->setCurrentIndex(0);
    enableCriteria();
    cmbAmount_Click();
    RefreshList();
    joinWindowList();
}

void frmSearch::FillAccounts()
{
    lstAccounts->clear();
    if (!m_book.store.hasDocument())
        return;
    for (const XmlNode& a : m_book.store.AcMasterSection().childElements()) {
        auto* item = new QListWidgetItem(a.attributeValue(1));
        item->setData(Qt::UserRole, a.attributeValue(0).toInt());
        // The list keeps itself in alphabetical order, letter case ignored.
        int at = lstAccounts->count();
        for (int i = 0; i < lstAccounts->count(); ++i) {
            if (lstAccounts->item(i)->text().compare(item->text(), Qt::CaseInsensitive) > 0) {
                at = i;
                break;
            }
        }
        lstAccounts->insertItem(at, item);
    }
}

void frmSearch::bookChanged(const BookChange& change)
{
    if (!m_book.store.hasDocument() || !change.has(BookChange::Accounts | BookChange::Transactions))
        return;
    if (change.has(BookChange::Accounts)) {
        QList<int> chosen;
        for (const QListWidgetItem* item : lstAccounts->selectedItems())
            chosen.append(item->data(Qt::UserRole).toInt());
        const int top = lstAccounts->verticalScrollBar()->value();
        FillAccounts();
        for (int i = 0; i < lstAccounts->count(); ++i) {
            QListWidgetItem* item = lstAccounts->item(i);
            item->setSelected(chosen.contains(item->data(Qt::UserRole).toInt()));
        }
        lstAccounts->verticalScrollBar()->setValue(top);
    }
    // An amount being mended waits for the user's own search: no message
    // comes up for a refresh nobody asked for.
    if (chkAmount->isChecked()
        && (amountUnreadable(nebFromAmount) || amountUnreadable(nebToAmount)))
        return;
    keepingScroll([this] { RefreshList(); });
}

std::function<void()> frmSearch::prepareForChange(const BookChange& change)
{
    m_prepared.reset();
    // A change of transactions only (the account list stays as it is), and
    // a search that bookChanged runs without a word.
    if (change.kinds != BookChange::Transactions || mblnDisableRefreshReport
        || !m_book.store.hasDocument()
        || (chkAmount->isChecked()
            && (amountUnreadable(nebFromAmount) || amountUnreadable(nebToAmount))))
        return {};
    auto prepared = std::make_shared<Prepared>();
    prepared->at = BookChanges::instance().announced();
    prepared->predicate = BuildSearchPredicate(criteria());
    prepared->dateExpression = DateDisplayExpression();
    const XmlDocument* data = &m_book.store.document();
    return [this, data, prepared] {
        prepared->found = prepared->report.run(
            *data, prepared->predicate, prepared->dateExpression, &prepared->error);
        if (prepared->found)
            prepared->page = prepared->report.page(prepared->predicate.summary);
        m_prepared = std::move(*prepared);
    };
}

bool frmSearch::amountUnreadable(const neb* box) const
{
    return box->isVisibleTo(this) && !box->problem().isEmpty();
}

void frmSearch::enableCriteria()
{
    for (QWidget* w : std::initializer_list<QWidget*> {
             debFromDate, debToDate, VScrollFrom, VScrollTo, cmdDateSelect})
        w->setEnabled(chkDate->isChecked());
    for (QWidget* w :
        std::initializer_list<QWidget*> {lstAccounts, optFromOnly, optFromOrTo, optToOnly})
        w->setEnabled(chkAccount->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*> {cmbAmount, nebFromAmount, nebToAmount})
        w->setEnabled(chkAmount->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*> {cmbDetails, txtDetails})
        w->setEnabled(chkDetails->isChecked());
    cmbStatus->setEnabled(chkStatus->isChecked());
}

void frmSearch::cmbAmount_Click()
{
    const bool range = cmbAmount->currentIndex() == cmbAmount->count() - 1;
    lblAmountRangeSep->setVisible(range);
    nebToAmount->setVisible(range);
}

SearchCriteria frmSearch::criteria() const
{
    SearchCriteria c;
    c.byDate = chkDate->isChecked();
    c.from = debFromDate->date();
    c.to = debToDate->date();
    c.byAccount = chkAccount->isChecked();
    c.side = optFromOnly->isChecked() ? SearchCriteria::Side::FromOnly
        : optToOnly->isChecked()      ? SearchCriteria::Side::ToOnly
                                      : SearchCriteria::Side::FromOrTo;
    for (int i = 0; i < lstAccounts->count(); ++i) {
        const QListWidgetItem* item = lstAccounts->item(i);
        if (item->isSelected())
            c.accounts.append({item->data(Qt::UserRole).toInt(), item->text()});
    }
    c.byAmount = chkAmount->isChecked();
    c.op = cmbAmount->currentText();
    // As plain number text ("100", "12.5"), exactly as typed.
    c.amount = nebFromAmount->decimalText();
    c.toAmount = nebToAmount->decimalText();
    c.byDetails = chkDetails->isChecked();
    c.mode = static_cast<SearchCriteria::DetailsMode>(qMax(0, cmbDetails->currentIndex()));
    c.details = txtDetails->text();
    c.byStatus = chkStatus->isChecked();
    c.status = static_cast<TransactionStatus>(qMax(0, cmbStatus->currentIndex()));
    return c;
}

namespace {

// The same search: the same selection, title lines, dates and accounts.
bool samePredicate(const SearchPredicate& a, const SearchPredicate& b)
{
    return a.filter == b.filter && a.summary == b.summary && a.byDate == b.byDate
        && a.fromDate == b.fromDate && a.toDate == b.toDate && a.byAccount == b.byAccount
        && a.side == b.side && a.accounts == b.accounts;
}

} // namespace

void frmSearch::RefreshList()
{
    if (mblnDisableRefreshReport)
        return;
    // An amount the criterion cannot read ("12,50") is never searched for as another one.
    if (chkAmount->isChecked()) {
        for (neb* box : {nebFromAmount, nebToAmount}) {
            if (amountUnreadable(box) && box->refuseUnreadable(QStringLiteral("Search")))
                return;
        }
    }
    BusyScope busy(this);
    const SearchPredicate predicate = BuildSearchPredicate(criteria());
    const QString dateExpression = DateDisplayExpression();
    std::optional<Prepared> prepared;
    prepared.swap(m_prepared);
    if (prepared
        && !(prepared->at == BookChanges::instance().announced()
            && samePredicate(prepared->predicate, predicate)
            && prepared->dateExpression == dateExpression))
        prepared.reset();
    Error error;
    bool found = false;
    withPleaseWait([&] {
        if (prepared) {
            found = prepared->found;
            error = prepared->error;
            if (found)
                m_report = std::move(prepared->report);
        } else {
            found = m_book.store.hasDocument()
                && m_report.run(m_book.store.document(), predicate, dateExpression, &error);
        }
        if (!found)
            return; // the previous result stays in the view
        m_searchResultCount = m_report.count();
        cmdPrint->setVisible(m_searchResultCount > 0);
        cmdExport->setVisible(m_searchResultCount > 0);
        QString page = prepared ? std::move(prepared->page) : m_report.page(predicate.summary);
        showPage(page);
    });
    if (!found)
        MsgBox(error.isSet() ? error.description : QStringLiteral("No data file is open"));
}

void frmSearch::cmdSearch_Click()
{
    m_searchResultCount = 0;
    RefreshList();
}

void frmSearch::cmdExport_Click()
{
    const QString chosen = AskCsvFileName(this, m_book.store.dataFolder(), QString());
    if (chosen.isEmpty())
        return;
    const QString path = CsvFileName(chosen);
    Error error;
    if (!WriteSearchCsv(path, SearchCsv(m_report.result()), &error)) {
        MsgBox(QStringLiteral("The file could not be written:") + QStringLiteral("\r\n") + path
                + QStringLiteral("\r\n") + error.description,
            MsgIcon::Critical, QStringLiteral("Export data failed"));
        return;
    }
    MsgBox(QStringLiteral("Saved ") + QStringLiteral("\r\n") + path, MsgIcon::Information,
        QStringLiteral("Export data complete"));
}

void frmSearch::cmdSelectDate_Click()
{
    ShowDateRangeMenu(m_book, this, debFromDate, debToDate);
    if (chkDate->isChecked())
        RefreshList();
}

void frmSearch::cmdDetailsHelp_Click()
{
    const QString crlf = QStringLiteral("\r\n");
    MsgBox(QStringLiteral("You can use AND or OR (in caps) in between search terms.") + crlf + crlf
            + QStringLiteral("For example:") + crlf + crlf
            + QStringLiteral("Searching \"raj AND sham\" will list all transactions having raj "
                             "and sham in details field.")
            + crlf + crlf
            + QStringLiteral("Searching \"raj OR sham\" will list all transactions having either "
                             "raj or sham in details field."),
        MsgIcon::Information, QStringLiteral("Details field search"));
}

QDate frmSearch::linkFromDate() const
{
    return debFromDate->date();
}

QDate frmSearch::linkToDate() const
{
    return debToDate->date();
}

void frmSearch::resizeEvent(QResizeEvent* event)
{
    DataWindow::resizeEvent(event);
    placeQuickPanel();
}

} // namespace qb
