#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include "controls/AccountCombo.h"
#include "controls/KeyPreview.h"
#include "store/Xml.h"

using namespace qb;

namespace {

// A window with Enter as Tab: two boxes, a button that counts its presses, a
// text area that keeps Enter, and a handler that takes F5.
struct EntryForm
{
    QWidget window;
    QLineEdit* first = new QLineEdit(&window);
    QPushButton* button = new QPushButton(QStringLiteral("&Save"), &window);
    QLineEdit* second = new QLineEdit(&window);
    QPlainTextEdit* notes = new QPlainTextEdit(&window);
    KeyPreview* preview = new KeyPreview(&window);
    int pressed = 0;
    QList<QWidget*> f5;

    EntryForm()
    {
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*> {first, button, second, notes})
            layout->addWidget(w);
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, button, [this] { ++pressed; });
        preview->setEnterAsTab(true);
        preview->keepEnter(notes);
        preview->setHandler([this](QWidget* target, QKeyEvent* key) {
            if (key->key() != Qt::Key_F5)
                return false;
            f5.append(target);
            return true;
        });
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
    }
};

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

} // namespace

class TstWindowPieces : public QObject
{
    Q_OBJECT

private slots:
    void enterMovesOnPressesButtonsAndIsKeptWhereAsked()
    {
        EntryForm f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.first->setFocus();
        press(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f.button);
        // Enter on a focused button presses it and leaves the focus there.
        press(Qt::Key_Enter);
        QCOMPARE(f.pressed, 1);
        QCOMPARE(QApplication::focusWidget(), f.button);
        QTest::keyClick(f.button, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.second);
        // Alt held down: Enter is no Tab.
        press(Qt::Key_Return, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), f.second);
        press(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f.notes);
        // The text area gets its Enter, and only once, though its parents are watched.
        QTest::keyClicks(f.notes, QStringLiteral("a"));
        press(Qt::Key_Return);
        QTest::keyClicks(f.notes, QStringLiteral("b"));
        QCOMPARE(f.notes->toPlainText(), QStringLiteral("a\nb"));
        QCOMPARE(QApplication::focusWidget(), f.notes);

        // The handler sees keys first, also those of controls added later.
        auto* late = new QLineEdit(&f.window);
        f.window.layout()->addWidget(late);
        late->show();
        late->setFocus();
        press(Qt::Key_F5);
        QCOMPARE(f.f5, QList<QWidget*>({late}));
        QVERIFY(late->text().isEmpty());
        press(Qt::Key_Return);
        QVERIFY(QApplication::focusWidget() != late);

        // Stopped (the window going down): keys are the controls' own again.
        f.preview->stop();
        f.first->setFocus();
        press(Qt::Key_Return);
        press(Qt::Key_F5);
        QCOMPARE(QApplication::focusWidget(), f.first);
        QCOMPARE(f.f5.size(), 1);
        QCOMPARE(f.pressed, 1);
    }

    void previewStaysInsideItsWindow()
    {
        EntryForm a;
        QWidget other;
        auto* box = new QLineEdit(&other);
        new QLineEdit(&other);
        new QVBoxLayout(&other);
        other.layout()->addWidget(box);
        other.show();
        other.activateWindow();
        QApplication::setActiveWindow(&other);
        QVERIFY(QTest::qWaitForWindowActive(&other));
        box->setFocus();
        press(Qt::Key_Return);
        press(Qt::Key_F5);
        QCOMPARE(QApplication::focusWidget(), box);
        QVERIFY(a.f5.isEmpty());
    }

    void accountListSortsChoosesByCodeAndIgnoresTypedText()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArrayLiteral(
            "<AcMaster><a Code=\"1\" AcName=\"cash\"/><a Code=\"2\" AcName=\"Bank\"/>"
            "<a Code=\"3\" AcName=\"Salary\"/><a Code=\"7\" AcName=\"bank\"/></AcMaster>")));
        AccountCombo combo(true);
        QSignalSpy changed(&combo, &AccountCombo::choiceChanged);
        QSignalSpy typed(&combo, &AccountCombo::textTyped);
        // An empty box chooses nothing for an item added to it, and keeps its text.
        combo.setEditText(QStringLiteral("Fo"));
        combo.addAccount(QStringLiteral("Old"), 99);
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(combo.currentText(), QStringLiteral("Fo"));
        combo.fillAccounts(doc.documentElement());

        // Sorted without regard to case, equal names in the book's order; nothing chosen.
        QStringList names;
        QList<int> codes;
        for (int i = 0; i < combo.count(); ++i) {
            names << combo.itemText(i);
            codes << combo.itemData(i).toInt();
        }
        QCOMPARE(names.join(u','), QStringLiteral("Bank,bank,cash,Salary"));
        QCOMPARE(codes, QList<int>({2, 7, 1, 3}));
        QCOMPARE(combo.currentIndex(), -1);
        QVERIFY(combo.currentText().isEmpty());
        QVERIFY(!combo.selectedCode());
        QCOMPARE(changed.count(), 0);
        QCOMPARE(combo.addAccount(QStringLiteral(" Petrol "), 8), 0);

        QVERIFY(combo.chooseCode(3));
        QCOMPARE(combo.selectedCode(), std::optional<int>(3));
        QCOMPARE(combo.currentText(), QStringLiteral("Salary"));
        QVERIFY(combo.chooseCode(3)); // chosen again: the window hears it again
        QCOMPARE(changed.count(), 2);
        QVERIFY(!combo.chooseCode(42));
        QCOMPARE(combo.selectedCode(), std::optional<int>(3));

        // Typing over a choice drops it and keeps the text and caret as typed.
        combo.show();
        combo.setFocus();
        combo.lineEdit()->end(false);
        QTest::keyClick(combo.lineEdit(), Qt::Key_Backspace);
        QVERIFY(!combo.selectedCode());
        QCOMPARE(combo.currentText(), QStringLiteral("Salar"));
        QCOMPARE(combo.lineEdit()->cursorPosition(), 5);
        QCOMPARE(typed.count(), 1);
        QTest::keyClicks(combo.lineEdit(), QStringLiteral("y"));
        QCOMPARE(combo.currentText(), QStringLiteral("Salary"));
        QVERIFY(!combo.selectedCode()); // the name typed in full is still no choice

        QVERIFY(combo.chooseCode(2));
        combo.clearChoice();
        QVERIFY(!combo.selectedCode());
        QVERIFY(combo.currentText().isEmpty());
    }
};

QTEST_MAIN(TstWindowPieces)
#include "tst_windowpieces.moc"
