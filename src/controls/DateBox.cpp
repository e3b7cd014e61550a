#include "DateBox.h"

#include <QKeyEvent>
#include <QSignalBlocker>

namespace qb {

namespace {
constexpr int kDefaultSettleDelay = 400;
}

DateBox::DateBox(QWidget* parent)
    : QDateEdit(parent)
{
    setDisplayFormat(QStringLiteral("dd-MM-yyyy"));
    setCalendarPopup(true);
    m_settled = date();
    m_settle.setSingleShot(true);
    m_settle.setInterval(kDefaultSettleDelay);
    connect(&m_settle, &QTimer::timeout, this, [this] { settle(); });
    connect(this, &QDateEdit::dateChanged, this, &DateBox::onDateChanged);
    // Leaving the box (Tab, Enter as Tab, a click elsewhere) ends typing.
    connect(this, &QDateEdit::editingFinished, this, &DateBox::settleNow);
}

DateBox::~DateBox()
{
    // The picker's own teardown may still finish an edit: it must not reach
    // the timer, which is gone by then, nor settle a date for a closing window.
    m_settle.stop();
    disconnect(this, nullptr, this, nullptr);
}

void DateBox::setDate(const QDate& date)
{
    m_settle.stop();
    QDateEdit::setDate(date);
    // A typed date still waiting when the same date is set from code is meant too.
    settle();
}

void DateBox::setDateQuietly(const QDate& date)
{
    m_settle.stop();
    {
        const QSignalBlocker block(this);
        QDateEdit::setDate(date);
    }
    m_settled = this->date();
}

void DateBox::stepDays(int days)
{
    setDate(date().addDays(days));
}

bool DateBox::settleNow()
{
    if (!m_settle.isActive())
        return false;
    m_settle.stop();
    return settle();
}

void DateBox::keyPressEvent(QKeyEvent* event)
{
    // Digits and the arrow keys change the date while the user is still typing.
    m_typing = true;
    QDateEdit::keyPressEvent(event);
    m_typing = false;
}

void DateBox::onDateChanged()
{
    if (m_typing && hasFocus())
        m_settle.start();
    else
        settle();
}

bool DateBox::settle()
{
    m_settle.stop();
    const QDate now = date();
    if (now == m_settled)
        return false;
    m_settled = now;
    emit dateSettled(now);
    return true;
}

DaySpin::DaySpin(DateBox* box, QWidget* parent)
    : QScrollBar(Qt::Vertical, parent)
    , m_box(box)
{
    setRange(0, 2);
    setValue(1);
    setPageStep(1);
    setSingleStep(1);
    // The keyboard steps the date in the box itself; the bar is for the mouse.
    setFocusPolicy(Qt::NoFocus);
    setFixedWidth(17);
    setToolTip(QStringLiteral("Next day / previous day"));
    connect(this, &QScrollBar::valueChanged, this, &DaySpin::onValueChanged);
}

DaySpin::~DaySpin() = default;

QSize DaySpin::sizeHint() const
{
    const QSize hint = QScrollBar::sizeHint();
    return m_box ? QSize(hint.width(), qMax(m_box->sizeHint().height(), 2 * hint.width() - 4))
                 : hint;
}

void DaySpin::onValueChanged(int value)
{
    if (value == 1)
        return;
    {
        const QSignalBlocker block(this);
        setValue(1);
    }
    if (m_box)
        m_box->stepDays(value == 0 ? 1 : -1);
}

} // namespace qb
