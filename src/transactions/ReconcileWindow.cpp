#include "transactions/ReconcileWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/AccountCombo.h"
#include "controls/DateBox.h"
#include "controls/neb.h"
#include "engine/ListingBook.h"
#include "engine/ShortDate.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/Utilities.h"
#include "windows/BookChanges.h"
#include "windows/HtmlView.h"

namespace qb {

namespace {

enum Column { Tick, Date, Number, Other, Details, Amount };

std::pair<int, int> keyOf(const TransactionKey& key)
{
    return {key.date, key.number};
}

} // namespace

ReconcileWindow::ReconcileWindow(const BookContext& book, QWidget* parent)
    : DataWindow(parent)
    , m_book(book)
{
    buildUi();
    connect(cmbAccount, &AccountCombo::choiceChanged, this, [this] {
        m_ticks.clear();
        m_finished = false;
        fillStatement();
        reload();
    });
    connect(debStatement, &DateBox::dateSettled, this, [this] {
        m_finished = false;
        reload();
    });
    connect(nebBalance, &neb::Change, this, [this] {
        m_finished = false;
        showDifference();
    });
    connect(lstLines, &QTreeWidget::itemChanged, this, &ReconcileWindow::onItemChanged);
    connect(cmdFinish, &QPushButton::clicked, this, &ReconcileWindow::finish);
    connect(cmdPostpone, &QPushButton::clicked, this, [this] {
        if (postpone())
            close();
    });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    if (m_book.store.hasDocument())
        cmbAccount->fillAccounts(m_book.store.AcMasterSection());
    cmbAccount->setCurrentIndex(-1);
    debStatement->setDateQuietly(m_book.clock.today());
    showDifference();
    joinWindowList();
}

ReconcileWindow::~ReconcileWindow()
{
    disconnect(cmbAccount, nullptr, this, nullptr);
}

void ReconcileWindow::buildUi()
{
    setObjectName(QStringLiteral("ReconcileWindow"));
    setWindowTitle(QStringLiteral("Reconcile"));
    WebBrowser1->hide(); // the lines are a list of their own

    lblAccount = new QLabel(QStringLiteral("&Account"), this);
    cmbAccount = new AccountCombo(false, this);
    cmbAccount->setMinimumContentsLength(24);
    lblDate = new QLabel(QStringLiteral("Statement &date"), this);
    debStatement = new DateBox(this);
    debStatement->setClock(&m_book.clock);
    lblBalance = new QLabel(QStringLiteral("&Ending balance"), this);
    nebBalance = new neb(this);
    nebBalance->setIntegerSize(12);
    nebBalance->setMinimumValue(-nebBalance->MaximumValue()); // an overdrawn account
    nebBalance->setMinimumWidth(140);
    lblLines = new QLabel(QStringLiteral("Tra&nsactions (ticked: on the statement)"), this);
    lstLines = new QTreeWidget(this);
    lstLines->setRootIsDecorated(false);
    lstLines->setUniformRowHeights(true);
    lstLines->setAllColumnsShowFocus(true);
    lstLines->setHeaderLabels({QStringLiteral("On"), QStringLiteral("Date"), QStringLiteral("No"),
        QStringLiteral("Account"), QStringLiteral("Details"), QStringLiteral("Amount")});
    lstLines->header()->setStretchLastSection(false);
    lstLines->header()->setSectionResizeMode(Details, QHeaderView::Stretch);
    lblCleared = new QLabel(this);
    lblDifference = new QLabel(this);
    lblNote = new QLabel(this);
    for (QLabel* l : {lblAccount, lblDate, lblBalance, lblLines})
        l->setBuddy(l == lblAccount ? static_cast<QWidget*>(cmbAccount)
                : l == lblDate      ? static_cast<QWidget*>(debStatement)
                : l == lblBalance   ? static_cast<QWidget*>(nebBalance)
                                    : static_cast<QWidget*>(lstLines));
    cmdFinish = new QPushButton(QStringLiteral("F&inish"), this);
    cmdPostpone = new QPushButton(QStringLiteral("&Postpone"), this);
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdFinish->setToolTip(QStringLiteral("Possible when the difference is 0.00"));
    cmdPostpone->setToolTip(QStringLiteral("Keep the ticks as cleared and finish later"));
    for (QPushButton* b : {cmdFinish, cmdPostpone, cmdClose})
        b->setAutoDefault(false);

    auto* top = new QGridLayout;
    top->addWidget(lblAccount, 0, 0);
    top->addWidget(cmbAccount, 0, 1, 1, 3);
    top->addWidget(lblDate, 1, 0);
    top->addWidget(debStatement, 1, 1);
    top->addWidget(lblBalance, 1, 2);
    top->addWidget(nebBalance, 1, 3);
    top->setColumnStretch(4, 1);
    auto* figures = new QHBoxLayout;
    figures->addWidget(lblCleared);
    figures->addSpacing(24);
    figures->addWidget(lblDifference);
    figures->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblNote, 1);
    buttons->addWidget(cmdFinish);
    buttons->addWidget(cmdPostpone);
    buttons->addWidget(cmdClose);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addLayout(top);
    outer->addWidget(lblLines);
    outer->addWidget(lstLines, 1);
    outer->addLayout(figures);
    outer->addLayout(buttons);

    // The controls are found by these names (tests, the window's own checks).
    const std::pair<QWidget*, const char*> names[]
        = {{lblAccount, "lblAccount"}, {cmbAccount, "cmbAccount"}, {lblDate, "lblDate"},
            {debStatement, "debStatement"}, {lblBalance, "lblBalance"}, {nebBalance, "nebBalance"},
            {lblLines, "lblLines"}, {lstLines, "lstLines"}, {lblCleared, "lblCleared"},
            {lblDifference, "lblDifference"}, {lblNote, "lblNote"}, {cmdFinish, "cmdFinish"},
            {cmdPostpone, "cmdPostpone"}, {cmdClose, "cmdClose"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));
    QWidget* order[]
        = {cmbAccount, debStatement, nebBalance, lstLines, cmdFinish, cmdPostpone, cmdClose};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    setMinimumSize(minimumSizeHint());
    resize(sizeHint());
}

QWidget* ReconcileWindow::firstInput() const
{
    return selectedAccount() ? static_cast<QWidget*>(nebBalance)
                             : static_cast<QWidget*>(cmbAccount);
}

std::optional<int> ReconcileWindow::selectedAccount() const
{
    return cmbAccount->selectedCode();
}

void ReconcileWindow::SelectAccount(int code)
{
    cmbAccount->chooseCode(code);
    if (isVisible())
        nebBalance->setFocus();
}

void ReconcileWindow::fillStatement()
{
    const std::optional<int> code = selectedAccount();
    setCaption(code ? QStringLiteral("Reconcile - ") + cmbAccount->currentText()
                    : QStringLiteral("Reconcile"));
    if (!code || !m_book.store.hasDocument())
        return;
    const XmlDocument& doc = m_book.store.document();
    const std::optional<Reconciliation> statement = LastStatementBalance(doc, *code);
    const std::optional<Reconciliation> last = LastReconciliation(doc, *code);
    // The last imported statement, unless it was reconciled already.
    if (statement && (!last || statement->date > last->date)) {
        debStatement->setDateQuietly(DocDateToDate(statement->date));
        nebBalance->setDecimalText(statement->balance.toText());
    } else {
        debStatement->setDateQuietly(m_book.clock.today());
        nebBalance->setDecimalText(QStringLiteral("0"));
    }
    lblNote->setText(last ? QStringLiteral("Last reconciled: ") + CaptionDate(last->date)
                + QStringLiteral(", balance ") + last->balance.formatGrouped()
                          : QStringLiteral("Not reconciled before."));
}

void ReconcileWindow::reload()
{
    const std::optional<int> code = selectedAccount();
    m_filling = true;
    lstLines->clear();
    m_start = {};
    if (code && m_book.store.hasDocument()) {
        const XmlDocument& doc = m_book.store.document();
        m_start = ReadReconcileStart(doc, *code, DateToDocDate(debStatement->date()));
        const QHash<int, QString> names = AccountNames(doc);
        QList<QTreeWidgetItem*> items;
        items.reserve(m_start.lines.size());
        for (qsizetype i = 0; i < m_start.lines.size(); ++i) {
            ReconcileLine& line = m_start.lines[i];
            const auto tick = m_ticks.constFind(keyOf(line.key));
            if (tick != m_ticks.constEnd())
                line.cleared = *tick;
            auto* item = new QTreeWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Tick, line.cleared ? Qt::Checked : Qt::Unchecked);
            item->setData(Tick, Qt::UserRole, int(i));
            item->setText(Date, ShortDateText(DocDateToDate(line.key.date)));
            item->setText(Number, QString::number(line.key.number));
            item->setText(Other, names.value(line.other));
            item->setText(Details, line.narration);
            item->setText(Amount, line.amount.formatGrouped());
            item->setTextAlignment(Amount, Qt::AlignRight | Qt::AlignVCenter);
            items.append(item);
        }
        lstLines->addTopLevelItems(items);
        if (!items.isEmpty())
            lstLines->setCurrentItem(items.first());
        for (int c : {Tick, Date, Number, Other, Amount})
            lstLines->resizeColumnToContents(c);
    }
    m_cleared = m_start.clearedBalance();
    m_filling = false;
    showDifference();
}

void ReconcileWindow::onItemChanged(QTreeWidgetItem* item, int column)
{
    if (m_filling || column != Tick)
        return;
    const int i = item->data(Tick, Qt::UserRole).toInt();
    ReconcileLine& line = m_start.lines[i];
    const bool ticked = item->checkState(Tick) == Qt::Checked;
    if (ticked == line.cleared)
        return;
    line.cleared = ticked;
    m_ticks.insert(keyOf(line.key), ticked);
    m_finished = false;
    // Only the difference changes: the line's amount in or out of the cleared balance.
    m_cleared += ticked ? line.amount : -line.amount;
    showDifference();
}

std::optional<Money> ReconcileWindow::difference() const
{
    if (!selectedAccount() || !m_start.ok || !nebBalance->problem().isEmpty())
        return std::nullopt;
    const std::optional<Money> statement = Money::parse(nebBalance->decimalText());
    if (!statement)
        return std::nullopt;
    return statement->checkedSubtract(m_cleared);
}

void ReconcileWindow::showDifference()
{
    const std::optional<Money> diff = difference();
    lblCleared->setText(QStringLiteral("Cleared balance: ")
        + (m_start.ok ? m_cleared.formatGrouped() : Money::errorMark()));
    lblDifference->setText(
        QStringLiteral("Difference: ") + (diff ? diff->formatGrouped() : Money::errorMark()));
    cmdFinish->setEnabled(diff && diff->isZero() && !m_finished);
    cmdPostpone->setEnabled(selectedAccount().has_value());
}

void ReconcileWindow::commit(
    const QString& caption, const std::function<void(XmlDocument&)>& change)
{
    DataStore& store = m_book.store;
    UndoHistory& history = store.history();
    history.beginGroup(caption);
    change(store.document());
    history.endGroup();
    m_ticks.clear();
    // A failed save has been reported by the store; the change stays in the book.
    store.SaveDocument();
    AnnounceBookChange(BookChange::Transactions, this);
}

bool ReconcileWindow::finish()
{
    const std::optional<int> code = selectedAccount();
    const std::optional<Money> diff = difference();
    if (!code || !diff || !diff->isZero() || m_finished || m_book.store.refuseChange())
        return false;
    Reconciliation done {
        *code, DateToDocDate(debStatement->date()), *Money::parse(nebBalance->decimalText())};
    QList<TransactionKey> ticked;
    for (const ReconcileLine& line : m_start.lines) {
        if (line.cleared)
            ticked.append(line.key);
    }
    commit(QStringLiteral("reconciliation of ") + cmbAccount->currentText() + QStringLiteral(" on ")
            + CaptionDate(done.date),
        [&](XmlDocument& doc) {
            PostponeReconciliation(doc, m_start.lines, &m_book.store.history());
            FinishReconciliation(doc, done, ticked, &m_book.store.history());
        });
    lblNote->setText(QStringLiteral("Reconciled: ") + CaptionDate(done.date)
        + QStringLiteral(", balance ") + done.balance.formatGrouped());
    m_finished = true;
    reload();
    return true;
}

bool ReconcileWindow::postpone()
{
    if (!selectedAccount() || m_book.store.refuseChange())
        return false;
    commit(QStringLiteral("reconciliation put off"), [&](XmlDocument& doc) {
        PostponeReconciliation(doc, m_start.lines, &m_book.store.history());
    });
    return true;
}

void ReconcileWindow::bookChanged(const BookChange& change)
{
    if (!m_book.store.hasDocument() || !change.has(BookChange::Accounts | BookChange::Transactions))
        return;
    if (change.has(BookChange::Accounts))
        cmbAccount->refillAccounts(m_book.store.AcMasterSection());
    // A change made elsewhere (an undo of the finish) may offer Finish again.
    if (change.source != this)
        m_finished = false;
    reload();
}

} // namespace qb
