#include "engine/DateRanges.h"

#include "store/Utilities.h"

namespace qb {

namespace {

// The Sunday on or before d.
QDate sundayOnOrBefore(const QDate& d)
{
    // Qt numbers Monday 1 to Sunday 7.
    return d.addDays(-(d.dayOfWeek() % 7));
}

QString rangeDates(const DateRange& range, const QLocale& locale)
{
    return locale.toString(range.from(), QLocale::ShortFormat) + QStringLiteral(" - ")
        + locale.toString(range.to(), QLocale::ShortFormat);
}

MenuItem menuItem(const QString& text, int command, bool separator = false)
{
    MenuItem item;
    item.text = text;
    item.command = command;
    item.separator = separator;
    return item;
}

} // namespace

DatePair GetQuickDates(
    int period, int direction, const QDate& from, const QDate& to, const QDate& today)
{
    // The day from which the new period is found.
    QDate d;
    switch (direction) {
    case QuickCurrent:
        d = today;
        break;
    case QuickPrevious:
        d = period == QuickDay     ? from.addDays(-1)
            : period == QuickWeek  ? from.addDays(-7)
            : period == QuickMonth ? from.addMonths(-1)
                                   : from.addYears(-1);
        break;
    case QuickNext:
        d = period == QuickDay     ? to.addDays(1)
            : period == QuickWeek  ? to.addDays(7)
            : period == QuickMonth ? to.addMonths(1)
                                   : to.addYears(1);
        break;
    default:
        return {from, to};
    }
    switch (period) {
    case QuickDay:
        return {d, d};
    case QuickWeek: {
        const QDate first = sundayOnOrBefore(d);
        return {first, first.addDays(6)};
    }
    case QuickMonth: {
        const QDate first(d.year(), d.month(), 1);
        return {first, first.addMonths(1).addDays(-1)};
    }
    case QuickYear: {
        const QDate first(d.year(), 1, 1);
        return {first, first.addYears(1).addDays(-1)};
    }
    default:
        return {from, to};
    }
}

QString QuickCurrentCaption(int period)
{
    switch (period) {
    case QuickDay:
        return QStringLiteral("Today");
    case QuickWeek:
        return QStringLiteral("This week");
    case QuickYear:
        return QStringLiteral("This Year");
    default:
        return QStringLiteral("This Month");
    }
}

QDate DateRange::from() const
{
    return DocDateToDate(fromNumber);
}

QDate DateRange::to() const
{
    return DocDateToDate(toNumber);
}

bool DateRange::isSeparator() const
{
    return caption.trimmed() == QStringLiteral("-");
}

bool DateRange::hasCaption() const
{
    return !caption.trimmed().isEmpty();
}

QList<DateRange> ReadDateRanges(const XmlNode& section)
{
    QList<DateRange> ranges;
    int position = 0;
    for (XmlNode e = section.firstChildElement(); e; e = e.nextSiblingElement(), ++position) {
        DateRange range;
        range.position = position;
        range.fromNumber = e.attribute(QStringLiteral("From")).trimmed().toInt();
        range.toNumber = e.attribute(QStringLiteral("To")).trimmed().toInt();
        range.caption = e.attribute(QStringLiteral("Caption"));
        ranges.append(range);
    }
    return ranges;
}

QList<MenuItem> DateRangeMenuItems(const QList<DateRange>& ranges, const QLocale& locale)
{
    QList<MenuItem> items;
    for (const DateRange& range : ranges) {
        const int command = DateRangeFirst + range.position;
        if (range.isSeparator())
            items.append(menuItem(QString(), command, true));
        else if (!range.hasCaption())
            items.append(menuItem(rangeDates(range, locale), command));
        else
            items.append(menuItem(
                range.caption + QStringLiteral(" : ") + rangeDates(range, locale), command));
    }
    if (ranges.isEmpty()) {
        MenuItem none = menuItem(QStringLiteral("(No date ranges defined)"), DateRangeFirst);
        none.enabled = false;
        items.append(none);
    }
    items.append(menuItem(QString(), DateRangeSeparator, true));
    items.append(menuItem(QStringLiteral("Add Date Range..."), DateRangeAdd));
    items.append(menuItem(QStringLiteral("Manage Date Ranges..."), DateRangeManage));
    items.append(menuItem(QString(), DateRangeSeparator, true));
    items.append(menuItem(QStringLiteral("Cancel Menu"), DateRangeCancel));
    return items;
}

QString DateRangeListText(const DateRange& range, const QLocale& locale)
{
    if (range.isSeparator())
        return QString(107, QLatin1Char('-'));
    if (!range.hasCaption())
        return rangeDates(range, locale);
    return range.caption + QStringLiteral(" : ") + rangeDates(range, locale);
}

XmlNode AppendDateRange(XmlNode section, const QDate& from, const QDate& to, const QString& caption,
    UndoHistory* history)
{
    XmlNode range = section.createElement(QStringLiteral("DR"));
    range.setAttribute(QStringLiteral("From"), qint64(DateToDocDate(from)));
    range.setAttribute(QStringLiteral("To"), qint64(DateToDocDate(to)));
    range.setAttribute(QStringLiteral("Caption"), AllowedCharsOnly(caption));
    section.appendChild(range);
    const QString name = range.attribute(QStringLiteral("Caption")).trimmed();
    UndoRecorder(history,
        name.isEmpty() || name == QStringLiteral("-")
            ? QStringLiteral("addition of a date range")
            : QStringLiteral("addition of date range ") + name)
        .inserted(range);
    return range;
}

XmlDocument CopyOfDateRanges(const XmlNode& section)
{
    XmlDocument copy;
    copy.loadXml(section.xml());
    return copy;
}

void RebuildDateRanges(
    XmlNode section, const XmlDocument& source, const QList<int>& positions, UndoHistory* history)
{
    const QList<XmlNode> saved = source.documentElement().childElements();
    // Recorded as the old ranges taken away from the end and the new ones
    // appended: undo puts the old list back in its order.
    UndoRecorder undo(history, QStringLiteral("change of date ranges"));
    const QString was = undo.isRecording() ? section.xml() : QString();
    while (XmlNode last = section.lastChildElement()) {
        undo.removing(last);
        section.removeChild(last);
    }
    while (XmlNode child = section.firstChild())
        section.removeChild(child);
    for (const int position : positions) {
        if (position < 0 || position >= saved.size())
            continue;
        const XmlNode& from = saved.at(position);
        XmlNode range = section.createElement(from.name());
        for (int i = 0; i < from.attributeCount(); ++i)
            range.setAttribute(from.attributeName(i), from.attributeValue(i));
        section.appendChild(range);
        undo.inserted(range);
    }
    if (undo.isRecording() && section.xml() == was)
        undo.discard();
}

void ReorderDateRanges(XmlNode section, const QList<int>& positions)
{
    RebuildDateRanges(section, CopyOfDateRanges(section), positions);
}

} // namespace qb
