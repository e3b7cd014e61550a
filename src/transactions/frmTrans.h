#pragma once

// The transaction entry window: enters, edits and deletes the transactions of
// one day, and shows that day's list with edit, delete and account links.

#include <optional>

#include <QDate>
#include <QTimer>

#include "Openers.h"
#include "EntryReports.h"
#include "ReportWindow.h"
#include "BookEdits.h"

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QFrame;

namespace qb {

class clsAutoComplete;
class neb;
class sesPanel;

class frmTrans final : public ReportWindow, public TransactionEntryForm
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmTrans)

public:
    enum Mode { ModeNew = 0, ModeEdit = 1, ModeDelete = 2 };

    explicit frmTrans(const BookContext& book, QWidget* parent = nullptr);
    ~frmTrans() override;

    // Builds and shows the list of the entry date.
    void RefreshList() override;

    QDate entryDate() const override;
    void setEntryDate(const QDate& date) override;

    int EntryMode() const { return m_entryMode; }

    // Reached by name from the openers and the tests.
    QDateEdit* debTrans = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void linkClicked(const QString& token) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void connectSignals();
    void Form_Load();

    void setEntryMode(int mode);
    bool AddAccountIfNew(QComboBox* combo);
    QString BalanceText(QComboBox* combo);
    void FillLists();
    void ClearEntry();
    bool LoadTransaction(int date, int number);
    void SelectByCode(QComboBox* combo, int code);

    void cmdSave_Click();
    void cmdClose_Click();
    void VScroll1_Change(int value);
    void debTrans_Change();
    void account_Change(QComboBox* combo);
    void account_Click(QComboBox* combo);
    void account_Validate(QComboBox* combo);
    bool handleKey(QObject* watched, QKeyEvent* key);

    QLabel* balanceLabelOf(const QComboBox* combo) const;
    QComboBox* accountBoxOf(QObject* watched) const;
    void addAccountItem(QComboBox* combo, const QString& name, int code);
    void placePleaseWait();

    QFrame* fraContainer = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* lbl[5] = {};
    QScrollBar* VScroll1 = nullptr;
    QComboBox* cmbFrom = nullptr;
    QComboBox* cmbTo = nullptr;
    QLabel* lblBalance[2] = {};
    neb* nebAmount = nullptr;
    QComboBox* cmbNarration = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    sesPanel* fraPleaseWait = nullptr;

    int m_entryMode = ModeNew;
    // The transaction under edit or delete, found again by its key when saved,
    // so that a transaction removed meanwhile by another window is never touched.
    std::optional<TransactionKey> m_editing;
    std::optional<TransactionKey> m_lastSaved;
    DayListReport m_dayList;
    AccountBalance m_balance;
    clsAutoComplete* m_completeFrom = nullptr;
    clsAutoComplete* m_completeTo = nullptr;
    clsAutoComplete* m_completeNarration = nullptr;
    QTimer m_typedDateRefresh;
    bool m_validating = false;
    BookContext m_book;
    bool m_closing = false;
    bool m_keyInDate = false;
    bool m_shown = false;
};

} // namespace qb
