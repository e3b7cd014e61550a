// Start-up of the main window: settings, command line, last file, recent
// files, toolbar, panel, and the start-up routine with its demo book.

#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QTest>

#include "ShellTestSupport.h"
#include "controls/ucIconInfo.h"
#include "controls/ucToolbar.h"
#include "shell/DemoBook.h"
#include "shell/MDIForm1.h"
#include "shell/RecentFiles.h"
#include "shell/frmPanel.h"
#include "shell/frmSplash.h"
#include "store/Utilities.h"

using namespace qb;
using namespace qb::test;

namespace {

QString setting(const char* section, const char* key)
{
    return GetSetting(QLatin1String(section), QLatin1String(key));
}

QList<QAction*> recentEntries(MDIForm1& w)
{
    return w.findChildren<QAction*>(QStringLiteral("mnuFileMRUF"));
}

void openThroughMenu(MDIForm1& w, RecordingFileDialogs& dialogs, const QString& path)
{
    dialogs.answer(path);
    actionOf(&w, "mnuFileOpen")->trigger();
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        test::sharedStore().setHost(nullptr);
        test::sharedStore().CloseDocument();
        test::sharedStore().forgetFile();
    }

    void firstStartWithoutSettings()
    {
        TempEnv env;
        RecordingPrompt prompt;
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));

        QVERIFY(w.isVisible());
        QVERIFY(!test::sharedStore().hasDocument());
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillbrook 2.0"));
        QCOMPARE(w.StatusBar->TextFile(), QStringLiteral("(No File is open)"));
        QCOMPARE(w.StatusBar->shownTextFile(), QStringLiteral("(No File is open)"));
        QVERIFY(w.ToolBar->isVisible());
        QVERIFY(w.StatusBar->isVisible());
        for (const char* name :
            {"mnuViewToolbar", "mnuViewStatusBar", "mnuFileLoadlastDatabaseOnStartup"})
            QVERIFY2(actionOf(&w, name)->isChecked(), name);
        for (const char* name : {"mnuMaster", "mnuTransactions", "mnuReports", "sep1345",
                 "mnuFilePassword", "sep1344", "mnuMasterSettings", "mnuRptBalance", "mnuRptCash"})
            QVERIFY2(!actionOf(&w, name)->isVisible(), name);
        for (QAction* entry : recentEntries(w))
            QVERIFY(!entry->isVisible());
        QCOMPARE(prompt.count(), 0);
        // Loading reads the settings and writes none.
        QVERIFY(!QFile::exists(env.path(QStringLiteral("settings/Quillbrook/Quillbrook.ini"))));

        // The background panel is the only child window.
        QCOMPARE(w.mdiArea()->subWindowList().size(), 1);
        QVERIFY(w.panel()->isVisible());
        QCOMPARE(w.panel()->lblVersion->text(), QStringLiteral("Version 2.0.0"));
        QVERIFY(QRegularExpression(QStringLiteral("^Logged on: \\d\\d:\\d\\d hrs$"))
                    .match(w.panel()->lbluser->text())
                    .hasMatch());
        QCOMPARE(w.panel()->Picture1->geometry().right(), w.panel()->width() - 1);
        QVERIFY(w.childWindows().isEmpty());

        // Eleven buttons from a 32-pixel strip: the file trio, three pairs and
        // two single ones, each with its tool tip.
        const QStringList tips = {QStringLiteral("Open a Quillbrook File"),
            QStringLiteral("Close File"), QStringLiteral("Import Statement (Ctrl+I)"),
            QStringLiteral("Accounts Heads"), QStringLiteral("Groups"),
            QStringLiteral("Transaction Entry"), QStringLiteral("Transaction Search"),
            QStringLiteral("Transaction List report"), QStringLiteral("Period Summary report"),
            QStringLiteral("Help"), QStringLiteral("Exit Quillbrook")};
        QCOMPARE(w.ToolBar->ButtonsCount(), tips.size());
        QCOMPARE(w.picBuildImage->pixmap().size(), QSize(32 * tips.size(), 32));
        QCOMPARE(w.picBuildImage->pixmap().toImage().pixel(0, 0), qRgb(0xFF, 0, 0xFF));
        QList<int> separated;
        for (int i = 1; i <= tips.size(); ++i) {
            QCOMPARE(w.ToolBar->toolTipOf(i), tips.at(i - 1));
            if (!w.ToolBar->separatorRect(i).isEmpty())
                separated << i;
            // Every picture is drawn: more than its background and mask colours.
            const QImage picture = w.picToolbar.at(i - 1)->pixmap().toImage();
            QSet<QRgb> colours;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    colours.insert(picture.pixel(x, y));
            QVERIFY2(colours.size() > 8, qPrintable(tips.at(i - 1)));
        }
        QCOMPARE(separated,
            QList<int>({MDIForm1::ToolImport, MDIForm1::ToolGroups, MDIForm1::ToolSearch,
                MDIForm1::ToolPeriodSummary, MDIForm1::ToolHelp, MDIForm1::ToolExit}));

        // A pressed toolbar picture has a border until the mouse is released.
        QLabel* pic = w.picToolbar.at(4);
        QTest::mousePress(pic, Qt::LeftButton);
        QCOMPARE(pic->frameShape(), QFrame::Box);
        QTest::mouseRelease(pic, Qt::LeftButton);
        QCOMPARE(pic->frameShape(), QFrame::NoFrame);
    }

    void commandLinePathInQuotesWithCapitalExtension()
    {
        TempEnv env;
        RecordingPrompt prompt;
        QVERIFY(QDir(env.folder()).mkpath(QStringLiteral("My Books")));
        const QString book = writeBook(env, QStringLiteral("My Books/HOME.QBF"));
        const QString last = writeBook(env, QStringLiteral("last.qbf"));
        SaveSetting(QStringLiteral("StartUp"), QStringLiteral("LastDatabase"), last);

        MDIForm1 w(programBook());
        QVERIFY(w.Load(QLatin1Char('"') + book + QLatin1Char('"')));
        QCOMPARE(test::sharedStore().currentFile(), book);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillbrook 2.0 [ HOME ]"));
        QCOMPARE(w.StatusBar->TextFile(), book);
        QVERIFY(actionOf(&w, "mnuMaster")->isVisible());
        QVERIFY(actionOf(&w, "mnuFilePassword")->isVisible());
        // The last file was not opened after it: the list holds the command-line file only.
        QCOMPARE(setting("MRUF", "MRUF"), book + QStringLiteral("|*|"));
        QCOMPARE(setting("StartUp", "LastDatabase"), book);
        QCOMPARE(recentEntries(w).at(0)->text(), QStringLiteral("&1  HOME.QBF"));
    }

    void commandLineThatIsNoBook_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::newRow("other extension") << QStringLiteral("notes.txt");
        QTest::newRow("missing file") << QStringLiteral("missing.qbf");
        QTest::newRow("folder") << QStringLiteral("folder.qbf");
    }

    void commandLineThatIsNoBook()
    {
        QFETCH(QString, argument);
        TempEnv env;
        RecordingPrompt prompt;
        writeBook(env, QStringLiteral("notes.txt"));
        QDir(env.folder()).mkpath(QStringLiteral("folder.qbf"));
        const QString last = writeBook(env, QStringLiteral("last.qbf"));
        SaveSetting(QStringLiteral("StartUp"), QStringLiteral("LastDatabase"), last);

        MDIForm1 w(programBook());
        QVERIFY(w.Load(env.path(argument)));
        QCOMPARE(test::sharedStore().currentFile(), last);
        QCOMPARE(prompt.count(), 0);
    }

    void lastFileNotLoadedWhenSwitchedOff()
    {
        TempEnv env;
        const QString last = writeBook(env, QStringLiteral("last.qbf"));
        SaveSetting(QStringLiteral("StartUp"), QStringLiteral("LastDatabase"), last);
        SaveSetting(
            QStringLiteral("StartUp"), QStringLiteral("LoadLastDatabase"), QStringLiteral("0"));
        SaveSetting(QStringLiteral("Toolbar"), QStringLiteral("visible"), QStringLiteral("0"));
        SaveSetting(QStringLiteral("Statusbar"), QStringLiteral("visible"), QStringLiteral("0"));
        QVERIFY(QFile::exists(env.path(QStringLiteral("settings/Quillbrook/Quillbrook.ini"))));

        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));
        QVERIFY(!test::sharedStore().hasDocument());
        QVERIFY(!actionOf(&w, "mnuFileLoadlastDatabaseOnStartup")->isChecked());
        QVERIFY(!w.ToolBar->isVisible());
        QVERIFY(!actionOf(&w, "mnuViewToolbar")->isChecked());
        QVERIFY(!w.StatusBar->isVisible());
        QVERIFY(!actionOf(&w, "mnuViewStatusBar")->isChecked());
        // The toolbar is built all the same, ready to be shown.
        QCOMPARE(w.ToolBar->ButtonsCount(), int(MDIForm1::ToolExit));
    }

    void missingLastFileIsSkippedSilently()
    {
        TempEnv env;
        RecordingPrompt prompt;
        const QString gone = env.path(QStringLiteral("gone.qbf"));
        SaveSetting(QStringLiteral("StartUp"), QStringLiteral("LastDatabase"), gone);
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));
        QVERIFY(!test::sharedStore().hasDocument());
        QCOMPARE(prompt.count(), 0);
        QCOMPARE(setting("StartUp", "LastDatabase"), gone);
        QCOMPARE(setting("MRUF", "MRUF"), QString());
    }

    void recentFilesAfterABA()
    {
        TempEnv env;
        RecordingPrompt prompt;
        RecordingFileDialogs dialogs;
        const QString a = writeBook(env, QStringLiteral("a.qbf"));
        const QString b = writeBook(env, QStringLiteral("b.qbf"));
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));
        for (const QString& path : {a, b, a})
            openThroughMenu(w, dialogs, path);

        QCOMPARE(setting("MRUF", "MRUF"), a + QStringLiteral("|*|") + b + QStringLiteral("|*|"));
        const QList<QAction*> entries = recentEntries(w);
        QVERIFY(actionOf(&w, "sep1344")->isVisible());
        QCOMPARE(entries.at(0)->text(), QStringLiteral("&1  a.qbf"));
        QCOMPARE(entries.at(0)->data().toString(), a);
        QCOMPARE(entries.at(1)->text(), QStringLiteral("&2  b.qbf"));
        QVERIFY(entries.at(1)->isVisible());
        QVERIFY(!entries.at(2)->isVisible());

        // A recent entry opens its file and leaves the list as it is.
        entries.at(1)->trigger();
        QCOMPARE(test::sharedStore().currentFile(), b);
        QCOMPARE(setting("MRUF", "MRUF"), a + QStringLiteral("|*|") + b + QStringLiteral("|*|"));
        // One whose file has gone does nothing.
        QVERIFY(QFile::remove(a));
        entries.at(0)->trigger();
        QCOMPARE(test::sharedStore().currentFile(), b);
        QCOMPARE(prompt.count(), 0);
    }

    void recentFilesAfterSevenFiles()
    {
        TempEnv env;
        RecordingFileDialogs dialogs;
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));
        QStringList paths;
        for (int i = 1; i <= 7; ++i) {
            paths.prepend(writeBook(env, QStringLiteral("book%1.qbf").arg(i)));
            openThroughMenu(w, dialogs, paths.first());
        }
        QCOMPARE(setting("MRUF", "MRUF"),
            paths.mid(0, 6).join(QStringLiteral("|*|")) + QStringLiteral("|*|"));
        const QList<QAction*> entries = recentEntries(w);
        QCOMPARE(entries.size(), 5);
        for (int i = 0; i < 5; ++i) {
            QVERIFY(entries.at(i)->isVisible());
            QCOMPARE(
                entries.at(i)->text(), QStringLiteral("&%1  book%2.qbf").arg(i + 1).arg(7 - i));
        }
    }

    void pathDifferingInCaseIsAnotherEntry()
    {
        TempEnv env;
        RecordingFileDialogs dialogs;
        QVERIFY(QDir(env.folder()).mkpath(QStringLiteral("Books")));
        const QString upper = writeBook(env, QStringLiteral("Books/home.qbf"));
        // The same file reached through a folder name in other letter case.
        QVERIFY(QFile::link(env.path(QStringLiteral("Books")), env.path(QStringLiteral("books"))));
        const QString lower = env.path(QStringLiteral("books/home.qbf"));
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));
        openThroughMenu(w, dialogs, upper);
        openThroughMenu(w, dialogs, lower);
        QCOMPARE(
            setting("MRUF", "MRUF"), lower + QStringLiteral("|*|") + upper + QStringLiteral("|*|"));
        QVERIFY(recentEntries(w).at(1)->isVisible());
    }

    void saveMrufKeepsPathsThatEndLikeTheNewOne()
    {
        TempEnv env;
        SaveSetting(QStringLiteral("MRUF"), QStringLiteral("MRUF"),
            QStringLiteral("/x/c/a/b.qbf|*||*|/x/z.qbf|*|/a/b.qbf|*|"));
        SaveMRUF(QStringLiteral("/a/b.qbf"));
        QCOMPARE(setting("MRUF", "MRUF"), QStringLiteral("/a/b.qbf|*|/x/c/a/b.qbf|*|/x/z.qbf|*|"));
        QCOMPARE(RecentFilePieces(),
            QStringList({QStringLiteral("/a/b.qbf"), QStringLiteral("/x/c/a/b.qbf"),
                QStringLiteral("/x/z.qbf"), QString()}));
    }

    void startupShowsSplashThenMainWindowAndOpensNothingOnFirstStart()
    {
        TempEnv env;
        RecordingPrompt prompt;
        frmSplash splash;
        QCOMPARE(splash.lblVersion->text(), QStringLiteral("Version 2.0.0"));
        StartupOptions options;
        options.splashMilliseconds = 0;
        std::unique_ptr<MDIForm1> w = splash.Startup(programBook(), options);
        QVERIFY(!splash.isVisible());
        QVERIFY(w->isVisible());
        QVERIFY(!test::sharedStore().hasDocument());
        QCOMPARE(w->windowTitle(), QStringLiteral("Quillbrook 2.0"));
        QCOMPARE(w->StatusBar->TextFile(), QStringLiteral("(No File is open)"));
        QCOMPARE(setting("StartUp", "LastDatabase"), QString());
        QCOMPARE(prompt.count(), 0);
    }

    // The program itself, started with no settings at all: it opens no book,
    // shows the plain caption and writes no last file.
    void programStartsWithoutSettingsOpeningNothing()
    {
        TempEnv env;
        const QString program
            = QCoreApplication::applicationDirPath() + QStringLiteral("/quillbrook");
        QVERIFY2(QFileInfo::exists(program), qPrintable(program));
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("HOME"), env.folder());
        e.insert(QStringLiteral("XDG_CONFIG_HOME"), env.path(QStringLiteral("config")));
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        e.insert(QStringLiteral("QB_SCREENSHOT"), env.path(QStringLiteral("shot.png")));
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(env.folder());
        p.start(program, {});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const QStringList lines
            = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("Quillbrook 2.0"));
        QCOMPARE(lines.value(1), QStringLiteral("(No File is open)"));
        QSettings settings(
            env.path(QStringLiteral("config/Quillbrook/Quillbrook.ini")), QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("StartUp/LastDatabase")).toString(), QString());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
