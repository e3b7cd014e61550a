#pragma once

// The search window: finds the transactions that meet up to four criteria
// (dates, accounts, amount, details), shows them as a report with a total and
// a count, prints them and exports their rows as CSV.

#include "engine/SearchReport.h"
#include "store/BookContext.h"
#include "windows/DataWindow.h"
#include "windows/Openers.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace qb {

class DateBox;
class DateSelector;
class DaySpin;
class neb;
class sesPanel;

class frmSearch final : public DataWindow, public SearchForm
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSearch)

public:
    explicit frmSearch(const BookContext& book, QWidget* parent = nullptr);
    ~frmSearch() override = default;

    // Runs the search with the criteria on the window and shows the result.
    void RefreshList();

    // Rows found by the last search; 0 before the search button runs one.
    int mlngSearchResultCount() const override { return m_searchResultCount; }

    // The criteria as the controls hold them.
    SearchCriteria criteria() const;

protected:
    // Account links open their reports over the pickers' dates, whether or
    // not the date criterion is ticked.
    QDate linkFromDate() const override;
    QDate linkToDate() const override;
    void resizeEvent(QResizeEvent* event) override;
    // The search runs again with the same criteria; chosen accounts stay chosen.
    void bookChanged(const BookChange& change) override;
    std::function<void()> prepareForChange(const BookChange& change) override;

private:
    void buildUi();
    QWidget* buildCriteria();
    void connectSignals();
    void Form_Load();
    void FillAccounts();
    void enableCriteria();
    void cmbAmount_Click();
    void cmdSearch_Click();
    void cmdExport_Click();
    void cmdDetailsHelp_Click();
    void cmdSelectDate_Click();
    void buildQuickPanel();
    void placeQuickPanel();
    bool amountUnreadable(const neb* box) const;

    BookContext m_book;
    SearchReport m_report;
    int m_searchResultCount = 0;
    // A search run while the last change was delivered, with what it ran
    // for and how many changes had been announced then.
    struct Prepared
    {
        quint64 at = 0;
        SearchPredicate predicate;
        QString dateExpression;
        bool found = false;
        Error error;
        SearchReport report;
        QString page;
    };
    std::optional<Prepared> m_prepared;

    QFrame* fraContainer = nullptr;
    QGroupBox* Frame2 = nullptr;
    QCheckBox* chkDate = nullptr;
    // The shared period controls, arranged this window's way: cmdDateSelect
    // shows or hides the quick-date panel, cmdSelectDate opens the date ranges.
    DateSelector* m_dates = nullptr;
    DateBox* debFromDate = nullptr;
    DateBox* debToDate = nullptr;
    DaySpin* VScrollFrom = nullptr;
    DaySpin* VScrollTo = nullptr;
    QToolButton* cmdDateSelect = nullptr;
    sesPanel* fraQuickDateSelect = nullptr;
    QPushButton* cmdDateSelectClose = nullptr;
    QPushButton* cmdSelectDate = nullptr;
    QCheckBox* chkAccount = nullptr;
    QListWidget* lstAccounts = nullptr;
    QGroupBox* Frame3 = nullptr;
    QRadioButton* optFromOrTo = nullptr;
    QRadioButton* optFromOnly = nullptr;
    QRadioButton* optToOnly = nullptr;
    QCheckBox* chkAmount = nullptr;
    QComboBox* cmbAmount = nullptr;
    neb* nebFromAmount = nullptr;
    QLabel* lblAmountRangeSep = nullptr;
    neb* nebToAmount = nullptr;
    QCheckBox* chkDetails = nullptr;
    QComboBox* cmbDetails = nullptr;
    QLineEdit* txtDetails = nullptr;
    QPushButton* cmdDetailsHelp = nullptr;
    QCheckBox* chkStatus = nullptr;
    QComboBox* cmbStatus = nullptr;
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdClose = nullptr;
};

} // namespace qb
