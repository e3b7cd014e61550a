#include "transactions/frmTrans.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "controls/AccountCombo.h"
#include "controls/neb.h"
#include "engine/ReportPage.h"
#include "engine/ShortDate.h"
#include "store/BookSchema.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/DeletedTransactions.h"
#include "store/MasterEdits.h"
#include "store/UiServices.h"
#include "store/Utilities.h"
#include "transactions/NewAccountOffer.h"
#include "transactions/clsAutoComplete.h"
#include "windows/HtmlView.h"
#include "windows/TypedText.h"

namespace qb {

namespace {

QComboBox* makeNarrationCombo(QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("cmbNarration"));
    combo->setEditable(true);
    // Completion is the window's own (clsAutoComplete); the box never adds typed text itself.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(20);
    combo->setMinimumContentsLength(28);
    combo->lineEdit()->setMaxLength(kMaxNarrationLength);
    return combo;
}

} // namespace

frmTrans::frmTrans(const BookContext& book, QWidget* parent)
    : DataWindow(parent)
    , m_book(book)
{
    buildUi();
    connectSignals();
    Form_Load();
}

// The base takes the window down quietly: the controls no longer reach it.
frmTrans::~frmTrans() = default;

DataStore& frmTrans::book() const
{
    return m_book.store;
}

void frmTrans::buildUi()
{
    setObjectName(QStringLiteral("frmTrans"));
    setWindowTitle(QStringLiteral("Transaction"));

    fraContainer = new QFrame(this);
    fraContainer->setObjectName(QStringLiteral("fraContainer"));
    Frame1 = new QGroupBox(QStringLiteral("Add New Transaction"), fraContainer);
    Frame1->setObjectName(QStringLiteral("Frame1"));

    // Access keys stay clear of the menu bar's letters (F, M, T, R, V, W, H)
    // and of "&Delete": "To" has no letter left to give.
    const char* captions[5] = {"Dat&e", "Fr&om", "To", "&Amount", "Deta&ils"};
    for (int i = 0; i < 5; ++i) {
        lbl[i] = new QLabel(QString::fromLatin1(captions[i]), Frame1);
        lbl[i]->setObjectName(QStringLiteral("lbl_") + QString::number(i));
    }

    debTrans = new DateBox(Frame1);
    debTrans->setObjectName(QStringLiteral("debTrans"));
    debTrans->setClock(&m_book.clock);
    VScroll1 = new DaySpin(debTrans, Frame1);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));

    cmbFrom = new AccountCombo(true, Frame1);
    cmbFrom->setObjectName(QStringLiteral("cmbFrom"));
    cmbTo = new AccountCombo(true, Frame1);
    cmbTo->setObjectName(QStringLiteral("cmbTo"));
    cmbNarration = makeNarrationCombo(Frame1);
    for (int i = 0; i < 2; ++i) {
        lblBalance[i] = new QLabel(Frame1);
        lblBalance[i]->setObjectName(QStringLiteral("lblBalance_") + QString::number(i));
        lblBalance[i]->setMinimumWidth(90);
        lblBalance[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lblBalance[i]->setToolTip(QStringLiteral("Balance as of the entry date"));
    }

    nebAmount = new neb(Frame1);
    nebAmount->setObjectName(QStringLiteral("nebAmount"));
    nebAmount->setIntegerSize(9);
    nebAmount->setEnableEnterKey(false);
    nebAmount->setMinimumWidth(130);

    cmdSave = new QPushButton(QStringLiteral("&Save"), Frame1);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), Frame1);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton* b : {cmdSave, cmdClose})
        b->setAutoDefault(false);

    lbl[0]->setBuddy(debTrans);
    lbl[1]->setBuddy(cmbFrom);
    lbl[2]->setBuddy(cmbTo);
    lbl[3]->setBuddy(nebAmount);
    lbl[4]->setBuddy(cmbNarration);

    auto* dateRow = new QHBoxLayout;
    dateRow->setSpacing(0);
    dateRow->addWidget(debTrans);
    dateRow->addWidget(VScroll1);
    dateRow->addStretch();

    auto* grid = new QGridLayout(Frame1);
    grid->addWidget(lbl[0], 0, 0);
    grid->addLayout(dateRow, 0, 1);
    grid->addWidget(lbl[1], 1, 0);
    grid->addWidget(cmbFrom, 1, 1);
    grid->addWidget(lblBalance[0], 1, 2);
    grid->addWidget(lbl[2], 2, 0);
    grid->addWidget(cmbTo, 2, 1);
    grid->addWidget(lblBalance[1], 2, 2);
    grid->addWidget(lbl[3], 3, 0);
    grid->addWidget(nebAmount, 3, 1, Qt::AlignLeft);
    grid->addWidget(lbl[4], 4, 0);
    grid->addWidget(cmbNarration, 4, 1, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdClose);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 3, 5, 1);
    grid->setColumnStretch(1, 1);

    auto* containerLayout = new QVBoxLayout(fraContainer);
    containerLayout->setContentsMargins(0, 0, 0, 0);
    containerLayout->addWidget(Frame1);
    containerLayout->addWidget(WebBrowser1, 1);
    WebBrowser1->setMinimumHeight(80); // a few rows of the day at the least

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(fraContainer);
    // Tiled or sized by hand, the window never gets smaller than its fields need.
    outer->setSizeConstraint(QLayout::SetMinimumSize);

    setUpPleaseWait(QStringLiteral("Loading data. Please wait ..."));

    setTabOrder(debTrans, cmbFrom);
    setTabOrder(cmbFrom, cmbTo);
    setTabOrder(cmbTo, nebAmount);
    setTabOrder(nebAmount, cmbNarration);
    setTabOrder(cmbNarration, cmdSave);
    setTabOrder(cmdSave, cmdClose);
    setTabOrder(cmdClose, WebBrowser1);

    resize(720, 520);
}

void frmTrans::connectSignals()
{
    connect(cmdSave, &QPushButton::clicked, this, &frmTrans::cmdSave_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmTrans::cmdClose_Click);
    // Set, stepped or picked at once; typed once typing pauses.
    connect(debTrans, &DateBox::dateSettled, this, &frmTrans::debTrans_Change);
    for (AccountCombo* combo : {cmbFrom, cmbTo}) {
        connect(combo, &AccountCombo::textTyped, this,
            [this, combo] { balanceLabelOf(combo)->clear(); });
        connect(combo, &AccountCombo::choiceChanged, this, [this, combo] { account_Click(combo); });
    }
    // Leaving a box with a name no account has offers to add it; the focus
    // is never held back.
    auto* offer = new NewAccountOffer(this, book(), {cmbFrom, cmbTo});
    connect(offer, &NewAccountOffer::left, this, &frmTrans::account_Validate);
    setEnterAsTab(true);
}

void frmTrans::Form_Load()
{
    // The opener sets the date and builds the list once the window is ready.
    debTrans->setDateQuietly(m_book.clock.today());

    Error error;
    if (!m_dayList.load(&error) || !m_balance.load(&error)) {
        MsgBox(error.description);
    }
    m_completeFrom = new clsAutoComplete(this);
    m_completeTo = new clsAutoComplete(this);
    m_completeNarration = new clsAutoComplete(this);

    {
        BusyScope busy(this);
        WebBrowser1->blank();
    }
    FillLists();
    m_completeFrom->setLinkedComboBox(cmbFrom);
    m_completeTo->setLinkedComboBox(cmbTo);
    m_completeNarration->setLinkedComboBox(cmbNarration);
    setEntryMode(ModeNew);
    joinWindowList();
}

QDate frmTrans::entryDate() const
{
    return debTrans->date();
}

void frmTrans::setEntryDate(const QDate& date)
{
    debTrans->setDate(date);
}

void frmTrans::setEntryMode(int mode)
{
    m_entryMode = mode;
    static const char* const frameCaptions[3]
        = {"Enter New Transaction", "Edit Transaction", "Delete Transaction"};
    static const char* const saveCaptions[3] = {"&Save", "&Save editing", "&Delete"};
    static const char* const closeCaptions[3] = {"&Close", "&Cancel editing", "&Cancel delete"};
    Frame1->setTitle(QString::fromLatin1(frameCaptions[mode]));
    cmdSave->setText(QString::fromLatin1(saveCaptions[mode]));
    cmdClose->setText(QString::fromLatin1(closeCaptions[mode]));
    lblBalance[0]->setVisible(mode == ModeNew);
    lblBalance[1]->setVisible(mode == ModeNew);
}

void frmTrans::FillLists()
{
    cmbFrom->fillAccounts(book().AcMasterSection());
    cmbTo->fillAccounts(book().AcMasterSection());
    // The narrations already used, most recent first, so that completion
    // offers the latest one that starts with what is typed.
    const QSignalBlocker blockNarration(cmbNarration);
    cmbNarration->clear();
    cmbNarration->addItems(RecentNarrations(book().TransSection(), book().NarrationSection()));
    cmbNarration->setCurrentIndex(-1);
    cmbNarration->clearEditText();
}

void frmTrans::rememberNarration(const QString& narration)
{
    // The one just saved is the most recent: first in the list.
    if (narration.trimmed().isEmpty())
        return;
    const QSignalBlocker block(cmbNarration);
    const QString typed = cmbNarration->currentText();
    const int old = cmbNarration->findText(narration, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (old >= 0)
        cmbNarration->removeItem(old);
    cmbNarration->insertItem(0, narration);
    cmbNarration->setCurrentIndex(-1);
    cmbNarration->setEditText(typed);
}

QLabel* frmTrans::balanceLabelOf(const AccountCombo* combo) const
{
    return combo == cmbFrom ? lblBalance[0] : lblBalance[1];
}

AccountCombo* frmTrans::accountBoxOf(const QWidget* widget) const
{
    for (AccountCombo* combo : {cmbFrom, cmbTo}) {
        if (widget == combo || combo->isAncestorOf(widget))
            return combo;
    }
    return nullptr;
}

void frmTrans::account_Click(AccountCombo* combo)
{
    balanceLabelOf(combo)->setText(BalanceText(combo));
}

void frmTrans::account_Validate(AccountCombo* combo, TypedAccount result)
{
    // A chosen or added account has shown its balance on being chosen.
    if (result == TypedAccount::Listed)
        balanceLabelOf(combo)->setText(BalanceText(combo));
}

QString frmTrans::BalanceText(const AccountCombo* combo)
{
    const std::optional<int> code = combo->selectedCode();
    if (!code)
        return {};
    const std::optional<Money> balance
        = m_balance.balance(book().document(), *code, debTrans->date());
    return balance ? AccountBalance::BalanceText(*balance) : QString();
}

void frmTrans::ClearEntry()
{
    cmbTo->clearChoice();
    cmbNarration->setCurrentIndex(-1);
    cmbNarration->clearEditText();
    nebAmount->setValue(0);
}

bool frmTrans::LoadTransaction(int date, int number)
{
    std::optional<LoadedTransaction> loaded
        = LoadedTransaction::Load(book().document(), {date, number});
    if (!loaded)
        return false;
    m_editing = std::move(loaded);
    const TransactionFields& t = m_editing->fields();
    debTrans->setDate(DocDateToDate(date));
    cmbFrom->chooseCode(t.from);
    cmbTo->chooseCode(t.to);
    nebAmount->setDecimalText(t.amount.toText()); // exactly as stored, never through a double
    cmbNarration->setEditText(t.narration);
    return true;
}

bool frmTrans::saveEntry()
{
    if (book().refuseChange())
        return false;
    // A date still being typed is taken first (Alt+S leaves the box in place).
    const bool typingDate = debTrans->isTyping();
    debTrans->settleNow();
    if (typingDate && !debTrans->markText().isEmpty()) {
        debTrans->setFocus(); // refused and marked: the user mends it first
        return false;
    }
    if (m_entryMode != ModeDelete
        && RefuseTypedText(cmbNarration->currentText(), TypedTextKind::Narration)) {
        cmbNarration->setFocus();
        return false;
    }
    if (cmbFrom->selectedCode() && cmbTo->selectedCode()) {
        // An amount the box cannot read ("12,50") is never saved as another one.
        if (nebAmount->refuseUnreadable())
            return false;
    }
    if (const auto refused = CheckEntry(cmbFrom->selectedCode(), cmbTo->selectedCode(),
            Money::parse(nebAmount->decimalText()).value_or(Money()))) {
        MsgBox(refused->text, MsgIcon::Information, refused->title);
        if (refused->focus == EntryField::From)
            cmbFrom->setFocus();
        else if (refused->focus == EntryField::To)
            cmbTo->setFocus();
        else if (refused->focus == EntryField::Amount)
            nebAmount->setFocus();
        return false;
    }

    DataStore& store = book();
    XmlDocument& doc = store.document();
    const TransactionFields fields = typedFields();
    bool changed = false;
    const bool writesNarration = m_entryMode != ModeDelete;

    // The transaction under edit is found again now: another window may have
    // changed, moved or deleted it meanwhile.
    XmlNode editing;
    if (m_entryMode != ModeNew && m_editing) {
        editing = m_editing->find(doc);
        if (editing.isNull())
            MsgBox(LoadedTransaction::NoLongerThereText(), MsgIcon::Information);
    }

    if (m_entryMode == ModeNew) {
        m_lastSaved = AddTransaction(doc, fields, &store.history());
        changed = true;
    } else if (m_entryMode == ModeEdit) {
        if (editing) {
            m_lastSaved = UpdateTransaction(doc, editing, fields, &store.history());
            changed = true;
        }
        m_editing.reset();
        setEntryMode(ModeNew);
    } else {
        if (editing
            && MsgBox(QStringLiteral("Are you sure you want to delete this transaction ?"),
                   MsgIcon::Question, QStringLiteral("Confirm Deletion"), MsgButtons::YesNo,
                   MsgResult::No)
                == MsgResult::Yes) {
            DeleteTransaction(doc, editing, store.clock().now(), &store.history());
            changed = true;
        }
        m_editing.reset();
        setEntryMode(ModeNew);
        m_lastSaved.reset();
    }

    if (changed && writesNarration)
        rememberNarration(fields.narration);
    // A failed save has been reported by the store; the change stays in the
    // book and goes out with the next save.
    const bool saved = changed && store.SaveDocument();
    Q_UNUSED(saved);
    if (changed)
        AnnounceBookChange(BookChange::Transactions, this);
    lblBalance[0]->setText(BalanceText(cmbFrom));
    ClearEntry();
    RefreshList();
    debTrans->setFocus();
    return true;
}

TransactionFields frmTrans::typedFields() const
{
    TransactionFields fields;
    fields.date = DateToDocDate(debTrans->date());
    fields.from = cmbFrom->selectedCode().value_or(0);
    fields.to = cmbTo->selectedCode().value_or(0);
    fields.narration = NarrationText(cmbNarration->currentText());
    // The box shows at most two decimals, so its text always reads as money.
    fields.amount = Money::parse(nebAmount->decimalText()).value_or(Money());
    return fields;
}

QString frmTrans::unsavedWork() const
{
    const TransactionFields now = typedFields();
    if (m_entryMode == ModeNew) {
        const bool typed = !cmbTo->currentText().trimmed().isEmpty() || !now.amount.isZero()
            || !nebAmount->problem().isEmpty() || !now.narration.trimmed().isEmpty();
        return typed ? QStringLiteral("the new transaction") : QString();
    }
    if (m_entryMode != ModeEdit || !m_editing)
        return {};
    const TransactionFields& was = m_editing->fields();
    const bool changed = now.date != m_editing->key().date || now.from != was.from
        || now.to != was.to || now.amount != was.amount || now.narration != was.narration
        || !nebAmount->problem().isEmpty();
    return changed
        ? QStringLiteral("the changes to transaction ") + QString::number(m_editing->key().number)
            + QStringLiteral(" of ") + ShortDateText(DocDateToDate(m_editing->key().date))
        : QString();
}

void frmTrans::discardUnsavedWork()
{
    m_editing.reset();
    setEntryMode(ModeNew);
    ClearEntry();
}

void frmTrans::cmdClose_Click()
{
    if (m_entryMode != ModeNew) {
        m_editing.reset();
        setEntryMode(ModeNew);
        ClearEntry();
        return;
    }
    close();
}

void frmTrans::debTrans_Change()
{
    RefreshList();
    // The balances are those as of the entry date.
    lblBalance[0]->setText(BalanceText(cmbFrom));
    lblBalance[1]->setText(BalanceText(cmbTo));
}

void frmTrans::RefreshList()
{
    if (mblnDisableRefreshReport)
        return;
    DataStore& store = book();
    QString page;
    Error error;
    withPleaseWait([&] {
        const QString caption = QStringLiteral("Entries on ") + ShortDateText(debTrans->date());
        setCaption(caption);
        if (!store.hasDocument()) {
            error = {91, QStringLiteral("No data file is open")};
        } else if (m_dayList.build(store.document(), debTrans->date(), caption, &page, &error)) {
            showPage(page);
        }
    });
    if (error.isSet()) {
        MsgBox(QStringLiteral("Error ") + QString::number(error.number) + QStringLiteral(" (")
            + error.description + QStringLiteral(") in procedure RefreshList of Form frmTrans 0"));
        return;
    }
    if (m_lastSaved)
        WebBrowser1->focusElement(DayListReport::RowId(m_lastSaved->date, m_lastSaved->number));
}

void frmTrans::linkClicked(const QString& token)
{
    QString rest;
    if (const RecordLink link = RecordLinkOf(token, &rest); link != RecordLink::None) {
        bool dateOk = false;
        bool numberOk = false;
        const int date = rest.left(8).toInt(&dateOk);
        const int number = rest.mid(8).toInt(&numberOk);
        // A link that matches no transaction is ignored.
        if (dateOk && numberOk
            && AskBeforeChangingReconciled(FindTransaction(book().document(), {date, number}))
            && LoadTransaction(date, number))
            setEntryMode(link == RecordLink::Edit ? ModeEdit : ModeDelete);
        return;
    }
    // Account links: both reports over the entry date.
    DataWindow::linkClicked(token);
}

void frmTrans::bookChanged(const BookChange& change)
{
    if (!book().hasDocument())
        return;
    // What the user has typed or chosen stays; a new account can be chosen at once.
    if (change.has(BookChange::Accounts)) {
        cmbFrom->refillAccounts(book().AcMasterSection());
        cmbTo->refillAccounts(book().AcMasterSection());
    }
    if (change.source == this || !change.has(BookChange::Accounts | BookChange::Transactions))
        return;
    keepingScroll([this] { RefreshList(); });
    lblBalance[0]->setText(BalanceText(cmbFrom));
    lblBalance[1]->setText(BalanceText(cmbTo));
}

bool frmTrans::previewKey(QWidget* target, QKeyEvent* key)
{
    const int k = key->key();
    // Esc leaves an edit or a delete, as Cancel does.
    if (k == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && m_entryMode != ModeNew) {
        cmdClose_Click();
        return true;
    }
    AccountCombo* combo = accountBoxOf(target);
    if ((k != Qt::Key_F5 && k != Qt::Key_F6) || !combo)
        return false;
    if (const std::optional<int> code = combo->selectedCode()) {
        const QDate date = debTrans->date();
        if (k == Qt::Key_F5)
            OpenTransactionList(*code, date, date);
        else
            OpenPeriodSummary(*code, QString(), date, date);
    }
    return true;
}

} // namespace qb
