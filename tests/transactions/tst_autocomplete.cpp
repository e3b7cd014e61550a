#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include "transactions/clsAutoComplete.h"

using namespace qb;

class TstAutoComplete : public QObject
{
    Q_OBJECT

    struct Box
    {
        QComboBox combo;
        clsAutoComplete complete;
        explicit Box(const QStringList& items)
        {
            combo.setEditable(true);
            combo.setCompleter(nullptr);
            combo.setInsertPolicy(QComboBox::NoInsert);
            combo.addItems(items);
            combo.setCurrentIndex(-1);
            combo.lineEdit()->clear();
            complete.setLinkedComboBox(&combo);
            combo.show();
            combo.lineEdit()->setFocus();
        }
        QLineEdit* edit() { return combo.lineEdit(); }
    };

private slots:
    void completesPrefixIgnoringCase()
    {
        Box box({QStringLiteral("Cash"), QStringLiteral("Bank")});
        QSignalSpy chosen(&box.combo, &QComboBox::currentIndexChanged);
        QTest::keyClicks(box.edit(), QStringLiteral("c"));
        QCOMPARE(box.edit()->text(), QStringLiteral("cash"));
        QCOMPARE(box.edit()->selectedText(), QStringLiteral("ash"));
        QCOMPARE(box.combo.currentIndex(), 0);
        QVERIFY(chosen.count() >= 1);

        QTest::keyClicks(box.edit(), QStringLiteral("a"));
        QCOMPARE(box.edit()->text(), QStringLiteral("cash"));
        QCOMPARE(box.edit()->selectedText(), QStringLiteral("sh"));
    }

    // Completion adds letters after the caret and never changes the typed ones.
    void typedLettersKeepTheirCase_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("chosen");
        const QStringList shop {
            QStringLiteral("Bank"), QStringLiteral("REWE Markt"), QStringLiteral("Zweites Regal")};
        QTest::newRow("upper case typed")
            << QStringList {QStringLiteral("Bank"), QStringLiteral("Cash")} << QStringLiteral("CA")
            << QStringLiteral("CAsh") << 1;
        QTest::newRow("past an upper-case entry")
            << shop << QStringLiteral("Regal Möbelhaus") << QStringLiteral("Regal Möbelhaus") << 1;
        QTest::newRow("lower case before a capital")
            << shop << QStringLiteral("zweites Sofa") << QStringLiteral("zweites Sofa") << 2;
        QTest::newRow("completed in the entry's case after the caret")
            << shop << QStringLiteral("zweites r") << QStringLiteral("zweites regal") << 2;
    }

    void typedLettersKeepTheirCase()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, chosen);
        Box box(items);
        for (const QChar c : typed) // "ö" as a keyboard layout sends it: no key code of its own
            QTest::sendKeyEvent(QTest::Click, box.edit(),
                c.unicode() < 128 ? Qt::Key(QTest::asciiToKey(c.toLatin1())) : Qt::Key_unknown,
                QString(c), {});
        QCOMPARE(box.edit()->text(), shown);
        QCOMPARE(box.edit()->selectedText(), shown.mid(typed.size()));
        QCOMPARE(box.combo.currentIndex(), chosen);
    }

    void upperCaseTypingKeepsItsCase()
    {
        Box box({QStringLiteral("Bank"), QStringLiteral("Cash")});
        QTest::keyClicks(box.edit(), QStringLiteral("CA"));
        QCOMPARE(box.edit()->text(), QStringLiteral("CAsh"));
        QCOMPARE(box.edit()->selectedText(), QStringLiteral("sh"));
        QCOMPARE(box.combo.currentIndex(), 1);
    }

    void noMatchKeepsTextCaretAndChoice()
    {
        Box box({QStringLiteral("Cash"), QStringLiteral("Bank")});
        box.combo.setCurrentIndex(1);
        box.edit()->setText(QStringLiteral("Bx"));
        box.edit()->setCursorPosition(1);
        QTest::keyClick(box.edit(), Qt::Key_Z);
        QCOMPARE(box.edit()->text(), QStringLiteral("Bzx"));
        QCOMPARE(box.edit()->cursorPosition(), 2);
        QCOMPARE(box.combo.currentIndex(), 1);
    }

    void backspaceDoesNotCompleteDeleteDoes()
    {
        Box box({QStringLiteral("Cash"), QStringLiteral("Bank")});
        QTest::keyClicks(box.edit(), QStringLiteral("ca"));
        QCOMPARE(box.edit()->selectedText(), QStringLiteral("sh"));
        QTest::keyClick(box.edit(), Qt::Key_Backspace); // removes the selected tail
        QCOMPARE(box.edit()->text(), QStringLiteral("ca"));
        QCOMPARE(box.edit()->selectedText(), QString());
        box.edit()->setSelection(1, 1);
        QTest::keyClick(box.edit(), Qt::Key_Delete); // "c" left, completes again
        QCOMPARE(box.edit()->text(), QStringLiteral("cash"));
        QCOMPARE(box.edit()->selectedText(), QStringLiteral("ash"));
    }

    void firstInListOrderWins()
    {
        Box box({QStringLiteral("Bus fare"), QStringLiteral("Bank"), QStringLiteral("Ball")});
        QTest::keyClicks(box.edit(), QStringLiteral("ba"));
        QCOMPARE(box.edit()->text(), QStringLiteral("bank"));
        QCOMPARE(box.combo.currentIndex(), 1);
    }

    void emptyListNeverChangesText()
    {
        Box box({});
        QTest::keyClicks(box.edit(), QStringLiteral("Rent"));
        QCOMPARE(box.edit()->text(), QStringLiteral("Rent"));
        QCOMPARE(box.combo.currentIndex(), -1);
    }

    void relinkMovesToNewBox()
    {
        Box first({QStringLiteral("Cash")});
        QComboBox second;
        second.setEditable(true);
        second.setCompleter(nullptr);
        second.addItem(QStringLiteral("Cheque"));
        second.setCurrentIndex(-1);
        second.lineEdit()->clear();
        first.complete.setLinkedComboBox(&second);
        QCOMPARE(first.complete.LinkedComboBox(), &second);
        QTest::keyClicks(first.edit(), QStringLiteral("c"));
        QCOMPARE(first.edit()->text(), QStringLiteral("c"));
        QTest::keyClicks(second.lineEdit(), QStringLiteral("ch"));
        QCOMPARE(second.lineEdit()->text(), QStringLiteral("cheque"));
    }
};

QTEST_MAIN(TstAutoComplete)
#include "tst_autocomplete.moc"
