#include "controls/neb.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QRegularExpression>
#include <QTimer>

#include "store/Money.h"
#include "store/UiServices.h"

namespace qb {

namespace {

constexpr int kMaxIntegerSize = 12;
constexpr int kMaxDecimalSize = 9;
// The box is never lower than 300 twips (20 pixels at 96 dpi).
constexpr int kMinHeightAt96Dpi = 20;

struct SplitNumber
{
    bool negative = false;
    QString integerDigits; // between the optional minus and the point
    QString decimalDigits; // after the point
};

// Splits at the first point: sign, integer digits, decimal digits.
SplitNumber splitNumber(const QString& text)
{
    SplitNumber split;
    int start = 0;
    if (text.startsWith(QLatin1Char('-'))) {
        split.negative = true;
        start = 1;
    }
    const int point = int(text.indexOf(QLatin1Char('.')));
    const int end = point < 0 ? int(text.size()) : point;
    split.integerDigits = text.mid(start, end - start);
    if (point >= 0)
        split.decimalDigits = text.mid(point + 1);
    return split;
}

// Adds one unit to the last digit of a string of decimal digits.
QString incrementDigits(QString digits)
{
    int i = int(digits.size()) - 1;
    while (i >= 0) {
        if (digits[i] == QLatin1Char('9')) {
            digits[i] = QLatin1Char('0');
            --i;
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
    }
    return QLatin1Char('1') + digits;
}

// The decimal mark and the group separator a person types in the locale:
// the locale's own where they are a point or a comma, else the point and
// the comma.
struct Marks
{
    QChar point = QLatin1Char('.');
    QChar group = QLatin1Char(',');
};

Marks marksOf(const QLocale& locale)
{
    Marks marks;
    if (locale.decimalPoint() == QStringLiteral(",")) {
        marks.point = QLatin1Char(',');
        marks.group = QLatin1Char('.');
    }
    return marks;
}

QString example(const Marks& marks)
{
    return QStringLiteral("1") + marks.group + QStringLiteral("234") + marks.point
        + QStringLiteral("56");
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool onlyDigits(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), isDigit);
}

// Integer digits grouped by three with group ("1,234,567"); complete, or
// still being typed (the last group short of three digits).
enum class Grouping { Valid, Typing, Wrong };

Grouping groupingOf(const QString& digits, QChar group)
{
    const QStringList parts = digits.split(group);
    if (parts.front().isEmpty() || parts.front().size() > 3 || !onlyDigits(parts.front()))
        return Grouping::Wrong;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (!onlyDigits(parts[i]) || parts[i].size() > 3)
            return Grouping::Wrong;
        if (parts[i].size() < 3)
            return i + 1 == parts.size() ? Grouping::Typing : Grouping::Wrong;
    }
    return Grouping::Valid;
}

} // namespace

// What a typed text means: the amount as plain decimal text, or why it is
// none. A problem that more typing at the end can still mend ("1,23" on the
// way to "1,234") is shown once the box is left; any other at once.
struct neb::Reading
{
    QString plain;
    QString problem;
    bool final = false;
};

neb::Reading neb::read(const QString& typed, bool ownFormat) const
{
    Reading reading;
    auto refuse = [&reading](const QString& why, bool final = true) {
        reading.problem = why;
        reading.final = final;
        return reading;
    };
    const Marks marks = ownFormat ? Marks() : marksOf(m_inputLocale);
    QString body = typed.trimmed();
    const bool negative = body.startsWith(QLatin1Char('-'));
    if (negative) {
        body.remove(0, 1);
        if (m_minimumValue >= 0)
            return refuse(QStringLiteral("Amounts are entered without a minus sign"));
    }
    for (const QChar c : body) {
        if (!isDigit(c) && c != marks.point && c != marks.group)
            return refuse(QStringLiteral("An amount holds only digits and one decimal mark, not \"")
                + c + QLatin1Char('"'));
    }
    if (body.count(marks.point) > 1)
        return refuse(QStringLiteral("An amount has one decimal mark, not two"));
    // Where the comma is the decimal mark, a lone point that groups nothing
    // is a decimal point too: the box shows amounts with one ("12.50").
    QChar point = marks.point;
    if (marks.point == QLatin1Char(',') && !body.contains(marks.point)
        && body.count(marks.group) == 1 && groupingOf(body, marks.group) != Grouping::Valid)
        point = marks.group;
    const qsizetype at = body.indexOf(point);
    QString integer = at < 0 ? body : body.left(at);
    const QString decimals = at < 0 ? QString() : body.mid(at + 1);
    const Grouping grouping
        = integer.contains(marks.group) ? groupingOf(integer, marks.group) : Grouping::Valid;
    if (!onlyDigits(decimals) || grouping != Grouping::Valid) {
        // A comma meant as the decimal point where the point is one ("12,50",
        // "1.234,56") gets the amount written as the box wants it.
        static const QRegularExpression commaDecimal(
            QStringLiteral("^(\\d+|\\d{1,3}(\\.\\d{3})+),\\d*$"));
        if (marks.point == QLatin1Char('.') && commaDecimal.match(body).hasMatch()) {
            QString hint = body;
            hint.remove(QLatin1Char('.'));
            hint.replace(QLatin1Char(','), QLatin1Char('.'));
            return refuse(QStringLiteral("Use a point for decimals: ") + hint,
                at >= 0 || grouping != Grouping::Typing);
        }
        return refuse(QStringLiteral("Group separators stand only between groups of three digits, "
                                     "as in ")
                + example(marks),
            at >= 0 || grouping != Grouping::Typing);
    }
    integer.remove(marks.group);
    while (integer.startsWith(QLatin1Char('0')))
        integer.remove(0, 1);
    if (integer.size() > integerLimit())
        return refuse(
            QStringLiteral("At most %1 digits before the decimal mark").arg(integerLimit()));
    if (decimals.size() > m_decimalSize)
        return refuse(m_decimalSize == 0
                ? QStringLiteral("Whole amounts only, no decimals")
                : QStringLiteral("At most %1 digits after the decimal mark").arg(m_decimalSize));
    QString fraction = decimals;
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    reading.plain = integer.isEmpty() ? QStringLiteral("0") : integer;
    if (!fraction.isEmpty())
        reading.plain += QLatin1Char('.') + fraction;
    if (negative && reading.plain != QLatin1String("0"))
        reading.plain.prepend(QLatin1Char('-'));
    return reading;
}

namespace {

const QColor kMarkColour(255, 205, 205);

bool isPassingFocus(const QFocusEvent* event)
{
    return event->reason() == Qt::PopupFocusReason
        || event->reason() == Qt::ActiveWindowFocusReason;
}

} // namespace

int ShiftState(Qt::KeyboardModifiers modifiers)
{
    int state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= 1;
    if (modifiers & Qt::ControlModifier)
        state |= 2;
    if (modifiers & Qt::AltModifier)
        state |= 4;
    return state;
}

neb::neb(QWidget* parent)
    : QWidget(parent)
    , m_txt(new QLineEdit(this))
{
    m_txt->setObjectName(QStringLiteral("txtNeb"));
    m_txt->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_txt->installEventFilter(this);
    setFocusProxy(m_txt);
    setFocusPolicy(m_txt->focusPolicy());
    // Every character goes through the key filter: no input-method composition.
    m_txt->setAttribute(Qt::WA_InputMethodEnabled, false);
    setMinimumHeight(kMinHeightAt96Dpi * logicalDpiY() / 96);
    connect(m_txt, &QLineEdit::textChanged, this, &neb::onTextChanged);
    m_backColor = m_txt->palette().color(QPalette::Base);
    m_fromCode = true;
    m_txt->setText(formatValue(0));
    m_fromCode = false;
}

neb::~neb() = default;

void neb::refuse() const
{
    MsgBox(
        QStringLiteral("Invalid property value"), MsgIcon::Critical, QStringLiteral("NumberBox"));
}

void neb::setIntegerSize(int size)
{
    if (size > kMaxIntegerSize || size < 1) {
        refuse();
        return;
    }
    m_integerSize = size;
    recomputeCapacities();
}

void neb::setDecimalSize(int size)
{
    if (size > kMaxDecimalSize || size < 0) {
        refuse();
        return;
    }
    const bool readable = problem().isEmpty();
    m_decimalSize = size;
    recomputeCapacities();
    if (readable)
        setDecimalText(m_value);
}

void neb::recomputeCapacities()
{
    QString nines(m_integerSize, QLatin1Char('9'));
    nines += QLatin1Char('.') + QString(m_decimalSize, QLatin1Char('9'));
    m_upperCapacity = leadingNumber(nines);
    const double oldLower = m_lowerCapacity;
    m_lowerCapacity = -m_upperCapacity;
    // A minimum that sat at the old lower limit follows it; the maximum always
    // becomes the new capacity.
    if (!(m_minimumValue > oldLower))
        setMinimumValue(m_lowerCapacity);
    if (m_maximumValue != m_upperCapacity)
        setMaximumValue(m_upperCapacity);
}

double neb::Value() const
{
    return m_value.toDouble();
}

void neb::setValue(double value)
{
    setDecimalText(
        QString::number(std::isfinite(value) ? value : 0, 'f', QLocale::FloatingPointShortest));
}

QString neb::problem() const
{
    return read(m_txt->text()).problem;
}

bool neb::refuseUnreadable(const QString& title)
{
    const QString unreadable = problem();
    if (unreadable.isEmpty())
        return false;
    setMarked(true);
    MsgBox(unreadable, MsgIcon::Information, title);
    setFocus();
    return true;
}

QString neb::decimalText() const
{
    return m_value;
}

void neb::setDecimalText(const QString& text)
{
    // What the program puts in (a stored amount) is shown whole, never cut,
    // so that a Save gives the book back the amount it held; the user may
    // mend it up to its own length.
    QString shown = formatDecimal(readsAsNumber(text) ? text : QStringLiteral("0"));
    if (m_minimumValue >= 0)
        shown.remove(QLatin1Char('-'));
    QString integer = shown.section(QLatin1Char('.'), 0, 0);
    integer.remove(QLatin1Char('-'));
    while (integer.startsWith(QLatin1Char('0')))
        integer.remove(0, 1);
    m_givenIntegerDigits = integer.size();
    m_fromCode = true;
    m_txt->setText(shown);
    m_fromCode = false;
    m_kept = m_value;
}

void neb::setMaximumValue(double value)
{
    if (value > m_upperCapacity || std::isnan(value)) {
        refuse();
        return;
    }
    m_maximumValue = value;
}

void neb::setMinimumValue(double value)
{
    if (value < m_lowerCapacity || std::isnan(value)) {
        refuse();
        return;
    }
    m_minimumValue = value;
}

bool neb::InvalidRange() const
{
    const double value = Value();
    return value < m_minimumValue || value > m_maximumValue;
}

QColor neb::BackColor() const
{
    return m_backColor;
}

void neb::setBackColor(const QColor& color)
{
    m_backColor = color;
    applyBackground();
}

void neb::applyBackground()
{
    QPalette palette = m_txt->palette();
    palette.setColor(QPalette::Base, m_marked ? kMarkColour : m_backColor);
    m_txt->setPalette(palette);
}

void neb::setMarked(bool marked)
{
    m_marked = marked;
    m_txt->setToolTip(marked ? problem() : QString());
    applyBackground();
}

QColor neb::ForeColor() const
{
    return m_txt->palette().color(QPalette::Text);
}

void neb::setForeColor(const QColor& color)
{
    QPalette palette = m_txt->palette();
    palette.setColor(QPalette::Text, color);
    m_txt->setPalette(palette);
}

QString neb::formatValue(double value) const
{
    if (!std::isfinite(value))
        value = 0;
    // The shortest text that reads back as the same double, rounded half away
    // from zero on its decimal digits, so 0.125 shows as 0.13 and not as the
    // binary neighbour's 0.12.
    return formatDecimal(QString::number(value, 'f', QLocale::FloatingPointShortest));
}

QString neb::formatDecimal(const QString& plain) const
{
    SplitNumber split = splitNumber(plain);
    while (split.integerDigits.size() > 1 && split.integerDigits.startsWith(QLatin1Char('0')))
        split.integerDigits.remove(0, 1);
    if (split.integerDigits.isEmpty())
        split.integerDigits = QStringLiteral("0");
    QString digits = split.integerDigits;
    QString decimals = split.decimalDigits;
    if (decimals.size() > m_decimalSize) {
        const bool roundUp = decimals[m_decimalSize] >= QLatin1Char('5');
        decimals.truncate(m_decimalSize);
        if (roundUp) {
            const QString rounded = incrementDigits(digits + decimals);
            digits = rounded.left(rounded.size() - m_decimalSize);
            decimals = rounded.right(m_decimalSize);
        }
    } else {
        decimals = decimals.leftJustified(m_decimalSize, QLatin1Char('0'));
    }
    QString text = digits;
    if (m_decimalSize > 0)
        text += QLatin1Char('.') + decimals;
    const bool allZero = !text.contains(QRegularExpression(QStringLiteral("[1-9]")));
    if (split.negative && !allZero)
        text.prepend(QLatin1Char('-'));
    return text;
}

bool neb::readsAsNumber(const QString& text)
{
    return Money::isNumberText(text);
}

double neb::leadingNumber(const QString& text)
{
    static const QRegularExpression leading(QStringLiteral("^-?\\d*(\\.\\d*)?"));
    QString part = leading.match(text).captured(0);
    if (!part.contains(QRegularExpression(QStringLiteral("\\d"))))
        return 0;
    if (part.endsWith(QLatin1Char('.')))
        part.chop(1);
    if (part.startsWith(QLatin1String("-.")))
        part.insert(1, QLatin1Char('0'));
    else if (part.startsWith(QLatin1Char('.')))
        part.prepend(QLatin1Char('0'));
    return part.toDouble();
}

bool neb::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txt) {
        switch (event->type()) {
        case QEvent::KeyPress:
            m_selectOnPress = false;
            return handleKeyPress(static_cast<QKeyEvent*>(event));
        case QEvent::InputMethod: {
            // Text committed by an input method is typed character by character.
            const QString commit = static_cast<QInputMethodEvent*>(event)->commitString();
            for (const QChar c : commit) {
                int keyAscii = c.unicode();
                emit KeyPress(keyAscii);
                if (keyAscii >= 32)
                    m_txt->insert(QString(QChar(keyAscii)));
            }
            return true;
        }
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            emit KeyUp(key->key(), ShiftState(key->modifiers()));
            break;
        }
        case QEvent::FocusIn:
            // Entering the box in any way (keys, a click, the window becoming
            // active again after a message box, the program) selects all its
            // text; a closing context menu is no entry.
            if (static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason)
                break;
            m_txt->selectAll();
            m_selectOnPress = true;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // The click that brought the focus, or the first one after it,
            // keeps the whole text selected instead of placing the caret.
            if (m_selectOnPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                m_txt->selectAll();
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            m_selectOnPress = false;
            break;
        case QEvent::FocusOut:
            if (isPassingFocus(static_cast<QFocusEvent*>(event)))
                break;
            m_selectOnPress = false;
            if (!problem().isEmpty()) {
                // Kept as typed, for the user to mend.
                setMarked(true);
                break;
            }
            m_fromCode = true;
            m_txt->setText(formatDecimal(m_value));
            m_fromCode = false;
            m_kept = m_value;
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool neb::handleKeyPress(QKeyEvent* event)
{
    emit KeyDown(event->key(), ShiftState(event->modifiers()));

    // The character the key types, as the host sees it in KeyPress.
    int keyAscii = 0;
    const int key = event->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return false; // focus movement, no character
    if (key == Qt::Key_Delete)
        return false; // the text box deletes; X sends it with the DEL character as text
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        keyAscii = 13;
    } else if ((event->modifiers() & Qt::ControlModifier)
        && !(event->modifiers() & Qt::AltModifier)) {
        // Ctrl+letter types a control character (Ctrl+V is 22); the text box
        // then runs its own shortcut (paste, copy, undo ...).
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            keyAscii = key - Qt::Key_A + 1;
        else
            return false;
    } else if (key == Qt::Key_Backspace) {
        keyAscii = 8;
    } else if (!event->text().isEmpty()) {
        keyAscii = event->text().at(0).unicode();
    } else {
        return false; // arrows, Delete, Home, function keys: the text box handles them
    }

    const int typed = keyAscii;
    emit KeyPress(keyAscii);
    if (keyAscii == 0)
        return true;

    if (keyAscii == 13) {
        if (m_enableEnterKey)
            focusNextChild();
        return true; // Enter itself never reaches the text
    }
    if (keyAscii < 32) {
        // Control characters pass unchanged; one the host swapped in has no key to run.
        return keyAscii == typed ? false : true;
    }
    // Every character is taken as typed; a text that is no amount is marked
    // and says why, never cut to fit.
    m_txt->insert(QString(QChar(keyAscii)));
    return true;
}

qsizetype neb::integerLimit() const
{
    return std::max<qsizetype>(m_integerSize, m_givenIntegerDigits);
}

void neb::onTextChanged()
{
    emit Change();
    const Reading reading = read(m_txt->text(), m_fromCode);
    if (reading.problem.isEmpty()) {
        // The amount the box offers follows the text only while it reads.
        m_value = reading.plain;
        if (m_marked)
            setMarked(false);
        return;
    }
    m_value = m_kept; // no other amount than the one the box had
    if (!reading.final) {
        if (m_marked)
            setMarked(false); // still being typed: judged when the box is left
        return;
    }
    if (!m_marked) {
        QApplication::beep();
        emit Refused();
    }
    setMarked(true);
}

void neb::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_txt->setGeometry(rect());
}

QSize neb::sizeHint() const
{
    return m_txt->sizeHint().expandedTo(QSize(0, minimumHeight()));
}

QSize neb::minimumSizeHint() const
{
    return m_txt->minimumSizeHint().expandedTo(QSize(0, minimumHeight()));
}

} // namespace qb
