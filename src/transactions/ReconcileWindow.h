#pragma once

// The reconcile window: an account checked against a bank statement. The
// person gives the statement's date and ending balance; the window lists the
// account's transactions up to that date that are not reconciled yet, each
// with a tick (ticked: the bank has it), and shows the cleared balance and
// its difference from the statement. Finish, possible only when the
// difference is exactly 0.00, marks the ticked ones reconciled and records
// the reconciliation; Postpone keeps the ticks as cleared for later. Each is
// one undo step.

#include <optional>

#include "store/BookContext.h"
#include "store/Reconcile.h"
#include "windows/DataWindow.h"
#include "windows/Openers.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qb {

class AccountCombo;
class DateBox;
class neb;

class ReconcileWindow final : public DataWindow, public ReconcileForm
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReconcileWindow)

public:
    explicit ReconcileWindow(const BookContext& book, QWidget* parent = nullptr);
    ~ReconcileWindow() override;

    std::optional<int> selectedAccount() const override;
    void SelectAccount(int code) override;

    // The statement balance less the cleared balance; nothing while the
    // balance box cannot be read or no account is chosen.
    std::optional<Money> difference() const;
    Money clearedBalance() const { return m_cleared; }
    int lineCount() const { return int(m_start.lines.size()); }

    // Finish and Postpone as their buttons do; false when nothing was done.
    bool finish();
    bool postpone();

    QSize sizeHint() const override { return {720, 520}; }

protected:
    QWidget* firstInput() const override;
    void bookChanged(const BookChange& change) override;

private:
    void buildUi();
    // Reads the account's lines up to the statement date again; the ticks
    // the person set stay on the lines still listed.
    void reload();
    // The statement date and balance for a newly chosen account.
    void fillStatement();
    void onItemChanged(QTreeWidgetItem* item, int column);
    void showDifference();
    // Writes the changes made (inside one undo step), saves, tells the windows.
    void commit(const QString& caption, const std::function<void(XmlDocument&)>& change);

    BookContext m_book;
    ReconcileStart m_start;
    Money m_cleared;
    // Ticks set here that are not yet in the book, by date and number.
    QHash<std::pair<int, int>, bool> m_ticks;
    bool m_filling = false;
    // Finish is done for what the window shows: it waits for a new
    // statement (another date, balance or tick) before it is offered again.
    bool m_finished = false;

    QLabel* lblAccount = nullptr;
    AccountCombo* cmbAccount = nullptr;
    QLabel* lblDate = nullptr;
    DateBox* debStatement = nullptr;
    QLabel* lblBalance = nullptr;
    neb* nebBalance = nullptr;
    QLabel* lblLines = nullptr;
    QTreeWidget* lstLines = nullptr;
    QLabel* lblCleared = nullptr;
    QLabel* lblDifference = nullptr;
    QLabel* lblNote = nullptr;
    QPushButton* cmdFinish = nullptr;
    QPushButton* cmdPostpone = nullptr;
    QPushButton* cmdClose = nullptr;
};

} // namespace qb
