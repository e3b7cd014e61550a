#include "frmTrans.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "Clock.h"
#include "DataStore.h"
#include "HtmlView.h"
#include "PressTab.h"
#include "ReportMenus.h"
#include "ReportPage.h"
#include "ShortDate.h"
#include "UiServices.h"
#include "Utilities.h"
#include "clsAutoComplete.h"
#include "neb.h"
#include "sesPanel.h"

namespace qb {

namespace {

const QString kEditToken = QStringLiteral("[*[E]*]");
const QString kDeleteToken = QStringLiteral("[*[D]*]");

QComboBox* makeEditableCombo(QWidget* parent, const char* name)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    // Completion is the window's own (clsAutoComplete); the box never adds typed text itself.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(20);
    combo->setMinimumContentsLength(24);
    return combo;
}

// Index at which text keeps the list in alphabetical order, letter case ignored.
int sortedIndex(const QComboBox* combo, const QString& text)
{
    int lo = 0;
    int hi = combo->count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (combo->itemText(mid).compare(text, Qt::CaseInsensitive) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

} // namespace

frmTrans::frmTrans(const BookContext& book, QWidget* parent) : ReportWindow(parent), m_book(book)
{
    buildUi();
    connectSignals();
    Form_Load();
}

frmTrans::~frmTrans()
{
    // The controls outlive this part of the window while it is taken down:
    // their last signals and events (the date box losing the focus) must not
    // reach handlers whose members are already gone.
    m_closing = true;
    qApp->removeEventFilter(this);
    disconnect(debTrans, nullptr, this, nullptr);
    for (QComboBox* combo : {cmbFrom, cmbTo}) {
        disconnect(combo, nullptr, this, nullptr);
        disconnect(combo->lineEdit(), nullptr, this, nullptr);
    }
}

void frmTrans::buildUi()
{
    setObjectName(QStringLiteral("frmTrans"));
    setWindowTitle(QStringLiteral("Transaction"));

    fraContainer = new QFrame(this);
    fraContainer->setObjectName(QStringLiteral("fraContainer"));
    Frame1 = new QGroupBox(QStringLiteral("Add New Transaction"), fraContainer);
    Frame1->setObjectName(QStringLiteral("Frame1"));

    const char* captions[5] = {"&Date", "&From", "&To", "&Amount", "D&etails"};
    for (int i = 0; i < 5; ++i) {
        lbl[i] = new QLabel(QString::fromLatin1(captions[i]), Frame1);
        lbl[i]->setObjectName(QStringLiteral("lbl_") + QString::number(i));
    }

    debTrans = new QDateEdit(Frame1);
    debTrans->setObjectName(QStringLiteral("debTrans"));
    debTrans->setDisplayFormat(QStringLiteral("dd-MM-yyyy"));
    debTrans->setCalendarPopup(true);

    VScroll1 = new QScrollBar(Qt::Vertical, Frame1);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    VScroll1->setRange(0, 2);
    VScroll1->setValue(1);
    VScroll1->setPageStep(1);
    VScroll1->setFocusPolicy(Qt::NoFocus);
    VScroll1->setFixedWidth(17);
    VScroll1->setToolTip(QStringLiteral("Next day / previous day"));

    cmbFrom = makeEditableCombo(Frame1, "cmbFrom");
    cmbTo = makeEditableCombo(Frame1, "cmbTo");
    cmbNarration = makeEditableCombo(Frame1, "cmbNarration");
    cmbNarration->setMinimumContentsLength(40);
    for (int i = 0; i < 2; ++i) {
        lblBalance[i] = new QLabel(Frame1);
        lblBalance[i]->setObjectName(QStringLiteral("lblBalance_") + QString::number(i));
        lblBalance[i]->setMinimumWidth(110);
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

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(fraContainer);

    fraPleaseWait = new sesPanel(this);
    fraPleaseWait->setObjectName(QStringLiteral("fraPleaseWait"));
    fraPleaseWait->setCaption(QStringLiteral("Loading data. Please wait ..."));
    fraPleaseWait->resize(260, 50);
    fraPleaseWait->hide();

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
    connect(VScroll1, &QScrollBar::valueChanged, this, &frmTrans::VScroll1_Change);
    connect(debTrans, &QDateEdit::dateChanged, this, &frmTrans::debTrans_Change);
    connect(debTrans, &QDateEdit::editingFinished, this, [this] {
        if (m_typedDateRefresh.isActive()) {
            m_typedDateRefresh.stop();
            RefreshList();
        }
    });
    // Typed dates change the date once per digit: the list follows once typing pauses.
    m_typedDateRefresh.setSingleShot(true);
    m_typedDateRefresh.setInterval(400);
    connect(&m_typedDateRefresh, &QTimer::timeout, this, &frmTrans::RefreshList);

    for (QComboBox* combo : {cmbFrom, cmbTo}) {
        connect(combo->lineEdit(), &QLineEdit::textEdited, this,
                [this, combo] { account_Change(combo); });
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo] { account_Click(combo); });
    }
    // Key preview: Enter as Tab and the account keys for every control of the window.
    qApp->installEventFilter(this);
}

void frmTrans::Form_Load()
{
    {
        // The opener sets the date and builds the list once the window is ready.
        const QSignalBlocker block(debTrans);
        debTrans->setDate(m_book.clock.today());
    }

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

void frmTrans::addAccountItem(QComboBox* combo, const QString& name, int code)
{
    combo->insertItem(sortedIndex(combo, name), name, code);
}

void frmTrans::FillLists()
{
    DataStore& store = m_book.store;
    {
        const QSignalBlocker blockFrom(cmbFrom);
        const QSignalBlocker blockTo(cmbTo);
        cmbFrom->clear();
        cmbTo->clear();
        for (const XmlNode& a : store.AcMasterSection().childElements()) {
            const QString name = a.attributeValue(1);
            const int code = a.attributeValue(0).toInt();
            addAccountItem(cmbFrom, name, code);
            addAccountItem(cmbTo, name, code);
        }
        cmbFrom->setCurrentIndex(-1);
        cmbTo->setCurrentIndex(-1);
    }
    const QSignalBlocker blockNarration(cmbNarration);
    for (const XmlNode& n : store.NarrationSection().childElements())
        cmbNarration->insertItem(sortedIndex(cmbNarration, n.text()), n.text());
    cmbNarration->setCurrentIndex(-1);
    cmbNarration->clearEditText();
}

QLabel* frmTrans::balanceLabelOf(const QComboBox* combo) const
{
    return combo == cmbFrom ? lblBalance[0] : lblBalance[1];
}

QComboBox* frmTrans::accountBoxOf(QObject* watched) const
{
    for (QComboBox* combo : {cmbFrom, cmbTo}) {
        if (watched == combo || watched == combo->lineEdit())
            return combo;
    }
    return nullptr;
}

void frmTrans::account_Change(QComboBox* combo)
{
    // A typed text counts as a choice only once the completion (or the list)
    // chooses an entry for it.
    if (combo->currentIndex() >= 0) {
        QLineEdit* edit = combo->lineEdit();
        const QString text = edit->text();
        const int caret = edit->cursorPosition();
        {
            const QSignalBlocker block(combo);
            combo->setCurrentIndex(-1);
        }
        edit->setText(text);
        edit->setCursorPosition(caret);
    }
    balanceLabelOf(combo)->clear();
}

void frmTrans::account_Click(QComboBox* combo)
{
    balanceLabelOf(combo)->setText(BalanceText(combo));
}

void frmTrans::account_Validate(QComboBox* combo)
{
    if (AddAccountIfNew(combo))
        balanceLabelOf(combo)->setText(BalanceText(combo));
}

bool frmTrans::AddAccountIfNew(QComboBox* combo)
{
    const QString typed = combo->currentText();
    const QString trimmed = typed.trimmed();
    if (trimmed.isEmpty())
        return false;
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).compare(typed, Qt::CaseInsensitive) == 0)
            return true;
    }
    // A name made only of characters that cannot be stored would become an
    // account without a name: nothing is offered for it.
    const QString name = AllowedCharsOnly(typed);
    if (name.trimmed().isEmpty())
        return false;

    if (MsgBox(QStringLiteral("Add '") + trimmed + QStringLiteral("' to Account Heads ?"),
               MsgIcon::Question, QStringLiteral("Confirm new Account"), MsgButtons::YesNo,
               MsgResult::Yes)
        != MsgResult::Yes) {
        return false;
    }
    DataStore& store = m_book.store;
    const int code = AddAccountHead(store.document(), name);
    store.SaveDocument();

    addAccountItem(cmbFrom, name, code);
    addAccountItem(cmbTo, name, code);
    SelectByCode(combo, code);
    return false;
}

QString frmTrans::BalanceText(QComboBox* combo)
{
    if (combo->currentIndex() < 0)
        return {};
    const std::optional<Money> balance = m_balance.balance(
        m_book.store.document(), combo->currentData().toInt(), debTrans->date());
    return balance ? AccountBalance::BalanceText(*balance) : QString();
}

void frmTrans::ClearEntry()
{
    cmbTo->setCurrentIndex(-1);
    cmbTo->clearEditText();
    cmbNarration->setCurrentIndex(-1);
    cmbNarration->clearEditText();
    nebAmount->setValue(0);
}

void frmTrans::SelectByCode(QComboBox* combo, int code)
{
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemData(i).toInt() == code) {
            if (combo->currentIndex() == i)
                account_Click(combo); // the choose handling runs for a repeated choice too
            combo->setCurrentIndex(i);
        }
    }
}

bool frmTrans::LoadTransaction(int date, int number)
{
    const XmlNode t = FindTransaction(m_book.store.document(), {date, number});
    if (t.isNull())
        return false;
    m_editing = TransactionKey{date, number};
    debTrans->setDate(DocDateToDate(date));
    SelectByCode(cmbFrom, t.attribute(QStringLiteral("fAc")).toInt());
    SelectByCode(cmbTo, t.attribute(QStringLiteral("tAc")).toInt());
    nebAmount->setDecimalText(t.text().trimmed()); // exactly as stored, never through a double
    cmbNarration->setEditText(t.attribute(QStringLiteral("Nar")));
    return true;
}

void frmTrans::cmdSave_Click()
{
    if (cmbFrom->currentIndex() < 0) {
        MsgBox(QStringLiteral("Select a From account"), MsgIcon::Information,
               QStringLiteral("Enter from account"));
        cmbFrom->setFocus();
        return;
    }
    if (cmbTo->currentIndex() < 0) {
        MsgBox(QStringLiteral("Select a To account"), MsgIcon::Information,
               QStringLiteral("Enter To account"));
        cmbTo->setFocus();
        return;
    }
    if (nebAmount->Value() == 0) {
        MsgBox(QStringLiteral("Enter Amount of this transaction"), MsgIcon::Information,
               QStringLiteral("Enter amount"));
        nebAmount->setFocus();
        return;
    }
    const int fromCode = cmbFrom->currentData().toInt();
    const int toCode = cmbTo->currentData().toInt();
    if (fromCode == toCode) {
        MsgBox(QStringLiteral("From and To accounts cannot be same"), MsgIcon::Information,
               QStringLiteral("Invalid transaction"));
        return;
    }

    DataStore& store = m_book.store;
    XmlDocument& doc = store.document();
    TransactionFields fields;
    fields.date = DateToDocDate(debTrans->date());
    fields.from = fromCode;
    fields.to = toCode;
    fields.narration = AllowedCharsOnly(cmbNarration->currentText());
    // The box shows at most two decimals, so its text always reads as money.
    fields.amount = Money::parse(nebAmount->decimalText()).value_or(Money());
    bool changed = false;

    // The transaction under edit is found again now: another window may have
    // changed or deleted it meanwhile.
    XmlNode editing;
    if (m_entryMode != ModeNew && m_editing) {
        editing = FindTransaction(doc, *m_editing);
        if (editing.isNull()) {
            MsgBox(QStringLiteral("This transaction is no longer in the file; it was changed or "
                                  "deleted in another window."),
                   MsgIcon::Information);
        }
    }

    if (m_entryMode == ModeNew) {
        m_lastSaved = AddTransaction(doc, fields);
        changed = true;
    } else if (m_entryMode == ModeEdit) {
        if (editing) {
            m_lastSaved = UpdateTransaction(doc, editing, fields);
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
            store.TransSection().removeChild(editing);
            changed = true;
        }
        m_editing.reset();
        setEntryMode(ModeNew);
        m_lastSaved.reset();
    }

    if (changed)
        store.SaveDocument();
    lblBalance[0]->setText(BalanceText(cmbFrom));
    ClearEntry();
    RefreshList();
    debTrans->setFocus();
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

void frmTrans::VScroll1_Change(int value)
{
    if (value == 1)
        return;
    {
        const QSignalBlocker block(VScroll1);
        VScroll1->setValue(1);
    }
    // The up arrow steps to the next day, the down arrow to the previous one.
    debTrans->setDate(debTrans->date().addDays(value == 0 ? 1 : -1));
}

void frmTrans::debTrans_Change()
{
    if (mblnDisableRefreshReport)
        return;
    if (m_keyInDate && debTrans->hasFocus()) {
        m_keyInDate = false;
        m_typedDateRefresh.start();
        return;
    }
    m_typedDateRefresh.stop();
    RefreshList();
}

void frmTrans::RefreshList()
{
    if (mblnDisableRefreshReport)
        return;
    m_typedDateRefresh.stop();
    DataStore& store = m_book.store;
    QString page;
    Error error;
    {
        BusyScope busy(this);
        placePleaseWait();
        fraPleaseWait->show();
        fraPleaseWait->raise();
        fraPleaseWait->repaint();

        const QString caption = QStringLiteral("Entries on ") + ShortDateText(debTrans->date());
        setCaption(caption);
        if (!store.hasDocument()) {
            error = {91, QStringLiteral("No data file is open")};
        } else if (m_dayList.build(store.document(), debTrans->date(), caption, &page, &error)) {
            showPage(page);
        }
        fraPleaseWait->hide();
    }
    if (error.isSet()) {
        MsgBox(QStringLiteral("Error ") + QString::number(error.number) + QStringLiteral(" (")
               + error.description
               + QStringLiteral(") in procedure RefreshList of Form frmTrans 0"));
        return;
    }
    if (m_lastSaved)
        WebBrowser1->focusElement(DayListReport::RowId(m_lastSaved->date, m_lastSaved->number));
}

void frmTrans::linkClicked(const QString& token)
{
    for (const QString& mark : {kEditToken, kDeleteToken}) {
        if (!token.contains(mark))
            continue;
        QString rest = token;
        rest.remove(mark);
        bool dateOk = false;
        bool numberOk = false;
        const int date = rest.left(8).toInt(&dateOk);
        const int number = rest.mid(8).toInt(&numberOk);
        // A link that matches no transaction is ignored.
        if (dateOk && numberOk && LoadTransaction(date, number))
            setEntryMode(mark == kEditToken ? ModeEdit : ModeDelete);
        return;
    }
    bool ok = false;
    const int code = AccountOfToken(token, &ok);
    if (!ok)
        return;
    const QString choice = ShowAccountMenu(this, false, false);
    const QDate date = debTrans->date();
    if (choice == QStringLiteral("Transaction List"))
        OpenTransactionList(code, date, date);
    else if (choice == QStringLiteral("Period Summary"))
        OpenPeriodSummary(code, QString(), date, date);
}

bool frmTrans::handleKey(QObject* watched, QKeyEvent* key)
{
    const int k = key->key();
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        // Enter walks through the fields like Tab; the list keeps Enter for its links,
        // and an open drop-down list keeps it to choose an entry.
        if (watched == WebBrowser1 || watched == WebBrowser1->viewport())
            return false;
        if (QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier)
            return false;
        PressTab();
        return true;
    }
    if (k == Qt::Key_F5 || k == Qt::Key_F6) {
        QComboBox* combo = accountBoxOf(watched);
        if (!combo)
            return false;
        if (combo->currentIndex() < 0)
            return true;
        const int code = combo->currentData().toInt();
        const QDate date = debTrans->date();
        if (k == Qt::Key_F5)
            OpenTransactionList(code, date, date);
        else
            OpenPeriodSummary(code, QString(), date, date);
        return true;
    }
    return false;
}

bool frmTrans::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !(widget == this || isAncestorOf(widget)))
            return false;
        // A key typed into the date box changes the date digit by digit.
        m_keyInDate = event->type() == QEvent::KeyPress
            && (widget == debTrans || debTrans->isAncestorOf(widget));
        if (event->type() == QEvent::KeyPress)
            return handleKey(watched, static_cast<QKeyEvent*>(event));
        return false;
    }
    if (event->type() == QEvent::FocusOut) {
        // The box itself: it passes its focus events on to its line edit too.
        QComboBox* combo = accountBoxOf(watched);
        if (combo && watched != combo)
            combo = nullptr;
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the box for another control of the window; a pop-up list or
        // another window taking the focus is no leaving.
        if (combo && !m_validating && reason != Qt::PopupFocusReason
            && reason != Qt::ActiveWindowFocusReason && isVisible() && !m_closing) {
            m_validating = true;
            account_Validate(combo);
            m_validating = false;
        }
    }
    return ReportWindow::eventFilter(watched, event);
}

void frmTrans::closeEvent(QCloseEvent* event)
{
    m_closing = true;
    ReportWindow::closeEvent(event);
}

void frmTrans::showEvent(QShowEvent* event)
{
    ReportWindow::showEvent(event);
    // A new window starts at its first field, so that the keyboard alone enters a day.
    if (!m_shown) {
        m_shown = true;
        debTrans->setFocus(Qt::OtherFocusReason);
    }
}

void frmTrans::resizeEvent(QResizeEvent* event)
{
    ReportWindow::resizeEvent(event);
    placePleaseWait();
}

void frmTrans::placePleaseWait()
{
    const QRect view = WebBrowser1->geometry();
    const QPoint topLeft = WebBrowser1->parentWidget()->mapTo(this, view.topLeft());
    fraPleaseWait->move(topLeft.x() + (view.width() - fraPleaseWait->width()) / 2,
                        topLeft.y() + 20);
}

} // namespace qb
