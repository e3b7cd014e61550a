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

// Digits before the point, commas of a grouping not counted.
qsizetype integerDigitsOf(const SplitNumber& split)
{
    return split.integerDigits.size() - split.integerDigits.count(QLatin1Char(','));
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

// Commas that group the integer digits by three ("1,234", "-12,345,678.5").
bool isGrouping(const QString& text)
{
    static const QRegularExpression grouped(QStringLiteral("^-?\\d{1,3}(,\\d{3})+(\\.\\d*)?$"));
    return grouped.match(text).hasMatch();
}

QString withoutGrouping(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) || !isGrouping(text))
        return text;
    QString plain = text;
    plain.remove(QLatin1Char(','));
    return plain;
}

const QColor kMarkColour(255, 205, 205);
constexpr int kFlashMilliseconds = 300;

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
    m_decimalSize = size;
    recomputeCapacities();
    const QString text = plainText();
    if (readsAsNumber(text)) {
        m_fromCode = true;
        m_txt->setText(formatDecimal(text));
        m_fromCode = false;
    }
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
    return leadingNumber(plainText());
}

void neb::setValue(double value)
{
    m_fromCode = true;
    m_txt->setText(formatValue(value));
    m_fromCode = false;
}

QString neb::plainText() const
{
    return withoutGrouping(m_txt->text());
}

QString neb::problem() const
{
    const QString text = m_txt->text();
    if (!text.contains(QLatin1Char(',')) || isGrouping(text))
        return QString();
    // The last comma was meant as the point; any other as grouping.
    QString hint = text;
    const qsizetype last = hint.lastIndexOf(QLatin1Char(','));
    if (!hint.contains(QLatin1Char('.')))
        hint[last] = QLatin1Char('.');
    hint.remove(QLatin1Char(','));
    return QStringLiteral("Use a point for decimals: ") + hint;
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

bool neb::readsAsTyped(const QString& text) const
{
    if (!text.contains(QLatin1Char(',')))
        return readsAsNumber(text);
    // Commas only where the point is the decimal separator, between digits of
    // the integer part; whether they group by three is seen on leaving.
    if (m_inputLocale.decimalPoint() == QStringLiteral(","))
        return false;
    static const QRegularExpression typed(QStringLiteral("^-?\\d+(,\\d*)*(\\.\\d*)?$"));
    return typed.match(text).hasMatch() && !text.contains(QStringLiteral(",,"))
        && !text.contains(QStringLiteral(",."));
}

QString neb::decimalText() const
{
    static const QRegularExpression leading(QStringLiteral("^-?\\d*(\\.\\d*)?"));
    SplitNumber split = splitNumber(leading.match(plainText()).captured(0));
    while (split.integerDigits.startsWith(QLatin1Char('0')))
        split.integerDigits.remove(0, 1);
    while (split.decimalDigits.endsWith(QLatin1Char('0')))
        split.decimalDigits.chop(1);
    if (split.integerDigits.isEmpty() && split.decimalDigits.isEmpty())
        return QStringLiteral("0");
    QString text = split.integerDigits.isEmpty() ? QStringLiteral("0") : split.integerDigits;
    if (!split.decimalDigits.isEmpty())
        text += QLatin1Char('.') + split.decimalDigits;
    return split.negative ? QLatin1Char('-') + text : text;
}

void neb::setDecimalText(const QString& text)
{
    m_fromCode = true;
    m_txt->setText(formatDecimal(readsAsNumber(text) ? text : QStringLiteral("0")));
    m_fromCode = false;
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
    palette.setColor(QPalette::Base, m_marked || m_flashing ? kMarkColour : m_backColor);
    m_txt->setPalette(palette);
}

void neb::setMarked(bool marked)
{
    if (marked == m_marked)
        return;
    m_marked = marked;
    m_txt->setToolTip(marked ? problem() : QString());
    applyBackground();
}

void neb::refuseInput()
{
    QApplication::beep();
    emit Refused();
    m_flashing = true;
    applyBackground();
    QTimer::singleShot(kFlashMilliseconds, this, [this] {
        m_flashing = false;
        applyBackground();
    });
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

int neb::caretPosition() const
{
    // With a selection the caret counts from the start of the selection.
    return m_txt->hasSelectedText() ? m_txt->selectionStart() : m_txt->cursorPosition();
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
                    filterCharacter(keyAscii);
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
            if (m_txt->text().isEmpty())
                m_txt->setText(QStringLiteral("0"));
            m_txt->setText(formatDecimal(decimalText()));
            m_fromCode = false;
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
    filterCharacter(keyAscii);
    return true;
}

void neb::filterCharacter(int keyAscii)
{
    QChar ch(keyAscii);
    const QChar localPoint = m_inputLocale.decimalPoint().size() == 1
        ? m_inputLocale.decimalPoint().at(0)
        : QLatin1Char('.');
    if (ch == localPoint)
        ch = QLatin1Char('.');

    const QString text = m_txt->text();
    const int caret = caretPosition();
    const int selectionLength = int(m_txt->selectedText().size());
    const QString after = text.left(caret) + ch + text.mid(caret + selectionLength);

    if (ch == QLatin1Char('.')) {
        if (m_decimalSize == 0) {
            refuseInput();
            return;
        }
        if (text == QLatin1String("-") || caret == 0) {
            // A point at the start begins "0."; after a lone minus, "-0.".
            setTextGuarded(
                text == QLatin1String("-") ? QStringLiteral("-0.") : QStringLiteral("0."));
            m_txt->end(false);
            return;
        }
        if (m_txt->selectedText().contains(QLatin1Char('.'))) {
            insertGuarded(ch);
            return;
        }
    }

    bool accept = false;
    if (ch == QLatin1Char('-') && caret == 0 && m_minimumValue < 0) {
        accept = after == QLatin1String("-") || readsAsNumber(after);
    } else if (ch == QLatin1Char(',')) {
        // A thousands separator between integer digits.
        accept = readsAsTyped(after);
    } else if (ch == QLatin1Char(' ') || ch == QLatin1Char('-')) {
        accept = false;
    } else if (!readsAsTyped(after)) {
        accept = false;
    } else if (ch == QLatin1Char('.')) {
        // The point may not leave more decimals behind it than the box holds.
        accept = splitNumber(after).decimalDigits.size() <= m_decimalSize;
    } else {
        accept = capacityAllows(text, caret);
    }
    if (!accept) {
        refuseInput();
        return;
    }
    insertGuarded(ch);
}

void neb::insertGuarded(QChar ch)
{
    // Typed like the key itself (over the selection, at the caret), so that
    // undo keeps working; the change it causes skips the change processing.
    m_changeGuard = true;
    m_txt->insert(QString(ch));
    m_changeGuard = false;
}

qsizetype neb::integerLimit() const
{
    return std::max<qsizetype>(m_integerSize, m_givenIntegerDigits);
}

bool neb::capacityAllows(const QString& text, int caret) const
{
    if (m_txt->selectedText() == text)
        return true; // typing over the whole text
    const int point = int(text.indexOf(QLatin1Char('.')));
    const int pointPosition = point < 0 ? int(text.size()) + 1 : point + 1; // 1-based
    const SplitNumber split = splitNumber(text);
    if (caret < pointPosition)
        return integerDigitsOf(split) < integerLimit();
    return split.decimalDigits.size() < m_decimalSize;
}

void neb::setTextGuarded(const QString& text)
{
    // The guard covers exactly this change, also when the text stays the same.
    m_changeGuard = true;
    m_txt->setText(text);
    m_changeGuard = false;
}

void neb::onTextChanged()
{
    emit Change();
    const QString before = m_accepted;
    QString text = m_txt->text();
    if (text.isEmpty() || text == QLatin1String("-") || m_changeGuard) {
        m_changeGuard = false;
        m_accepted = text;
        if (m_marked && problem().isEmpty())
            setMarked(false);
        return;
    }
    const bool fromUser = !m_fromCode;
    if (fromUser && m_inputLocale.decimalPoint() == QStringLiteral(",")
        && text.contains(QLatin1Char(','))) {
        // Pasted in the user's own way: "1.234,50" is 1234.50.
        text.remove(QLatin1Char('.'));
        text.remove(m_inputLocale.groupSeparator());
        text.replace(QLatin1Char(','), QLatin1Char('.'));
        setTextGuarded(text);
    }
    if (!readsAsTyped(text)) {
        if (fromUser) {
            // A pasted or dropped text that is no number is refused whole.
            setTextGuarded(before);
            refuseInput();
        } else {
            m_txt->setText(QString());
        }
        return;
    }
    const SplitNumber split = splitNumber(withoutGrouping(text));
    if (fromUser) {
        // Never cut to fit: the box keeps what it had.
        if (split.decimalDigits.size() > m_decimalSize || integerDigitsOf(split) > integerLimit()) {
            setTextGuarded(before);
            m_txt->end(false);
            refuseInput();
            return;
        }
    } else {
        // What the program puts in (a stored amount) is shown whole, never
        // cut, so that a Save gives the book back the amount it held; the
        // user may mend it up to its own length.
        m_givenIntegerDigits = integerDigitsOf(split);
    }
    const double value = Value();
    if (value < 0 && m_minimumValue >= 0) {
        setTextGuarded(formatValue(std::fabs(value)));
        m_txt->end(false);
    }
    m_accepted = m_txt->text();
    if (m_marked && problem().isEmpty())
        setMarked(false);
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
