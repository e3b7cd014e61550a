// The main window's commands: new, open and close files, the guard on the
// data commands, the toolbar, the View, Window and Help menus.

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

#include "ShellTestSupport.h"
#include "WidgetTestSupport.h"
#include "controls/ucIconInfo.h"
#include "controls/ucToolbar.h"
#include "shell/DataWindows.h"
#include "shell/FileCommands.h"
#include "shell/MDIForm1.h"
#include "shell/frmAbout.h"
#include "shell/frmHelp.h"
#include "shell/frmPanel.h"
#include "shell/frmSetPassword.h"
#include "store/BookCrypto.h"
#include "store/Utilities.h"
#include "transactions/frmImport.h"
#include "transactions/frmTrans.h"
#include "windows/WindowList.h"

using namespace qb;
using namespace qb::test;

namespace {

const QString kGuard = QStringLiteral(
    "No Quillbrook file is currently open. \r\n\r\nYou can open a Quillbrook file from 'Open' "
    "option in "
    "'File' menu \r\nor create a new Quillbrook file from 'New' Option in 'File' menu");

QString setting(const char* section, const char* key)
{
    return GetSetting(QLatin1String(section), QLatin1String(key));
}

void clickToolbar(MDIForm1& w, int index)
{
    const QPoint centre = w.ToolBar->buttonRect(index).center();
    QTest::mouseMove(w.ToolBar, centre);
    QTest::mouseClick(w.ToolBar, Qt::LeftButton, Qt::NoModifier, centre);
}

// Search windows made by the opener; each reports a result, so that the
// next Search makes another one.
void registerSearchProbes()
{
    Openers::registerFactory(WindowKind::Search, [](const BookContext&) {
        static int made = 0;
        auto* probe = new SearchProbe(QStringLiteral("Search %1").arg(++made));
        probe->found = 1;
        return probe;
    });
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        Openers::registerFactory(WindowKind::Search, {});
        Openers::registerFactory(WindowKind::TransactionEntry, {});
        Openers::registerFactory(WindowKind::AccountHeads, {});
        Openers::registerFactory(WindowKind::Groups, {});
        test::sharedStore().setHost(nullptr);
        test::sharedStore().CloseDocument();
        test::sharedStore().forgetFile();
    }

    void newFileAddsTheExtensionOnlyWhenMissing_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("created");
        QTest::newRow("no extension") << QStringLiteral("ledger") << QStringLiteral("ledger.qbf");
        QTest::newRow("capital extension")
            << QStringLiteral("Ledger.QBF") << QStringLiteral("Ledger.QBF");
        QTest::newRow("other extension")
            << QStringLiteral("ledger.txt") << QStringLiteral("ledger.txt.qbf");
    }

    void newFileAddsTheExtensionOnlyWhenMissing()
    {
        QFETCH(QString, typed);
        QFETCH(QString, created);
        TempEnv env;
        RecordingPrompt prompt;
        RecordingFileDialogs dialogs;
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));
        prompt.answer(MsgResult::No);
        dialogs.answer(env.path(typed));
        actionOf(&w, "mnuFileNew")->trigger();

        const FileRequest request = dialogs.requests.value(0);
        QCOMPARE(request.kind, FileRequest::Save);
        QCOMPARE(request.title, QStringLiteral("Create new Quillbrook data File"));
        QCOMPARE(request.filter, QStringLiteral("Quillbrook data file(*.qbf)"));
        QCOMPARE(request.folder, PersonalFolder());
        QVERIFY(request.suggestedName.isEmpty());

        const QString path = env.path(created);
        QVERIFY(QFile::exists(path));
        // The book, and its lock while it is open here.
        const QString name = QFileInfo(path).fileName();
        QCOMPARE(QDir(env.folder()).entryList(QDir::Files, QDir::Name),
            (QStringList {name, name + QStringLiteral(".lock")}));
        QCOMPARE(test::sharedStore().currentFile(), path);
        QCOMPARE(w.StatusBar->TextFile(), path);
        QVERIFY(actionOf(&w, "mnuReports")->isVisible());
        QCOMPARE(prompt.count(), 1);
        QCOMPARE(prompt.last().text,
            QStringLiteral("Do you want to set a password for the newly created file ?"));
        QCOMPARE(prompt.last().icon, MsgIcon::Question);
        QCOMPARE(prompt.last().buttons, MsgButtons::YesNo);
        QCOMPARE(prompt.last().title, AppTitle());
        QCOMPARE(setting("MRUF", "MRUF"), path + QStringLiteral("|*|"));

        // The next new file starts in the folder of the last one.
        dialogs.answer(QString());
        actionOf(&w, "mnuFileNew")->trigger();
        QCOMPARE(dialogs.requests.value(1).folder, env.folder());
        QCOMPARE(test::sharedStore().currentFile(), path);
    }

    void newFileNeverReplacesAnExistingBook()
    {
        TempEnv env;
        RecordingPrompt prompt;
        RecordingFileDialogs dialogs;
        const QString old = writeBook(env, QStringLiteral("old.qbf"));
        const QByteArray before = readDataFile(old);
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));
        // Chosen with its extension (the dialog's own check) and without it.
        for (const QString& typed : {old, env.path(QStringLiteral("old"))}) {
            prompt.clear();
            dialogs.answer(typed);
            actionOf(&w, "mnuFileNew")->trigger();
            QCOMPARE(prompt.count(), 1);
            QCOMPARE(prompt.last().text,
                QStringLiteral("A Quillbrook file already exist with this name in this folder"));
            QCOMPARE(prompt.last().icon, MsgIcon::Information);
        }
        QVERIFY(!test::sharedStore().hasDocument());
        QCOMPARE(readDataFile(old), before);
        QVERIFY(!QFile::exists(old + QStringLiteral(".bak")));
    }

    // New File over the backup of a missing book is refused before anything
    // changes; New File whose first save fails leaves the main window without a file.
    void newFileThatCannotBeMadeSaysSoOnce()
    {
        TempEnv env;
        RecordingPrompt prompt;
        RecordingFileDialogs dialogs;
        const QString orphan = env.path(QStringLiteral("lost.qbf"));
        QVERIFY(writeBytes(orphan + QStringLiteral(".bak"), "last copy"));
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));
        const QString old = writeBook(env, QStringLiteral("old.qbf"));
        QVERIFY(w.fileCommands().OpenAndRemember(old));

        prompt.clear();
        dialogs.answer(orphan);
        actionOf(&w, "mnuFileNew")->trigger();
        QCOMPARE(prompt.count(), 1);
        QCOMPARE(prompt.last().icon, MsgIcon::Exclamation);
        QVERIFY(prompt.last().text.contains(orphan + QStringLiteral(".bak")));
        QVERIFY(!QFile::exists(orphan));
        QCOMPARE(fileBytes(orphan + QStringLiteral(".bak")), QByteArray("last copy"));
        QCOMPARE(test::sharedStore().currentFile(), old);

        prompt.clear();
        dialogs.answer(env.path(QStringLiteral("gone/new.qbf")));
        actionOf(&w, "mnuFileNew")->trigger();
        QCOMPARE(prompt.count(), 1); // no password question after the failure
        QCOMPARE(prompt.last().title, QStringLiteral("Save error"));
        QVERIFY(!test::sharedStore().hasDocument());
        QCOMPARE(w.windowTitle(), AppTitle());
        QCOMPARE(w.StatusBar->TextFile(), QStringLiteral("(No File is open)"));
        QVERIFY(!actionOf(&w, "mnuReports")->isVisible());
    }

    void newFileWithPasswordThenOpenAsks()
    {
        TempEnv env;
        RecordingPrompt prompt;
        RecordingFileDialogs dialogs;
        ModalDriver driver;
        const KdfParamsOverride cheap({1, 8192});
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));
        driver.then([](QWidget* dialog) {
            auto* form = qobject_cast<frmSetPassword*>(dialog);
            QVERIFY(form);
            QVERIFY(form->fraCurrentPassword->isHidden());
            QVERIFY(form->chkEncrypt->isChecked()); // a new book's password encrypts it
            QTest::keyClicks(form->txtNewPassword, QStringLiteral("abc"));
            QTest::keyClicks(form->txtConfirmPassword, QStringLiteral("abc"));
            QTest::mouseClick(form->cmdOk, Qt::LeftButton);
        });
        dialogs.answer(env.path(QStringLiteral("locked")));
        actionOf(&w, "mnuFileNew")->trigger(); // "Yes" to the password question by default
        QVERIFY(driver.done());
        QCOMPARE(prompt.last().title, QStringLiteral("Password set"));
        QVERIFY(HasPassword(test::sharedStore().document()));
        QVERIFY(IsEncryptedBook(fileBytes(env.path(QStringLiteral("locked.qbf")))));

        // Opening it again asks for the password.
        driver.then([](QWidget* login) { login->close(); });
        dialogs.answer(env.path(QStringLiteral("locked.qbf")));
        actionOf(&w, "mnuFileOpen")->trigger();
        QCOMPARE(driver.titles.value(1), QStringLiteral("Enter Password (locked.qbf)"));
        QVERIFY(!test::sharedStore().hasDocument());
    }

    void openFileStartsInTheDataFolder()
    {
        TempEnv env;
        RecordingFileDialogs dialogs;
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));
        actionOf(&w, "mnuFileOpen")->trigger(); // cancelled
        QCOMPARE(dialogs.requests.value(0).kind, FileRequest::Open);
        QVERIFY(dialogs.requests.value(0).title.isEmpty());
        QCOMPARE(
            dialogs.requests.value(0).filter, QStringLiteral("Quillbrook database file(*.qbf)"));
        QCOMPARE(QDir::fromNativeSeparators(dialogs.requests.value(0).folder),
            ProgramFolder() + QStringLiteral("/data/"));
        QVERIFY(!test::sharedStore().hasDocument());

        dialogs.answer(writeBook(env, QStringLiteral("a.qbf")));
        actionOf(&w, "mnuFileOpen")->trigger();
        QVERIFY(test::sharedStore().hasDocument());
        QCOMPARE(setting("datafolder", "path"), env.folder());
        actionOf(&w, "mnuFileOpen")->trigger();
        QCOMPARE(dialogs.requests.value(2).folder, env.folder());
    }

    void closeFileClosesDataWindowsButNotThePanel()
    {
        TempEnv env;
        RecordingPrompt prompt;
        registerSearchProbes();
        const QString book = writeBook(env, QStringLiteral("a.qbf"));
        const QByteArray before = readDataFile(book);
        MDIForm1 w(programBook());
        QVERIFY(w.Load(book));
        actionOf(&w, "mnuTrnSearch")->trigger();
        actionOf(&w, "mnuTrnSearch")->trigger();
        QCOMPARE(w.childWindows().size(), 2);

        actionOf(&w, "mnuFileClose")->trigger();
        QTRY_VERIFY(w.childWindows().isEmpty());
        QTRY_COMPARE(w.mdiArea()->subWindowList().size(), 1);
        QVERIFY(w.panel()->isVisible());
        QVERIFY(w.windowList().entries().isEmpty());
        QVERIFY(!w.windowList().separator()->isVisible());
        QVERIFY(!test::sharedStore().hasDocument());
        QCOMPARE(w.StatusBar->TextFile(), QStringLiteral("(No File is open)"));
        QCOMPARE(w.windowTitle(), AppTitle());
        QVERIFY(!actionOf(&w, "mnuTransactions")->isVisible());
        QVERIFY(!actionOf(&w, "mnuFilePassword")->isVisible());
        QCOMPARE(readDataFile(book), before);
        QCOMPARE(prompt.count(), 0);
        // The panel refuses to be closed while the program runs.
        QVERIFY(!w.panel()->parentWidget()->close());
    }

    void guardOnEveryDataCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("button");
        for (const char* name : {"mnuFileClose", "mnuFileImport", "mnuFilePassword",
                 "mnuMasterAcHeads", "mnuMasterGroups", "mnuTrnEntry", "mnuTrnSearch", "mnuTrnUndo",
                 "mnuTrnRedo", "mnuTrnDeleted", "mnuRptTransactionList", "mnuRptPeriodySummary"})
            QTest::newRow(name) << QString::fromLatin1(name) << 0;
        for (int button = MDIForm1::ToolClose; button <= MDIForm1::ToolPeriodSummary; ++button)
            QTest::newRow(qPrintable(QStringLiteral("button %1").arg(button)))
                << QString() << button;
    }

    void guardOnEveryDataCommand()
    {
        QFETCH(QString, command);
        QFETCH(int, button);
        TempEnv env;
        RecordingPrompt prompt;
        RegisterDataWindows();
        registerSearchProbes();
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));
        if (button)
            clickToolbar(w, button);
        else
            w.findChild<QAction*>(command)->trigger();
        QCOMPARE(prompt.count(), 1);
        QCOMPARE(prompt.last().text, kGuard);
        QCOMPARE(prompt.last().icon, MsgIcon::Information);
        QCOMPARE(prompt.last().title, AppTitle());
        QCOMPARE(prompt.last().buttons, MsgButtons::Ok);
        QVERIFY(w.childWindows().isEmpty());
        const QWidgetList shown = QApplication::topLevelWidgets();
        QCOMPARE(
            std::count_if(shown.begin(), shown.end(), [](QWidget* t) { return t->isVisible(); }),
            1);
    }

    void dataCommandsReachTheOpeners()
    {
        TempEnv env;
        RecordingPrompt prompt;
        RegisterDataWindows();
        registerSearchProbes();
        MDIForm1 w(programBook());
        QVERIFY(w.Load(writeBook(env, QStringLiteral("a.qbf"))));

        clickToolbar(w, MDIForm1::ToolEntry); // the transaction entry window, for today
        auto* entry = dynamic_cast<frmTrans*>(w.childWindows().value(0));
        QVERIFY(entry);
        QCOMPARE(entry->entryDate(), kTestToday); // the clock the main window was given
        QCOMPARE(w.windowList().entries().size(), 1);
        QCOMPARE(w.windowList().windowOf(w.windowList().entries().at(0)), entry);
        actionOf(&w, "mnuTrnEntry")->trigger(); // the same day's window comes forward
        QCOMPARE(w.childWindows().size(), 1);

        clickToolbar(w, MDIForm1::ToolSearch);
        QCOMPARE(w.childWindows().size(), 2);
        QCOMPARE(w.mdiArea()->activeSubWindow()->widget(), w.childWindows().at(1));
        // The master commands open the account heads and groups windows.
        clickToolbar(w, MDIForm1::ToolAccountHeads);
        clickToolbar(w, MDIForm1::ToolGroups);
        QCOMPARE(w.childWindows().size(), 4);
        // The import button asks for the statement first; the window stays
        // (one only) when the dialog is cancelled.
        RecordingFileDialogs dialogs;
        clickToolbar(w, MDIForm1::ToolImport);
        clickToolbar(w, MDIForm1::ToolImport);
        QCOMPARE(dialogs.requests.size(), 1);
        QCOMPARE(dialogs.requests.first().title, QStringLiteral("Import Statement"));
        QCOMPARE(w.childWindows().size(), 5);
        QVERIFY(qobject_cast<frmImport*>(w.mdiArea()->activeSubWindow()->widget()));
        QCOMPARE(prompt.count(), 0);
    }

    // Ctrl+W is the menu's Close File even while a data window has the focus.
    void closeFileShortcutWinsInADataWindow()
    {
        TempEnv env;
        RecordingPrompt prompt;
        RegisterDataWindows();
        MDIForm1 w(programBook());
        QVERIFY(w.Load(writeBook(env, QStringLiteral("a.qbf"))));
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        actionOf(&w, "mnuTrnEntry")->trigger();
        auto* entry = dynamic_cast<frmTrans*>(w.childWindows().value(0));
        QVERIFY(entry);
        QTRY_VERIFY(entry->isAncestorOf(QApplication::focusWidget()));
        pressKey(Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!test::sharedStore().hasDocument());
        QTRY_VERIFY(w.childWindows().isEmpty());
        QCOMPARE(w.windowTitle(), AppTitle());
        QCOMPARE(prompt.count(), 0);
    }

    // A typed, unsaved transaction is never closed away without a question:
    // Save writes it, Discard drops it, Cancel keeps the window (and the
    // book, and the program) open. Esc leaves it alone.
    void aTypedEntryIsNeverClosedAwayUnasked_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<int>("answer"); // MsgResult; None: no question expected
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("windowStays");
        const int save = int(MsgResult::Save);
        const int discard = int(MsgResult::Discard);
        const int cancel = int(MsgResult::Cancel);
        QTest::newRow("Ctrl+F4, Save") << "Ctrl+F4" << save << true << false;
        QTest::newRow("Ctrl+F4, Discard") << "Ctrl+F4" << discard << false << false;
        QTest::newRow("Ctrl+F4, Cancel") << "Ctrl+F4" << cancel << false << true;
        QTest::newRow("close button, Cancel") << "button" << cancel << false << true;
        QTest::newRow("close button, Save") << "button" << save << true << false;
        QTest::newRow("Ctrl+W, Save") << "Ctrl+W" << save << true << false;
        QTest::newRow("Ctrl+W, Cancel") << "Ctrl+W" << cancel << false << true;
        QTest::newRow("Exit, Discard") << "Exit" << discard << false << false;
        QTest::newRow("Exit, Cancel") << "Exit" << cancel << false << true;
        QTest::newRow("main window closes, Save") << "quit" << save << true << false;
        QTest::newRow("main window closes, Cancel") << "quit" << cancel << false << true;
        QTest::newRow("Esc") << "Esc" << int(MsgResult::None) << false << true;
    }
    void aTypedEntryIsNeverClosedAwayUnasked()
    {
        QFETCH(QString, way);
        QFETCH(int, answer);
        QFETCH(bool, saved);
        QFETCH(bool, windowStays);
        TempEnv env;
        RecordingPrompt prompt;
        RegisterDataWindows();
        const QString book = writeBook(env, QStringLiteral("a.qbf"));
        MDIForm1 w(programBook());
        QVERIFY(w.Load(book));
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        actionOf(&w, "mnuTrnEntry")->trigger();
        const QPointer<frmTrans> entry = dynamic_cast<frmTrans*>(w.childWindows().value(0));
        QVERIFY(entry);
        QTRY_VERIFY(entry->isAncestorOf(QApplication::focusWidget()));
        pressKey(Qt::Key_Return);
        for (const QString& field : {QStringLiteral("Cash"), QStringLiteral("Food"),
                 QStringLiteral("3.5"), QStringLiteral("Kaffee 3,50 \u20ac bar")}) {
            typeText(field);
            if (!field.startsWith(QLatin1Char('K')))
                pressKey(Qt::Key_Return);
        }
        const QByteArray before = readDataFile(book);
        QSignalSpy exits(&w, &MDIForm1::exitRequested);
        if (answer != int(MsgResult::None))
            prompt.answer(MsgResult(answer));
        bool closed = false;
        if (way == QStringLiteral("Ctrl+F4"))
            pressKey(Qt::Key_F4, Qt::ControlModifier);
        else if (way == QStringLiteral("button"))
            w.mdiArea()->activeSubWindow()->close();
        else if (way == QStringLiteral("Ctrl+W"))
            pressKey(Qt::Key_W, Qt::ControlModifier);
        else if (way == QStringLiteral("Exit"))
            actionOf(&w, "mnuFileExit")->trigger();
        else if (way == QStringLiteral("quit"))
            closed = w.close();
        else
            pressKey(Qt::Key_Escape);

        if (answer == int(MsgResult::None)) {
            QCOMPARE(prompt.count(), 0);
        } else {
            QCOMPARE(prompt.count(), 1);
            QCOMPARE(prompt.last().text,
                QStringLiteral(
                    "Do you want to save the new transaction before the window closes?"));
            QCOMPARE(prompt.last().title, QStringLiteral("Save Changes"));
            QCOMPARE(prompt.last().buttons, MsgButtons::SaveDiscardCancel);
            QCOMPARE(prompt.last().defaultButton, MsgResult::Save);
        }
        const QByteArray entryInFile = "<t No=\"1\" dt=\"20130215\" fAc=\"1\" tAc=\"4\" "
                                       "Nar=\"Kaffee 3,50 &#8364; bar\">3.5</t>";
        QCOMPARE(readDataFile(book).contains(entryInFile), saved);
        if (!saved)
            QCOMPARE(readDataFile(book), before);
        if (windowStays) {
            QVERIFY(entry);
            QCOMPARE(w.childWindows().size(), 1);
            QCOMPARE(entry->findChild<QComboBox*>(QStringLiteral("cmbNarration"))->currentText(),
                QStringLiteral("Kaffee 3,50 \u20ac bar"));
            QVERIFY(test::sharedStore().hasDocument());
        } else if (way == QStringLiteral("Exit")) {
            // The program ends from here; the entry has been saved or dropped.
            QVERIFY(entry->findChild<QComboBox*>(QStringLiteral("cmbNarration"))
                        ->currentText()
                        .isEmpty());
        } else {
            QTRY_VERIFY(!entry);
        }
        QCOMPARE(exits.size(), way == QStringLiteral("Exit") && !windowStays ? 1 : 0);
        QCOMPARE(closed, way == QStringLiteral("quit") && !windowStays);
        QCOMPARE(test::sharedStore().hasDocument(),
            windowStays || way == QStringLiteral("Ctrl+F4") || way == QStringLiteral("button")
                || way == QStringLiteral("Exit"));
    }

    // The password window closing hands the keys back to the main window,
    // also where the window manager gives the activation to no one (as it
    // does when the success box and the window close one after the other).
    void closingThePasswordWindowReactivatesTheMainWindow()
    {
        TempEnv env;
        RecordingPrompt prompt;
        ModalDriver driver;
        MDIForm1 w(programBook());
        QVERIFY(w.Load(writeBook(env, QStringLiteral("a.qbf"))));
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        driver.then([](QWidget* dialog) {
            auto* form = qobject_cast<frmSetPassword*>(dialog);
            QVERIFY(form);
            connect(form, &QDialog::finished, form, [] { QApplication::setActiveWindow(nullptr); });
            form->chkEncrypt->setChecked(false);
            QTest::keyClicks(form->txtNewPassword, QStringLiteral("pw"));
            QTest::keyClicks(form->txtConfirmPassword, QStringLiteral("pw"));
            QTest::mouseClick(form->cmdOk, Qt::LeftButton);
        });
        actionOf(&w, "mnuFilePassword")->trigger();
        QVERIFY(driver.done());
        QCOMPARE(prompt.last().title, QStringLiteral("Password set"));
        QTRY_COMPARE(QApplication::activeWindow(), &w);
        pressKey(Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!test::sharedStore().hasDocument());
    }

    // Tiled small, a data window keeps its controls apart: its frame clips it
    // rather than squeezing it below its minimum size.
    void tiledWindowsKeepTheirControlsApart()
    {
        TempEnv env;
        RegisterDataWindows();
        registerSearchProbes();
        MDIForm1 w(programBook());
        QVERIFY(w.Load(writeBook(env, QStringLiteral("a.qbf"))));
        w.resize(800, 600);
        actionOf(&w, "mnuTrnEntry")->trigger();
        auto* entry = dynamic_cast<frmTrans*>(w.childWindows().value(0));
        QVERIFY(entry);
        for (int open = 2; open <= 4; ++open) {
            actionOf(&w, "mnuTrnSearch")->trigger();
            for (const char* tile : {"mnuWindowTileHorizontally", "mnuWindowTileVertically"}) {
                actionOf(&w, tile)->trigger();
                QCoreApplication::processEvents();
                const QString when
                    = QStringLiteral("%1 with %2 windows").arg(QLatin1String(tile)).arg(open);
                for (QWidget* window :
                    {static_cast<QWidget*>(entry), static_cast<QWidget*>(w.panel())}) {
                    QVERIFY2(window->width() >= window->minimumSizeHint().width()
                            && window->height() >= window->minimumSizeHint().height(),
                        qPrintable(when));
                    const QStringList overlapping = overlappingControls(window);
                    QVERIFY2(overlapping.isEmpty(),
                        qPrintable(when + QStringLiteral(": ") + overlapping.join(u' ')));
                }
            }
        }
    }

    void masterWindowsAreOneOfEachKind()
    {
        TempEnv env;
        int made = 0;
        for (WindowKind kind : {WindowKind::AccountHeads, WindowKind::Groups}) {
            Openers::registerFactory(kind, [&made](const BookContext&) {
                auto* window = new QWidget;
                window->setAttribute(Qt::WA_DeleteOnClose);
                window->setWindowTitle(QStringLiteral("Master %1").arg(++made));
                return window;
            });
        }
        MDIForm1 w(programBook());
        QVERIFY(w.Load(writeBook(env, QStringLiteral("a.qbf"))));
        actionOf(&w, "mnuMasterAcHeads")->trigger();
        clickToolbar(w, MDIForm1::ToolGroups);
        QWidget* heads = w.childWindows().value(0);
        QCOMPARE(w.mdiArea()->activeSubWindow()->widget(), w.childWindows().value(1));
        clickToolbar(w, MDIForm1::ToolAccountHeads); // the open one comes to the front
        actionOf(&w, "mnuMasterGroups")->trigger();
        clickToolbar(w, MDIForm1::ToolAccountHeads);
        QCOMPARE(made, 2);
        QCOMPARE(w.mdiArea()->activeSubWindow()->widget(), heads);
        actionOf(&w, "mnuFileClose")->trigger();
        QTRY_VERIFY(w.childWindows().isEmpty());
    }

    void windowMenuListsTheDataWindows()
    {
        TempEnv env;
        registerSearchProbes();
        MDIForm1 w(programBook());
        QVERIFY(w.Load(writeBook(env, QStringLiteral("a.qbf"))));
        WindowList& list = w.windowList();
        QVERIFY(!list.separator()->isVisible());
        QVERIFY(!list.placeholder()->isVisible());
        for (int i = 0; i < 3; ++i)
            actionOf(&w, "mnuTrnSearch")->trigger();
        const QList<QWidget*> windows = w.childWindows();
        const QList<QAction*> entries = list.entries();
        QCOMPARE(entries.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QVERIFY(entries.at(i)->text().startsWith(QStringLiteral("&%1 Search ").arg(i + 1)));
            QCOMPARE(list.windowOf(entries.at(i)), windows.at(i));
        }
        QVERIFY(list.separator()->isVisible());
        QVERIFY(entries.at(2)->isChecked());

        // Choosing an entry brings its window to the front and checks the entry.
        entries.at(0)->trigger();
        QCOMPARE(w.mdiArea()->activeSubWindow()->widget(), windows.at(0));
        QVERIFY(entries.at(0)->isChecked());
        QVERIFY(!entries.at(2)->isChecked());

        // A window closing itself leaves the menu; the last one hides the separator.
        windows.at(1)->close();
        QTRY_COMPARE(list.entries().size(), 2);
        QTRY_COMPARE(w.mdiArea()->subWindowList().size(), 3);
        windows.at(0)->close();
        windows.at(2)->close();
        QTRY_VERIFY(list.entries().isEmpty());
        QVERIFY(!list.separator()->isVisible());
        QTRY_COMPARE(w.mdiArea()->subWindowList().size(), 1);
    }

    void windowArrangements()
    {
        TempEnv env;
        registerSearchProbes();
        MDIForm1 w(programBook());
        QVERIFY(w.Load(writeBook(env, QStringLiteral("a.qbf"))));
        for (int i = 0; i < 2; ++i)
            actionOf(&w, "mnuTrnSearch")->trigger();
        const QList<QMdiSubWindow*> subs = w.mdiArea()->subWindowList(QMdiArea::CreationOrder);
        QCOMPARE(subs.size(), 3);
        const QRect area = w.mdiArea()->viewport()->rect();

        actionOf(&w, "mnuWindowTileHorizontally")->trigger();
        int top = 0;
        for (QMdiSubWindow* sub : subs) {
            QCOMPARE(sub->x(), 0);
            QCOMPARE(sub->width(), area.width());
            QCOMPARE(sub->y(), top);
            top += sub->height();
        }
        QCOMPARE(top, area.height());

        actionOf(&w, "mnuWindowTileVertically")->trigger();
        int left = 0;
        for (QMdiSubWindow* sub : subs) {
            QCOMPARE(sub->y(), 0);
            QCOMPARE(sub->height(), area.height());
            QCOMPARE(sub->x(), left);
            left += sub->width();
        }
        QCOMPARE(left, area.width());

        actionOf(&w, "mnuWindowCascade")->trigger();
        QVERIFY(subs.at(1)->x() > subs.at(0)->x() && subs.at(1)->y() > subs.at(0)->y());

        // Minimized windows line up along the bottom.
        subs.at(1)->showMinimized();
        subs.at(2)->showMinimized();
        actionOf(&w, "mnuWindowArrangeIcons")->trigger();
        QCOMPARE(subs.at(1)->geometry().bottom(), area.bottom());
        QCOMPARE(subs.at(2)->geometry().bottom(), area.bottom());
        QCOMPARE(subs.at(1)->x(), 0);
        QCOMPARE(subs.at(2)->x(), subs.at(1)->width());
        // Tiling leaves them where they are.
        actionOf(&w, "mnuWindowTileHorizontally")->trigger();
        QCOMPARE(subs.at(0)->geometry(), area);
        QVERIFY(subs.at(2)->isMinimized());
    }

    void viewAndStartupToggles()
    {
        TempEnv env;
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));
        struct Toggle
        {
            const char* item;
            QWidget* widget;
            const char* section;
            const char* key;
        };
        const Toggle toggles[] = {{"mnuViewToolbar", w.ToolBar, "Toolbar", "visible"},
            {"mnuViewStatusBar", w.StatusBar, "Statusbar", "visible"},
            {"mnuFileLoadlastDatabaseOnStartup", nullptr, "StartUp", "LoadLastDatabase"}};
        for (const Toggle& t : toggles) {
            QAction* item = actionOf(&w, t.item);
            for (bool on : {false, true}) {
                item->trigger();
                QCOMPARE(item->isChecked(), on);
                if (t.widget)
                    QCOMPARE(t.widget->isVisible(), on);
                QCOMPARE(setting(t.section, t.key), on ? QStringLiteral("1") : QStringLiteral("0"));
            }
        }
    }

    void helpAboutAndExit()
    {
        TempEnv env;
        RecordingPrompt prompt;
        ModalDriver driver;
        MDIForm1 w(programBook());
        QVERIFY(w.Load(QString()));

        clickToolbar(w, MDIForm1::ToolHelp);
        auto* help = w.findChild<frmHelp*>();
        QVERIFY(help && help->isVisible());
        QVERIFY(help->txtHelp->source().toLocalFile().endsWith(QStringLiteral("/help/index.html")));
        QVERIFY(
            help->txtHelp->toPlainText().contains(QStringLiteral("Personal accounting software")));
        QVERIFY(help->txtHelp->toPlainText().contains(QStringLiteral(".bak")));
        actionOf(&w, "mnuHelpTopics")->trigger(); // the same window again
        QCOMPARE(w.findChildren<frmHelp*>().size(), 1);
        QCOMPARE(prompt.count(), 0);

        driver.then([](QWidget* dialog) {
            auto* about = qobject_cast<frmAbout*>(dialog);
            QVERIFY(about);
            QCOMPARE(about->lblVersion->text(), QStringLiteral("Version 2.0"));
            QCOMPARE(about->btnOK->text(), QStringLiteral("&OK"));
            QTest::mouseClick(about->btnOK, Qt::LeftButton);
        });
        actionOf(&w, "mnuAbout")->trigger();
        QCOMPARE(driver.titles, QStringList(QStringLiteral("About ...")));

        QSignalSpy exits(&w, &MDIForm1::exitRequested);
        clickToolbar(w, MDIForm1::ToolExit);
        actionOf(&w, "mnuFileExit")->trigger();
        QCOMPARE(exits.size(), 2);
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
