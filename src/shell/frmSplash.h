#pragma once

// The window shown while the program starts, and the start-up routine that
// shows it for a moment and then loads the main window.

#include <memory>

#include <QWidget>

#include "store/BookContext.h"

class QLabel;

namespace qb {

class MDIForm1;

struct StartupOptions
{
    // How long the splash window stays up.
    int splashMilliseconds = 1500;
    // The program's command line after its own name: one optional data-file path.
    QString commandLine;
};

class frmSplash final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSplash)

public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Shows the splash, waits, closes it and loads the main window. A failed
    // load is reported in a "Load Error" box; the main window is returned
    // either way, shown as far as its load went.
    std::unique_ptr<MDIForm1> Startup(const BookContext& book, const StartupOptions& options);

    QLabel* lblVersion = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace qb
