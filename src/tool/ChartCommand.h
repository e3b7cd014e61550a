#pragma once

// "qbtool chart": the charts of the report windows rendered offscreen to PNG,
// from the same figures, for scripts and tests.

#include <memory>

#include <QStringList>
#include <QTextStream>

class QCoreApplication;

namespace qb {

// args are the arguments after "chart". Exit codes as for report: 0 done,
// 2 wrong usage, 3 a file could not be read or written, or a figure of the
// chart cannot be given (the picture is written all the same).
int runChartCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// The application object qbtool runs in: a widget application on the
// offscreen platform for "chart" (charts are graphics items), else a core
// application without any display.
std::unique_ptr<QCoreApplication> MakeToolApplication(int& argc, char** argv);

} // namespace qb
