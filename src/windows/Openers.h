#pragma once

// The window registry. Openers bring forward (or create) the account heads,
// groups, transaction list, period summary, transaction entry or search
// window. Windows are found among WindowHost::current().childWindows() in
// creation order, and created by the factory registered for their kind, which
// is given the open book and the clock. The report and entry windows derive
// from DataWindow (for mblnDisableRefreshReport) and implement the
// interface of their kind; the account heads and groups windows are known by
// the kind they were made as.

#include <functional>
#include <optional>

#include <QDate>
#include <QString>

#include "store/BookContext.h"

class QWidget;

namespace qb {

class TransactionListForm
{
public:
    virtual ~TransactionListForm() = default;
    // The code of the chosen account; nothing when no account is chosen.
    virtual std::optional<int> selectedAccount() const = 0;
    virtual void SelectAccount(int code) = 0;
    virtual void setFromDate(const QDate& date) = 0;
    virtual void setToDate(const QDate& date) = 0;
    virtual void RefreshReport() = 0;
};

class PeriodSummaryForm
{
public:
    virtual ~PeriodSummaryForm() = default;
    // The code of the chosen account item ("(All Accounts)" is 0); nothing
    // when no item is chosen.
    virtual std::optional<int> selectedAccount() const = 0;
    // The text of the chosen group item; nothing when none is chosen.
    virtual std::optional<QString> selectedGroup() const = 0;
    virtual void SelectAccount(int code) = 0;
    virtual void SelectGroup(const QString& group) = 0;
    virtual void setFromDate(const QDate& date) = 0;
    virtual void setToDate(const QDate& date) = 0;
    virtual void RefreshReport() = 0;
};

class TransactionEntryForm
{
public:
    virtual ~TransactionEntryForm() = default;
    virtual QDate entryDate() const = 0;
    virtual void setEntryDate(const QDate& date) = 0;
    virtual void RefreshList() = 0;
};

class SearchForm
{
public:
    virtual ~SearchForm() = default;
    virtual int mlngSearchResultCount() const = 0;
};

class ReconcileForm
{
public:
    virtual ~ReconcileForm() = default;
    // The code of the account being reconciled; nothing when none is chosen.
    virtual std::optional<int> selectedAccount() const = 0;
    // Chooses the account and starts its reconciliation afresh.
    virtual void SelectAccount(int code) = 0;
};

enum class WindowKind {
    TransactionList,
    PeriodSummary,
    TransactionEntry,
    Search,
    AccountHeads,
    Groups,
    DeletedTransactions,
    Reconcile
};

namespace Openers {
using Factory = std::function<QWidget*(const BookContext&)>;
// Makes new windows of a kind (the window is shown by the opener through the
// host). Registering again replaces the factory; an empty one removes it.
void registerFactory(WindowKind kind, Factory factory);
bool hasFactory(WindowKind kind);

// The book and clock handed to every factory, set by whoever made the store
// (the main window while it lives; a test's book). Without one no window is
// created.
void setBook(const BookContext& book);
void clearBook();
const BookContext* book();

// The kind a window was made as by an opener; nothing for other windows.
std::optional<WindowKind> kindOf(const QWidget* w);
// The kind's name in the settings ("AccountHeads", "TransactionList", ...).
QString kindName(WindowKind kind);
} // namespace Openers

// One window of each: the open one is brought to the front, else one is made.
QWidget* OpenAccountHeads();
QWidget* OpenGroups();
// The one Deleted Transactions window (the bin), brought forward or made.
QWidget* OpenDeletedTransactions();

// Each returns the window it brought forward or created; nullptr when no
// window matched and no factory is registered. A date argument counts only
// when it holds a valid date.
QWidget* OpenTransactionList(
    int code, std::optional<QDate> from = {}, std::optional<QDate> to = {});
QWidget* OpenPeriodSummary(
    int code, const QString& group, std::optional<QDate> from = {}, std::optional<QDate> to = {});
// date as yyyymmdd
QWidget* OpenTransactionEntry(int date);
QWidget* OpenSearch();
// The reconcile window of the account (code 0: none chosen yet), brought
// forward or made.
QWidget* OpenReconcile(int code);

} // namespace qb
