#include "shell/UndoCommands.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>

#include "store/DataStore.h"
#include "store/UiServices.h"
#include "windows/BookChanges.h"

namespace qb {

namespace {

int changeKinds(const QStringList& sections)
{
    int kinds = 0;
    for (const QString& s : sections) {
        if (s == QStringLiteral("AcMaster"))
            kinds |= BookChange::Accounts;
        else if (s == QStringLiteral("Groups"))
            kinds |= BookChange::Groups;
        else if (s == QStringLiteral("DateRanges"))
            kinds |= BookChange::DateRanges;
        else // Trans, the bin, and Data itself when the bin came or went
            kinds |= BookChange::Transactions;
    }
    return kinds;
}

bool apply(DataStore& store, bool redo)
{
    if (!store.hasDocument() || store.refuseChange())
        return false;
    UndoHistory& history = store.history();
    const UndoHistory::Outcome outcome
        = redo ? history.redo(store.document()) : history.undo(store.document());
    const QString verb = redo ? QStringLiteral("redo") : QStringLiteral("undo");
    switch (outcome.kind) {
    case UndoHistory::Outcome::Nothing:
        return false;
    case UndoHistory::Outcome::Refused:
        MsgBox(QStringLiteral("Cannot ") + verb + QLatin1Char(' ') + outcome.caption
                + QStringLiteral(": the records it would put back have been changed since.")
                + QStringLiteral("\r\nThe book is left as it is."),
            MsgIcon::Exclamation, redo ? QStringLiteral("Redo") : QStringLiteral("Undo"));
        return false;
    case UndoHistory::Outcome::Done:
        break;
    }
    // A failed save has been reported by the store; the book in memory is
    // as the undo left it and goes out with the next save.
    const bool saved = store.SaveDocument();
    Q_UNUSED(saved);
    // Every window looks again, the one that made the change too.
    AnnounceBookChange(changeKinds(outcome.sections), nullptr);
    return true;
}

} // namespace

QString UndoMenuCaption(DataStore& store)
{
    const QString caption = store.history().undoCaption();
    return caption.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + caption;
}

QString RedoMenuCaption(DataStore& store)
{
    const QString caption = store.history().redoCaption();
    return caption.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + caption;
}

bool UndoBookChange(DataStore& store)
{
    return apply(store, false);
}

bool RedoBookChange(DataStore& store)
{
    return apply(store, true);
}

bool UndoKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    // A date box or an editable combo box passes the keys to its own text box.
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit && (qobject_cast<QAbstractSpinBox*>(watched) || qobject_cast<QComboBox*>(watched)))
        edit = watched->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
    if (!edit || edit->isReadOnly())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    const bool undo = key->matches(QKeySequence::Undo);
    const bool redo = key->matches(QKeySequence::Redo)
        || pressed == QKeySequence(Qt::CTRL | Qt::Key_Y)
        || pressed == QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    // The box claims these keys for itself even with nothing to undo: passed
    // on unclaimed, they reach the menu's Undo and Redo.
    if ((undo && !edit->isUndoAvailable()) || (redo && !edit->isRedoAvailable())) {
        key->ignore();
        return true;
    }
    return false;
}

} // namespace qb
