#pragma once

// The Transaction menu's Undo and Redo: the last change of the open book
// reversed (or repeated) in the document, saved at once like any change,
// and told to every window; a step the book no longer matches is refused
// with a message. The key filter lets a text box undo its own typing first.

#include <QObject>
#include <QString>

namespace qb {

class DataStore;

// "Undo delete of transaction 3 on 07-12-2026"; "Undo" when there is nothing to undo.
QString UndoMenuCaption(DataStore& store);
QString RedoMenuCaption(DataStore& store);

// True when the book changed (and was saved, or the store said why not).
bool UndoBookChange(DataStore& store);
bool RedoBookChange(DataStore& store);

// Installed on the application: Ctrl+Z (Ctrl+Y, Ctrl+Shift+Z) reaches the
// book's undo (redo) from a text box only when the box has no typing of its
// own left to undo (redo).
class UndoKeyFilter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UndoKeyFilter)

public:
    explicit UndoKeyFilter(QObject* parent = nullptr)
        : QObject(parent)
    { }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace qb
