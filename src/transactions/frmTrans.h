#pragma once

// The transaction entry window: enters, edits and deletes the transactions of
// one day, and shows that day's list with edit, delete and account links.

#include <optional>

#include <QDate>

#include "controls/DateBox.h"
#include "engine/EntryReports.h"
#include "store/BookEdits.h"
#include "transactions/EntryEdits.h"
#include "transactions/NewAccountOffer.h"
#include "windows/DataWindow.h"
#include "windows/Openers.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QFrame;

namespace qb {

class AccountCombo;
class DataStore;
class clsAutoComplete;
class neb;

class frmTrans final : public DataWindow, public TransactionEntryForm
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
    DateBox* debTrans = nullptr;

protected:
    bool previewKey(QWidget* target, QKeyEvent* key) override;
    void linkClicked(const QString& token) override;
    void bookChanged(const BookChange& change) override;
    QDate linkFromDate() const override { return debTrans->date(); }
    QDate linkToDate() const override { return debTrans->date(); }
    // A new window starts at its first field, so that the keyboard alone enters a day.
    QWidget* firstInput() const override { return debTrans; }
    // A new transaction with anything typed beyond the From account, or an
    // edit that changed the transaction.
    QString unsavedWork() const override;
    bool saveUnsavedWork() override { return saveEntry(); }
    void discardUnsavedWork() override;

private:
    void buildUi();
    void connectSignals();
    void Form_Load();
    DataStore& book() const;

    void setEntryMode(int mode);
    QString BalanceText(const AccountCombo* combo);
    void FillLists();
    void rememberNarration(const QString& narration);
    void ClearEntry();
    bool LoadTransaction(int date, int number);

    void cmdSave_Click() { saveEntry(); }
    // Save, Save editing or Delete: false when refused (the window says why)
    // or, for a delete, not confirmed.
    bool saveEntry();
    // The transaction as the fields show it now.
    TransactionFields typedFields() const;
    void cmdClose_Click();
    void debTrans_Change();
    void account_Click(AccountCombo* combo);
    void account_Validate(AccountCombo* combo, TypedAccount result);

    QLabel* balanceLabelOf(const AccountCombo* combo) const;
    AccountCombo* accountBoxOf(const QWidget* widget) const;

    QFrame* fraContainer = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* lbl[5] = {};
    DaySpin* VScroll1 = nullptr;
    AccountCombo* cmbFrom = nullptr;
    AccountCombo* cmbTo = nullptr;
    QLabel* lblBalance[2] = {};
    neb* nebAmount = nullptr;
    QComboBox* cmbNarration = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;

    int m_entryMode = ModeNew;
    // The transaction under edit or delete as it was loaded: Save writes it
    // only while the book still holds it unchanged under its key.
    std::optional<LoadedTransaction> m_editing;
    std::optional<TransactionKey> m_lastSaved;
    DayListReport m_dayList;
    AccountBalance m_balance;
    clsAutoComplete* m_completeFrom = nullptr;
    clsAutoComplete* m_completeTo = nullptr;
    clsAutoComplete* m_completeNarration = nullptr;
    BookContext m_book;
};

} // namespace qb
