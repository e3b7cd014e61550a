#include "masters/frmGroupMaster.h"

#include <QPushButton>

#include "masters/frmGroups.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/MasterEdits.h"
#include "store/UiServices.h"
#include "windows/HtmlView.h"
#include "windows/Openers.h"
#include "windows/ReportMenus.h"

namespace qb {

frmGroupMaster::frmGroupMaster(const BookContext& book, QWidget* parent)
    : MasterWindow(book, parent)
{
    buildUi();
    connect(
        cmdAdd, &QPushButton::clicked, this, [this] { ShowGroupDialog(frmGroups::ModeAdd, {}); });
    Form_Load();
}

void frmGroupMaster::buildUi()
{
    buildFrame(QStringLiteral("frmGroupMaster"), QStringLiteral("Group Master"));
    setTabOrder(cmdAdd, cmdClose);
    setTabOrder(cmdClose, WebBrowser1);
    resize(560, 420);
}

frmGroups* frmGroupMaster::groupDialog() const
{
    return m_dialog;
}

QString frmGroupMaster::GroupOfToken(const QString& token)
{
    QString name = token;
    return name.replace(QStringLiteral("%20"), QStringLiteral(" "));
}

void frmGroupMaster::RefreshList(const QString& strRecordToNavigate)
{
    if (showList() && !strRecordToNavigate.isEmpty()
        && !WebBrowser1->focusElement(GroupListReport::RowId(strRecordToNavigate))) {
        MsgBox(QStringLiteral("The group '") + strRecordToNavigate
            + QStringLiteral("' is not in the list."));
    }
}

void frmGroupMaster::ShowGroupDialog(int mode, const XmlNode& group)
{
    if (m_dialog)
        return;
    m_mode = mode;
    auto* dialog = new frmGroups(m_book, this);
    m_dialog = dialog;
    connect(
        dialog, &frmGroups::groupSaved, this, [this](const QString& name) { RefreshList(name); });
    // The dialog goes away after each use (it deletes itself once closed).
    connect(dialog, &QDialog::finished, this, [this] { m_dialog = nullptr; });
    dialog->mnodEditing = group;
    dialog->setMyActiveMode(mode);
    dialog->open();
}

void frmGroupMaster::recordLinkClicked(RecordLink link, const QString& rest)
{
    const XmlNode group = FindGroup(m_book.store.document(), GroupOfToken(rest));
    // A link to a group that is no longer there is ignored.
    if (group)
        ShowGroupDialog(
            link == RecordLink::Edit ? frmGroups::ModeEdit : frmGroups::ModeDelete, group);
}

void frmGroupMaster::otherLinkClicked(const QString& token)
{
    if (ShowAccountMenu(this, true, false) != QStringLiteral("Period Summary"))
        return;
    const QDate today = m_book.clock.today();
    OpenPeriodSummary(0, GroupOfToken(token), QDate(today.year(), today.month(), 1), today);
}

void frmGroupMaster::bookChanged(const BookChange& change)
{
    // The list shows each group with the names of its accounts.
    if (change.source != this && change.has(BookChange::Accounts | BookChange::Groups))
        keepingScroll([this] { RefreshList(); });
}

} // namespace qb
