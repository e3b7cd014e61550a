#include "windows/DataWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QScrollBar>

#include "controls/KeyPreview.h"
#include "controls/sesPanel.h"
#include "engine/ReportPage.h"
#include "engine/ShortDate.h"
#include "store/Reconcile.h"
#include "store/UiServices.h"
#include "store/Utilities.h"
#include "windows/HtmlView.h"
#include "windows/Openers.h"
#include "windows/ReportMenus.h"
#include "windows/WindowHost.h"
#include "windows/WindowList.h"

namespace qb {

bool AskBeforeChangingReconciled(const XmlNode& transaction)
{
    return StatusOf(transaction) != TransactionStatus::Reconciled
        || MsgBox(ReconciledQuestion(ReconciledOn(transaction)), MsgIcon::Question,
               QStringLiteral("Reconciled Transaction"), MsgButtons::YesNo, MsgResult::No)
        == MsgResult::Yes;
}

DataWindow::DataWindow(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    if (QWidget* main = WindowHost::current().mainWindow())
        setWindowIcon(main->windowIcon());
    WebBrowser1 = new HtmlView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    connect(WebBrowser1, &HtmlView::beforeNavigate, this, &DataWindow::onBeforeNavigate);
    m_keyPreview = new KeyPreview(this);
    m_keyPreview->keepEnter(WebBrowser1);
    m_keyPreview->setHandler(
        [this](QWidget* target, QKeyEvent* key) { return previewKey(target, key); });
    // Each window answers a change in an event of its own, so that the
    // event loop runs between the windows' refreshes.
    m_bookTimer.setSingleShot(true);
    m_bookTimer.setInterval(0);
    connect(&m_bookTimer, &QTimer::timeout, this, [this] {
        const BookChange change = m_unheard;
        m_unheard = BookChange();
        m_hasUnheard = false;
        if (!m_closing)
            bookChanged(change);
    });
    connect(&BookChanges::instance(), &BookChanges::changed, this, &DataWindow::onBookChanged);
}

DataWindow::~DataWindow()
{
    // The derived window's members are gone already; its controls are taken
    // down after this, and losing the focus or finishing an edit on the way
    // must reach nothing of the window.
    m_closing = true;
    m_bookTimer.stop();
    disconnect(m_scrollBack);
    delete m_keyPreview;
    m_keyPreview = nullptr;
    const QList<QObject*> inside = findChildren<QObject*>();
    for (QObject* child : inside) {
        disconnect(child, nullptr, this, nullptr);
        child->removeEventFilter(this);
    }
    if (m_windowEntry && m_windowList)
        m_windowList->RemoveWindowListEntry(m_windowEntry);
}

QString DataWindow::DecodeLinkToken(const QString& href)
{
    QString token = href;
    token.remove(QStringLiteral("about:blank"), Qt::CaseSensitive);
    token.remove(QStringLiteral("about:"), Qt::CaseSensitive);
    token.remove(QChar(1));
    return token;
}

QString DataWindow::DateTokenPrefix()
{
    return QStringLiteral("[*[date]*]");
}

bool DataWindow::IsDateToken(const QString& token)
{
    return token.contains(DateTokenPrefix());
}

QDate DataWindow::DateOfToken(const QString& token)
{
    QString rest = token;
    rest.remove(DateTokenPrefix());
    bool ok = false;
    const int value = rest.trimmed().toInt(&ok);
    return ok ? DocDateToDate(value) : QDate();
}

int DataWindow::AccountOfToken(const QString& token, bool* ok)
{
    return token.trimmed().toInt(ok);
}

QString DataWindow::EditTokenMark()
{
    return QStringLiteral("[*[E]*]");
}

QString DataWindow::DeleteTokenMark()
{
    return QStringLiteral("[*[D]*]");
}

DataWindow::RecordLink DataWindow::RecordLinkOf(const QString& token, QString* rest)
{
    for (const RecordLink link : {RecordLink::Edit, RecordLink::Delete}) {
        const QString mark = link == RecordLink::Edit ? EditTokenMark() : DeleteTokenMark();
        if (!token.contains(mark))
            continue;
        if (rest) {
            *rest = token;
            rest->remove(mark);
        }
        return link;
    }
    return RecordLink::None;
}

void DataWindow::linkClicked(const QString& token)
{
    if (IsDateToken(token)) {
        const QDate date = DateOfToken(token);
        if (date.isValid()
            && ShowDateMenu(this, ShortDateText(date)) == QStringLiteral("Show Entries On"))
            OpenTransactionEntry(DateToDocDate(date));
        return;
    }
    bool ok = false;
    const int code = AccountOfToken(token, &ok);
    if (!ok)
        return;
    const AccountMenuHides hides = accountMenuHides(code);
    const QString choice = ShowAccountMenu(this, hides.transactionList, hides.periodSummary);
    // Taken at the choice: the menu may have been open while the dates changed.
    const QDate from = linkFromDate();
    const QDate to = linkToDate();
    if (choice == QStringLiteral("Transaction List") && !hides.transactionList)
        OpenTransactionList(code, from, to);
    else if (choice == QStringLiteral("Period Summary") && !hides.periodSummary)
        OpenPeriodSummary(code, QString(), from, to);
}

AccountMenuHides DataWindow::accountMenuHides(int /*code*/) const
{
    return {};
}

void DataWindow::setEnterAsTab(bool on)
{
    m_keyPreview->setEnterAsTab(on);
}

bool DataWindow::previewKey(QWidget* /*target*/, QKeyEvent* /*key*/)
{
    return false;
}

bool DataWindow::settleUnsaved(bool mayCancel)
{
    const QString work = unsavedWork();
    if (work.isEmpty())
        return true;
    WindowHost::current().activateChild(this);
    const MsgResult answer = MsgBox(QStringLiteral("Do you want to save ") + work
            + QStringLiteral(" before the window closes?"),
        MsgIcon::Question, QStringLiteral("Save Changes"),
        mayCancel ? MsgButtons::SaveDiscardCancel : MsgButtons::YesNo,
        mayCancel ? MsgResult::Save : MsgResult::Yes);
    if (answer == MsgResult::Save || answer == MsgResult::Yes) {
        if (saveUnsavedWork())
            return true;
        if (mayCancel)
            return false;
    } else if (mayCancel && answer != MsgResult::Discard && answer != MsgResult::No) {
        return false;
    }
    discardUnsavedWork();
    return true;
}

bool SettleDataWindows()
{
    for (QWidget* w : WindowHost::current().childWindows()) {
        auto* window = qobject_cast<DataWindow*>(w);
        if (window && !window->isClosing() && !window->settleUnsaved(true))
            return false;
    }
    return true;
}

void DataWindow::closeEvent(QCloseEvent* event)
{
    if (!m_closing && !settleUnsaved(true)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    if (event->isAccepted())
        m_closing = true;
}

void DataWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placePleaseWait();
}

void DataWindow::setUpPleaseWait(const QString& caption, WaitPlace place)
{
    if (!m_pleaseWait) {
        m_pleaseWait = new sesPanel(this);
        m_pleaseWait->setObjectName(QStringLiteral("fraPleaseWait"));
        m_pleaseWait->resize(260, 50);
        m_pleaseWait->hide();
    }
    m_pleaseWait->setCaption(caption);
    m_waitPlace = place;
}

void DataWindow::withPleaseWait(const std::function<void()>& build)
{
    BusyScope busy(this);
    if (m_pleaseWait) {
        placePleaseWait();
        m_pleaseWait->show();
        m_pleaseWait->raise();
        m_pleaseWait->repaint();
    }
    build();
    if (m_pleaseWait)
        m_pleaseWait->hide();
}

void DataWindow::placePleaseWait()
{
    if (!m_pleaseWait)
        return;
    const QRect view = WebBrowser1->geometry();
    const QPoint topLeft = WebBrowser1->parentWidget()->mapTo(this, view.topLeft());
    const int down
        = m_waitPlace == WaitPlace::NearTop ? 20 : (view.height() - m_pleaseWait->height()) / 2;
    m_pleaseWait->move(
        topLeft.x() + (view.width() - m_pleaseWait->width()) / 2, topLeft.y() + down);
}

void DataWindow::onBeforeNavigate(const QString& href, bool* cancel)
{
    // The window's own page writing goes through untouched.
    if (m_busy)
        return;
    linkClicked(DecodeLinkToken(href));
    *cancel = true;
}

void DataWindow::onBookChanged(const BookChange& change)
{
    if (m_closing)
        return;
    if (!m_hasUnheard) {
        m_unheard = change;
        m_hasUnheard = true;
    } else {
        m_unheard.kinds |= change.kinds;
        if (m_unheard.source != change.source)
            m_unheard.source = nullptr;
        for (auto it = change.renamedGroups.begin(); it != change.renamedGroups.end(); ++it)
            m_unheard.renamedGroups.insert(it.key(), it.value());
    }
    m_bookTimer.start();
    BookChanges::instance().prepare(prepareForChange(m_unheard));
}

void DataWindow::bookChanged(const BookChange& /*change*/) { }

std::function<void()> DataWindow::prepareForChange(const BookChange& /*change*/)
{
    return {};
}

void DataWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        if (QWidget* first = firstInput())
            first->setFocus(Qt::OtherFocusReason);
    }
}

void DataWindow::keepingScroll(const std::function<void()>& rebuild)
{
    QScrollBar* vertical = WebBrowser1->verticalScrollBar();
    QScrollBar* horizontal = WebBrowser1->horizontalScrollBar();
    const int top = vertical->value();
    const int left = horizontal->value();
    disconnect(m_scrollBack);
    rebuild();
    vertical->setValue(top);
    horizontal->setValue(left);
    if (!WebBrowser1->isComplete()) {
        // The rows below the first screen arrive while the event loop runs.
        m_scrollBack = connect(WebBrowser1, &HtmlView::pageComplete, this, [this, top, left] {
            disconnect(m_scrollBack);
            WebBrowser1->verticalScrollBar()->setValue(top);
            WebBrowser1->horizontalScrollBar()->setValue(left);
        });
    }
}

void DataWindow::showPlaceholder(const QString& message)
{
    BusyScope busy(this);
    WebBrowser1->blank();
    if (!mblnDisableRefreshReport) {
        QString page = PlaceholderPage(message);
        ShowReportHtml(WebBrowser1, page);
    }
}

void DataWindow::showPage(QString& page)
{
    BusyScope busy(this);
    ShowReportHtml(WebBrowser1, page);
}

void DataWindow::printPage()
{
    WebBrowser1->print(); // failures are of no consequence to the window
}

void DataWindow::joinWindowList()
{
    if (m_windowEntry && m_windowList)
        m_windowList->RemoveWindowListEntry(m_windowEntry);
    m_windowList = &WindowHost::current().windowList();
    m_windowEntry = m_windowList->AddWindowListEntry(this);
}

void DataWindow::setCaption(const QString& caption)
{
    setWindowTitle(caption);
    if (m_windowEntry && m_windowList)
        m_windowList->SetWindowListCaption(m_windowEntry, caption);
}

} // namespace qb
