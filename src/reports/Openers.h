#pragma once

// Openers: bring forward (or create) the transaction list, period summary,
// transaction entry or search window for an account, group or date. Windows
// are found among WindowHost::current().childWindows() in creation order by
// the interfaces below, and created by the factory their library registers.
// Every window an opener handles derives from ReportWindow (for
// mblnDisableRefreshReport) and implements the interface of its kind.

#include <functional>
#include <optional>

#include <QDate>
#include <QString>

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

enum class WindowKind { TransactionList, PeriodSummary, TransactionEntry, Search };

namespace Openers {
// Makes new windows of a kind (the window is shown by the opener through the
// host). Registering again replaces the factory; an empty one removes it.
void registerFactory(WindowKind kind, std::function<QWidget*()> factory);
bool hasFactory(WindowKind kind);
} // namespace Openers

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

} // namespace qb
