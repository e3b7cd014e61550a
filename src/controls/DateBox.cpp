#include "controls/DateBox.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QToolTip>

#include "store/Clock.h"

namespace qb {

namespace {

constexpr int kDefaultSettleDelay = 400;
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2999;
constexpr int kLongestTyped = 10; // 30-11-2026
const QColor kMarkColour(255, 205, 205);

bool isSeparator(QChar c)
{
    return c == QLatin1Char('-') || c == QLatin1Char('/') || c == QLatin1Char('.')
        || c == QLatin1Char(' ');
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QString withoutYear(const QString& order)
{
    QString fields = order;
    fields.remove(QLatin1Char('y'));
    return fields;
}

int fullYear(int twoDigits, const QDate& today)
{
    const int recent = 2000 + twoDigits;
    return recent <= today.year() + 20 ? recent : 1900 + twoDigits;
}

// A whole date typed: digits alone (ddMMyyyy) or three parts ending in a
// four-digit year. It is taken at once, without waiting for Enter.
bool isComplete(const QString& typed, const QString& order)
{
    static const QRegularExpression separators(QStringLiteral("[-/. ]"));
    if (!typed.contains(separators))
        return typed.size() == 8;
    const QStringList parts = typed.split(separators);
    return parts.size() == 3 && order.endsWith(QLatin1Char('y')) && parts.last().size() == 4;
}

const QString kHelp
    = QStringLiteral("Type a date as the box shows it (30-11-2026, 30/11/26 or 30112026)\n"
                     "T: today    + / -: next or previous day");

} // namespace

TypedDate ReadTypedDate(
    const QString& text, const QString& order, const QDate& base, const QDate& today)
{
    static const QRegularExpression separators(QStringLiteral("[-/. ]"));
    TypedDate result;
    const QString typed = text.trimmed();
    const QString notDate = QStringLiteral("Not a date: ") + typed;
    QStringList parts;
    QString fields; // which of d, M, y each part gives
    if (typed.contains(separators)) {
        parts = typed.split(separators);
        if (parts.size() > 1 && parts.last().isEmpty())
            parts.removeLast(); // "30-11-" is day and month
        fields = parts.size() == 3 ? order
            : parts.size() == 2    ? withoutYear(order)
                                   : QStringLiteral("d");
    } else {
        const qsizetype n = typed.size();
        if (n >= 1 && n <= 2) {
            parts = QStringList {typed};
            fields = QStringLiteral("d");
        } else if (n == 4) {
            parts = QStringList {typed.left(2), typed.mid(2)};
            fields = withoutYear(order);
        } else if (n == 6 || n == 8) {
            fields = order;
            qsizetype at = 0;
            for (const QChar field : order) {
                const qsizetype width = field == QLatin1Char('y') ? n - 4 : 2;
                parts.append(typed.mid(at, width));
                at += width;
            }
        }
    }
    if (parts.isEmpty() || parts.size() > 3 || parts.size() != fields.size()) {
        result.problem = notDate;
        return result;
    }

    int day = base.day();
    int month = base.month();
    int year = base.year();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        const bool digits = !part.isEmpty()
            && std::all_of(part.begin(), part.end(), [](QChar c) { return isAsciiDigit(c); });
        const bool isYear = fields[i] == QLatin1Char('y');
        const bool fits = isYear ? (part.size() == 2 || part.size() == 4) : part.size() <= 2;
        if (!digits || !fits) {
            result.problem = notDate;
            return result;
        }
        const int value = part.toInt();
        if (isYear)
            year = part.size() == 2 ? fullYear(value, today) : value;
        else if (fields[i] == QLatin1Char('M'))
            month = value;
        else
            day = value;
    }
    if (year < kFirstYear || year > kLastYear) {
        result.problem = QStringLiteral("The year must be between 1900 and 2999: ") + typed;
        return result;
    }
    const QDate date(year, month, day);
    if (!date.isValid()) {
        result.problem = notDate;
        return result;
    }
    result.date = date;
    return result;
}

DateBox::DateBox(QWidget* parent)
    : QDateEdit(parent)
{
    setDisplayFormat(QStringLiteral("dd-MM-yyyy"));
    setCalendarPopup(true);
    setToolTip(kHelp);
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

QDate DateBox::today() const
{
    return m_clock ? m_clock->today() : QDate::currentDate();
}

void DateBox::setDate(const QDate& date)
{
    cancelTyped();
    m_settle.stop();
    QDateEdit::setDate(date);
    // A typed date still waiting when the same date is set from code is meant too.
    settle();
}

void DateBox::setDateQuietly(const QDate& date)
{
    cancelTyped();
    m_settle.stop();
    // dateChanged still comes (lines that follow the shown date, such as
    // the reversed-period line), dateSettled does not.
    m_quiet = true;
    QDateEdit::setDate(date);
    m_quiet = false;
    setMark(QString());
    m_settled = this->date();
}

void DateBox::stepDays(int days)
{
    setDate(date().addDays(days));
}

bool DateBox::settleNow()
{
    if (m_typing)
        takeTyped();
    if (!m_settle.isActive())
        return false;
    m_settle.stop();
    return settle();
}

QString DateBox::order() const
{
    QString fields;
    for (const QChar c : displayFormat()) {
        if ((c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y'))
            && !fields.contains(c))
            fields += c;
    }
    return fields.size() == 3 ? fields : QStringLiteral("dMy");
}

void DateBox::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool plain = !(event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier));
    const QString text = event->text();
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        // A refused date keeps the focus here; a dialog's default button waits.
        if (m_typing && !takeTyped()) {
            event->accept();
            return;
        }
    } else if (plain && key == Qt::Key_Escape && m_typing) {
        cancelTyped();
        event->accept();
        return;
    } else if (plain && (key == Qt::Key_Backspace || key == Qt::Key_Delete)) {
        // Rubbing out starts a new date; leaving the box empty keeps the old one.
        if (!m_typing) {
            m_typing = true;
            m_typed.clear();
            setMark(QString());
        } else if (key == Qt::Key_Backspace) {
            m_typed.chop(1);
        }
        showTyped();
        event->accept();
        return;
    } else if (plain && text.size() == 1 && text.at(0).isPrint()) {
        event->accept();
        const QChar c = text.at(0);
        if (isAsciiDigit(c)) {
            if (!m_typing) {
                m_typing = true;
                m_typed.clear();
                setMark(QString());
            }
            if (m_typed.size() >= kLongestTyped) {
                refuseKey();
                return;
            }
            m_typed += c;
            showTyped();
            if (isComplete(m_typed, order())) {
                // A whole date is taken at once; one that is no date stays
                // typed, marked, for Backspace to mend.
                const TypedDate read = ReadTypedDate(m_typed, order(), date(), today());
                if (read.date.isValid()) {
                    takeTyped();
                } else {
                    setMark(read.problem);
                    QApplication::beep();
                }
            }
        } else if (m_typing && isSeparator(c)) {
            if (m_typed.isEmpty() || isSeparator(m_typed.back())
                || m_typed.count(QRegularExpression(QStringLiteral("[-/. ]"))) >= 2) {
                refuseKey();
                return;
            }
            m_typed += c;
            showTyped();
        } else if (!m_typing && (c == QLatin1Char('+') || c == QLatin1Char('-'))) {
            stepDays(c == QLatin1Char('+') ? 1 : -1);
        } else if (c == QLatin1Char('t') || c == QLatin1Char('T')) {
            setDate(today());
        } else {
            refuseKey();
        }
        return;
    } else if (m_typing && key != Qt::Key_Shift && key != Qt::Key_Control && key != Qt::Key_Alt
        && key != Qt::Key_Meta) {
        // Any other key (arrows, Ctrl+A ...) ends typing first.
        takeTyped();
    }
    m_fromKeys = true;
    QDateEdit::keyPressEvent(event);
    m_fromKeys = false;
}

QValidator::State DateBox::validate(QString& input, int& pos) const
{
    // The typed text is the box's own until it is taken: the picker must
    // neither read it nor mend it (31-02 would become 28-02).
    if (m_typing)
        return QValidator::Intermediate;
    return QDateEdit::validate(input, pos);
}

void DateBox::fixup(QString& input) const
{
    if (!m_typing)
        QDateEdit::fixup(input);
}

void DateBox::focusOutEvent(QFocusEvent* event)
{
    if (m_typing && !takeTyped()
        && (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)) {
        // Moved on by the keyboard (a window's Enter as Tab moves the focus
        // itself): a refused date takes the focus back, to be mended here.
        const QPointer<DateBox> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self && self->isVisible() && self->isEnabled())
                self->setFocus(Qt::OtherFocusReason);
        });
    }
    QDateEdit::focusOutEvent(event);
}

bool DateBox::focusNextPrevChild(bool next)
{
    // Tab and Shift+Tab leave the box (Enter does too, as Tab); a refused
    // typed date keeps the focus here, marked.
    if (m_typing && !takeTyped())
        return true;
    return QWidget::focusNextPrevChild(next);
}

void DateBox::showTyped()
{
    QLineEdit* edit = lineEdit();
    const QSignalBlocker block(edit);
    edit->setText(m_typed);
    edit->setCursorPosition(int(m_typed.size()));
}

void DateBox::cancelTyped()
{
    if (!m_typing)
        return;
    m_typing = false;
    m_typed.clear();
    // Shows the date again through the picker itself, so that what it
    // keeps of its text agrees with what is shown.
    m_quiet = true;
    QDateEdit::setDate(date());
    m_quiet = false;
    QLineEdit* edit = lineEdit();
    const QSignalBlocker block(edit);
    edit->setText(textFromDateTime(dateTime()));
}

bool DateBox::takeTyped()
{
    if (!m_typing)
        return true;
    const QString typed = m_typed;
    cancelTyped();
    if (typed.trimmed().isEmpty())
        return true; // nothing typed: the date stays
    const TypedDate read = ReadTypedDate(typed, order(), date(), today());
    if (!read.date.isValid()) {
        setMark(read.problem);
        QApplication::beep();
        emit typingRefused(read.problem);
        return false;
    }
    setMark(QString());
    m_fromKeys = true;
    QDateEdit::setDate(read.date);
    m_fromKeys = false;
    return true;
}

void DateBox::setMark(const QString& reason)
{
    if (reason == m_mark)
        return;
    m_mark = reason;
    // The text box carries the colour: a palette change of the picker
    // itself makes it read its text again, which holds the typed date.
    if (reason.isEmpty()) {
        lineEdit()->setPalette(QPalette());
        setToolTip(kHelp);
        return;
    }
    QPalette marked = palette();
    marked.setColor(QPalette::Base, kMarkColour);
    lineEdit()->setPalette(marked);
    const QString tip = reason + QStringLiteral("\nThe date stays ") + textFromDateTime(dateTime());
    setToolTip(tip + QLatin1Char('\n') + kHelp);
    if (isVisible())
        QToolTip::showText(mapToGlobal(QPoint(0, height())), tip, this);
}

void DateBox::refuseKey()
{
    QApplication::beep();
}

void DateBox::onDateChanged()
{
    setMark(QString());
    if (m_quiet)
        return;
    if (m_fromKeys && hasFocus())
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
QString DateOrderText()
{
    return QStringLiteral("From is after To");
}

void WatchDateOrder(DateBox* from, DateBox* to, QWidget* line)
{
    const QPointer<DateBox> guardFrom(from);
    const QPointer<DateBox> guardTo(to);
    const auto update = [guardFrom, guardTo, line] {
        if (guardFrom && guardTo)
            line->setVisible(guardFrom->date() > guardTo->date());
    };
    QObject::connect(from, &QDateEdit::dateChanged, line, update);
    QObject::connect(to, &QDateEdit::dateChanged, line, update);
    update();
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
