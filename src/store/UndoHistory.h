#pragma once

// The undo history of the open book: each step is the records one change
// touched, with each record's markup before and after, never a copy of the
// document. Undo puts the "before" markup back, redo the "after"; a record
// that is no longer as the step left it is never overwritten. The edit
// routines feed it; the caller saves the book after an undo or redo as after
// any change.

#include <QList>
#include <QString>
#include <QStringList>

#include "store/Xml.h"

namespace qb {

// One record added, removed or changed. The record is found by its section
// (a child of Data by name; empty for Data itself) and its place counted
// from the section's last element (0 is the last), which new records and the
// pruning of old bin entries at the front leave as they are.
struct RecordChange
{
    QString section;
    int fromEnd = 0;
    QString before; // markup; empty: the record was not there
    QString after; // markup; empty: the record was removed
};

struct UndoStep
{
    QString caption; // "delete of transaction 3 on 07-12-2026"
    QList<RecordChange> changes; // in the order they were made
    // The sections the step touches, for the windows to look again.
    QStringList sections() const;
};

class UndoHistory final
{
public:
    static constexpr int kDefaultLimit = 100;

    // Steps kept; the oldest go first. At least 1.
    void setLimit(int steps);
    int limit() const { return m_limit; }

    bool canUndo() const { return !m_done.isEmpty(); }
    bool canRedo() const { return !m_undone.isEmpty(); }
    // The caption of the step undo (redo) would reverse (repeat); empty when none.
    QString undoCaption() const;
    QString redoCaption() const;
    int undoCount() const { return int(m_done.size()); }
    int redoCount() const { return int(m_undone.size()); }

    // Adds a step (a new change): the redo steps are dropped. Inside a group
    // the changes join the group's step. A step without changes is ignored.
    void add(UndoStep step);
    // Several edits made one step (a statement import): every step added
    // until the matching endGroup joins one step with this caption. Groups
    // nest; the outermost caption counts.
    void beginGroup(const QString& caption);
    void endGroup();
    bool inGroup() const { return m_groupDepth > 0; }

    struct Outcome
    {
        enum Kind { Nothing, Done, Refused };
        Kind kind = Nothing;
        QString caption;
        QStringList sections; // touched, when done
    };
    // Reverses the last step on document. Refused (document unchanged) when
    // a record is no longer as the step left it: that step and the older
    // ones are dropped, as they lie behind a change the history cannot reverse.
    Outcome undo(XmlDocument& document);
    // Repeats the last undone step, refused in the same way.
    Outcome redo(XmlDocument& document);
    // Reverses the last step and forgets it: a window whose change could not
    // be saved puts the book back as it was.
    bool revertLast(XmlDocument& document);

    void clear();

private:
    QList<UndoStep> m_done;
    QList<UndoStep> m_undone;
    UndoStep m_group;
    int m_groupDepth = 0;
    int m_limit = kDefaultLimit;
};

// Records the changes of one edit and adds them to a history as one step
// when it goes out of scope. With no history it records nothing, so the
// edit routines work the same without one.
class UndoRecorder final
{
public:
    UndoRecorder(UndoHistory* history, QString caption);
    ~UndoRecorder();
    UndoRecorder(const UndoRecorder&) = delete;
    UndoRecorder& operator=(const UndoRecorder&) = delete;

    void setCaption(const QString& caption) { m_step.caption = caption; }
    bool isRecording() const { return m_history != nullptr; }
    // The edit changed nothing after all: no step is added.
    void discard() { m_step.changes.clear(); }

    // Just added (linked in its section).
    void inserted(const XmlNode& record);
    // About to be removed.
    void removing(const XmlNode& record);
    // About to be changed in place, then changed: each changing() is
    // completed by the changed() that follows it.
    void changing(const XmlNode& record);
    void changed(const XmlNode& record);

private:
    UndoHistory* m_history;
    UndoStep m_step;
    int m_open = -1; // the change waiting for changed()
};

// Dates in captions: "07-12-2026" for a document date.
QString CaptionDate(int docDate);

} // namespace qb
