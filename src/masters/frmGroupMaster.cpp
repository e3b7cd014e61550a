#include "masters/frmGroupMaster.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "store/Clock.h"
#include "store/DataStore.h"
#include "windows/HtmlView.h"
#include "store/MasterEdits.h"
#include "masters/MasterWindows.h"
#include "windows/Openers.h"
#include "windows/ReportMenus.h"
#include "store/UiServices.h"
#include "masters/frmGroups.h"
#include "controls/sesPanel.h"

namespace qb {

namespace {
const QString kEditToken = QStringLiteral("[*[E]*]");
const QString kDeleteToken = QStringLiteral("[*[D]*]");
} // namespace

frmGroupMaster::frmGroupMaster(const BookContext& book, QWidget* parent)
    : DataWindow(parent)
    , m_book(book)
{
    buildUi();
    connect(
        cmdAdd, &QPushButton::clicked, this, [this] { ShowGroupDialog(frmGroups::ModeAdd, {}); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    setEnterAsTab(true);
    Form_Load();
}

void frmGroupMaster::buildUi()
{
    setObjectName(QStringLiteral("frmGroupMaster"));
    setWindowTitle(QStringLiteral("Group Master"));

    fraContainer = new QFrame(this);
    fraContainer->setObjectName(QStringLiteral("fraContainer"));
    fraPanel = new QFrame(fraContainer);
    fraPanel->setObjectName(QStringLiteral("fraPanel"));
    cmdAdd = new QPushButton(QStringLiteral("&Add"), fraPanel);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), fraPanel);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton* b : {cmdAdd, cmdClose})
        b->setAutoDefault(false);
    auto* panelRow = new QHBoxLayout(fraPanel);
    panelRow->setContentsMargins(0, 0, 0, 0);
    panelRow->addWidget(cmdAdd);
    panelRow->addWidget(cmdClose);
    panelRow->addStretch();
    auto* containerLayout = new QVBoxLayout(fraContainer);
    containerLayout->setContentsMargins(0, 0, 0, 0);
    containerLayout->addWidget(fraPanel);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(fraContainer);
    outer->addWidget(WebBrowser1, 1);
    WebBrowser1->setMinimumHeight(120);

    fraPleaseWait = new sesPanel(this);
    fraPleaseWait->setObjectName(QStringLiteral("fraPleaseWait"));
    fraPleaseWait->setCaption(QStringLiteral("Loading data. Please wait ..."));
    fraPleaseWait->resize(260, 50);
    fraPleaseWait->hide();

    setTabOrder(cmdAdd, cmdClose);
    setTabOrder(cmdClose, WebBrowser1);
    resize(560, 420);
}

void frmGroupMaster::Form_Load()
{
    if (!m_list.load(&m_loadError))
        MsgBox(m_loadError.description);
    {
        BusyScope busy(this);
        WebBrowser1->blank();
    }
    joinWindowList();
    setCaption(windowTitle());
    RefreshList();
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
    if (mblnDisableRefreshReport)
        return;
    QString page;
    {
        BusyScope busy(this);
        placePleaseWait();
        fraPleaseWait->show();
        fraPleaseWait->raise();
        fraPleaseWait->repaint();
        if (m_list.isLoaded() && m_book.store.hasDocument())
            page = m_list.build(m_book.store.document());
        fraPleaseWait->hide();
    }
    if (!m_list.isLoaded()) {
        MsgBox(m_loadError.description);
        return;
    }
    if (page.isEmpty())
        return; // reported by the transformation; the previous page stays
    showPage(page);
    if (!strRecordToNavigate.isEmpty()
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

void frmGroupMaster::linkClicked(const QString& token)
{
    for (const QString& mark : {kEditToken, kDeleteToken}) {
        if (!token.contains(mark))
            continue;
        QString rest = token;
        rest.remove(mark);
        const XmlNode group = FindGroup(m_book.store.document(), GroupOfToken(rest));
        // A link to a group that is no longer there is ignored.
        if (group)
            ShowGroupDialog(
                mark == kEditToken ? frmGroups::ModeEdit : frmGroups::ModeDelete, group);
        return;
    }
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

void frmGroupMaster::resizeEvent(QResizeEvent* event)
{
    DataWindow::resizeEvent(event);
    placePleaseWait();
}

void frmGroupMaster::placePleaseWait()
{
    CentreOver(fraPleaseWait, WebBrowser1);
}

} // namespace qb
