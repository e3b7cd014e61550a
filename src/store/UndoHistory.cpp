#include "store/UndoHistory.h"

#include <utility>

#include "store/Utilities.h"

namespace qb {

namespace {

XmlNode sectionOf(const XmlDocument& document, const QString& name)
{
    const XmlNode root = document.documentElement();
    if (name.isEmpty() || !root)
        return root;
    for (XmlNode child = root.firstChildElement(); child; child = child.nextSiblingElement()) {
        if (child.name() == name)
            return child;
    }
    return {};
}

// The element that has fromEnd elements after it, or null.
XmlNode elementFromEnd(const XmlNode& section, int fromEnd)
{
    XmlNode node = section.lastChildElement();
    for (int i = 0; node && i < fromEnd; ++i)
        node = node.previousSiblingElement();
    return node;
}

int countAfter(const XmlNode& record)
{
    int n = 0;
    for (XmlNode next = record.nextSiblingElement(); next; next = next.nextSiblingElement())
        ++n;
    return n;
}

QString sectionNameOf(const XmlNode& record)
{
    const XmlNode parent = record.parent();
    // A child of Data is itself a section: its section is Data ("").
    return parent.parent().isElement() ? parent.name() : QString();
}

// Puts the record from `from` to `to` at its place: false, with nothing
// changed, when the section does not hold `from` there.
bool applyChange(XmlDocument& document, const QString& sectionName, int fromEnd,
    const QString& from, const QString& to)
{
    XmlNode section = sectionOf(document, sectionName);
    if (!section)
        return false;
    XmlNode current;
    if (!from.isEmpty()) {
        current = elementFromEnd(section, fromEnd);
        if (!current || current.xml() != from)
            return false;
    }
    XmlNode added;
    if (!to.isEmpty()) {
        XmlDocument parsed;
        if (!parsed.loadXml(to))
            return false;
        // Placed so that fromEnd elements follow it: before the one that now
        // has fromEnd - 1 after it (or in place of the one it replaces).
        XmlNode reference = current;
        if (!reference && fromEnd > 0) {
            reference = elementFromEnd(section, fromEnd - 1);
            if (!reference)
                return false;
        }
        added = section.appendCopy(parsed.documentElement());
        if (reference)
            section.insertBefore(added, reference);
    }
    if (current)
        section.removeChild(current);
    return true;
}

// Applies the step forwards (redo) or backwards (undo); on a refusal the
// changes made so far are taken back, so the document is as it was.
bool applyStep(XmlDocument& document, const UndoStep& step, bool forwards)
{
    const qsizetype n = step.changes.size();
    for (qsizetype k = 0; k < n; ++k) {
        const RecordChange& c = step.changes.at(forwards ? k : n - 1 - k);
        const QString& from = forwards ? c.before : c.after;
        const QString& to = forwards ? c.after : c.before;
        if (applyChange(document, c.section, c.fromEnd, from, to))
            continue;
        for (qsizetype j = k - 1; j >= 0; --j) {
            const RecordChange& b = step.changes.at(forwards ? j : n - 1 - j);
            applyChange(document, b.section, b.fromEnd, forwards ? b.after : b.before,
                forwards ? b.before : b.after);
        }
        return false;
    }
    return true;
}

} // namespace

QStringList UndoStep::sections() const
{
    QStringList names;
    for (const RecordChange& c : changes) {
        if (!names.contains(c.section))
            names.append(c.section);
    }
    return names;
}

void UndoHistory::setLimit(int steps)
{
    m_limit = qMax(1, steps);
    while (m_done.size() > m_limit)
        m_done.removeFirst();
}

QString UndoHistory::undoCaption() const
{
    return m_done.isEmpty() ? QString() : m_done.last().caption;
}

QString UndoHistory::redoCaption() const
{
    return m_undone.isEmpty() ? QString() : m_undone.last().caption;
}

void UndoHistory::add(UndoStep step)
{
    if (step.changes.isEmpty())
        return;
    if (m_groupDepth > 0) {
        m_group.changes.append(step.changes);
        return;
    }
    m_undone.clear();
    m_done.append(std::move(step));
    while (m_done.size() > m_limit)
        m_done.removeFirst();
}

void UndoHistory::beginGroup(const QString& caption)
{
    if (m_groupDepth++ == 0)
        m_group = UndoStep {caption, {}};
}

void UndoHistory::endGroup()
{
    if (m_groupDepth == 0 || --m_groupDepth > 0)
        return;
    add(std::exchange(m_group, UndoStep()));
}

UndoHistory::Outcome UndoHistory::undo(XmlDocument& document)
{
    Outcome outcome;
    if (m_done.isEmpty() || m_groupDepth > 0)
        return outcome;
    outcome.caption = m_done.last().caption;
    if (!applyStep(document, m_done.last(), false)) {
        outcome.kind = Outcome::Refused;
        m_done.clear();
        return outcome;
    }
    outcome.kind = Outcome::Done;
    outcome.sections = m_done.last().sections();
    m_undone.append(m_done.takeLast());
    return outcome;
}

UndoHistory::Outcome UndoHistory::redo(XmlDocument& document)
{
    Outcome outcome;
    if (m_undone.isEmpty() || m_groupDepth > 0)
        return outcome;
    outcome.caption = m_undone.last().caption;
    if (!applyStep(document, m_undone.last(), true)) {
        outcome.kind = Outcome::Refused;
        m_undone.clear();
        return outcome;
    }
    outcome.kind = Outcome::Done;
    outcome.sections = m_undone.last().sections();
    m_done.append(m_undone.takeLast());
    return outcome;
}

bool UndoHistory::revertLast(XmlDocument& document)
{
    if (m_done.isEmpty() || !applyStep(document, m_done.last(), false))
        return false;
    m_done.removeLast();
    return true;
}

void UndoHistory::clear()
{
    m_done.clear();
    m_undone.clear();
    m_group = UndoStep();
    m_groupDepth = 0;
}

UndoRecorder::UndoRecorder(UndoHistory* history, QString caption)
    : m_history(history)
{
    m_step.caption = std::move(caption);
}

UndoRecorder::~UndoRecorder()
{
    if (m_history)
        m_history->add(std::move(m_step));
}

void UndoRecorder::inserted(const XmlNode& record)
{
    if (m_history && record)
        m_step.changes.append({sectionNameOf(record), countAfter(record), {}, record.xml()});
}

void UndoRecorder::removing(const XmlNode& record)
{
    if (m_history && record)
        m_step.changes.append({sectionNameOf(record), countAfter(record), record.xml(), {}});
}

void UndoRecorder::changing(const XmlNode& record)
{
    if (!m_history || !record)
        return;
    m_open = int(m_step.changes.size());
    m_step.changes.append({sectionNameOf(record), countAfter(record), record.xml(), {}});
}

void UndoRecorder::changed(const XmlNode& record)
{
    if (!m_history || m_open < 0)
        return;
    RecordChange& c = m_step.changes[m_open];
    c.after = record.xml();
    if (c.after == c.before)
        m_step.changes.removeAt(m_open); // nothing to undo
    m_open = -1;
}

QString CaptionDate(int docDate)
{
    return DocDateToDate(docDate).toString(QStringLiteral("dd-MM-yyyy"));
}

} // namespace qb
