#include "transactions/frmDeleted.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "store/DataStore.h"
#include "store/DeletedTransactions.h"
#include "store/UiServices.h"
#include "windows/HtmlView.h"

namespace qb {

frmDeleted::frmDeleted(const BookContext& book, QWidget* parent)
    : DataWindow(parent)
    , m_book(book)
{
    buildUi();
    connect(cmdPrint, &QPushButton::clicked, this, &frmDeleted::printPage);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    if (!m_list.load(&m_loadError))
        MsgBox(m_loadError.description);
    joinWindowList();
    setCaption(windowTitle());
    RefreshList();
}

void frmDeleted::buildUi()
{
    setObjectName(QStringLiteral("frmDeleted"));
    setWindowTitle(QStringLiteral("Deleted Transactions"));
    cmdPrint = new QPushButton(QStringLiteral("&Print"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton* b : {cmdPrint, cmdClose})
        b->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(cmdPrint);
    row->addWidget(cmdClose);
    row->addStretch();
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addLayout(row);
    outer->addWidget(WebBrowser1, 1);
    WebBrowser1->setMinimumHeight(120);
    setTabOrder(WebBrowser1, cmdPrint);
    setTabOrder(cmdPrint, cmdClose);
    resize(760, 420);
}

void frmDeleted::RefreshList(int id)
{
    if (mblnDisableRefreshReport || !m_list.isLoaded() || !m_book.store.hasDocument())
        return;
    QString page;
    {
        BusyScope busy(this);
        page = m_list.build(m_book.store.document());
    }
    if (page.isEmpty())
        return; // reported by the transformation; the previous page stays
    showPage(page);
    if (id != 0)
        WebBrowser1->focusElement(DeletedListReport::RowId(id));
}

void frmDeleted::RestoreEntry(int id)
{
    DataStore& store = m_book.store;
    if (store.refuseChange())
        return;
    const RestoreOutcome outcome = RestoreDeleted(store.document(), id, &store.history());
    if (outcome.kind == RestoreOutcome::Restored) {
        // A failed save has been reported by the store; the transaction is
        // back in the book and goes out with the next save.
        const bool saved = store.SaveDocument();
        Q_UNUSED(saved);
        AnnounceBookChange(BookChange::Transactions, this);
        RefreshList();
    }
    MsgBox(RestoreMessage(outcome, id), MsgIcon::Information, QStringLiteral("Restore"));
}

void frmDeleted::linkClicked(const QString& token)
{
    if (token.startsWith(DeletedListReport::RestoreToken())) {
        bool ok = false;
        const int id = token.mid(DeletedListReport::RestoreToken().size()).toInt(&ok);
        if (ok)
            RestoreEntry(id);
    }
}

void frmDeleted::bookChanged(const BookChange& change)
{
    if (change.source != this && change.has(BookChange::Transactions | BookChange::Accounts))
        keepingScroll([this] { RefreshList(); });
}

} // namespace qb
