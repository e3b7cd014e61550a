#include "masters/frmAcMaster.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/DateBox.h"
#include "controls/neb.h"
#include "controls/sesPanel.h"
#include "store/BookEdits.h"
#include "store/BookSchema.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/DeletedTransactions.h"
#include "store/MasterEdits.h"
#include "store/OpeningBalance.h"
#include "store/UiServices.h"
#include "store/Utilities.h"
#include "windows/HtmlView.h"
#include "windows/TypedText.h"

namespace qb {

frmAcMaster::frmAcMaster(const BookContext& book, QWidget* parent)
    : MasterWindow(book, parent)
{
    buildUi();
    connectSignals();
    Form_Load();
}

void frmAcMaster::buildUi()
{
    buildFrame(QStringLiteral("frmAcMaster"), QStringLiteral("Account Heads"));

    fraRecord = new sesPanel(fraContainer);
    fraRecord->setObjectName(QStringLiteral("fraRecord"));
    fraRecord->setCaptionHeight(6);
    fraRecord->setAlignment(0);
    Label2 = new QLabel(QStringLiteral("Account &Name"), fraRecord);
    Label2->setObjectName(QStringLiteral("Label2"));
    txtAcName = new QLineEdit(fraRecord);
    txtAcName->setObjectName(QStringLiteral("txtAcName"));
    txtAcName->setMinimumWidth(120);
    Label2->setBuddy(txtAcName);
    cmdSave = new QPushButton(QStringLiteral("&Apply"), fraRecord);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdCancel = new QPushButton(QStringLiteral("Cance&l"), fraRecord);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // The name on one line, the commands below it: the panel stays narrow
    // enough for tiled windows.
    auto* recordRows = new QVBoxLayout(fraRecord);
    FitLayoutBelowCaption(fraRecord, recordRows);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(Label2);
    nameRow->addWidget(txtAcName, 1);
    auto* commandRow = new QHBoxLayout;
    commandRow->addStretch();
    commandRow->addWidget(cmdSave);
    commandRow->addWidget(cmdCancel);
    recordRows->addLayout(nameRow);
    recordRows->addLayout(commandRow);
    fraRecord->hide();
    // The panel keeps its room while hidden: opening or closing it never
    // moves the rows of the list under the mouse.
    QSizePolicy keepRoom = fraRecord->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    fraRecord->setSizePolicy(keepRoom);

    for (QPushButton* b : {cmdSave, cmdCancel})
        b->setAutoDefault(false);
    containerLayout()->addWidget(fraRecord);

    setTabOrder(cmdAdd, cmdClose);
    setTabOrder(cmdClose, txtAcName);
    setTabOrder(txtAcName, cmdSave);
    setTabOrder(cmdSave, cmdCancel);
    setTabOrder(cmdCancel, WebBrowser1);

    // Made last, so that the keys stay as they were: name, Enter and Space
    // still add an account at once; the opening balance is reached with its
    // Alt key (or Tab after the list).
    lblOpening = new QLabel(QStringLiteral("&Opening balance"), fraRecord);
    lblOpening->setObjectName(QStringLiteral("lblOpening"));
    nebOpening = new neb(fraRecord);
    nebOpening->setObjectName(QStringLiteral("nebOpening"));
    nebOpening->setIntegerSize(9); // as a transaction's amount
    nebOpening->setMinimumValue(-nebOpening->MaximumValue()); // an overdrawn account
    nebOpening->setMinimumWidth(110);
    lblOpening->setBuddy(nebOpening);
    lblOpeningDate = new QLabel(QStringLiteral("Dat&e"), fraRecord);
    lblOpeningDate->setObjectName(QStringLiteral("lblOpeningDate"));
    debOpening = new DateBox(fraRecord);
    debOpening->setObjectName(QStringLiteral("debOpening"));
    debOpening->setClock(&m_book.clock);
    debOpening->setDateQuietly(m_book.clock.today());
    lblOpeningDate->setBuddy(debOpening);
    auto* openingRow = new QHBoxLayout;
    openingRow->addWidget(lblOpening);
    openingRow->addWidget(nebOpening);
    openingRow->addWidget(lblOpeningDate);
    openingRow->addWidget(debOpening);
    openingRow->addStretch();
    recordRows->insertLayout(1, openingRow);

    resize(560, 460);
}

void frmAcMaster::connectSignals()
{
    connect(cmdAdd, &QPushButton::clicked, this, [this] { setRecordMode(ModeAdd); });
    connect(cmdSave, &QPushButton::clicked, this, &frmAcMaster::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, fraRecord, &QWidget::hide);
}

void frmAcMaster::setRecordMode(int mode)
{
    m_mode = mode;
    static const char* const captions[3] = {"Add New Account ", "Edit Account ", "Delete Account"};
    fraRecord->setCaption(QString::fromLatin1(captions[mode]));
    txtAcName->setReadOnly(mode == ModeDelete);
    for (QWidget* w :
        std::initializer_list<QWidget*> {lblOpening, nebOpening, lblOpeningDate, debOpening})
        w->setVisible(mode == ModeAdd);
    cmdSave->setText(mode == ModeDelete ? QStringLiteral("&Delete") : QStringLiteral("&Save"));
    fraRecord->show();
    if (mode != ModeDelete) {
        txtAcName->setFocus();
        txtAcName->selectAll();
    }
}

bool frmAcMaster::LoadAccount(int code)
{
    const XmlNode account = FindAccount(m_book.store.document(), code);
    if (account.isNull())
        return false;
    m_editing = code;
    txtAcName->setText(account.attribute(schema::kAcName));
    return true;
}

void frmAcMaster::cmdSave_Click()
{
    DataStore& store = m_book.store;
    if (store.refuseChange())
        return;
    XmlDocument& doc = store.document();
    const QString typed = txtAcName->text();
    if (m_mode != ModeDelete && RefuseTypedText(typed, TypedTextKind::AccountName)) {
        txtAcName->setFocus();
        return;
    }
    // A name of nothing but characters that cannot be stored is no name either.
    if (typed.trimmed().isEmpty() || StoredName(typed).isEmpty()) {
        MsgBox(QStringLiteral("Enter the Account name"), MsgIcon::Information,
            QStringLiteral("Incomplete data"));
        txtAcName->setFocus();
        return;
    }
    const QString name = StoredName(typed);
    // The account under edit is found again now, by its code.
    XmlNode editing;
    if (m_mode != ModeAdd && m_editing)
        editing = FindAccount(doc, *m_editing);
    if (m_mode != ModeAdd && editing.isNull()) {
        fraRecord->hide();
        RefreshList();
        return;
    }
    if (m_mode != ModeDelete && CheckAccountName(doc, typed, editing) == NameCheck::Duplicate) {
        MsgBox(QStringLiteral("An Account with this name already exists."), MsgIcon::Information);
        return;
    }

    bool changed = true;
    bool openingAdded = false;
    if (m_mode == ModeAdd) {
        if (nebOpening->refuseUnreadable())
            return;
        const Money opening = Money::parse(nebOpening->decimalText()).value_or(Money());
        // The account and its opening balance are one step for undo.
        store.history().beginGroup(QStringLiteral("addition of account ") + name);
        m_lastSaved = AddAccountHead(doc, name, &store.history());
        openingAdded = AddOpeningBalance(
            doc, m_lastSaved, DateToDocDate(debOpening->date()), opening, &store.history())
                           .has_value();
        store.history().endGroup();
        nebOpening->setValue(0);
    } else if (m_mode == ModeEdit) {
        RenameAccount(editing, name, &store.history());
        m_lastSaved = *m_editing;
    } else {
        const AccountDeletion deletion = CheckAccountDeletion(doc, *m_editing);
        if (deletion.verdict != AccountDeletion::Allowed) {
            MsgBox(AccountDeletionMessage(deletion), MsgIcon::Information,
                AccountDeletionTitle(deletion));
            fraRecord->hide();
            return;
        }
        // Entries of the bin cannot come back without their account: the
        // question says how many would stay there for good.
        const int binned = DeletedReferringTo(doc, *m_editing);
        const QString binNote = binned == 0 ? QString()
                                            : QStringLiteral("\r\n\r\n") + QString::number(binned)
                + (binned == 1
                        ? QStringLiteral(" deleted transaction in the bin refers to this account "
                                         "and can then no longer be restored.")
                        : QStringLiteral(" deleted transactions in the bin refer to this account "
                                         "and can then no longer be restored."));
        changed = MsgBox(QStringLiteral("Are you sure you want to delete this record ?") + binNote,
                      MsgIcon::Question, QStringLiteral("Confirm Deletion"), MsgButtons::YesNo,
                      MsgResult::No)
            == MsgResult::Yes;
        if (changed) {
            qb::DeleteAccount(editing, &store.history());
            m_editing.reset();
            m_lastSaved = 0;
        }
    }

    if (changed)
        AnnounceBookChange(
            BookChange::Accounts | (openingAdded ? BookChange::Transactions : 0), this);
    // Nothing changed (a deletion answered No): the file and its backup stay as they are.
    if (changed && !store.SaveDocument()) {
        // The store has told the user; the list shows the book as it is in memory.
        RefreshList();
        return;
    }
    txtAcName->clear();
    RefreshList();
    if (m_mode == ModeAdd)
        txtAcName->setFocus();
    else
        fraRecord->hide();
}

void frmAcMaster::RefreshList()
{
    if (showList() && m_lastSaved >= 1)
        WebBrowser1->focusElement(AccountListReport::RowId(m_lastSaved));
}

void frmAcMaster::recordLinkClicked(RecordLink link, const QString& rest)
{
    bool ok = false;
    const int code = rest.trimmed().toInt(&ok);
    // A link to an account that is no longer there is ignored.
    if (ok && LoadAccount(code))
        setRecordMode(link == RecordLink::Edit ? ModeEdit : ModeDelete);
}

void frmAcMaster::bookChanged(const BookChange& change)
{
    // The list shows every account with its balance.
    if (change.source != this && change.has(BookChange::Accounts | BookChange::Transactions))
        keepingScroll([this] { RefreshList(); });
}

bool frmAcMaster::previewKey(QWidget* /*target*/, QKeyEvent* key)
{
    // Esc closes the record panel, as Cancel does.
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier
        && fraRecord->isVisible()) {
        fraRecord->hide();
        return true;
    }
    return false;
}

QDate frmAcMaster::linkFromDate() const
{
    const QDate today = m_book.clock.today();
    return QDate(today.year(), today.month(), 1);
}

QDate frmAcMaster::linkToDate() const
{
    return m_book.clock.today();
}

} // namespace qb
