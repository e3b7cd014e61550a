#include "tool/CommandOutput.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QFileDevice>

#include "store/OutputFile.h"
#include "store/VisibleText.h"
#include "tool/CommandLine.h"

namespace qb {

namespace {

int standardOutputFailed(QTextStream& err, const QString& reason)
{
    err << "qbtool: standard output could not be written (" << VisibleText(reason) << ")\n";
    err.flush();
    return kFileError;
}

} // namespace

int WriteCommandOutput(
    const QString& path, const QByteArray& bytes, QTextStream& out, QTextStream& err)
{
    return WriteCommandOutput(path, QList<QByteArray> {bytes}, out, err);
}

int WriteCommandOutput(
    const QString& path, const QList<QByteArray>& pieces, QTextStream& out, QTextStream& err)
{
    if (path.isEmpty()) {
        out.flush();
        if (QString* text = out.string()) {
            for (const QByteArray& bytes : pieces)
                text->append(QString::fromUtf8(bytes));
            return kOk;
        }
        // The bytes as they are, behind what the stream held, flushed now so
        // that a full disk stops the command before it reports success.
        if (QIODevice* device = out.device()) {
            const bool written = std::all_of(pieces.begin(), pieces.end(),
                [device](const QByteArray& bytes) { return device->write(bytes) == bytes.size(); });
            auto* file = qobject_cast<QFileDevice*>(device);
            if (!written || (file && !file->flush()))
                return standardOutputFailed(err, device->errorString());
        }
        return kOk;
    }
    Error error;
    if (WriteOutputFile(path, pieces, &error))
        return kOk;
    err << "qbtool: " << VisibleText(path) << ": could not be written ("
        << VisibleText(error.description) << ")\n";
    err.flush();
    return kFileError;
}

int FinishStandardOutput(int rc, QTextStream& out, QTextStream& err)
{
    out.flush();
    bool written = out.status() == QTextStream::Ok && !std::ferror(stdout);
    int why = written ? 0 : errno;
    if (std::fflush(stdout) != 0 && written) {
        written = false;
        why = errno;
    }
    if (std::fclose(stdout) != 0 && written) {
        written = false;
        why = errno;
    }
    if (!written && rc != kFileError)
        return standardOutputFailed(err, QString::fromLocal8Bit(std::strerror(why ? why : EIO)));
    err.flush();
    return written ? rc : kFileError;
}

} // namespace qb
