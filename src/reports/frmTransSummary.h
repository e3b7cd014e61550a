#pragma once

// The Period Summary window: every account, a group of accounts or one
// account over a period, with the money in, the money out and the
// difference totalled under the rows.

#include <optional>

#include "engine/ChartData.h"
#include "engine/SummaryReport.h"
#include "reports/PeriodReportWindow.h"
#include "store/BookContext.h"
#include "windows/Openers.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace qb {

class AccountCombo;

class frmTransSummary final : public PeriodReportWindow, public PeriodSummaryForm
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmTransSummary)

public:
    explicit frmTransSummary(const BookContext& book, QWidget* parent = nullptr);
    ~frmTransSummary() override;

    // Builds the summary of the chosen subject and dates and shows it. A
    // failure leaves the page shown before, without a message.
    void RefreshReport() override { PeriodReportWindow::RefreshReport(); }
    // Chooses the account item with this code; nothing when none has it.
    void SelectAccount(int code) override;
    // Chooses the group item whose text is the name, letter case ignored.
    void SelectGroup(const QString& group) override;

    std::optional<int> selectedAccount() const override;
    std::optional<QString> selectedGroup() const override;
    void setFromDate(const QDate& date) override { PeriodReportWindow::setFromDate(date); }
    void setToDate(const QDate& date) override { PeriodReportWindow::setToDate(date); }

    // The placeholder shown before a subject is chosen.
    static QString PlaceholderText();
    // The line shown when the group the window showed has been deleted.
    static QString GroupGoneText(const QString& group);

protected:
    bool buildReport(QString* page) override;
    // The account first: the keyboard chooses it at once.
    QWidget* firstInput() const override;
    AccountMenuHides accountMenuHides(int code) const override;
    QDate linkFromDate() const override;
    QDate linkToDate() const override;
    void bookChanged(const BookChange& change) override;
    std::function<void()> prepareForChange(const BookChange& change) override;
    void drawChart(int mode) override;
    bool chartAvailable(int mode) const override;

private:
    void buildUi();
    void connectSignals();
    void Form_Load();
    void FillLists();
    void fillGroups();
    // A placeholder replaced the page: no chart until the next page.
    void forgetChart();
    // What the lists choose: one account, a group or every account.
    SummarySubject chosenSubject() const;

    void cmbAccount_Click();
    void cmbGroups_Click();

    QFrame* fraContainer = nullptr;
    QLabel* lblAccount = nullptr;
    AccountCombo* cmbAccount = nullptr;
    QLabel* lblGroups = nullptr;
    QComboBox* cmbGroups = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdClose = nullptr;

    PeriodSummaryReport m_report;
    // A summary built while the last change was delivered, with what it was
    // built for and how many changes had been announced then.
    struct Prepared
    {
        quint64 at = 0;
        SummarySubject subject;
        QDate from, to;
        bool built = false;
        SummaryResult result;
        Error error;
    };
    std::optional<Prepared> m_prepared;
    // The figures of the last page for its charts: the in-and-out bars made
    // with the page, the group's balance made when first shown.
    std::optional<InOutChartData> m_inOutChart;
    std::optional<BalanceChartData> m_groupChart;
    QString m_chartGroup; // the group of the last page, when it is one
    QDate m_chartFrom, m_chartTo;
    // From the start of load until the lists and dates are filled (for good
    // when the load failed): list choices and refreshes do nothing.
    bool m_loading = true;
    // While one list's handler changes the other list.
    bool m_listGuard = false;
};

} // namespace qb
