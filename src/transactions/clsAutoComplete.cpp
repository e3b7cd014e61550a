#include "transactions/clsAutoComplete.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace qb {

clsAutoComplete::clsAutoComplete(QObject* parent)
    : QObject(parent)
{ }

clsAutoComplete::~clsAutoComplete()
{
    setLinkedComboBox(nullptr);
}

void clsAutoComplete::setLinkedComboBox(QComboBox* cboTargetComboBox)
{
    // Keys reach the line edit either through the box (which hands them on
    // without event filters) or directly: both are watched.
    if (m_memCBO) {
        m_memCBO->removeEventFilter(this);
        if (m_memCBO->lineEdit())
            m_memCBO->lineEdit()->removeEventFilter(this);
    }
    m_memCBO = cboTargetComboBox;
    if (m_memCBO) {
        m_memCBO->installEventFilter(this);
        if (m_memCBO->lineEdit())
            m_memCBO->lineEdit()->installEventFilter(this);
    }
}

bool clsAutoComplete::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease && m_memCBO
        && (watched == m_memCBO || watched == m_memCBO->lineEdit())) {
        memCBO_KeyUp(static_cast<QKeyEvent*>(event)->key());
    }
    return QObject::eventFilter(watched, event);
}

void clsAutoComplete::memCBO_KeyUp(int key)
{
    // Keys that move, shorten or leave the text alone do not complete, so that
    // the user can take back a completion with Backspace.
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Escape:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Insert:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return;
    default:
        if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
            return;
    }
    QLineEdit* edit = m_memCBO->lineEdit();
    if (!edit)
        return;
    m_savedStart = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    m_savedLength = int(edit->selectedText().size());
    m_savedText = edit->text();

    m_foundIndex = FindInList(m_savedText, -1, false);
    if (m_foundIndex < 0) {
        ShowDropdown(false);
        if (edit->text() != m_savedText)
            edit->setText(m_savedText);
        if (m_savedLength > 0)
            edit->setSelection(m_savedStart, m_savedLength);
        else
            edit->setCursorPosition(m_savedStart);
        return;
    }
    ShowDropdown(true);
    m_memCBO->setCurrentIndex(m_foundIndex);
    // The typed letters stay as typed (their case too); only the rest of the
    // entry is added after them.
    const QString completed
        = m_savedText + m_memCBO->itemText(m_foundIndex).mid(m_savedText.size());
    edit->setText(completed);
    const int start = std::min<int>(m_savedStart, int(completed.size()));
    // Everything after what the user typed is selected, so the next key replaces it.
    edit->setSelection(start, int(completed.size()) - start);
}

int clsAutoComplete::FindInList(const QString& text, int start, bool exact) const
{
    if (!m_memCBO)
        return -1;
    // An empty text matches nothing: the list's prefix search finds no entry for it.
    if (text.isEmpty() && !exact)
        return -1;
    const int count = m_memCBO->count();
    for (int i = start + 1; i < count; ++i) {
        const QString item = m_memCBO->itemText(i);
        const bool match = exact ? item.compare(text, Qt::CaseInsensitive) == 0
                                 : item.startsWith(text, Qt::CaseInsensitive);
        if (match)
            return i;
    }
    return -1;
}

void clsAutoComplete::ShowDropdown(bool open)
{
    if (!m_autoDropdown || !m_memCBO)
        return;
    if (open)
        m_memCBO->showPopup();
    else
        m_memCBO->hidePopup();
}

} // namespace qb
