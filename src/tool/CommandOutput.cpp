#include "tool/CommandOutput.h"

#include <QFileDevice>

#include "tool/CommandLine.h"
#include "store/OutputFile.h"

namespace qb {

int WriteCommandOutput(const QString& path, const QByteArray& bytes, QTextStream& out,
                       QTextStream& err)
{
    if (path.isEmpty()) {
        out.flush();
        if (QString* text = out.string()) {
            text->append(QString::fromUtf8(bytes));
            return kOk;
        }
        // The bytes as they are, behind what the stream held. A short write
        // is found by the check of standard output when qbtool ends.
        if (QIODevice* device = out.device()) {
            device->write(bytes);
            if (auto* file = qobject_cast<QFileDevice*>(device))
                file->flush();
        }
        return kOk;
    }
    Error error;
    if (WriteOutputFile(path, bytes, &error))
        return kOk;
    err << "qbtool: " << path << ": could not be written (" << error.description << ")\n";
    err.flush();
    return kFileError;
}

} // namespace qb
