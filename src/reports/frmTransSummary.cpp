#include "reports/frmTransSummary.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "charts/ChartPanel.h"
#include "controls/AccountCombo.h"
#include "controls/DateBox.h"
#include "engine/ReportPage.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/UiServices.h"
#include "windows/BookChanges.h"
#include "windows/DateSelector.h"
#include "windows/HtmlView.h"

namespace qb {

namespace {

QString noGroupText()
{
    return QStringLiteral("(No Group created)");
}

} // namespace

frmTransSummary::frmTransSummary(const BookContext& book, QWidget* parent)
    : PeriodReportWindow(book, parent)
{
    setObjectName(QStringLiteral("frmTransSummary"));
    setWindowTitle(QStringLiteral("Period Summary"));
    buildUi();
    connectSignals();
    Form_Load();
}

frmTransSummary::~frmTransSummary() = default;

QString frmTransSummary::PlaceholderText()
{
    return QStringLiteral("Select an account or a group from above to display the Period summary.");
}

void frmTransSummary::buildUi()
{
    fraContainer = new QFrame(this);
    fraContainer->setObjectName(QStringLiteral("fraContainer"));
    cmbAccount = new AccountCombo(false, fraContainer);
    cmbAccount->setObjectName(QStringLiteral("cmbAccount"));
    cmbAccount->setMinimumWidth(200);
    cmbAccount->setMaxVisibleItems(20);
    lblAccount = new QLabel(QStringLiteral("&Account"), fraContainer);
    lblAccount->setObjectName(QStringLiteral("lblAccount"));
    lblAccount->setBuddy(cmbAccount);
    cmbGroups = new QComboBox(fraContainer);
    cmbGroups->setObjectName(QStringLiteral("cmbGroups"));
    cmbGroups->setMinimumWidth(200);
    cmbGroups->setMaxVisibleItems(20);
    lblGroups = new QLabel(QStringLiteral("&Group"), fraContainer);
    lblGroups->setObjectName(QStringLiteral("lblGroups"));
    lblGroups->setBuddy(cmbGroups);

    // Subject on the left, the shared period controls on the right.
    auto* subject = new QGridLayout;
    subject->addWidget(lblAccount, 0, 0);
    subject->addWidget(cmbAccount, 0, 1);
    subject->addWidget(lblGroups, 1, 0);
    subject->addWidget(cmbGroups, 1, 1);
    subject->setRowStretch(2, 1);
    auto* inside = new QHBoxLayout(fraContainer);
    inside->setContentsMargins(0, 0, 0, 0);
    inside->addLayout(subject);
    inside->addSpacing(12);
    inside->addLayout(dates()->standardLayout());
    // The date controls are the window's children: move them into the frame.
    for (QWidget* w :
        {static_cast<QWidget*>(dates()->lblFrom), static_cast<QWidget*>(dates()->debFrom),
            static_cast<QWidget*>(dates()->VScrollFrom), static_cast<QWidget*>(dates()->lblTo),
            static_cast<QWidget*>(dates()->debTo), static_cast<QWidget*>(dates()->VScrollTo),
            static_cast<QWidget*>(dates()->cmdDateSelect), static_cast<QWidget*>(dates()->Frame1)})
        w->setParent(fraContainer);

    cmdRefresh = new QPushButton(QStringLiteral("Refre&sh"), this);
    cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto* top = new QHBoxLayout;
    top->addStretch(1);
    top->addWidget(fraContainer);
    top->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdRefresh);
    buttons->addWidget(cmdPrint);
    buttons->addWidget(cmdClose);
    buildViewSwitch({QStringLiteral("Chart"), QStringLiteral("Balance over Time")});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(viewSwitch);
    layout->addWidget(pageStack, 1);
    layout->addLayout(buttons);
    WebBrowser1->setMinimumHeight(80);

    setTabOrder(cmbAccount, cmbGroups);
    setTabOrder(cmbGroups, dates()->debFrom);
    setTabOrder(dates()->debFrom, dates()->debTo);
    setTabOrder(dates()->debTo, viewButtons.at(0));
    setTabOrder(viewButtons.at(0), viewButtons.at(1));
    setTabOrder(viewButtons.at(1), viewButtons.at(2));
    setTabOrder(viewButtons.at(2), cmdSaveChart);
    setTabOrder(cmdSaveChart, cmdRefresh);
    setTabOrder(cmdRefresh, cmdPrint);
    setTabOrder(cmdPrint, cmdClose);
    setTabOrder(cmdClose, WebBrowser1);
    setTabOrder(WebBrowser1, chartPanel());
    // Never smaller than the controls need, also when the windows are tiled.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    resize(std::max(minimumWidth(), 760), 500);
}

void frmTransSummary::connectSignals()
{
    connect(cmbAccount, &QComboBox::activated, this, &frmTransSummary::cmbAccount_Click);
    connect(cmbGroups, &QComboBox::activated, this, &frmTransSummary::cmbGroups_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmTransSummary::RefreshReport);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

void frmTransSummary::Form_Load()
{
    m_loading = true;
    Error error;
    if (!m_report.load(&error)) {
        // The window stays open but never builds a report.
        MsgBox(QStringLiteral("Error ") + QString::number(error.number) + QStringLiteral(" (")
            + error.description
            + QStringLiteral(") in procedure Form_Load of Form frmTransSummary at Line number :"));
        return;
    }
    showPlaceholder(PlaceholderText());
    FillLists();
    const QDate today = book().clock.today();
    dates()->setDates(QDate(today.year(), today.month(), 1), today);
    m_loading = false;
    joinWindowList();
}

QString frmTransSummary::GroupGoneText(const QString& group)
{
    return QStringLiteral("The group '") + group
        + QStringLiteral("' is no longer in the book. Select an account or a group from above.");
}

void frmTransSummary::FillLists()
{
    fillGroups();
    cmbAccount->fillAccounts(book().store.AcMasterSection());
    cmbAccount->addAccount(QStringLiteral("(All Accounts)"), 0);
    cmbAccount->clearChoice();
}

void frmTransSummary::fillGroups()
{
    cmbGroups->clear();
    cmbGroups->addItem(QStringLiteral("(Select Group)"));
    const XmlNode groups = book().store.GroupsSection();
    for (XmlNode g = groups.firstChildElement(); g; g = g.nextSiblingElement())
        cmbGroups->addItem(g.text());
    if (cmbGroups->count() == 1) {
        cmbGroups->clear();
        cmbGroups->addItem(noGroupText());
    }
    cmbGroups->setCurrentIndex(0);
}

void frmTransSummary::bookChanged(const BookChange& change)
{
    if (m_loading || !book().store.hasDocument())
        return;
    const std::optional<int> code = cmbAccount->selectedCode();
    // A renamed group is followed under its new name.
    const QString group
        = cmbGroups->currentIndex() > 0 ? change.groupNow(cmbGroups->currentText()) : QString();
    bool groupGone = false;
    if (change.has(BookChange::Accounts | BookChange::Groups)) {
        const QSignalBlocker blockAccounts(cmbAccount);
        const QSignalBlocker blockGroups(cmbGroups);
        cmbAccount->refillAccounts(
            book().store.AcMasterSection(), {{QStringLiteral("(All Accounts)"), 0}});
        fillGroups();
        if (!group.isEmpty()) {
            const int index = cmbGroups->findText(group, Qt::MatchExactly | Qt::MatchCaseSensitive);
            groupGone = index <= 0;
            cmbGroups->setCurrentIndex(std::max(index, 0));
        }
    }
    if (groupGone) {
        // Nothing is left to summarise: the page says so instead of showing every account.
        setCaption(QStringLiteral("Period Summary"));
        QString page = PlaceholderPage(GroupGoneText(group).toHtmlEscaped());
        showPage(page);
        forgetChart();
        return;
    }
    if (code && !cmbAccount->selectedCode()) {
        setCaption(QStringLiteral("Period Summary"));
        showPlaceholder(PlaceholderText()); // the account is no longer in the book
        forgetChart();
        return;
    }
    if (cmbAccount->selectedCode() || !group.isEmpty())
        keepingScroll([this] { RefreshReport(); });
}

void frmTransSummary::cmbAccount_Click()
{
    if (m_loading || m_listGuard)
        return;
    m_listGuard = true;
    cmbGroups->setCurrentIndex(0);
    RefreshReport();
    m_listGuard = false;
}

void frmTransSummary::cmbGroups_Click()
{
    // "(Select Group)" and "(No Group created)" stand first and choose nothing.
    if (m_loading || cmbGroups->currentIndex() <= 0 || m_listGuard)
        return;
    m_listGuard = true;
    cmbAccount->clearChoice();
    RefreshReport();
    m_listGuard = false;
}

void frmTransSummary::SelectAccount(int code)
{
    for (int i = 0; i < cmbAccount->count(); ++i) {
        if (cmbAccount->itemData(i).toInt() == code) {
            cmbAccount->setCurrentIndex(i);
            cmbAccount_Click();
            return;
        }
    }
}

void frmTransSummary::SelectGroup(const QString& group)
{
    const int index = cmbGroups->findText(group, Qt::MatchFixedString);
    if (index < 0)
        return;
    cmbGroups->setCurrentIndex(index);
    cmbGroups_Click();
}

std::optional<int> frmTransSummary::selectedAccount() const
{
    return cmbAccount->selectedCode();
}

std::optional<QString> frmTransSummary::selectedGroup() const
{
    if (cmbGroups->currentIndex() < 0)
        return std::nullopt;
    return cmbGroups->currentText();
}

QWidget* frmTransSummary::firstInput() const
{
    return cmbAccount;
}

bool frmTransSummary::buildReport(QString* page)
{
    if (m_loading || !book().store.hasDocument())
        return false;
    const SummarySubject subject = chosenSubject();
    SummaryResult result;
    Error error;
    const QDate from = dates()->fromDate(), to = dates()->toDate();
    bool built = false;
    std::optional<Prepared> prepared;
    prepared.swap(m_prepared);
    if (prepared && prepared->at == BookChanges::instance().announced() && prepared->from == from
        && prepared->to == to && prepared->subject.accountCode == subject.accountCode
        && prepared->subject.accountName == subject.accountName
        && prepared->subject.groupName == subject.groupName) {
        built = prepared->built;
        result = std::move(prepared->result);
        error = prepared->error;
    } else {
        built = m_report.build(book().store.document(), from, to, subject, &result, &error);
    }
    if (!result.caption.isEmpty())
        setCaption(result.caption);
    if (built) {
        *page = result.page;
        // The chart's figures are the page's: the per-account sums of this
        // build, or the months of the one account.
        m_chartFrom = from;
        m_chartTo = to;
        m_groupChart.reset();
        m_chartGroup
            = result.subjectFound && subject.accountCode <= 0 ? subject.groupName : QString();
        if (subject.accountCode > 0)
            m_inOutChart = MonthlyChartData(
                book().store.document(), subject.accountCode, subject.accountName, from, to);
        else
            m_inOutChart = SummaryChartData(result,
                m_chartGroup.isEmpty() ? QStringLiteral("All accounts")
                                       : QLatin1Char('\'') + m_chartGroup + QLatin1Char('\''),
                from, to);
    }
    return built;
}

SummarySubject frmTransSummary::chosenSubject() const
{
    // The chosen account counts by its code, so that "(All Accounts)" is all
    // accounts wherever the sorted list puts it.
    const std::optional<int> code = cmbAccount->selectedCode();
    if (code && *code > 0)
        return SummarySubject::account(*code, cmbAccount->currentText());
    if (cmbGroups->currentIndex() > 0)
        return SummarySubject::group(cmbGroups->currentText());
    return SummarySubject::allAccounts();
}

std::function<void()> frmTransSummary::prepareForChange(const BookChange& change)
{
    m_prepared.reset();
    // A change of transactions only: the lists stay as they are.
    if (change.kinds != BookChange::Transactions || m_loading || !book().store.hasDocument()
        || (!cmbAccount->selectedCode() && cmbGroups->currentIndex() <= 0))
        return {};
    Prepared prepared;
    prepared.at = BookChanges::instance().announced();
    prepared.subject = chosenSubject();
    prepared.from = dates()->fromDate();
    prepared.to = dates()->toDate();
    const XmlDocument* data = &book().store.document();
    return [this, data, prepared]() mutable {
        prepared.built = m_report.build(
            *data, prepared.from, prepared.to, prepared.subject, &prepared.result, &prepared.error);
        m_prepared = std::move(prepared);
    };
}

void frmTransSummary::forgetChart()
{
    m_inOutChart.reset();
    m_groupChart.reset();
    m_chartGroup.clear();
    chartPanel()->clearChart();
    updateViewSwitch();
}

bool frmTransSummary::chartAvailable(int mode) const
{
    if (mode == 1)
        return m_inOutChart.has_value();
    return m_inOutChart.has_value() && !m_chartGroup.isEmpty();
}

void frmTransSummary::drawChart(int mode)
{
    if (mode == 1 && m_inOutChart) {
        chartPanel()->showInOut(*m_inOutChart);
    } else if (mode == 2 && !m_chartGroup.isEmpty()) {
        if (!m_groupChart)
            m_groupChart = GroupBalanceChartData(
                book().store.document(), m_chartGroup, m_chartFrom, m_chartTo);
        if (m_groupChart)
            chartPanel()->showBalance(*m_groupChart);
        else
            chartPanel()->clearChart();
    }
}

AccountMenuHides frmTransSummary::accountMenuHides(int /*code*/) const
{
    return {false, true};
}

QDate frmTransSummary::linkFromDate() const
{
    return dates()->fromDate();
}

QDate frmTransSummary::linkToDate() const
{
    return dates()->toDate();
}

} // namespace qb
