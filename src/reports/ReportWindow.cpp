#include "ReportWindow.h"

#include <QAction>

#include "HtmlView.h"
#include "ReportPage.h"
#include "Utilities.h"
#include "WindowHost.h"
#include "WindowList.h"

namespace qb {

ReportWindow::ReportWindow(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    WebBrowser1 = new HtmlView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    connect(WebBrowser1, &HtmlView::beforeNavigate, this, &ReportWindow::onBeforeNavigate);
}

ReportWindow::~ReportWindow()
{
    if (m_windowEntry && m_windowList)
        m_windowList->RemoveWindowListEntry(m_windowEntry);
}

QString ReportWindow::DecodeLinkToken(const QString& href)
{
    QString token = href;
    token.remove(QStringLiteral("about:blank"), Qt::CaseSensitive);
    token.remove(QStringLiteral("about:"), Qt::CaseSensitive);
    token.remove(QChar(1));
    return token;
}

QString ReportWindow::DateTokenPrefix()
{
    return QStringLiteral("[*[date]*]");
}

bool ReportWindow::IsDateToken(const QString& token)
{
    return token.contains(DateTokenPrefix());
}

QDate ReportWindow::DateOfToken(const QString& token)
{
    QString rest = token;
    rest.remove(DateTokenPrefix());
    bool ok = false;
    const int value = rest.trimmed().toInt(&ok);
    return ok ? DocDateToDate(value) : QDate();
}

int ReportWindow::AccountOfToken(const QString& token, bool* ok)
{
    return token.trimmed().toInt(ok);
}

void ReportWindow::linkClicked(const QString& /*token*/) { }

void ReportWindow::onBeforeNavigate(const QString& href, bool* cancel)
{
    // The window's own page writing goes through untouched.
    if (m_busy)
        return;
    linkClicked(DecodeLinkToken(href));
    *cancel = true;
}

void ReportWindow::showPlaceholder(const QString& message)
{
    BusyScope busy(this);
    WebBrowser1->blank();
    if (!mblnDisableRefreshReport) {
        QString page = PlaceholderPage(message);
        ShowReportHtml(WebBrowser1, page);
    }
}

void ReportWindow::showPage(QString& page)
{
    BusyScope busy(this);
    ShowReportHtml(WebBrowser1, page);
}

void ReportWindow::printPage()
{
    WebBrowser1->print(); // failures are of no consequence to the window
}

void ReportWindow::joinWindowList()
{
    if (m_windowEntry && m_windowList)
        m_windowList->RemoveWindowListEntry(m_windowEntry);
    m_windowList = &WindowHost::current().windowList();
    m_windowEntry = m_windowList->AddWindowListEntry(this);
}

void ReportWindow::setCaption(const QString& caption)
{
    setWindowTitle(caption);
    if (m_windowEntry && m_windowList)
        m_windowList->SetWindowListCaption(m_windowEntry, caption);
}

} // namespace qb
