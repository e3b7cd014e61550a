#pragma once

// The one notice every data window hears after a change to the book: which
// kinds of records changed, which window made the change (it shows it
// already), and the groups that were renamed. A window that saves announces
// the change; the notice goes out once the event loop runs again, after the
// save has returned, with the changes made meanwhile told together. The
// store knows nothing of it: it stays free of windows.

#include <functional>
#include <vector>

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

namespace qb {

struct BookChange
{
    enum Kind {
        Accounts = 0x1,
        Groups = 0x2,
        DateRanges = 0x4,
        Transactions = 0x8,
        Masters = Accounts | Groups | DateRanges,
    };
    int kinds = 0;
    // The window that made every change told here; nullptr when several did.
    const QObject* source = nullptr;
    // Old name -> new name of each group renamed.
    QHash<QString, QString> renamedGroups;

    bool has(int kind) const { return (kinds & kind) != 0; }
    // The group's name now: its new name after a rename, else the name itself.
    QString groupNow(const QString& name) const { return renamedGroups.value(name, name); }
};

class BookChanges final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BookChanges)

public:
    static BookChanges& instance();

    // Queues a change made by source (the window that shows it already).
    void announce(int kinds, const QObject* source);
    void announceGroupRename(const QString& from, const QString& to, const QObject* source);
    // Sends what is queued now (the benchmark; tests wait for the event loop).
    void deliver();
    bool isPending() const { return m_pending.kinds != 0; }

    // Work of a window's coming refresh that only reads the book (no
    // widgets, no messages), handed in while a change is delivered: the
    // work of every window runs on every core at once before the delivery
    // ends, and each window uses its result when it refreshes.
    void prepare(std::function<void()> work);
    // How many changes were announced so far: prepared work serves only
    // while no other change has come since.
    quint64 announced() const { return m_announced; }

Q_SIGNALS:
    void changed(const qb::BookChange& change);

private:
    BookChanges();
    void queue(int kinds, const QObject* source);

    BookChange m_pending;
    bool m_hasSource = false;
    quint64 m_announced = 0;
    std::vector<std::function<void()>> m_preparations;
    QTimer m_timer;
};

// BookChanges::instance().announce(kinds, source)
void AnnounceBookChange(int kinds, const QObject* source);

} // namespace qb
