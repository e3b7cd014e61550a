#include "windows/Openers.h"

#include <map>

#include <QWidget>

#include "store/Utilities.h"
#include "windows/DataWindow.h"
#include "windows/WindowHost.h"

namespace qb {

namespace {

const char* const kKindProperty = "qbWindowKind";

std::map<WindowKind, Openers::Factory>& factories()
{
    static std::map<WindowKind, Openers::Factory> map;
    return map;
}

std::optional<BookContext>& currentBook()
{
    static std::optional<BookContext> book;
    return book;
}

// The first open window of type Form that matches, in creation order.
template <typename Form, typename Match>
QWidget* findWindow(Match match)
{
    for (QWidget* w : WindowHost::current().childWindows()) {
        if (auto* form = dynamic_cast<Form*>(w); form && match(*form))
            return w;
    }
    return nullptr;
}

// Brings the match to the front, or makes a new window of the kind.
QWidget* matchOrCreate(QWidget* match, WindowKind kind)
{
    if (match) {
        WindowHost::current().activateChild(match);
        return match;
    }
    auto it = factories().find(kind);
    if (it == factories().end() || !it->second || !currentBook())
        return nullptr;
    QWidget* w = it->second(*currentBook());
    if (w)
        w->setProperty(kKindProperty, int(kind) + 1);
    return w;
}

// The one open window of a kind, or a new one.
QWidget* openSingle(WindowKind kind)
{
    QWidget* match = nullptr;
    for (QWidget* w : WindowHost::current().childWindows()) {
        if (Openers::kindOf(w) == kind) {
            match = w;
            break;
        }
    }
    QWidget* w = matchOrCreate(match, kind);
    if (w && !match)
        WindowHost::current().showChild(w);
    return w;
}

void setRefreshDisabled(QWidget* w, bool disabled)
{
    if (auto* report = dynamic_cast<DataWindow*>(w))
        report->mblnDisableRefreshReport = disabled;
}

bool isDate(const std::optional<QDate>& date)
{
    return date.has_value() && date->isValid();
}

} // namespace

namespace Openers {

void registerFactory(WindowKind kind, Factory factory)
{
    if (factory)
        factories()[kind] = std::move(factory);
    else
        factories().erase(kind);
}

bool hasFactory(WindowKind kind)
{
    return factories().count(kind) != 0;
}

void setBook(const BookContext& book)
{
    currentBook().emplace(book);
}

void clearBook()
{
    currentBook().reset();
}

const BookContext* book()
{
    return currentBook() ? &*currentBook() : nullptr;
}

std::optional<WindowKind> kindOf(const QWidget* w)
{
    const int tag = w ? w->property(kKindProperty).toInt() : 0;
    if (tag <= 0)
        return std::nullopt;
    return WindowKind(tag - 1);
}

QString kindName(WindowKind kind)
{
    switch (kind) {
    case WindowKind::TransactionList:
        return QStringLiteral("TransactionList");
    case WindowKind::PeriodSummary:
        return QStringLiteral("PeriodSummary");
    case WindowKind::TransactionEntry:
        return QStringLiteral("TransactionEntry");
    case WindowKind::Search:
        return QStringLiteral("Search");
    case WindowKind::AccountHeads:
        return QStringLiteral("AccountHeads");
    case WindowKind::Groups:
        return QStringLiteral("Groups");
    case WindowKind::DeletedTransactions:
        return QStringLiteral("DeletedTransactions");
    case WindowKind::Reconcile:
        return QStringLiteral("Reconcile");
    }
    return QString();
}

} // namespace Openers

QWidget* OpenAccountHeads()
{
    return openSingle(WindowKind::AccountHeads);
}

QWidget* OpenGroups()
{
    return openSingle(WindowKind::Groups);
}

QWidget* OpenDeletedTransactions()
{
    return openSingle(WindowKind::DeletedTransactions);
}

QWidget* OpenTransactionList(int code, std::optional<QDate> from, std::optional<QDate> to)
{
    QWidget* w
        = matchOrCreate(findWindow<TransactionListForm>([code](const TransactionListForm& f) {
              const std::optional<int> selected = f.selectedAccount();
              return selected && *selected == code;
          }),
            WindowKind::TransactionList);
    auto* form = dynamic_cast<TransactionListForm*>(w);
    if (!form)
        return w;
    if (code != 0)
        setRefreshDisabled(w, true);
    WindowHost::current().showChild(w);
    if (code != 0)
        form->SelectAccount(code);
    if (isDate(from))
        form->setFromDate(*from);
    if (isDate(to))
        form->setToDate(*to);
    setRefreshDisabled(w, false);
    if (code != 0)
        form->RefreshReport();
    return w;
}

QWidget* OpenPeriodSummary(
    int code, const QString& group, std::optional<QDate> from, std::optional<QDate> to)
{
    QWidget* w
        = matchOrCreate(findWindow<PeriodSummaryForm>([code, &group](const PeriodSummaryForm& f) {
              if (group.isEmpty() && code >= 0) {
                  const std::optional<int> selected = f.selectedAccount();
                  return selected && *selected == code;
              }
              if (!group.isEmpty()) {
                  const std::optional<QString> selected = f.selectedGroup();
                  return selected && *selected == group;
              }
              return false;
          }),
            WindowKind::PeriodSummary);
    auto* form = dynamic_cast<PeriodSummaryForm*>(w);
    if (!form)
        return w;
    const bool subject = code > 0 || !group.isEmpty();
    if (subject)
        setRefreshDisabled(w, true);
    WindowHost::current().showChild(w);
    if (code > 0)
        form->SelectAccount(code);
    if (!group.isEmpty())
        form->SelectGroup(group);
    if (isDate(from))
        form->setFromDate(*from);
    if (isDate(to))
        form->setToDate(*to);
    setRefreshDisabled(w, false);
    if (subject)
        form->RefreshReport();
    return w;
}

QWidget* OpenTransactionEntry(int date)
{
    const QDate day = DocDateToDate(date);
    if (!day.isValid())
        return nullptr; // not a date: no window is opened for it
    QWidget* w
        = matchOrCreate(findWindow<TransactionEntryForm>(
                            [&day](const TransactionEntryForm& f) { return f.entryDate() == day; }),
            WindowKind::TransactionEntry);
    auto* form = dynamic_cast<TransactionEntryForm*>(w);
    if (!form)
        return w;
    setRefreshDisabled(w, true);
    WindowHost::current().showChild(w);
    form->setEntryDate(day);
    setRefreshDisabled(w, false);
    form->RefreshList();
    return w;
}

QWidget* OpenSearch()
{
    QWidget* w = matchOrCreate(
        findWindow<SearchForm>([](const SearchForm& f) { return f.mlngSearchResultCount() == 0; }),
        WindowKind::Search);
    if (w)
        WindowHost::current().showChild(w);
    return w;
}

QWidget* OpenReconcile(int code)
{
    QWidget* match = findWindow<ReconcileForm>([code](const ReconcileForm& f) {
        const std::optional<int> selected = f.selectedAccount();
        return code == 0 || (selected && *selected == code);
    });
    QWidget* w = matchOrCreate(match, WindowKind::Reconcile);
    auto* form = dynamic_cast<ReconcileForm*>(w);
    if (!form)
        return w;
    WindowHost::current().showChild(w);
    if (code > 0 && !match)
        form->SelectAccount(code);
    return w;
}

} // namespace qb
