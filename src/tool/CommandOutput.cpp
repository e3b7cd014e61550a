#include "CommandOutput.h"

#include <cstdio>

#include "CommandLine.h"
#include "OutputFile.h"

namespace qb {

int WriteCommandOutput(const QString& path, const QByteArray& bytes, QTextStream& out,
                       QTextStream& err)
{
    if (path.isEmpty()) {
        out.flush();
        // A short write is found by the check of standard output at the end.
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
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
