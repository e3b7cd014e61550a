#include "WidgetTestSupport.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "windows/HtmlView.h"
#include "windows/WindowHost.h"

namespace qb::test {

void typeText(const QString& text)
{
    // Letters outside seven-bit text come as a keyboard layout sends them:
    // a key press carrying the character, with no key code of its own.
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        else
            QTest::sendKeyEvent(
                QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c), {});
    }
}

void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

QPoint pointOfText(HtmlView* view, const QString& text)
{
    const QTextCursor found = view->document()->find(text);
    if (found.isNull())
        return {};
    QTextCursor inside(view->document());
    inside.setPosition(found.selectionStart() + 1);
    return view->cursorRect(inside).center();
}

bool clickText(HtmlView* view, const QString& text)
{
    const QPoint at = pointOfText(view, text);
    if (at.isNull())
        return false;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    return true;
}

bool clickLink(HtmlView* view, const QString& href)
{
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() != href)
                continue;
            QTextCursor cursor(view->document());
            cursor.setPosition(fragment.position() + 1);
            view->setTextCursor(cursor);
            view->ensureCursorVisible();
            // Halfway across the first character, so that a link of one
            // character is hit too.
            QTextCursor before(view->document());
            before.setPosition(fragment.position());
            const QPoint at
                = (view->cursorRect(before).center() + view->cursorRect(cursor).center()) / 2;
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
            return true;
        }
    }
    return false;
}

bool activate(QWidget* w)
{
    w->activateWindow();
    QApplication::setActiveWindow(w->window());
    return QTest::qWaitForWindowActive(w->window());
}

QStringList overlappingControls(QWidget* window)
{
    QList<QWidget*> controls;
    for (QWidget* c : window->findChildren<QWidget*>()) {
        if (c->isVisibleTo(window)
            && (qobject_cast<QLabel*>(c) || qobject_cast<QLineEdit*>(c)
                || qobject_cast<QComboBox*>(c) || qobject_cast<QAbstractButton*>(c)
                || qobject_cast<QAbstractSpinBox*>(c)))
            controls.append(c);
    }
    QStringList pairs;
    for (int i = 0; i < controls.size(); ++i) {
        for (int j = i + 1; j < controls.size(); ++j) {
            QWidget* a = controls.at(i);
            QWidget* b = controls.at(j);
            if (a->isAncestorOf(b) || b->isAncestorOf(a))
                continue;
            const QRect ra(a->mapTo(window, QPoint(0, 0)), a->size());
            const QRect rb(b->mapTo(window, QPoint(0, 0)), b->size());
            if (ra.intersects(rb))
                pairs << a->objectName() + QLatin1Char('/') + b->objectName();
        }
    }
    return pairs;
}

FocusTakingPrompt::FocusTakingPrompt()
{
    Prompt::install(this);
}

FocusTakingPrompt::~FocusTakingPrompt()
{
    Prompt::install(nullptr);
}

MsgResult FocusTakingPrompt::show(const Message& message)
{
    titles.append(message.title);
    QWidget* owner = QApplication::activeWindow();
    QDialog box(owner);
    box.setWindowTitle(message.title);
    QTimer::singleShot(50, &box, &QDialog::accept);
    box.exec();
    // The window manager hands the activation back to the owner.
    if (owner)
        owner->activateWindow();
    return message.defaultButton != MsgResult::None ? message.defaultButton : MsgResult::Yes;
}

WindowTestFixture::WindowTestFixture(QDate today)
    : book(today)
{
    Openers::setBook(book.context());
}

WindowTestFixture::~WindowTestFixture()
{
    deleteWindows();
    for (WindowKind kind : m_registered)
        Openers::registerFactory(kind, {});
    Openers::clearBook();
}

void WindowTestFixture::registerFactory(WindowKind kind, Openers::Factory factory)
{
    if (!m_registered.contains(kind))
        m_registered.append(kind);
    Openers::registerFactory(kind, std::move(factory));
}

void WindowTestFixture::deleteWindows()
{
    for (QWidget* w : WindowHost::current().childWindows())
        delete w;
}

} // namespace qb::test
