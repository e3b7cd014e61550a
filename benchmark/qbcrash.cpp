// qbcrash: crash trial of the save. A child process opens a large book and
// saves it again and again, each save with a new mark in the book; the trial
// kills it (SIGKILL) at a random moment and then checks that a whole book is
// on the disk: the file, or failing that its .bak, deciphers and parses, and
// holds the content of the last finished save or of the one the kill cut.
//
//   qbcrash [--transactions 100000] [--kills 500] [--folder DIR] [--seed N]
//
// Linux only (fork and kill). A kill ends the process, not the machine: what
// the page cache holds survives it, so this trial is about the order of the
// save's steps, not about the disk's own write ordering.

#include <cstdio>
#include <random>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "Bench.h"
#include "store/BookFile.h"
#include "store/DataStore.h"

namespace {

using namespace qb;

const QString kMarkPrefix = QStringLiteral("crash-trial ");

// The mark of a book: the number of the save that wrote it, -1 for the book as made.
int markOf(const XmlDocument& doc)
{
    for (const XmlNode& n : doc.selectNodes(QStringLiteral("/Data/Narration/n"))) {
        const QString text = n.text();
        if (text.startsWith(kMarkPrefix))
            return text.mid(kMarkPrefix.size()).toInt();
    }
    return -1;
}

#ifdef Q_OS_LINUX
// Writes the whole of a small message to the pipe.
void tell(int fd, const QByteArray& message)
{
    const ssize_t written = ::write(fd, message.constData(), size_t(message.size()));
    Q_UNUSED(written);
}

// The child: opens the book and saves it with marks from, from + 1, ...,
// telling the parent "s<n>" before each save and "d<n>" after it.
[[noreturn]] void saveForever(const QString& path, int from, int fd)
{
    Book book;
    BookReadOptions options;
    if (ReadBook(path, &book, options).isSet())
        ::_exit(2);
    DataStore store;
    store.adoptDocument(std::move(book.document), path);
    XmlNode mark;
    for (const XmlNode& n : store.NarrationSection().childElements()) {
        if (n.text().startsWith(kMarkPrefix))
            mark = n;
    }
    if (!mark) {
        mark = store.NarrationSection().appendChild(
            store.NarrationSection().createElement(QStringLiteral("n")));
    }
    tell(fd, "r;");
    for (int n = from;; ++n) {
        mark.setText(kMarkPrefix + QString::number(n));
        tell(fd, "s" + QByteArray::number(n) + ';');
        if (!store.SaveDocument())
            ::_exit(3);
        tell(fd, "d" + QByteArray::number(n) + ';');
    }
}

QByteArray readAll(int fd)
{
    QByteArray all;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        all.append(buffer, got);
    }
    return all;
}
#endif

} // namespace

int main(int argc, char** argv)
{
#ifndef Q_OS_LINUX
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    std::fprintf(stderr, "qbcrash: Linux only\n");
    return 2;
#else
    int transactions = 100000;
    int kills = 500;
    QString folder;
    unsigned seed = std::random_device {}();
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        const QString value = i + 1 < argc ? QString::fromLocal8Bit(argv[i + 1]) : QString();
        if (a == QStringLiteral("--transactions")) {
            transactions = value.toInt();
            ++i;
        } else if (a == QStringLiteral("--kills")) {
            kills = value.toInt();
            ++i;
        } else if (a == QStringLiteral("--folder")) {
            folder = value;
            ++i;
        } else if (a == QStringLiteral("--seed")) {
            seed = value.toUInt();
            ++i;
        } else {
            std::fprintf(stderr,
                "usage: qbcrash [--transactions N] [--kills N] [--folder DIR] [--seed N]\n");
            return 2;
        }
    }
    QTemporaryDir temp;
    if (folder.isEmpty())
        folder = temp.path();
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("crash.qbf"));
    const QString backup = path + QStringLiteral(".bak");
    QFile::remove(path);
    QFile::remove(backup);
    QString why;
    if (!bench::writeBook(path, transactions, &why)) {
        std::fprintf(stderr, "qbcrash: %s\n", qPrintable(why));
        return 2;
    }

    // One save's time sets the range of the kill moments.
    QElapsedTimer clock;
    DataStore store;
    {
        Book book;
        ReadBook(path, &book);
        store.adoptDocument(std::move(book.document), path);
        clock.start();
        if (!store.SaveDocument()) {
            std::fprintf(stderr, "qbcrash: the first save failed\n");
            return 2;
        }
    }
    const qint64 saveUs = std::max<qint64>(clock.nsecsElapsed() / 1000, 1000);
    store.CloseDocument();
    std::printf("qbcrash: %d transactions, %.1f MB, one save %.1f ms, %d kills, seed %u\n",
        transactions, double(QFileInfo(path).size()) / 1e6, double(saveUs) / 1000.0, kills, seed);
    std::fflush(stdout);

    std::mt19937 random(seed);
    std::uniform_int_distribution<qint64> moment(0, 3 * saveUs);
    int next = 0;
    int onDisk = -1; // the mark of the book the next child opens
    int whole = 0, onlyBackup = 0, cutNew = 0, failures = 0;
    for (int k = 0; k < kills; ++k) {
        int fds[2];
        if (::pipe(fds) != 0)
            return 2;
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(fds[0]);
            saveForever(path, next, fds[1]);
        }
        ::close(fds[1]);
        char ready = 0;
        // Wait until the child has read the book ("r"), then let it save for a while.
        if (::read(fds[0], &ready, 1) != 1 || ready != 'r') {
            std::fprintf(stderr, "qbcrash: the saving process did not start\n");
            return 2;
        }
        ::usleep(useconds_t(moment(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const QList<QByteArray> events = readAll(fds[0]).split(';');
        ::close(fds[0]);

        int started = onDisk, done = onDisk;
        for (const QByteArray& e : events) {
            if (e.startsWith('s'))
                started = e.mid(1).toInt();
            else if (e.startsWith('d'))
                done = e.mid(1).toInt();
        }
        // The old content is the last finished save; the new one the save the kill cut.
        const int oldMark = done;
        const int newMark = started;
        Book book;
        QString problem;
        if (QFileInfo::exists(path)) {
            const BookError e = ReadBook(path, &book);
            if (e.isSet())
                problem = e.line();
            else if (const int m = markOf(book.document); m != oldMark && m != newMark)
                problem = QStringLiteral("the book holds save %1, not %2 or %3")
                              .arg(m)
                              .arg(oldMark)
                              .arg(newMark);
            else {
                if (m == newMark && newMark != oldMark)
                    ++cutNew;
                onDisk = m;
            }
            ++whole;
        } else {
            const BookError e = ReadBook(backup, &book);
            if (e.isSet())
                problem = QStringLiteral("no book, and its backup: ") + e.line();
            else if (const int m = markOf(book.document); m != oldMark)
                problem = QStringLiteral("no book, and the backup holds save %1, not %2")
                              .arg(m)
                              .arg(oldMark);
            // Restored as the user would, so that the next round has a book to open.
            QFile::copy(backup, path);
            onDisk = oldMark;
            ++onlyBackup;
        }
        if (!problem.isEmpty()) {
            ++failures;
            std::printf("kill %d: %s\n", k + 1, qPrintable(problem));
        }
        next = std::max(started, done) + 1;
        if ((k + 1) % 50 == 0) {
            std::printf("%d kills: book whole %d, only the backup %d, failures %d\n", k + 1, whole,
                onlyBackup, failures);
            std::fflush(stdout);
        }
    }
    const QStringList leftovers
        = QDir(folder).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden);
    std::printf("qbcrash: %d kills, %d saves finished; book whole after %d (the cut save already "
                "in place %d), "
                "only the backup after %d; failures %d; temporary files left %lld\n",
        kills, next, whole, cutNew, onlyBackup, failures, qlonglong(leftovers.size()));
    return failures == 0 ? 0 : 1;
#endif
}
