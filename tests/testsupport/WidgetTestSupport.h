#pragma once

// Helpers of the window tests: typing and keys into whatever has the focus,
// clicks on the text and links of a report page, message boxes that take the
// focus as real ones do, and the check that a window's controls stay apart.

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <Qt>

#include "UiServices.h"

class QWidget;

namespace qb {
class HtmlView;
}

namespace qb::test {

// Types text into, or presses a key on, the widget that has the focus.
void typeText(const QString& text);
void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// A point inside the first occurrence of text on the page (null when absent).
QPoint pointOfText(HtmlView* view, const QString& text);
// Clicks the first occurrence of text; false when the page does not show it.
bool clickText(HtmlView* view, const QString& text);
// Clicks the link whose href is exactly href; false when there is none.
bool clickLink(HtmlView* view, const QString& href);

// Makes w the active window and waits until it is.
bool activate(QWidget* w);

// The pairs ("a/b" by object name) of visible labels, boxes and buttons of
// a window that overlap one another.
QStringList overlappingControls(QWidget* window);

// Message boxes that are real modal windows for a moment: each takes the
// activation from the window that was active and hands it back when it
// closes, as the program's boxes and the window manager do. Answers the
// default button (Yes or Ok without one) and records the titles.
class FocusTakingPrompt final : public Prompt
{
public:
    FocusTakingPrompt();
    ~FocusTakingPrompt() override;
    MsgResult show(const Message& message) override;
    QStringList titles;
};

} // namespace qb::test
