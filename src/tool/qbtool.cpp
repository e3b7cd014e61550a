// qbtool: the command-line companion of Quillbrook. Creates, shows, packs,
// checks, exports and reports on data files without the windows. The
// commands live in the qb_tool library (Tool.h); "qbtool help" lists them
// with their exit codes.

#include <csignal>

#include <QCoreApplication>
#include <QTextStream>

#include "store/Memory.h"
#include "tool/ChartCommand.h"
#include "tool/CommandOutput.h"
#include "tool/Tool.h"

int main(int argc, char** argv)
{
#ifdef SIGPIPE
    // A reader that closes the pipe early makes a write fail with EPIPE, which
    // qbtool reports (exit 3, one line), instead of killing it unannounced.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    qb::TuneMemoryForDocuments();
    const auto app = qb::MakeToolApplication(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int rc = qb::RunQbtool(QCoreApplication::arguments().mid(1), out, err);
    return qb::FinishStandardOutput(rc, out, err);
}
