#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "TestSupport.h"
#include "controls/neb.h"

using namespace qb;
using namespace Qt::StringLiterals;

namespace {

// A window with the number box between two text boxes, as a form holds it.
struct Form
{
    QWidget window;
    QLineEdit* before = new QLineEdit(&window);
    neb* box = new neb(&window);
    QLineEdit* after = new QLineEdit(&window);

    Form()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(box);
        layout->addWidget(after);
        window.show();
        QApplication::setActiveWindow(&window);
    }
    QLineEdit* txt() const { return box->findChild<QLineEdit*>(QStringLiteral("txtNeb")); }
    // Gives the box the focus and lets its select-all run.
    void focusBox()
    {
        box->setFocus();
        QCoreApplication::processEvents();
    }
};

} // namespace

class TestNeb : public QObject
{
    Q_OBJECT

private slots:
    void newBoxDefaults();
    void keystrokes_data();
    void keystrokes();
    void userDecimalSeparatorTypesThePoint();
    void pasteGoesThroughChangeProcessing_data();
    void amountsAsTypedAndLeft_data();
    void amountsAsTypedAndLeft();
    void pasteGoesThroughChangeProcessing();
    void setValueFormatsAndRounds_data();
    void setValueFormatsAndRounds();
    void valueReadsLeadingNumber_data();
    void valueReadsLeadingNumber();
    void focusSelectsAllAndLeavingFormats_data();
    void focusSelectsAllAndLeavingFormats();
    void everyWayInSelectsAll_data();
    void everyWayInSelectsAll();
    void enterMovesFocusAndNeverTypes();
    void clickSelectsAll();
    void typingCanBeUndone();
    void contextMenuDoesNotReformat();
    void inputMethodTextIsFiltered();
    void hostSeesAndCanChangeKeys();
    void changeRaisedForEveryTextChange();
    void refusedPropertiesKeepOldValue();
    void decimalTextIsExact_data();
    void decimalTextIsExact();
    void decimalSizeResetsMaximumAndReformats();
    void integerSizeMovesMinimumOnlyAtLowerCapacity();
    void invalidRangeFollowsText();
    void colorsEnabledAndHeight();
};

void TestNeb::newBoxDefaults()
{
    neb box;
    QCOMPARE(box.IntegerSize(), 5);
    QCOMPARE(box.DecimalSize(), 2);
    QVERIFY(box.EnableEnterKey());
    QCOMPARE(box.MaximumValue(), 99999.99);
    QCOMPARE(box.MinimumValue(), 0.0);
    QCOMPARE(box.Value(), 0.0);
    QVERIFY(!box.InvalidRange());
    QCOMPARE(box.textBox()->objectName(), QStringLiteral("txtNeb"));
    QCOMPARE(box.textBox()->text(), QStringLiteral("0.00"));
}

// Keys at the caret or over a selection: the text keeps every key as typed;
// the box gives the amount it reads, or keeps the last one and says why.
void TestNeb::keystrokes_data()
{
    QTest::addColumn<int>("integerSize");
    QTest::addColumn<int>("decimalSize");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<QString>("initial");
    QTest::addColumn<int>("selStart"); // -1: caret at the end
    QTest::addColumn<int>("selLength"); // -1: whole text selected
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("exact");
    QTest::addColumn<QString>("problem");

    auto row = [](const char* name, int is, int ds, double min, const char* initial, int start,
                   int length, const char* keys, const char* expected, const char* exact,
                   const char* problem = "") {
        QTest::newRow(name) << is << ds << min << QString::fromLatin1(initial) << start << length
                            << QString::fromLatin1(keys) << QString::fromLatin1(expected)
                            << QString::fromLatin1(exact) << QString::fromLatin1(problem);
    };
    const char* integers = "At most 5 digits before the decimal mark";
    const char* decimals = "At most 2 digits after the decimal mark";
    row("plain number", 5, 2, 0, "", -1, 0, "123.45", "123.45", "123.45");
    row("sixth integer digit refused", 5, 2, 0, "", -1, 0, "123456", "123456", "0", integers);
    row("third decimal refused", 5, 2, 0, "", -1, 0, "1.234", "1.234", "0", decimals);
    row("point refused without decimals", 5, 0, 0, "", -1, 0, "12.5", "12.5", "0",
        "Whole amounts only, no decimals");
    row("point into empty box", 5, 2, 0, "", -1, 0, ".", ".", "0");
    row("point then digit", 5, 2, 0, "", -1, 0, ".5", ".5", "0.5");
    row("point before three digits refused", 5, 2, 0, "123", 0, 0, ".", ".123", "0", decimals);
    row("point over whole selection", 5, 2, 0, "12.50", 0, -1, ".7", ".7", "0.7");
    row("minus refused with minimum 0", 5, 2, 0, "", -1, 0, "-5", "-5", "0",
        "Amounts are entered without a minus sign");
    row("minus accepted with negative minimum", 5, 2, -100, "", -1, 0, "-5", "-5", "-5");
    row("minus not at start refused", 5, 2, -100, "", -1, 0, "5-", "5-", "0",
        "An amount holds only digits and one decimal mark, not \"-\"");
    row("second minus refused", 5, 2, -100, "-5", 0, 0, "-", "--5", "0",
        "An amount holds only digits and one decimal mark, not \"-\"");
    row("comma still typing a grouping", 5, 2, 0, "", -1, 0, "1,5", "1,5", "0",
        "Use a point for decimals: 1.5");
    row("blank refused", 5, 2, 0, "", -1, 0, "1 5", "1 5", "0",
        "An amount holds only digits and one decimal mark, not \" \"");
    row("letters refused", 5, 2, 0, "", -1, 0, "1a2e", "1a2e", "0",
        "An amount holds only digits and one decimal mark, not \"a\"");
    row("second point refused", 5, 2, 0, "", -1, 0, "1.2.3", "1.2.3", "0",
        "An amount has one decimal mark, not two");
    row("full integer part still takes decimals", 5, 2, 0, "12345.6", -1, 0, "7", "12345.67",
        "12345.67");
    row("digit into the full integer part refused", 5, 2, 0, "12345.6", 2, 0, "7", "127345.6", "0",
        integers);
    row("full decimals still take integer digits", 5, 2, 0, "123.45", 0, 0, "9", "9123.45",
        "9123.45");
    row("full decimals refuse more decimals", 5, 2, 0, "123.45", 4, 0, "9", "123.945", "0",
        decimals);
    row("whole selection is replaced", 5, 2, 0, "12345.67", 0, -1, "9", "9", "9");
    row("selected point is replaced", 5, 2, 0, "12.34", 1, 3, ".", "1.4", "1.4");
    row("point inside integer digits", 5, 2, 0, "12345", 3, 0, ".", "123.45", "123.45");
    row("leading zeros are no digits", 5, 2, 0, "", -1, 0, "0012345", "0012345", "12345");
    row("twelve integer digits", 12, 0, 0, "", -1, 0, "1234567890123", "1234567890123", "0",
        "At most 12 digits before the decimal mark");
    row("backspace deletes", 5, 2, 0, "12.5", -1, 0, "\b\b", "12", "12");
}

void TestNeb::keystrokes()
{
    QFETCH(int, integerSize);
    QFETCH(int, decimalSize);
    QFETCH(double, minimum);
    QFETCH(QString, initial);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    QFETCH(QString, exact);
    QFETCH(QString, problem);

    test::RecordingPrompt prompt;
    Form form;
    form.box->setInputLocale(QLocale::c());
    form.box->setIntegerSize(integerSize);
    form.box->setDecimalSize(decimalSize);
    form.box->setMinimumValue(minimum);
    form.focusBox();
    form.txt()->setText(initial);
    QCOMPARE(form.txt()->text(), initial);
    if (selLength < 0)
        form.txt()->selectAll();
    else if (selLength > 0)
        form.txt()->setSelection(selStart, selLength);
    else if (selStart >= 0)
        form.txt()->setCursorPosition(selStart);
    for (const QChar c : keys) {
        if (c == QLatin1Char('\b'))
            QTest::keyClick(form.txt(), Qt::Key_Backspace);
        else
            QTest::keyClicks(form.txt(), QString(c));
    }
    QCOMPARE(form.txt()->text(), expected);
    QCOMPARE(form.box->decimalText(), exact);
    QCOMPARE(form.box->problem(), problem);
    QCOMPARE(prompt.count(), 0);
}

void TestNeb::userDecimalSeparatorTypesThePoint()
{
    Form form;
    form.box->setInputLocale(QLocale(QLocale::German, QLocale::Germany));
    form.focusBox();
    QTest::keyClicks(form.txt(), QStringLiteral("12,5"));
    QCOMPARE(form.txt()->text(), QStringLiteral("12,5"));
    QCOMPARE(form.box->Value(), 12.5);

    // Where the point is the decimal separator the comma groups thousands:
    // "3,25" is no such grouping and is kept as typed, never read as 325.
    form.box->setInputLocale(QLocale::c());
    form.txt()->clear();
    QTest::keyClicks(form.txt(), QStringLiteral("3,25"));
    QCOMPARE(form.txt()->text(), QStringLiteral("3,25"));
    QCOMPARE(form.box->problem(), QStringLiteral("Use a point for decimals: 3.25"));
}

void TestNeb::pasteGoesThroughChangeProcessing_data()
{
    QTest::addColumn<double>("minimum");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("exact");
    // Too long or no number: never cut; the box keeps its amount.
    QTest::newRow("too long refused whole") << 0.0 << QStringLiteral("1234567.891") << u"0"_s;
    QTest::newRow("negative too long refused whole")
        << -99999.99 << QStringLiteral("-1234567.8") << u"0"_s;
    QTest::newRow("not a number refused whole") << 0.0 << QStringLiteral("12abc") << u"0"_s;
    QTest::newRow("negative with minimum 0") << 0.0 << QStringLiteral("-12.5") << u"0"_s;
    QTest::newRow("fits unchanged") << 0.0 << QStringLiteral("42.1") << u"42.1"_s;
    QTest::newRow("lone minus stays") << -5.0 << QStringLiteral("-") << u"0"_s;
}

void TestNeb::pasteGoesThroughChangeProcessing()
{
    QFETCH(double, minimum);
    QFETCH(QString, pasted);
    QFETCH(QString, exact);

    Form form;
    form.box->setMinimumValue(minimum);
    form.focusBox();
    QVERIFY(form.txt()->hasSelectedText());
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(form.txt(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.txt()->text(), pasted);
    QCOMPARE(form.box->decimalText(), exact);
}

// Typed or pasted in a locale, then the box is left: what it shows, the
// amount it gives (the one it had, 7, when it refuses), why it cannot read
// the text, and whether it turned red at once (a refusal raised) or only on
// leaving.
void TestNeb::amountsAsTypedAndLeft_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("integerSize");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("exact");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<int>("refusals");
    auto row = [](const char* name, const char* locale, int integerSize, bool paste,
                   const char* input, const char* shown, const char* exact, const char* problem,
                   int refusals) {
        QTest::newRow(name) << QString::fromLatin1(locale) << integerSize << paste
                            << QString::fromUtf8(input) << QString::fromUtf8(shown)
                            << QString::fromLatin1(exact) << QString::fromUtf8(problem) << refusals;
    };
    const char* groupC = "Group separators stand only between groups of three digits, as in "
                         "1,234.56";
    const char* groupDe = "Group separators stand only between groups of three digits, as in "
                          "1.234,56";
    const char* nineDigits = "At most 9 digits before the decimal mark";
    const char* letterA = "An amount holds only digits and one decimal mark, not \"a\"";
    row("grouping taken out", "C", 9, false, "1,234,567.5", "1234567.50", "1234567.5", "", 0);
    row("grouped with decimals", "C", 9, false, "1,234.56", "1234.56", "1234.56", "", 0);
    row("comma as a point is not read", "C", 9, false, "12,50", "12,50", "7",
        "Use a point for decimals: 12.50", 0);
    row("four digits after a comma", "C", 9, false, "1,2345", "1,2345", "7",
        "Use a point for decimals: 1.2345", 1);
    row("German grouping where the point is the decimal mark", "C", 9, false, "1.234,56",
        "1.234,56", "7", "Use a point for decimals: 1234.56", 1);
    row("a group of two", "C", 9, false, "1,23.5", "1,23.5", "7", groupC, 1);
    row("a date", "C", 9, false, "29.2.2028", "29.2.2028", "7",
        "An amount has one decimal mark, not two", 1);
    row("minus sign", "C", 9, false, "-5", "-5", "7", "Amounts are entered without a minus sign",
        1);
    row("nine digits", "C", 9, false, "123456789", "123456789.00", "123456789", "", 0);
    row("ten digits", "C", 9, false, "1234567890", "1234567890", "7", nineDigits, 1);
    row("fourteen digits", "C", 9, false, "12345678901234", "12345678901234", "7", nineDigits, 1);
    row("letters", "C", 5, false, "1a 2", "1a 2", "7", letterA, 1);
    row("leading comma", "C", 5, false, ",5", ",5", "7", groupC, 1);
    row("decimal comma locale", "de_DE", 9, false, "12,50", "12.50", "12.5", "", 0);
    row("German grouping", "de_DE", 9, false, "1.234,56", "1234.56", "1234.56", "", 0);
    row("German thousands", "de_DE", 9, false, "1.234", "1234.00", "1234", "", 0);
    row("the box's own point in German", "de_DE", 9, false, "12.5", "12.50", "12.5", "", 0);
    row("English grouping in German", "de_DE", 9, false, "1,234.56", "1,234.56", "7", groupDe, 1);
    row("a date in German", "de_DE", 9, false, "29.2.2028", "29.2.2028", "7", groupDe, 1);
    row("paste too long", "C", 9, true, "12345678901.999", "12345678901.999", "7", nineDigits, 1);
    row("paste third decimal", "C", 9, true, "12.345", "12.345", "7",
        "At most 2 digits after the decimal mark", 1);
    row("paste no number", "C", 9, true, "12abc", "12abc", "7", letterA, 1);
    row("paste grouped", "C", 9, true, " 1,234.56 ", "1234.56", "1234.56", "", 0);
    row("paste decimal comma", "de_DE", 9, true, "1.234,56", "1234.56", "1234.56", "", 0);
    row("paste euro sign", "de_DE", 9, true, "1.234,56 €", "1.234,56 €", "7",
        "An amount holds only digits and one decimal mark, not \" \"", 1);
}

void TestNeb::amountsAsTypedAndLeft()
{
    QFETCH(QString, locale);
    QFETCH(int, integerSize);
    QFETCH(bool, paste);
    QFETCH(QString, input);
    QFETCH(QString, shown);
    QFETCH(QString, exact);
    QFETCH(QString, problem);
    QFETCH(int, refusals);

    test::RecordingPrompt prompt;
    Form form;
    form.box->setInputLocale(QLocale(locale));
    form.box->setIntegerSize(integerSize);
    form.box->setValue(7);
    QSignalSpy refused(form.box, &neb::Refused);
    form.focusBox();
    QVERIFY(form.txt()->hasSelectedText());
    if (paste) {
        QGuiApplication::clipboard()->setText(input);
        QTest::keyClick(form.txt(), Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClicks(form.txt(), input);
    }
    QCOMPARE(refused.count(), refusals);
    QTest::keyClick(form.txt(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form.after);
    QCOMPARE(form.txt()->text(), shown);
    QCOMPARE(form.box->decimalText(), exact);
    QCOMPARE(form.box->problem(), problem);
    QCOMPARE(form.box->Value(), exact.toDouble());
    const QColor plain = form.after->palette().color(QPalette::Base);
    // Marked while it cannot be read, and then only.
    if (problem.isEmpty()) {
        QCOMPARE(form.txt()->palette().color(QPalette::Base), plain);
    } else {
        QVERIFY(form.txt()->palette().color(QPalette::Base) != plain);
        QCOMPARE(form.txt()->toolTip(), problem);
        // Mended by hand, the mark goes.
        form.box->setFocus();
        form.txt()->selectAll();
        QTest::keyClicks(form.txt(), QStringLiteral("12.5"));
        QCOMPARE(form.txt()->palette().color(QPalette::Base), plain);
        QCOMPARE(form.txt()->toolTip(), QString());
    }
    QCOMPARE(prompt.count(), 0);
}

void TestNeb::setValueFormatsAndRounds_data()
{
    QTest::addColumn<int>("decimalSize");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("pads decimals") << 2 << 0.0 << 12.5 << QStringLiteral("12.50");
    QTest::newRow("zero") << 2 << 0.0 << 0.0 << QStringLiteral("0.00");
    QTest::newRow("no decimals") << 0 << 0.0 << 7.0 << QStringLiteral("7");
    QTest::newRow("no decimals rounds") << 0 << 0.0 << 7.5 << QStringLiteral("8");
    QTest::newRow("half rounds away from zero") << 2 << 0.0 << 0.125 << QStringLiteral("0.13");
    QTest::newRow("decimal half of 1.005") << 2 << 0.0 << 1.005 << QStringLiteral("1.01");
    QTest::newRow("round carries") << 2 << 0.0 << 99.999 << QStringLiteral("100.00");
    QTest::newRow("negative shown as absolute") << 2 << 0.0 << -3.0 << QStringLiteral("3.00");
    QTest::newRow("negative kept with negative minimum")
        << 2 << -10.0 << -3.0 << QStringLiteral("-3.00");
    QTest::newRow("tiny negative has no sign") << 2 << -10.0 << -0.001 << QStringLiteral("0.00");
    // What the program puts in is shown whole, even past IntegerSize (5 here).
    QTest::newRow("long value kept whole") << 2 << 0.0 << 1234567.0 << QStringLiteral("1234567.00");
    QTest::newRow("huge value has no exponent")
        << 2 << 0.0 << 1e20 << QStringLiteral("100000000000000000000.00");
}

void TestNeb::setValueFormatsAndRounds()
{
    QFETCH(int, decimalSize);
    QFETCH(double, minimum);
    QFETCH(double, value);
    QFETCH(QString, expected);

    test::RecordingPrompt prompt;
    neb box;
    box.setDecimalSize(decimalSize);
    box.setMinimumValue(minimum);
    box.setValue(value);
    QCOMPARE(box.textBox()->text(), expected);
    QCOMPARE(box.Value(), expected.toDouble());
    QCOMPARE(prompt.count(), 0);
}

void TestNeb::valueReadsLeadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("number");
    QTest::newRow("empty") << QString() << 0.0 << false;
    QTest::newRow("minus") << QStringLiteral("-") << 0.0 << false;
    QTest::newRow("point") << QStringLiteral(".") << 0.0 << false;
    QTest::newRow("open point") << QStringLiteral("0.") << 0.0 << true;
    QTest::newRow("leading point") << QStringLiteral(".5") << 0.5 << true;
    QTest::newRow("negative point") << QStringLiteral("-.5") << -0.5 << true;
    QTest::newRow("plain") << QStringLiteral("-12.25") << -12.25 << true;
    QTest::newRow("trailing junk") << QStringLiteral("12.5x") << 12.5 << false;
    QTest::newRow("two points") << QStringLiteral("1.2.3") << 1.2 << false;
    QTest::newRow("exponent") << QStringLiteral("1e5") << 1.0 << false;
    QTest::newRow("plus") << QStringLiteral("+5") << 0.0 << false;
}

void TestNeb::valueReadsLeadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(bool, number);
    QCOMPARE(neb::leadingNumber(text), value);
    QCOMPARE(neb::readsAsNumber(text), number);
}

void TestNeb::decimalTextIsExact_data()
{
    QTest::addColumn<QString>("given"); // through setDecimalText
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("exact"); // decimalText() afterwards
    auto row = [](const char* given, const char* shown, const char* exact) {
        QTest::newRow(given) << QString::fromLatin1(given) << QString::fromLatin1(shown)
                             << QString::fromLatin1(exact);
    };
    // Amounts a double cannot hold, shown and given back digit for digit.
    row("8388617.45", "8388617.45", "8388617.45");
    row("123456789.12", "123456789.12", "123456789.12");
    row("999999999.99", "999999999.99", "999999999.99");
    row("0.01", "0.01", "0.01");
    row("0.125", "0.13", "0.13");
    row("2.675", "2.68", "2.68");
    row("999999999.995", "1000000000.00", "1000000000");
    row("007.10", "7.10", "7.1");
    row("12", "12.00", "12");
    row("-0.004", "0.00", "0");
    row("-3.685", "-3.69", "-3.69");
    row("", "0.00", "0");
    row("abc", "0.00", "0");
}

void TestNeb::decimalTextIsExact()
{
    QFETCH(QString, given);
    QFETCH(QString, shown);
    QFETCH(QString, exact);
    test::RecordingPrompt prompt;
    neb box;
    box.setIntegerSize(12);
    box.setMinimumValue(-1000);
    box.setDecimalText(given);
    QCOMPARE(box.textBox()->text(), shown);
    QCOMPARE(box.decimalText(), exact);
    QCOMPARE(box.Value(), exact.toDouble());
    QCOMPARE(prompt.count(), 0);
}

void TestNeb::focusSelectsAllAndLeavingFormats_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty becomes zero") << QString() << QStringLiteral("0.00");
    QTest::newRow("integer gets decimals") << QStringLiteral("7") << QStringLiteral("7.00");
    QTest::newRow("open point") << QStringLiteral("3.") << QStringLiteral("3.00");
    QTest::newRow("one decimal") << QStringLiteral("3.5") << QStringLiteral("3.50");
}

void TestNeb::focusSelectsAllAndLeavingFormats()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);

    Form form;
    form.box->setValue(12.5);
    form.focusBox();
    QVERIFY(form.txt()->hasFocus());
    QCOMPARE(form.txt()->selectedText(), QStringLiteral("12.50"));
    // Delete as an X display sends it: with the DEL character as its text.
    QTest::sendKeyEvent(QTest::Click, form.txt(), Qt::Key_Delete, QChar(0x7f), Qt::NoModifier);
    QTest::keyClicks(form.txt(), typed);
    QCOMPARE(form.txt()->text(), typed);
    QTest::keyClick(form.txt(), Qt::Key_Tab);
    QVERIFY(form.after->hasFocus());
    QCOMPARE(form.txt()->text(), shown);
}

void TestNeb::everyWayInSelectsAll_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Tab") << QStringLiteral("tab");
    QTest::newRow("Shift+Tab") << QStringLiteral("backtab");
    QTest::newRow("click") << QStringLiteral("click");
    QTest::newRow("click in a window not active") << QStringLiteral("inactive click");
    QTest::newRow("window active again") << QStringLiteral("reactivate");
    QTest::newRow("program") << QStringLiteral("program");
}

// However the box gets the focus, "0.00" is selected and typing replaces it:
// 5000 gives 5000, never 50000.00 nor a refused digit.
void TestNeb::everyWayInSelectsAll()
{
    QFETCH(QString, way);
    Form form;
    form.box->setValue(0);
    const QPoint left(3, form.txt()->height() / 2);
    QWidget other;
    if (way == QStringLiteral("tab")) {
        form.before->setFocus();
        QTest::keyClick(form.before, Qt::Key_Tab);
    } else if (way == QStringLiteral("backtab")) {
        form.after->setFocus();
        QTest::keyClick(form.after, Qt::Key_Backtab, Qt::ShiftModifier);
    } else if (way == QStringLiteral("click")) {
        form.before->setFocus();
        QTest::mouseClick(form.txt(), Qt::LeftButton, {}, left);
    } else if (way == QStringLiteral("inactive click") || way == QStringLiteral("reactivate")) {
        // The box had the focus, then another window (a message box) took over.
        form.focusBox();
        QTest::keyClicks(form.txt(), QStringLiteral("1"));
        form.txt()->setText(QStringLiteral("0.00"));
        form.txt()->setCursorPosition(4);
        other.show();
        QApplication::setActiveWindow(&other);
        QTRY_VERIFY(!form.window.isActiveWindow());
        if (way == QStringLiteral("inactive click"))
            QTest::mousePress(form.txt(), Qt::LeftButton, {}, left);
        QApplication::setActiveWindow(&form.window);
        QTRY_VERIFY(form.window.isActiveWindow());
        if (way == QStringLiteral("inactive click"))
            QTest::mouseRelease(form.txt(), Qt::LeftButton, {}, left);
    } else {
        form.box->setFocus(Qt::OtherFocusReason);
    }
    QTRY_VERIFY(form.txt()->hasFocus());
    QCoreApplication::processEvents();
    QCOMPARE(form.txt()->selectedText(), QStringLiteral("0.00"));
    QTest::keyClicks(form.txt(), QStringLiteral("5000"));
    QCOMPARE(form.txt()->text(), QStringLiteral("5000"));

    // Once in, a click places the caret as usual.
    QTest::mouseClick(form.txt(), Qt::LeftButton, {}, left);
    QVERIFY(!form.txt()->hasSelectedText());
}

void TestNeb::enterMovesFocusAndNeverTypes()
{
    Form form;
    form.focusBox();
    QTest::keyClicks(form.txt(), QStringLiteral("5"));
    QTest::keyClick(form.txt(), Qt::Key_Return);
    QVERIFY(form.after->hasFocus());
    QCOMPARE(form.txt()->text(), QStringLiteral("5.00"));

    // Tab and Shift+Tab pass through the box in both directions.
    QTest::keyClick(form.after, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(form.txt()->hasFocus());
    QVERIFY(form.box->hasFocus());
    QTest::keyClick(form.txt(), Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(form.before->hasFocus());
    QTest::keyClick(form.before, Qt::Key_Tab);
    QVERIFY(form.txt()->hasFocus());

    form.box->setEnableEnterKey(false);
    form.focusBox();
    QTest::keyClick(form.txt(), Qt::Key_Enter);
    QVERIFY(form.txt()->hasFocus());
    QCOMPARE(form.txt()->text(), QStringLiteral("5.00"));
}

void TestNeb::clickSelectsAll()
{
    Form form;
    form.box->setValue(42);
    form.before->setFocus();
    QTest::mouseClick(form.txt(), Qt::LeftButton, {}, QPoint(5, form.txt()->height() / 2));
    QTRY_COMPARE(form.txt()->selectedText(), QStringLiteral("42.00"));
}

void TestNeb::typingCanBeUndone()
{
    Form form;
    form.focusBox();
    QTest::keyClicks(form.txt(), QStringLiteral("12.3"));
    QCOMPARE(form.txt()->text(), QStringLiteral("12.3"));
    // Undo takes the typing back to the text the box had.
    QTest::keyClick(form.txt(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(form.txt()->text(), QStringLiteral("0.00"));
}

void TestNeb::contextMenuDoesNotReformat()
{
    Form form;
    form.focusBox();
    QTest::keyClicks(form.txt(), QStringLiteral("7"));
    QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(form.txt(), &out);
    QFocusEvent in(QEvent::FocusIn, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(form.txt(), &in);
    QCOMPARE(form.txt()->text(), QStringLiteral("7"));
    QVERIFY(!form.txt()->hasSelectedText());
    QTest::keyClicks(form.txt(), QStringLiteral("5"));
    QCOMPARE(form.txt()->text(), QStringLiteral("75"));
}

void TestNeb::inputMethodTextIsFiltered()
{
    Form form;
    form.focusBox();
    QList<QInputMethodEvent::Attribute> none;
    QInputMethodEvent commit(QString(), none);
    commit.setCommitString(QStringLiteral("1x2.345"));
    QCoreApplication::sendEvent(form.txt(), &commit);
    QCOMPARE(form.txt()->text(), QStringLiteral("1x2.345"));
    QCOMPARE(form.box->decimalText(), QStringLiteral("0"));
}

void TestNeb::hostSeesAndCanChangeKeys()
{
    Form form;
    QList<int> pressed;
    QSignalSpy down(form.box, &neb::KeyDown);
    QSignalSpy up(form.box, &neb::KeyUp);
    QObject::connect(form.box, &neb::KeyPress, form.box, [&pressed](int& keyAscii) {
        pressed.append(keyAscii);
        if (keyAscii == '9')
            keyAscii = 0; // the host cancels nines
        else if (keyAscii == 'x')
            keyAscii = '7'; // and turns x into 7
    });
    form.focusBox();
    QTest::keyClicks(form.txt(), QStringLiteral("19x-"));
    QCOMPARE(form.txt()->text(), QStringLiteral("17-"));
    // The host saw every character before the box filtered it.
    QCOMPARE(pressed, (QList<int> {'1', '9', 'x', '-'}));

    QTest::keyClick(form.txt(), Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(pressed.size(), 4); // no character, no KeyPress
    QCOMPARE(down.last().at(0).toInt(), int(Qt::Key_Left));
    QCOMPARE(down.last().at(1).toInt(), 1);
    // The Shift key itself comes up after the arrow.
    QCOMPARE(up.at(up.count() - 2).at(0).toInt(), int(Qt::Key_Left));
    QCOMPARE(up.last().at(0).toInt(), int(Qt::Key_Shift));

    QTest::keyClick(form.txt(), Qt::Key_Backspace);
    QCOMPARE(pressed.last(), 8);
    QTest::keyClick(form.txt(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(pressed.last(), 1);
    QCOMPARE(down.last().at(1).toInt(), 2);
}

void TestNeb::changeRaisedForEveryTextChange()
{
    Form form;
    QSignalSpy change(form.box, &neb::Change);
    form.focusBox();
    QTest::keyClicks(form.txt(), QStringLiteral("12"));
    QCOMPARE(change.count(), 2);
    QTest::keyClicks(form.txt(), QStringLiteral("a"));
    QCOMPARE(change.count(), 3); // a refused key is kept, marked

    // A pasted text that does not fit raises Change once: it is kept as pasted.
    change.clear();
    form.txt()->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("1.999"));
    QTest::keyClick(form.txt(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.txt()->text(), QStringLiteral("1.999"));
    QCOMPARE(change.count(), 1);
}

void TestNeb::refusedPropertiesKeepOldValue()
{
    test::RecordingPrompt prompt;
    neb box;
    auto expectRefusal = [&prompt](int countBefore) {
        QCOMPARE(prompt.count(), countBefore + 1);
        const Message m = prompt.last();
        QCOMPARE(m.text, QStringLiteral("Invalid property value"));
        QCOMPARE(m.title, QStringLiteral("NumberBox"));
        QCOMPARE(m.icon, MsgIcon::Critical);
        QCOMPARE(m.buttons, MsgButtons::Ok);
    };
    box.setIntegerSize(13);
    expectRefusal(0);
    box.setIntegerSize(0);
    expectRefusal(1);
    QCOMPARE(box.IntegerSize(), 5);
    box.setDecimalSize(10);
    expectRefusal(2);
    box.setDecimalSize(-1);
    expectRefusal(3);
    QCOMPARE(box.DecimalSize(), 2);
    box.setMaximumValue(100000);
    expectRefusal(4);
    QCOMPARE(box.MaximumValue(), 99999.99);
    box.setMinimumValue(-100000);
    expectRefusal(5);
    QCOMPARE(box.MinimumValue(), 0.0);

    // The limits themselves are accepted.
    box.setIntegerSize(12);
    box.setIntegerSize(1);
    box.setDecimalSize(9);
    box.setDecimalSize(0);
    box.setMaximumValue(9);
    box.setMinimumValue(-9);
    QCOMPARE(prompt.count(), 6);
}

void TestNeb::decimalSizeResetsMaximumAndReformats()
{
    test::RecordingPrompt prompt;
    neb box;
    box.setMaximumValue(500);
    box.setValue(12.5);
    box.setDecimalSize(3);
    QCOMPARE(box.MaximumValue(), 99999.999);
    QCOMPARE(box.textBox()->text(), QStringLiteral("12.500"));
    box.setDecimalSize(0);
    QCOMPARE(box.MaximumValue(), 99999.0);
    QCOMPARE(box.textBox()->text(), QStringLiteral("13"));
    QCOMPARE(prompt.count(), 0);
}

void TestNeb::integerSizeMovesMinimumOnlyAtLowerCapacity()
{
    test::RecordingPrompt prompt;
    neb box;
    box.setIntegerSize(3);
    QCOMPARE(box.MaximumValue(), 999.99);
    QCOMPARE(box.MinimumValue(), 0.0); // a minimum above the lower capacity stays

    box.setMinimumValue(-999.99);
    box.setIntegerSize(4);
    QCOMPARE(box.MinimumValue(), -9999.99); // it sat at the old capacity and follows
    QCOMPARE(box.MaximumValue(), 9999.99);

    box.setMinimumValue(-50);
    box.setIntegerSize(2);
    QCOMPARE(box.MinimumValue(), -50.0);
    QCOMPARE(prompt.count(), 0);
}

void TestNeb::invalidRangeFollowsText()
{
    Form form;
    form.box->setMaximumValue(100);
    form.box->setMinimumValue(-10);
    form.focusBox();
    QTest::keyClicks(form.txt(), QStringLiteral("150"));
    QVERIFY(form.box->InvalidRange());
    QTest::keyClick(form.txt(), Qt::Key_Backspace);
    QVERIFY(!form.box->InvalidRange());
    form.txt()->selectAll();
    QTest::keyClicks(form.txt(), QStringLiteral("-11"));
    QVERIFY(form.box->InvalidRange());
    form.box->setValue(-10);
    QVERIFY(!form.box->InvalidRange());
}

void TestNeb::colorsEnabledAndHeight()
{
    Form form;
    form.box->setBackColor(QColor(Qt::yellow));
    form.box->setForeColor(QColor(Qt::blue));
    QCOMPARE(form.box->BackColor(), QColor(Qt::yellow));
    QCOMPARE(form.txt()->palette().color(QPalette::Text), QColor(Qt::blue));
    form.box->setEnabled(false);
    QVERIFY(!form.txt()->isEnabled());
    form.box->setEnabled(true);
    QVERIFY(form.txt()->isEnabled());

    form.box->resize(120, 5);
    QVERIFY(form.box->height() >= 20);
    QCOMPARE(form.txt()->geometry(), form.box->rect());
}

QTEST_MAIN(TestNeb)
#include "tst_neb.moc"
