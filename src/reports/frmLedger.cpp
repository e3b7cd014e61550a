#include "reports/frmLedger.h"

#include <QDateEdit>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "charts/ChartPanel.h"
#include "controls/AccountCombo.h"
#include "controls/DateBox.h"
#include "engine/ShortDate.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/Reconcile.h"
#include "store/Utilities.h"
#include "windows/BookChanges.h"
#include "windows/DateSelector.h"
#include "windows/HtmlView.h"

namespace qb {

frmLedger::frmLedger(const BookContext& book, QWidget* parent)
    : PeriodReportWindow(book, parent)
{
    buildUi();
    connect(cmbAccount, &AccountCombo::choiceChanged, this, &frmLedger::RefreshReport);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmLedger::RefreshReport);
    connect(cmdReconcile, &QPushButton::clicked, this, [this] {
        if (const std::optional<int> code = selectedAccount())
            OpenReconcile(*code);
    });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    // A day on the balance line opens what a date link of the page opens.
    connect(chartPanel(), &ChartPanel::dayChosen, this, [this](const QDate& day) {
        linkClicked(DateTokenPrefix() + day.toString(QStringLiteral("yyyyMMdd")));
    });
    Form_Load();
}

frmLedger::~frmLedger()
{
    disconnect(cmbAccount, nullptr, this, nullptr);
}

QString frmLedger::PlaceholderText()
{
    return QStringLiteral("Select an account from above to display the transaction list.");
}

void frmLedger::buildUi()
{
    setObjectName(QStringLiteral("frmLedger"));
    setWindowTitle(QStringLiteral("Transaction Listing"));

    fraContainer = new QFrame(this);
    fraContainer->setObjectName(QStringLiteral("fraContainer"));
    lblAccount = new QLabel(QStringLiteral("&Account"), fraContainer);
    lblAccount->setObjectName(QStringLiteral("lblAccount"));
    cmbAccount = new AccountCombo(false, fraContainer);
    cmbAccount->setObjectName(QStringLiteral("cmbAccount"));
    cmbAccount->setMinimumContentsLength(28);
    cmbAccount->setMaxVisibleItems(20);
    lblAccount->setBuddy(cmbAccount);

    DateSelector* d = dates();
    for (QWidget* w : std::initializer_list<QWidget*> {d->lblFrom, d->debFrom, d->VScrollFrom,
             d->lblTo, d->debTo, d->VScrollTo, d->cmdDateSelect, d->Frame1})
        w->setParent(fraContainer);

    auto* accountRow = new QHBoxLayout;
    accountRow->addWidget(lblAccount);
    accountRow->addWidget(cmbAccount, 1);
    auto* containerLayout = new QVBoxLayout(fraContainer);
    containerLayout->setContentsMargins(0, 0, 0, 0);
    containerLayout->addLayout(accountRow);
    containerLayout->addLayout(d->standardLayout());

    cmdRefresh = new QPushButton(QStringLiteral("Refre&sh"), this);
    cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    cmdReconcile = new QPushButton(QStringLiteral("Reconci&le..."), this);
    cmdReconcile->setObjectName(QStringLiteral("cmdReconcile"));
    cmdReconcile->setToolTip(QStringLiteral("Check this account against a bank statement"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton* b : {cmdRefresh, cmdReconcile, cmdClose})
        b->setAutoDefault(false);

    // The selection controls stay centred above the page; the buttons stay at the bottom.
    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(fraContainer);
    top->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdRefresh);
    buttons->addWidget(cmdReconcile);
    buttons->addWidget(cmdPrint);
    buttons->addWidget(cmdClose);
    buildViewSwitch({QStringLiteral("Chart")});
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addLayout(top);
    outer->addWidget(viewSwitch);
    outer->addWidget(pageStack, 1);
    outer->addLayout(buttons);
    WebBrowser1->setMinimumHeight(120);

    setTabOrder(cmbAccount, d->debFrom);
    setTabOrder(d->debFrom, d->debTo);
    setTabOrder(d->debTo, d->cmdDateSelect);
    setTabOrder(d->cmdDateSelect, d->optQuick[1]);
    setTabOrder(d->optQuick[1], d->cmdQuickDateSelect[1]);
    setTabOrder(d->cmdQuickDateSelect[1], d->cmdQuickDateSelect[2]);
    setTabOrder(d->cmdQuickDateSelect[2], d->cmdQuickDateSelect[3]);
    setTabOrder(d->cmdQuickDateSelect[3], viewButtons.at(0));
    setTabOrder(viewButtons.at(0), viewButtons.at(1));
    setTabOrder(viewButtons.at(1), cmdSaveChart);
    setTabOrder(cmdSaveChart, WebBrowser1);
    setTabOrder(WebBrowser1, chartPanel());
    setTabOrder(chartPanel(), cmdRefresh);
    setTabOrder(cmdRefresh, cmdReconcile);
    setTabOrder(cmdReconcile, cmdPrint);
    setTabOrder(cmdPrint, cmdClose);

    // Below this size the controls would overlap: the window keeps it even
    // when the main window tiles its children into less room.
    setMinimumSize(minimumSizeHint());
    resize(sizeHint());
}

void frmLedger::Form_Load()
{
    if (book().store.hasDocument())
        cmbAccount->fillAccounts(book().store.AcMasterSection());
    showPlaceholder(PlaceholderText());
    joinWindowList();
}

void frmLedger::RefreshReport()
{
    PeriodReportWindow::RefreshReport();
    if (!m_chooseAfterRefresh.isEmpty())
        WebBrowser1->chooseLink(std::exchange(m_chooseAfterRefresh, QString()));
}

void frmLedger::linkClicked(const QString& token)
{
    if (token.startsWith(LedgerReport::StatusTokenMark()))
        toggleStatus(token);
    else
        PeriodReportWindow::linkClicked(token);
}

bool frmLedger::previewKey(QWidget* target, QKeyEvent* key)
{
    if (target != WebBrowser1 || key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier)
        return false;
    const QString token = DecodeLinkToken(WebBrowser1->chosenLink());
    if (!token.startsWith(LedgerReport::StatusTokenMark()))
        return false;
    toggleStatus(token);
    return true;
}

void frmLedger::toggleStatus(const QString& token)
{
    DataStore& store = book().store;
    if (!store.hasDocument() || store.refuseChange())
        return;
    const QString rest = token.mid(LedgerReport::StatusTokenMark().size());
    const XmlNode t
        = FindTransaction(store.document(), {rest.left(8).toInt(), rest.mid(8).toInt()});
    if (!t)
        return;
    if (!AskBeforeChangingReconciled(t))
        return;
    ToggleCleared(t, &store.history());
    // A failed save has been reported by the store; the change goes out with the next one.
    store.SaveDocument();
    m_chooseAfterRefresh = token;
    AnnounceBookChange(BookChange::Transactions, this);
}

void frmLedger::SelectAccount(int code)
{
    cmbAccount->chooseCode(code);
}

std::optional<int> frmLedger::selectedAccount() const
{
    return cmbAccount->selectedCode();
}

void frmLedger::setFromDate(const QDate& date)
{
    PeriodReportWindow::setFromDate(date);
}

void frmLedger::setToDate(const QDate& date)
{
    PeriodReportWindow::setToDate(date);
}

QWidget* frmLedger::firstInput() const
{
    return cmbAccount;
}

bool frmLedger::buildReport(QString* page)
{
    const std::optional<int> code = selectedAccount();
    if (!code || !book().store.hasDocument())
        return false;
    if (!m_report.load())
        return false;
    const QString name = cmbAccount->currentText();
    setCaption(LedgerReport::Caption(name));
    Error error;
    const QDate from = dates()->fromDate(), to = dates()->toDate();
    std::optional<LedgerReport::Listing> prepared;
    if (m_preparedAt == BookChanges::instance().announced())
        prepared.swap(m_prepared);
    m_prepared.reset();
    if (!m_report.build(book().store.document(), *code, name, from, to, DateDisplayExpression(),
            page, &error, prepared ? &*prepared : nullptr, true))
        return false;
    m_balanceChart = LedgerChartData(m_report.balancePoints(), name, from, to);
    return true;
}

bool frmLedger::chartAvailable(int /*mode*/) const
{
    return m_balanceChart.has_value();
}

void frmLedger::drawChart(int /*mode*/)
{
    if (m_balanceChart)
        chartPanel()->showBalance(*m_balanceChart);
}

void frmLedger::bookChanged(const BookChange& change)
{
    if (!book().store.hasDocument() || !change.has(BookChange::Accounts | BookChange::Transactions))
        return;
    const bool had = selectedAccount().has_value();
    if (change.has(BookChange::Accounts)) {
        const QSignalBlocker block(cmbAccount);
        cmbAccount->refillAccounts(book().store.AcMasterSection());
    }
    if (selectedAccount())
        keepingScroll([this] { RefreshReport(); });
    else if (had) {
        showPlaceholder(PlaceholderText()); // the account is no longer in the book
        m_balanceChart.reset();
        chartPanel()->clearChart();
        updateViewSwitch();
    }
}

std::function<void()> frmLedger::prepareForChange(const BookChange& change)
{
    m_prepared.reset();
    const std::optional<int> code = selectedAccount();
    // A change of transactions only: the account list stays as it is.
    if (change.kinds != BookChange::Transactions || !code || !book().store.hasDocument())
        return {};
    m_preparedAt = BookChanges::instance().announced();
    const XmlDocument* data = &book().store.document();
    return [this, data, code = *code, from = dates()->fromDate(), to = dates()->toDate()] {
        m_prepared = LedgerReport::MakeListing(*data, code, from, to);
    };
}

AccountMenuHides frmLedger::accountMenuHides(int code) const
{
    const std::optional<int> own = selectedAccount();
    return {own && *own == code, false};
}

} // namespace qb
