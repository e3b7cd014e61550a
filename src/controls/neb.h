#pragma once

// The number box: a one-line text box for amounts. It accepts a signed
// decimal number with at most IntegerSize digits before the point and
// DecimalSize after it, keeps an allowed range, shows the number with a fixed
// count of decimals once the focus leaves, and offers it as Value().
//
// The text always writes the decimal point as "." so that Value() and the
// stored amounts read the same everywhere; the user's own decimal separator
// key (for example "," in a German locale) types that point. Where the point
// is the decimal separator, commas may be typed as thousands separators
// ("1,234.50"); a text whose commas are no such grouping ("12,50") is not read
// as a number at all: leaving the box marks it and problem() says so.
// Keystrokes and pasted texts the box cannot take are refused whole, with a
// beep and a short flash, never cut to fit. An amount the program puts in
// (a stored one) is shown whole even when it is longer than IntegerSize.

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

    // The number read from the text: its leading numeric part, 0 when empty or "-".
    double Value() const;
    void setValue(double value);

    // The same number exactly, as plain decimal text without needless zeros
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
    // 12.50"); empty when it can.
    QString problem() const;
    // When the text cannot be read as an amount: says why in a message box
    // (titled title), puts the focus back in the box and gives true. Every
    // window that acts on an amount asks this first, so that "12,50" is
    // never taken as 12.
    bool refuseUnreadable(const QString& title = QStringLiteral("Enter amount"));
    // The text with the commas of a valid grouping taken out.
    QString plainText() const;

    // The display format's text of a number: DecimalSize decimals, "." as point.
    QString formatValue(double value) const;
    QString formatDecimal(const QString& plain) const;

    // The locale whose decimal separator key types the point (the system's by default).
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
    // A keystroke or a pasted text was refused.
    void Refused();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool handleKeyPress(QKeyEvent* event);
    void filterCharacter(int keyAscii);
    qsizetype integerLimit() const;
    bool capacityAllows(const QString& text, int caret) const;
    void onTextChanged();
    void setTextGuarded(const QString& text);
    void insertGuarded(QChar ch);
    void recomputeCapacities();
    void refuse() const;
    void refuseInput();
    void setMarked(bool marked);
    bool readsAsTyped(const QString& text) const;
    int caretPosition() const;

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
    bool m_changeGuard = false;
    bool m_selectOnPress = false; // the focus came and no click or key followed yet
    bool m_fromCode = false; // the text is being set by the program
    bool m_marked = false; // the text cannot be read (shown until it can)
    bool m_flashing = false; // a refused input shows for a moment
    QColor m_backColor; // the background the host chose
    void applyBackground();
    QString m_accepted; // the text before the change being processed
    QLocale m_inputLocale = QLocale::system();
};

// Shift state of a key event as the number box reports it: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftState(Qt::KeyboardModifiers modifiers);

} // namespace qb
