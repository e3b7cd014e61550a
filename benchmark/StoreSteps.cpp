// Open and save through the store, beside the same work done bare with
// libxml2, a byte loop and stdio: the floor the store is measured against.

#include <cstdio>
#include <memory>

#include <QFile>

#include <libxml/parser.h>
#include <libxml/tree.h>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "Bench.h"
#include "store/BookEdits.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/DeletedTransactions.h"
#include "store/Schedules.h"

namespace bench {

namespace {

struct DocFree
{
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

struct BareState
{
    DocPtr doc;
};

void bareXor(char* data, size_t size, const QByteArray& key)
{
    const size_t k = size_t(key.size());
    for (size_t i = 0, j = 0; i < size; ++i) {
        data[i] = char(data[i] ^ key[qsizetype(j)]);
        if (++j == k)
            j = 0;
    }
}

// Read, decipher, parse: what any reader of a data file has to do.
DocPtr bareOpen(const QString& path)
{
    std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!f)
        return nullptr;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    std::unique_ptr<char[]> buffer(new char[size_t(size)]);
    const size_t got = std::fread(buffer.get(), 1, size_t(size), f);
    std::fclose(f);
    if (got != size_t(size))
        return nullptr;
    bareXor(buffer.get(), got, qb::DataFileKey());
    return DocPtr(xmlReadMemory(buffer.get(), int(got), nullptr, nullptr, XML_PARSE_HUGE));
}

// Serialize, encipher, write; with a backup, the new file is written beside
// the old one, which then becomes the backup as the store's save does.
bool bareSave(xmlDoc* doc, const QString& path, bool sync, bool backup)
{
    if (backup) {
        const QString temp = path + QStringLiteral(".new");
        if (!bareSave(doc, temp, sync, false))
            return false;
        const QByteArray bak = QFile::encodeName(path + QStringLiteral(".bak"));
        const QByteArray file = QFile::encodeName(path);
        std::remove(bak.constData());
        std::rename(file.constData(), bak.constData());
        return std::rename(QFile::encodeName(temp).constData(), file.constData()) == 0;
    }
    xmlChar* mem = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &mem, &size);
    if (!mem)
        return false;
    bareXor(reinterpret_cast<char*>(mem), size_t(size), qb::DataFileKey());
    std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "wb");
    bool ok = f && std::fwrite(mem, 1, size_t(size), f) == size_t(size);
    xmlFree(mem);
    if (f) {
        ok = std::fflush(f) == 0 && ok;
#ifdef Q_OS_UNIX
        if (sync)
            ok = ::fsync(fileno(f)) == 0 && ok;
#else
        Q_UNUSED(sync);
#endif
        ok = std::fclose(f) == 0 && ok;
    }
    return ok;
}

bool openCopyInStore(Context& c, QString* why)
{
    const QString copy = c.folder + QStringLiteral("/save.qbf");
    QFile::remove(copy);
    QFile::remove(copy + QStringLiteral(".bak"));
    if (!QFile::copy(c.book, copy)) {
        *why = QStringLiteral("cannot copy the book");
        return false;
    }
    qb::DataStore& store = bench::bookStore();
    store.setHost(nullptr);
    if (!store.OpenDataFile(copy)) {
        *why = QStringLiteral("the store does not open the book");
        return false;
    }
    return true;
}

Step storeSave(const QString& name, bool sync)
{
    return Step {name,
        sync
            ? QStringList {QStringLiteral("bare-save-fsync"), QStringLiteral("bare-save-bak-fsync")}
            : QStringList {QStringLiteral("bare-save"), QStringLiteral("bare-save-bak")},
        sync ? QStringLiteral(
            "SaveDocument: serialize, encipher, write a synced temporary file, rotate to .bak")
             : QStringLiteral("SaveDocument without waiting for the disk (no fsync)"),
        [sync](Context& c, QString* why) {
            bench::bookStore().setSyncOnSave(sync);
            return openCopyInStore(c, why);
        },
        {}, [](Context&) { return bench::bookStore().SaveDocument(); }};
}

Step bareSaveStep(const QString& name, bool sync, bool backup)
{
    return Step {name, {},
        QStringLiteral("bare: xmlDocDumpMemory, byte-loop XOR, fwrite")
            + (sync ? QStringLiteral(", fsync") : QString())
            + (backup ? QStringLiteral(", old file renamed to .bak") : QString()),
        [](Context& c, QString* why) {
            auto state = std::make_shared<BareState>();
            state->doc = bareOpen(c.book);
            if (!state->doc) {
                *why = QStringLiteral("libxml2 does not parse the book");
                return false;
            }
            c.state = state;
            return true;
        },
        {},
        [sync, backup](Context& c) {
            auto* state = static_cast<BareState*>(c.state.get());
            return bareSave(state->doc.get(), c.folder + QStringLiteral("/bare.qbf"), sync, backup);
        }};
}

} // namespace

std::vector<Step> storeSteps()
{
    std::vector<Step> steps;
    steps.push_back(Step {QStringLiteral("store-open"), {QStringLiteral("bare-open")},
        QStringLiteral("OpenDataFile: read, decipher, parse, repair, handles (no window host)"),
        [](Context&, QString*) {
            bench::bookStore().setHost(nullptr);
            return true;
        },
        [](Context&) { bench::bookStore().CloseDocument(); },
        [](Context& c) { return bench::bookStore().OpenDataFile(c.book); }});
    steps.push_back(Step {QStringLiteral("bare-open"), {},
        QStringLiteral("bare: fread, byte-loop XOR, xmlReadMemory"),
        [](Context& c, QString*) {
            c.state = std::make_shared<BareState>();
            return true;
        },
        [](Context& c) { static_cast<BareState*>(c.state.get())->doc.reset(); },
        [](Context& c) {
            auto* state = static_cast<BareState*>(c.state.get());
            state->doc = bareOpen(c.book);
            return state->doc != nullptr;
        }});
    steps.push_back(Step {QStringLiteral("narrations"), {QStringLiteral("store-open")},
        QStringLiteral("RecentNarrations: the entry window's Details list, one walk"),
        [](Context& c, QString* why) {
            bench::bookStore().setHost(nullptr);
            if (bench::bookStore().OpenDataFile(c.book))
                return true;
            *why = QStringLiteral("the book does not open");
            return false;
        },
        [](Context&) {},
        [](Context&) {
            const qb::DataStore& store = bench::bookStore();
            return !qb::RecentNarrations(store.TransSection(), store.NarrationSection()).isEmpty();
        }});
    steps.push_back(storeSave(QStringLiteral("store-save"), true));
    steps.push_back(bareSaveStep(QStringLiteral("bare-save-fsync"), true, false));
    steps.push_back(bareSaveStep(QStringLiteral("bare-save-bak-fsync"), true, true));
    steps.push_back(storeSave(QStringLiteral("store-save-nosync"), false));
    steps.push_back(bareSaveStep(QStringLiteral("bare-save"), false, false));
    steps.push_back(bareSaveStep(QStringLiteral("bare-save-bak"), false, true));
    // Undo keeps the records a change touched, never the document: a delete
    // in the middle of the book and its undo cost a walk, not a copy.
    // The middle transaction is found before the timed run: the figure is the
    // delete (or its undo) alone.
    struct Target
    {
        qb::XmlNode node;
    };
    auto findMiddle = [](Context& c) {
        const qb::XmlNode trans = bench::bookStore().TransSection();
        auto target = std::make_shared<Target>();
        target->node = trans.childElement(int(trans.childElements().size() / 2));
        c.state = target;
    };
    auto deleteTarget = [](Context& c) {
        qb::DataStore& store = bench::bookStore();
        qb::DeleteTransaction(store.document(), static_cast<Target*>(c.state.get())->node,
            QDateTime::currentDateTime(), &store.history());
    };
    steps.push_back(Step {QStringLiteral("delete-to-bin"), {},
        QStringLiteral("DeleteTransaction of the middle transaction into the bin, recorded for "
                       "undo (no save)"),
        [](Context& c, QString* why) { return openCopyInStore(c, why); },
        [findMiddle](Context& c) {
            qb::DataStore& store = bench::bookStore();
            store.history().undo(store.document());
            findMiddle(c);
        },
        [deleteTarget](Context& c) {
            deleteTarget(c);
            return bench::bookStore().history().canUndo();
        }});
    steps.push_back(Step {QStringLiteral("undo-delete"), {},
        QStringLiteral("UndoHistory::undo of that delete: the transaction back in its place, out "
                       "of the bin (no save)"),
        [](Context& c, QString* why) { return openCopyInStore(c, why); },
        [findMiddle, deleteTarget](Context& c) {
            findMiddle(c);
            deleteTarget(c);
        },
        [](Context&) {
            qb::DataStore& store = bench::bookStore();
            return store.history().undo(store.document()).kind == qb::UndoHistory::Outcome::Done;
        }});
    steps.push_back(Step {QStringLiteral("due-on-open"), {QStringLiteral("store-open")},
        QStringLiteral("200 schedules, 50 of them due today: the due ones found and entered as "
                       "one undo step, as after opening the book (no save)"),
        [](Context& c, QString* why) {
            if (!openCopyInStore(c, why))
                return false;
            qb::DataStore& store = bench::bookStore();
            const QDate today = QDate::currentDate();
            for (int i = 0; i < 200; ++i) {
                qb::Schedule s;
                s.from = 1 + i % 2;
                s.to = 3;
                s.narration = QStringLiteral("Schedule ") + QString::number(i);
                s.amount = qb::Money::fromUnits(10000 * (i + 1));
                // Every fourth is due today (monthly, its first date today);
                // the others start next month.
                s.first = i % 4 == 0 ? today : today.addMonths(1);
                s.automatic = i % 8 == 0;
                qb::AddSchedule(store.document(), s);
            }
            return true;
        },
        [](Context&) {
            qb::DataStore& store = bench::bookStore();
            if (store.history().canUndo())
                store.history().undo(store.document());
        },
        [](Context&) {
            qb::DataStore& store = bench::bookStore();
            const QList<qb::Occurrence> due
                = qb::DueOccurrences(qb::ReadSchedules(store.document()), QDate::currentDate());
            return due.size() == 50
                && qb::ApplyDueDecisions(
                       store.document(), qb::EnterAsTheyStand(due), &store.history())
                       .entered.size()
                == 50;
        }});
    return steps;
}

} // namespace bench
