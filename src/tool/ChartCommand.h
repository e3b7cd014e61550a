#pragma once

// "qbtool chart" draws with Qt's graphics classes, so qbtool runs it in a
// widget application on the offscreen platform.

#include <memory>

class QCoreApplication;

namespace qb {

// The application object qbtool runs in: a widget application on the
// offscreen platform for "chart" (charts are graphics items), else a core
// application without any display.
std::unique_ptr<QCoreApplication> MakeToolApplication(int& argc, char** argv);

} // namespace qb
