#include "windows/DateSelector.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>

#include "controls/DateBox.h"
#include "engine/DateRanges.h"
#include "store/Clock.h"
#include "windows/DateRangeMenu.h"

namespace qb {

namespace {

DateBox* makeDateField(QWidget* parent, const char* name)
{
    auto* date = new DateBox(parent);
    date->setObjectName(QString::fromLatin1(name));
    return date;
}

DaySpin* makeSpin(DateBox* date, QWidget* parent, const char* name)
{
    auto* spin = new DaySpin(date, parent);
    spin->setObjectName(QString::fromLatin1(name));
    return spin;
}

QHBoxLayout* dateRow(QLabel* label, DateBox* date, DaySpin* bar)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(label);
    row->addSpacing(4);
    row->addWidget(date);
    row->addWidget(bar);
    return row;
}

} // namespace

DateSelector::DateSelector(const BookContext& book, QWidget* owner)
    : QObject(owner)
    , m_book(book)
    , m_owner(owner)
{
    lblFrom = new QLabel(QStringLiteral("Fr&om Date"), owner);
    lblFrom->setObjectName(QStringLiteral("lblFrom"));
    debFrom = makeDateField(owner, "debFrom");
    VScrollFrom = makeSpin(debFrom, owner, "VScrollFrom");
    lblTo = new QLabel(QStringLiteral("To &Date"), owner);
    lblTo->setObjectName(QStringLiteral("lblTo"));
    debTo = makeDateField(owner, "debTo");
    VScrollTo = makeSpin(debTo, owner, "VScrollTo");
    debFrom->setClock(&m_book.clock);
    debTo->setClock(&m_book.clock);
    lblDateOrder = new QLabel(DateOrderText(), owner);
    lblDateOrder->setObjectName(QStringLiteral("lblDateOrder"));
    lblDateOrder->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    lblFrom->setBuddy(debFrom);
    lblTo->setBuddy(debTo);

    cmdDateSelect = new QToolButton(owner);
    cmdDateSelect->setObjectName(QStringLiteral("cmdDateSelect"));
    cmdDateSelect->setArrowType(Qt::DownArrow);
    cmdDateSelect->setToolTip(QStringLiteral("Quick date selector"));

    Frame1 = new QGroupBox(QStringLiteral("Quick date selector"), owner);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    const char* const periods[5] = {nullptr, "Da&y", "Wee&k", "Mo&nth", "Y&ear"};
    auto* options = new QHBoxLayout;
    for (int i = 1; i <= 4; ++i) {
        optQuick[i] = new QRadioButton(QString::fromLatin1(periods[i]), Frame1);
        optQuick[i]->setObjectName(QStringLiteral("optQuick_") + QString::number(i));
        options->addWidget(optQuick[i]);
    }
    optQuick[QuickMonth]->setChecked(true);
    const char* const directions[4] = {nullptr, "This Month", "&Prev", "Ne&xt"};
    auto* buttons = new QHBoxLayout;
    for (int i = 1; i <= 3; ++i) {
        cmdQuickDateSelect[i] = new QPushButton(QString::fromLatin1(directions[i]), Frame1);
        cmdQuickDateSelect[i]->setObjectName(
            QStringLiteral("cmdQuickDateSelect_") + QString::number(i));
        cmdQuickDateSelect[i]->setAutoDefault(false);
        buttons->addWidget(cmdQuickDateSelect[i]);
    }
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->setContentsMargins(6, 2, 6, 4);
    frameLayout->setSpacing(2);
    frameLayout->addLayout(options);
    frameLayout->addLayout(buttons);

    // A window opens with the period its quick selector shows: this month.
    const QDate today = m_book.clock.today();
    const DatePair month = GetQuickDates(QuickMonth, QuickCurrent, today, today, today);
    setDates(month.from, month.to);
    WatchDateOrder(debFrom, debTo, lblDateOrder);

    for (int i = 1; i <= 4; ++i)
        connect(optQuick[i], &QRadioButton::clicked, this, [this, i] { optQuick_Click(i); });
    for (int i = 1; i <= 3; ++i)
        connect(cmdQuickDateSelect[i], &QPushButton::clicked, this,
            [this, i] { cmdQuickDateSelect_Click(i); });
    connect(cmdDateSelect, &QToolButton::clicked, this, &DateSelector::cmdDateSelect_Click);
    // Typed, stepped and picked dates come settled from the boxes.
    for (DateBox* date : {debFrom, debTo})
        connect(date, &DateBox::dateSettled, this, &DateSelector::date_Change);
}

DateSelector::~DateSelector()
{
    // The owner's controls go after this object: their last signals must not reach it.
    for (DateBox* date : {debFrom, debTo})
        disconnect(date, nullptr, this, nullptr);
}

QDate DateSelector::fromDate() const
{
    return debFrom->date();
}

QDate DateSelector::toDate() const
{
    return debTo->date();
}

void DateSelector::setFromDate(const QDate& date)
{
    setDates(date, debTo->date());
}

void DateSelector::setToDate(const QDate& date)
{
    setDates(debFrom->date(), date);
}

void DateSelector::setDates(const QDate& from, const QDate& to)
{
    if (from.isValid())
        debFrom->setDateQuietly(from);
    if (to.isValid())
        debTo->setDateQuietly(to);
}

int DateSelector::quickPeriod() const
{
    for (int i = 1; i <= 4; ++i) {
        if (optQuick[i]->isChecked())
            return i;
    }
    return QuickMonth;
}

void DateSelector::cancelPendingChange()
{
    for (DateBox* date : {debFrom, debTo}) {
        if (date->isSettling())
            date->setDateQuietly(date->date());
    }
}

QBoxLayout* DateSelector::standardLayout()
{
    auto* dates = new QVBoxLayout;
    dates->setSpacing(4);
    auto* fromRow = dateRow(lblFrom, debFrom, VScrollFrom);
    fromRow->addSpacing(4);
    fromRow->addWidget(cmdDateSelect);
    dates->addLayout(fromRow);
    auto* toRow = dateRow(lblTo, debTo, VScrollTo);
    toRow->addSpacing(4 + cmdDateSelect->sizeHint().width());
    dates->addLayout(toRow);
    dates->addWidget(lblDateOrder);
    // Labels of one width, so that both date fields line up.
    const int labelWidth = qMax(lblFrom->sizeHint().width(), lblTo->sizeHint().width());
    lblFrom->setMinimumWidth(labelWidth);
    lblTo->setMinimumWidth(labelWidth);

    dates->addStretch();
    // The spin bars as high as their date fields, so that both arrows sit beside the date.
    for (DaySpin* spin : {VScrollFrom, VScrollTo})
        spin->setFixedHeight(debFrom->sizeHint().height());

    auto* row = new QHBoxLayout;
    row->addLayout(dates);
    row->addSpacing(8);
    row->addWidget(Frame1);
    return row;
}

void DateSelector::optQuick_Click(int index)
{
    cmdQuickDateSelect[1]->setText(QuickCurrentCaption(index));
}

void DateSelector::cmdQuickDateSelect_Click(int index)
{
    const DatePair dates
        = GetQuickDates(quickPeriod(), index, debFrom->date(), debTo->date(), m_book.clock.today());
    setDates(dates.from, dates.to);
    changed();
}

void DateSelector::cmdDateSelect_Click()
{
    cancelPendingChange();
    m_fromCode = true;
    ShowDateRangeMenu(m_book, m_owner, debFrom, debTo);
    m_fromCode = false;
    // The window refreshes after the menu whatever was chosen.
    changed();
}

void DateSelector::date_Change()
{
    if (!m_fromCode)
        changed();
}

void DateSelector::changed()
{
    Q_EMIT periodChanged();
}

} // namespace qb
