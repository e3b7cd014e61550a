#include "windows/BookChanges.h"

#include "store/Parallel.h"

namespace qb {

BookChanges& BookChanges::instance()
{
    static BookChanges* changes = new BookChanges; // lives until the program ends
    return *changes;
}

BookChanges::BookChanges()
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &BookChanges::deliver);
}

void BookChanges::queue(int kinds, const QObject* source)
{
    ++m_announced;
    if (!m_hasSource) {
        m_pending.source = source;
        m_hasSource = true;
    } else if (m_pending.source != source) {
        m_pending.source = nullptr; // several windows: every window looks again
    }
    m_pending.kinds |= kinds;
    m_timer.start();
}

void BookChanges::announce(int kinds, const QObject* source)
{
    if (kinds != 0)
        queue(kinds, source);
}

void BookChanges::announceGroupRename(const QString& from, const QString& to, const QObject* source)
{
    if (from != to) {
        // A group renamed twice before the notice is told by its first and last names.
        for (auto it = m_pending.renamedGroups.begin(); it != m_pending.renamedGroups.end(); ++it) {
            if (it.value() == from)
                it.value() = to;
        }
        if (!m_pending.renamedGroups.contains(from))
            m_pending.renamedGroups.insert(from, to);
    }
    queue(BookChange::Groups, source);
}

void BookChanges::deliver()
{
    m_timer.stop();
    if (m_pending.kinds == 0)
        return;
    const BookChange change = m_pending;
    m_pending = BookChange();
    m_hasSource = false;
    Q_EMIT changed(change);
    // The windows handed in their reading of the book while they heard the
    // change; nothing changes the book until all of it is done.
    std::vector<std::function<void()>> work;
    work.swap(m_preparations);
    RunOnEveryCore(qsizetype(work.size()), [&work]() -> std::function<void(qsizetype)> {
        return [&work](qsizetype i) { work[std::size_t(i)](); };
    });
}

void BookChanges::prepare(std::function<void()> work)
{
    if (work)
        m_preparations.push_back(std::move(work));
}

void AnnounceBookChange(int kinds, const QObject* source)
{
    BookChanges::instance().announce(kinds, source);
}

} // namespace qb
