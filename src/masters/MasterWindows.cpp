#include "masters/MasterWindows.h"

#include <QBoxLayout>
#include <QFrame>
#include <QPushButton>

#include "controls/sesPanel.h"
#include "store/DataStore.h"
#include "store/UiServices.h"
#include "windows/HtmlView.h"

namespace qb {

MasterWindow::MasterWindow(const BookContext& book, QWidget* parent)
    : DataWindow(parent)
    , m_book(book)
{ }

void MasterWindow::buildFrame(const QString& objectName, const QString& title)
{
    setObjectName(objectName);
    setWindowTitle(title);

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
    m_containerLayout = new QVBoxLayout(fraContainer);
    m_containerLayout->setContentsMargins(0, 0, 0, 0);
    m_containerLayout->addWidget(fraPanel);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(fraContainer);
    outer->addWidget(WebBrowser1, 1);
    WebBrowser1->setMinimumHeight(120);

    setUpPleaseWait(QStringLiteral("Loading data. Please wait ..."));

    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    setEnterAsTab(true);
}

void MasterWindow::Form_Load()
{
    if (!loadList(&m_loadError))
        MsgBox(m_loadError.description);
    {
        BusyScope busy(this);
        WebBrowser1->blank();
    }
    joinWindowList();
    setCaption(windowTitle());
    showList();
}

bool MasterWindow::showList()
{
    if (mblnDisableRefreshReport)
        return false;
    QString page;
    withPleaseWait([&] {
        if (isListLoaded() && m_book.store.hasDocument())
            page = buildList(m_book.store.document());
    });
    if (!isListLoaded()) {
        MsgBox(m_loadError.description);
        return false;
    }
    // A failed transformation has been reported; the previous page stays.
    if (page.isEmpty())
        return false;
    showPage(page);
    return true;
}

void MasterWindow::linkClicked(const QString& token)
{
    QString rest;
    const RecordLink link = RecordLinkOf(token, &rest);
    if (link != RecordLink::None)
        recordLinkClicked(link, rest);
    else
        otherLinkClicked(token);
}

void MasterWindow::otherLinkClicked(const QString& token)
{
    DataWindow::linkClicked(token);
}

void FitLayoutBelowCaption(sesPanel* panel, QBoxLayout* layout)
{
    // The border and caption strip do not depend on the panel's size.
    const QSize was = panel->size();
    panel->resize(400, 120);
    const QRect inner = panel->contentsRectBelowCaption();
    layout->setContentsMargins(inner.left() + 4, inner.top() + 2,
        panel->width() - inner.right() + 3, panel->height() - inner.bottom() + 3);
    panel->resize(was);
}

} // namespace qb
