#pragma once

// The transaction list window: the transactions of one account between two
// dates ("Trans-acwise"), with account and date links to further windows.

#include <optional>

#include "engine/LedgerReport.h"
#include "reports/PeriodReportWindow.h"
#include "windows/Openers.h"

class QFrame;
class QLabel;

namespace qb {

class AccountCombo;

class frmLedger final : public PeriodReportWindow, public TransactionListForm
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmLedger)

public:
    explicit frmLedger(const BookContext& book, QWidget* parent = nullptr);
    ~frmLedger() override;

    void RefreshReport() override;
    // Chooses the first account item with this code; nothing when none has it.
    void SelectAccount(int code) override;
    std::optional<int> selectedAccount() const override;
    void setFromDate(const QDate& date) override;
    void setToDate(const QDate& date) override;

    // The text of the placeholder page.
    static QString PlaceholderText();

    // A new window opens wide enough for the listing's columns.
    QSize sizeHint() const override { return {780, 560}; }

protected:
    bool buildReport(QString* page) override;
    // The account first: the keyboard chooses it at once.
    QWidget* firstInput() const override;
    // "Transaction List" is left out for the window's own account.
    AccountMenuHides accountMenuHides(int code) const override;
    void bookChanged(const BookChange& change) override;
    std::function<void()> prepareForChange(const BookChange& change) override;
    void drawChart(int mode) override;
    bool chartAvailable(int mode) const override;
    // The status links toggle cleared; the rest as every data window.
    void linkClicked(const QString& token) override;
    // Space on a chosen status link toggles it as a click does.
    bool previewKey(QWidget* target, QKeyEvent* key) override;

private:
    void buildUi();
    void Form_Load();
    // Toggles cleared on the transaction of a status token's date and
    // number, after asking when it is reconciled; saves and tells the windows.
    void toggleStatus(const QString& token);

    QFrame* fraContainer = nullptr;
    QLabel* lblAccount = nullptr;
    AccountCombo* cmbAccount = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdReconcile = nullptr;
    QPushButton* cmdClose = nullptr;

    LedgerReport m_report;
    // The listing worked out while the last change was delivered, and how
    // many changes had been announced then.
    std::optional<LedgerReport::Listing> m_prepared;
    quint64 m_preparedAt = 0;
    // The running balance of the last page, for its chart.
    std::optional<BalanceChartData> m_balanceChart;
    // The status link to choose again once the page shows the toggle.
    QString m_chooseAfterRefresh;
};

} // namespace qb
