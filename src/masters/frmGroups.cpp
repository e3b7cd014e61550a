#include "masters/frmGroups.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/KeyPreview.h"
#include "store/DataStore.h"
#include "store/MasterEdits.h"
#include "store/UiServices.h"
#include "windows/BookChanges.h"
#include "windows/TypedText.h"

namespace qb {

namespace {

// The place that keeps the list in alphabetical order, letter case ignored.
int sortedRow(const QListWidget* list, const QString& text)
{
    int lo = 0;
    int hi = list->count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (list->item(mid)->text().compare(text, Qt::CaseInsensitive) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

} // namespace

frmGroups::frmGroups(const BookContext& book, QWidget* parent)
    : QDialog(parent)
    , m_book(book)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    buildUi();
    for (int i = 0; i < 4; ++i)
        connect(cmd[i], &QPushButton::clicked, this, [this, i] { cmd_Click(i); });
    connect(lstAccounts, &QListWidget::itemDoubleClicked, this, [this] { cmd_Click(0); });
    connect(lstSelectedAccounts, &QListWidget::itemDoubleClicked, this, [this] { cmd_Click(2); });
    connect(cmdSave, &QPushButton::clicked, this, &frmGroups::cmdSave_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    // Enter moves on like Tab here too, as in every entry window.
    auto* keys = new KeyPreview(this);
    keys->setEnterAsTab(true);
}

void frmGroups::buildUi()
{
    setObjectName(QStringLiteral("frmGroups"));
    setWindowTitle(QStringLiteral("Groups"));

    Label1 = new QLabel(QStringLiteral("&Group Name"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtGroupName = new QLineEdit(this);
    txtGroupName->setObjectName(QStringLiteral("txtGroupName"));
    Label1->setBuddy(txtGroupName);
    Label2 = new QLabel(QStringLiteral("Select the accounts of this group to right side box. ( "
                                       "Double click or use arrow buttons)"),
        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);

    lstAccounts = new QListWidget(this);
    lstAccounts->setObjectName(QStringLiteral("lstAccounts"));
    lstSelectedAccounts = new QListWidget(this);
    lstSelectedAccounts->setObjectName(QStringLiteral("lstSelectedAccounts"));
    for (QListWidget* list : {lstAccounts, lstSelectedAccounts}) {
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setMinimumSize(170, 160);
    }

    static const char* const captions[4] = {">", ">>", "<", "<<"};
    static const char* const tips[4]
        = {"Include Selected", "Include All", "Exclude Selected", "Exclude All"};
    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    for (int i = 0; i < 4; ++i) {
        cmd[i] = new QPushButton(QString::fromLatin1(captions[i]), this);
        cmd[i]->setObjectName(QStringLiteral("cmd_") + QString::number(i));
        cmd[i]->setToolTip(QString::fromLatin1(tips[i]));
        cmd[i]->setFixedWidth(40);
        arrows->addWidget(cmd[i]);
    }
    arrows->addStretch();

    cmdSave = new QPushButton(QStringLiteral("&Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton* b : {cmd[0], cmd[1], cmd[2], cmd[3], cmdSave, cmdClose})
        b->setAutoDefault(false);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(Label1);
    nameRow->addWidget(txtGroupName, 1);
    auto* lists = new QHBoxLayout;
    lists->addWidget(lstAccounts, 1);
    lists->addLayout(arrows);
    lists->addWidget(lstSelectedAccounts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addWidget(Label2);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);

    setTabOrder(txtGroupName, lstAccounts);
    setTabOrder(lstAccounts, cmd[0]);
    setTabOrder(cmd[0], cmd[1]);
    setTabOrder(cmd[1], cmd[2]);
    setTabOrder(cmd[2], cmd[3]);
    setTabOrder(cmd[3], lstSelectedAccounts);
    setTabOrder(lstSelectedAccounts, cmdSave);
    setTabOrder(cmdSave, cmdClose);
    resize(520, 380);
}

void frmGroups::setMyActiveMode(int mode)
{
    m_mode = mode;
    lstAccounts->clear();
    lstSelectedAccounts->clear();
    for (XmlNode a = m_book.store.AcMasterSection().firstChildElement(); a;
         a = a.nextSiblingElement()) {
        const QString name = a.attributeValue(1);
        auto* item = new QListWidgetItem(name);
        item->setData(Qt::UserRole, a.attributeValue(0).toInt());
        lstAccounts->insertItem(sortedRow(lstAccounts, name), item);
    }
    txtGroupName->setReadOnly(false);
    lstAccounts->setEnabled(true);
    lstSelectedAccounts->setEnabled(true);
    for (QPushButton* b : cmd)
        b->setEnabled(true);

    if (mode == ModeEdit) {
        txtGroupName->setText(mnodEditing.text());
        MoveMembers();
    } else if (mode == ModeDelete) {
        MoveMembers();
        cmdSave->setText(QStringLiteral("&Delete"));
        for (QPushButton* b : cmd)
            b->setEnabled(false);
        txtGroupName->setText(mnodEditing.text());
        lstAccounts->setEnabled(false);
        lstSelectedAccounts->setEnabled(false);
        txtGroupName->setReadOnly(true);
    }
}

void frmGroups::MoveMembers()
{
    const QString gi = mnodEditing.attributeValue(0);
    if (gi.isEmpty())
        return;
    // The members go to the right in member order; codes without an account are skipped.
    for (int code : MemberCodes(gi)) {
        for (int row = 0; row < lstAccounts->count(); ++row) {
            if (lstAccounts->item(row)->data(Qt::UserRole).toInt() == code) {
                lstAccounts->clearSelection();
                lstAccounts->item(row)->setSelected(true);
                MoveItems(lstAccounts, lstSelectedAccounts, false);
                break;
            }
        }
    }
}

void frmGroups::MoveItems(QListWidget* source, QListWidget* destination, bool all)
{
    QList<int> moved;
    for (int row = 0; row < source->count(); ++row) {
        QListWidgetItem* item = source->item(row);
        if (!all && !item->isSelected())
            continue;
        auto* copy = new QListWidgetItem(item->text());
        copy->setData(Qt::UserRole, item->data(Qt::UserRole));
        // Back on the left an account takes its alphabetical place; on the right it goes last.
        if (destination == lstAccounts)
            destination->insertItem(sortedRow(destination, copy->text()), copy);
        else
            destination->addItem(copy);
        moved.append(row);
    }
    for (qsizetype i = moved.size() - 1; i >= 0; --i)
        delete source->takeItem(moved.at(i));
}

void frmGroups::cmd_Click(int index)
{
    switch (index) {
    case 0:
        if (!lstAccounts->selectedItems().isEmpty())
            MoveItems(lstAccounts, lstSelectedAccounts, false);
        break;
    case 1:
        MoveItems(lstAccounts, lstSelectedAccounts, true);
        break;
    case 2:
        if (!lstSelectedAccounts->selectedItems().isEmpty())
            MoveItems(lstSelectedAccounts, lstAccounts, false);
        break;
    case 3:
        MoveItems(lstSelectedAccounts, lstAccounts, true);
        break;
    }
}

QString frmGroups::memberList() const
{
    QList<int> codes;
    for (int row = 0; row < lstSelectedAccounts->count(); ++row)
        codes.append(lstSelectedAccounts->item(row)->data(Qt::UserRole).toInt());
    return MemberList(codes);
}

void frmGroups::cmdSave_Click()
{
    DataStore& store = m_book.store;
    if (store.refuseChange())
        return;
    XmlDocument& doc = store.document();
    const QString typed = txtGroupName->text();
    if (m_mode != ModeDelete && RefuseTypedText(typed, TypedTextKind::GroupName)) {
        txtGroupName->setFocus();
        return;
    }
    const QString name = StoredName(typed);
    if (name.isEmpty()) {
        MsgBox(QStringLiteral("Enter a group name. "));
        return;
    }
    // Checked as it will be stored, so that an apostrophe or a change of
    // letter case never makes a second group of the same name.
    if (m_mode != ModeDelete && CheckGroupName(doc, typed, mnodEditing) == NameCheck::Duplicate) {
        MsgBox(QStringLiteral("A Group with this name already exists."));
        return;
    }
    const QString gi = memberList();
    // The windows that show groups are told once the dialog has gone; the
    // group list that opened the dialog shows the change itself.
    const QObject* list = parent();
    if (m_mode == ModeAdd) {
        AddGroup(doc, name, gi, &store.history());
        AnnounceBookChange(BookChange::Groups, list);
    } else if (m_mode == ModeEdit) {
        const QString was = mnodEditing.text();
        UpdateGroup(mnodEditing, name, gi, &store.history());
        BookChanges::instance().announceGroupRename(was, name, list);
    } else {
        DeleteGroup(mnodEditing, &store.history());
        mnodEditing = XmlNode();
        AnnounceBookChange(BookChange::Groups, list);
    }
    // A failed save has been reported by the store: the change stays in the
    // book in memory, goes to the file with the next save, and the list shows
    // it either way.
    const bool saved = store.SaveDocument();
    Q_EMIT groupSaved(m_mode == ModeDelete || !saved ? QString() : name);
    accept();
}

} // namespace qb
