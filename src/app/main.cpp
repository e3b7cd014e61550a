// Quillbrook: the program's entry. Installs the real message boxes, file
// dialogs and pop-up menus, then runs the start-up routine.

#include <cstdio>
#include <optional>
#include <string_view>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

#include "controls/ucIconInfo.h"
#include "shell/Artwork.h"
#include "shell/DataWindows.h"
#include "shell/MDIForm1.h"
#include "shell/QtUiServices.h"
#include "shell/frmSplash.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/Memory.h"
#include "store/Utilities.h"

namespace {

const char kUsage[] = "Usage: quillbrook [FILE.qbf]\n"
                      "\n"
                      "Opens the book FILE.qbf in Quillbrook's main window; without it, the book\n"
                      "open when the program last ran, when it is set to reopen that one.\n"
                      "\n"
                      "Options:\n"
                      "  -h, --help   show this text\n"
                      "  --version    show the program's version\n"
                      "\n"
                      "qbtool, beside the program, works on books from the command line.\n";

// --help and --version are answered before the application object is made,
// so that they need no display and start no window. Any other argument is
// left to the start-up routine.
std::optional<int> answerCommandLine(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        const bool help = arg == "--help" || arg == "-h";
        if (!help && arg != "--version")
            continue;
        const QByteArray text = help
            ? QByteArray(kUsage)
            : QByteArrayLiteral("Quillbrook ") + qb::VersionText(3).toLatin1() + '\n';
        const bool written = std::fputs(text.constData(), stdout) >= 0 && std::fflush(stdout) == 0;
        return written ? 0 : 1;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[])
{
    if (const std::optional<int> answered = answerCommandLine(argc, argv))
        return *answered;

    qb::TuneMemoryForDocuments();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillbrook"));
    QApplication::setApplicationName(QStringLiteral("Quillbrook"));
    QApplication::setWindowIcon(qb::ProgramIcon());

    qb::QtPrompt prompt;
    qb::QtFileDialogs dialogs;
    qb::QtPopupMenus menus;
    qb::Prompt::install(&prompt);
    qb::FileDialogs::install(&dialogs);
    qb::PopupMenus::install(&menus);
    qb::RegisterDataWindows();

    // The program's one book and clock, handed to the main window and through
    // it to every data window.
    // Both outlive the main window, made after them.
    qb::SystemClock clock;
    qb::DataStore store;
    const qb::BookContext book {store, clock};

    // The command line after the program's name, as one text: a path with
    // blanks may arrive in pieces.
    qb::StartupOptions options;
    options.commandLine = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));

    qb::frmSplash splash;
    std::unique_ptr<qb::MDIForm1> window = splash.Startup(book, options);
    QObject::connect(
        window.get(), &qb::MDIForm1::exitRequested, &app, [] { QCoreApplication::exit(0); });
    QObject::connect(
        window.get(), &qb::MDIForm1::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    // QB_SCREENSHOT=<file.png>: saves a picture of the screen two seconds
    // after start, writes the main window's caption and status-strip file
    // text to standard output, and ends the program (for checking the look
    // on a display, or the start without one).
    const QString screenshot = qEnvironmentVariable("QB_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(2000, &app, [screenshot, main = window.get()] {
            if (QScreen* screen = QGuiApplication::primaryScreen())
                screen->grabWindow(0).save(screenshot);
            QTextStream out(stdout);
            out << main->windowTitle() << '\n' << main->StatusBar->TextFile() << '\n';
            QCoreApplication::exit(0);
        });
    }
    const int result = QApplication::exec();

    qb::Prompt::install(nullptr);
    qb::FileDialogs::install(nullptr);
    qb::PopupMenus::install(nullptr);
    return result;
}
