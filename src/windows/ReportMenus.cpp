#include "windows/ReportMenus.h"

namespace qb {

namespace {

constexpr int kCancelCommand = 1000;
constexpr int kSeparatorCommand = 1001;
constexpr int kSecondCommand = 1002;
constexpr int kFirstCommand = 1003;

// Inserts like a native menu: a position past the end appends.
void insertAt(QList<MenuItem>& items, int position, const MenuItem& item)
{
    items.insert(qMin<qsizetype>(position, items.size()), item);
}

MenuItem item(const QString& text, int command)
{
    MenuItem m;
    m.text = text;
    m.command = command;
    return m;
}

MenuItem separatorItem()
{
    MenuItem m;
    m.command = kSeparatorCommand;
    m.separator = true;
    return m;
}

// The chosen command, counted only when the menu offered it.
int chooseFrom(const QList<MenuItem>& items)
{
    const int command = PopupMenus::current().choose(items);
    for (const MenuItem& m : items) {
        if (!m.separator && m.command == command)
            return command;
    }
    return 0;
}

} // namespace

QList<MenuItem> AccountMenuItems(bool hideTransactionList, bool hidePeriodSummary)
{
    QList<MenuItem> items;
    if (!hideTransactionList)
        insertAt(items, 0, item(QStringLiteral("Transaction List"), kFirstCommand));
    if (!hidePeriodSummary)
        insertAt(items, 1, item(QStringLiteral("Period summary"), kSecondCommand));
    insertAt(items, 2, separatorItem());
    insertAt(items, 3, item(QStringLiteral("Cancel Menu"), kCancelCommand));
    return items;
}

QList<MenuItem> DateMenuItems(const QString& dateText)
{
    QList<MenuItem> items;
    insertAt(items, 0, item(QStringLiteral("Show entries on ") + dateText, kFirstCommand));
    insertAt(items, 2, separatorItem());
    insertAt(items, 3, item(QStringLiteral("Cancel Menu"), kCancelCommand));
    return items;
}

QString ShowAccountMenu(QWidget* /*owner*/, bool hideTransactionList, bool hidePeriodSummary)
{
    switch (chooseFrom(AccountMenuItems(hideTransactionList, hidePeriodSummary))) {
    case kFirstCommand:
        return QStringLiteral("Transaction List");
    case kSecondCommand:
        return QStringLiteral("Period Summary");
    case kCancelCommand:
        return QStringLiteral("Cancel Menu");
    default:
        return {};
    }
}

QString ShowDateMenu(QWidget* /*owner*/, const QString& dateText)
{
    if (chooseFrom(DateMenuItems(dateText)) == kFirstCommand)
        return QStringLiteral("Show Entries On");
    return {};
}

} // namespace qb
