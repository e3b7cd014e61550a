#pragma once

// The number box: a one-line text box for amounts. It accepts a signed
// decimal number with at most IntegerSize digits before the point and
// DecimalSize after it, keeps an allowed range, shows the number with a fixed
// count of decimals once the focus leaves, and offers it as Value().
//
// The box keeps every character as it is typed or pasted and reads the text
// in the input locale: its decimal mark, and its group separator where it
// stands between groups of three digits ("1,234.56" in English, "1.234,56" in
// German). A text of any other shape (a second decimal mark, a minus sign
// where no negative amount is allowed, too many digits, letters) is never
// read as another amount: the box turns red, its tool tip and problem() say
// why, and Value() keeps the amount the box had before. A text that more
// typing can still mend ("1,23" on the way to "1,234") is judged when the
// box is left. Once left, a readable text is shown in the display format
// with "." as the point. An amount the program puts in (a stored one) is
// shown whole even when it is longer than IntegerSize.

#include <QColor>
#include <QLocale>
#include <QString>
#include <QWidget>

class QLineEdit;

namespace qb {

class neb final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int IntegerSize READ IntegerSize WRITE setIntegerSize)
    Q_PROPERTY(int DecimalSize READ DecimalSize WRITE setDecimalSize)
    Q_PROPERTY(bool EnableEnterKey READ EnableEnterKey WRITE setEnableEnterKey)
    Q_PROPERTY(double Value READ Value WRITE setValue)
    Q_PROPERTY(double MaximumValue READ MaximumValue WRITE setMaximumValue)
    Q_PROPERTY(double MinimumValue READ MinimumValue WRITE setMinimumValue)
    Q_PROPERTY(bool InvalidRange READ InvalidRange)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)

public:
    explicit neb(QWidget* parent = nullptr);
    ~neb() override;
    Q_DISABLE_COPY_MOVE(neb)

    int IntegerSize() const { return m_integerSize; }
    void setIntegerSize(int size);
    int DecimalSize() const { return m_decimalSize; }
    void setDecimalSize(int size);
    bool EnableEnterKey() const { return m_enableEnterKey; }
    void setEnableEnterKey(bool enable) { m_enableEnterKey = enable; }

    // The amount the text gives, 0 when empty or "-"; while the text gives
    // none, the amount the box had before (when it was last left or set).
    double Value() const;
    void setValue(double value);

    // The same amount exactly, as plain decimal text without needless zeros
    // ("12.5" for ⟨12.50⟩, "0" for an empty text); amounts are stored from this.
    QString decimalText() const;
    // Shows a plain decimal text in the display format, rounded half away
    // from zero on its digits; a text that is no number shows 0.
    void setDecimalText(const QString& text);

    double MaximumValue() const { return m_maximumValue; }
    void setMaximumValue(double value);
    double MinimumValue() const { return m_minimumValue; }
    void setMinimumValue(double value);
    // True while Value() lies outside MinimumValue()..MaximumValue().
    bool InvalidRange() const;

    QColor BackColor() const;
    void setBackColor(const QColor& color);
    QColor ForeColor() const;
    void setForeColor(const QColor& color);

    // Why the text cannot be read as an amount ("Use a point for decimals:
    // 12.50", "At most 9 digits before the decimal mark"); empty when it can.
    QString problem() const;
    // When the text cannot be read as an amount: says why in a message box
    // (titled title), puts the focus back in the box and gives true. Every
    // window that acts on an amount asks this first, so that "12,50" is
    // never taken as 12.
    bool refuseUnreadable(const QString& title = QStringLiteral("Enter amount"));

    // The display format's text of a number: DecimalSize decimals, "." as point.
    QString formatValue(double value) const;
    QString formatDecimal(const QString& plain) const;

    // The locale whose decimal mark and group separator the text is read with
    // (the system's by default).
    void setInputLocale(const QLocale& locale) { m_inputLocale = locale; }

    QLineEdit* textBox() const { return m_txt; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Whether a text reads as a number: an optional leading minus, digits and
    // at most one point, with at least one digit.
    static bool readsAsNumber(const QString& text);
    // The leading numeric part of a text as a number (0 when there is none).
    static double leadingNumber(const QString& text);

signals:
    // KeyCode is the Qt key, Shift the modifier state (1 Shift, 2 Ctrl, 4 Alt).
    void KeyDown(int KeyCode, int Shift);
    // Raised before the box filters the character; setting KeyAscii to 0 cancels it.
    void KeyPress(int& KeyAscii);
    void KeyUp(int KeyCode, int Shift);
    // Raised at the start of every change of the text.
    void Change();
    // A keystroke or a pasted text made the text no amount (it turned red).
    void Refused();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Reading;
    // ownFormat: the text is the box's own display format ("." as the point).
    Reading read(const QString& typed, bool ownFormat = false) const;
    bool handleKeyPress(QKeyEvent* event);
    qsizetype integerLimit() const;
    void onTextChanged();
    void recomputeCapacities();
    void refuse() const;
    void setMarked(bool marked);

    QLineEdit* m_txt = nullptr;
    int m_integerSize = 5;
    // Integer digits of the amount the program last put in, when more than
    // IntegerSize: the user may mend such an amount up to its own length.
    qsizetype m_givenIntegerDigits = 0;
    int m_decimalSize = 2;
    bool m_enableEnterKey = true;
    double m_maximumValue = 99999.99;
    double m_minimumValue = 0;
    double m_upperCapacity = 99999.99;
    double m_lowerCapacity = -99999.99;
    bool m_selectOnPress = false; // the focus came and no click or key followed yet
    bool m_fromCode = false; // the text is being set by the program
    bool m_marked = false; // the text cannot be read (shown until it can)
    QColor m_backColor; // the background the host chose
    void applyBackground();
    QString m_value = QStringLiteral("0"); // the amount the box offers
    QString m_kept = QStringLiteral("0"); // the amount it had before the text being typed
    QLocale m_inputLocale = QLocale::system();
};

// Shift state of a key event as the number box reports it: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftState(Qt::KeyboardModifiers modifiers);

} // namespace qb
