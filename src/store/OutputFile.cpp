#include "store/OutputFile.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_LINUX
#include <csignal>
#include <ctime>
#include <pthread.h>
#endif

namespace qb {

namespace {

// The number reported with every output that cannot be written: the file
// access error of the message boxes.
constexpr int kOutputError = 75;

bool failed(Error* error, const QString& description)
{
    if (error) {
        error->number = kOutputError;
        error->description = description;
    }
    return false;
}

#ifdef Q_OS_LINUX
// A reader of a FIFO or socket that goes away makes a write raise SIGPIPE,
// which ends the process. Held back on this thread while writing, the write
// fails with EPIPE instead; a signal raised meanwhile is taken away unseen.
class PipeSignalHeld final
{
public:
    PipeSignalHeld()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
    }
    ~PipeSignalHeld()
    {
        sigset_t pending;
        sigpending(&pending);
        if (!m_wasPending && sigismember(&pending, SIGPIPE) == 1) {
            const timespec now {0, 0};
            sigtimedwait(&m_pipe, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    PipeSignalHeld(const PipeSignalHeld&) = delete;
    PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_previous;
    bool m_wasPending = false;
};
#endif

// A device, FIFO or socket: it stays what it is, so it is written in place.
bool writeInPlace(const QString& path, const QList<QByteArray>& pieces, Error* error)
{
#ifdef Q_OS_LINUX
    const PipeSignalHeld held;
#endif
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(error, file.errorString());
    // A pipe may take part of the bytes and fail only on the next write,
    // which then gives the reason.
    for (const QByteArray& bytes : pieces) {
        for (qint64 done = 0; done < bytes.size();) {
            const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
            if (written <= 0) {
                const QString why = file.errorString();
                file.close();
                return failed(error, why);
            }
            done += written;
        }
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        return failed(error, file.errorString());
    return true;
}

// A regular file: whole or not at all. QSaveFile::commit() does not report a
// final flush that fails on a full disk (Qt 6.4 gives an empty file and
// success for a small output), so the flush is made and checked first.
bool writeReplacing(const QString& path, const QList<QByteArray>& pieces, Error* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(error, file.errorString());
    const bool written = std::all_of(pieces.begin(), pieces.end(),
        [&file](const QByteArray& bytes) { return file.write(bytes) == bytes.size(); });
    if (!written || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return failed(error, why);
    }
    if (!file.commit())
        return failed(error, file.errorString());
    return true;
}

} // namespace

bool WriteOutputFile(const QString& path, const QByteArray& bytes, Error* error)
{
    return WriteOutputFile(path, QList<QByteArray> {bytes}, error);
}

QString InputFileProblem(const QString& path)
{
    const QFileInfo info(path);
    if (info.isFile())
        return {};
    if (info.isDir())
        return QStringLiteral("it is a folder");
    if (info.exists())
        return QStringLiteral("it is not a regular file (a device, a pipe or a socket)");
    return QStringLiteral("no such file");
}

bool WriteOutputFile(const QString& path, const QList<QByteArray>& pieces, Error* error)
{
    // What a chain of symbolic links ends at, even when that does not exist yet.
    QFileInfo target(path);
    for (int depth = 0; target.isSymLink() && depth < 64; ++depth)
        target.setFile(target.symLinkTarget());
    if (target.isDir())
        return failed(error, QStringLiteral("it is a folder"));
    if (target.exists() && !target.isFile())
        return writeInPlace(target.filePath(), pieces, error);
    return writeReplacing(target.filePath(), pieces, error);
}

} // namespace qb
