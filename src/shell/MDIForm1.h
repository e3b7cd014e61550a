#pragma once

// The main window: menu bar, toolbar, status strip and the MDI area that
// holds the background panel and every data window. It is the store's host
// (caption, data menus, status strip, login window; the messages are worded by
// StoreDialogs); the file commands, the
// host of the data windows and their arrangement are classes of their own.

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include "shell/StoreDialogs.h"
#include "store/BookContext.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace qb {

class FileCommands;
class MdiWindowHost;
class frmHelp;
class frmPanel;
class ucIconInfo;
class ucToolbar;
class WindowList;

class MDIForm1 final : public QMainWindow, public StoreDialogs
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MDIForm1)

public:
    explicit MDIForm1(const BookContext& book, QWidget* parent = nullptr);
    ~MDIForm1() override;

    // The load sequence: recent files, panel, settings, toolbar, then the
    // file named on the command line (double quotes ignored) or the last
    // file. False with the error when a step failed.
    bool Load(const QString& commandLine, Error* error = nullptr);

    // Rebuilds the recent-files entries of the File menu from the settings.
    void LoadMRUF();
    // Releases the document and its section handles.
    void Cleanup();

    FileCommands& fileCommands() const { return *m_fileCommands; }
    MdiWindowHost& windowHost() const { return *m_windowHost; }

    // StoreHost, with the wording of StoreDialogs
    void setStatusFile(const QString& text) override;
    void setMainCaption(const QString& caption) override;
    void showDataMenus(bool visible) override;
    void closeDataWindows() override;
    void reopenBook(const QString& path) override;
    LoginResult showLogin(const QString& caption,
        const std::function<bool(const QString&)>& passwordMatches) override;

    // The data windows in creation order, and the Window menu's list of them.
    QList<QWidget*> childWindows() const;
    WindowList& windowList() const;

    QMdiArea* mdiArea() const { return m_mdiArea; }
    frmPanel* panel() const { return m_panel; }
    // The toolbar's buttons, numbered from 1 in their order on the bar.
    enum ToolButton {
        ToolOpen = 1,
        ToolClose,
        ToolImport,
        ToolAccountHeads,
        ToolGroups,
        ToolEntry,
        ToolSearch,
        ToolTransactionList,
        ToolPeriodSummary,
        ToolHelp,
        ToolExit,
    };
    ucToolbar* ToolBar = nullptr;
    ucIconInfo* StatusBar = nullptr;
    QWidget* picContainer = nullptr;
    QList<QLabel*> picToolbar;
    QLabel* picBuildImage = nullptr;

Q_SIGNALS:
    // File > Exit: the program ends at once.
    void exitRequested();
    // The window was closed by the user and the document released.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    void buildMenus();
    void buildToolbarImages();
    void buildToolbar();
    void placeOnScreen();
    // Keeps the window's place, size and state for the next start.
    void saveGeometrySettings();
    // File > Exit and the toolbar's exit: typed work in the windows first.
    void exitProgram();

    void mnuFileLoadlastDatabaseOnStartup_Click();
    // Data windows
    void mnuMasterAcHeads_Click();
    void mnuMasterGroups_Click();
    void mnuTrnEntry_Click();
    void mnuTrnSearch_Click();
    void mnuTrnUndo_Click();
    void mnuTrnRedo_Click();
    void mnuTrnDeleted_Click();
    // The reconcile window, for the account of the active transaction list when there is one.
    void mnuTrnReconcile_Click();
    // Undo and Redo name the change they would reverse or repeat.
    void updateUndoCaptions();
    // File > Import Statement...: the import window, brought forward when open.
    void mnuFileImport_Click();
    void mnuRptTransactionList_Click();
    void mnuRptPeriodySummary_Click();
    // View, Window, Help
    void mnuViewToolbar_Click();
    void mnuViewStatusBar_Click();
    void mnuHelpTopics_Click();
    void mnuAbout_Click();
    void ToolBar_ButtonClick(int Index, int MouseButton, int xLeft, int yTop);

    // A menu command whose triggering calls slot.
    template <typename Slot>
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption, Slot slot,
        const QKeySequence& shortcut = {});
    QAction* addSeparator(QMenu* menu, const char* name);

    BookContext m_book;
    QMdiArea* m_mdiArea = nullptr;
    frmPanel* m_panel = nullptr;
    QMdiSubWindow* m_panelWindow = nullptr;
    FileCommands* m_fileCommands = nullptr;
    MdiWindowHost* m_windowHost = nullptr;
    QPointer<frmHelp> m_help;
    bool m_unloading = false;

    QMenu* mnuFile = nullptr;
    QMenu* mnuMaster = nullptr;
    QMenu* mnuTransactions = nullptr;
    QMenu* mnuReports = nullptr;
    QMenu* mnuView = nullptr;
    QMenu* mnuWindow = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* sep1345 = nullptr;
    QAction* mnuFilePassword = nullptr;
    QAction* mnuFileImport = nullptr;
    QAction* mnuFileLoadlastDatabaseOnStartup = nullptr;
    QAction* sep1344 = nullptr;
    QList<QAction*> mnuFileMRUF; // entries 1 to 5 at positions 0 to 4
    QAction* mnuTrnUndo = nullptr;
    QAction* mnuTrnRedo = nullptr;
    QAction* mnuViewToolbar = nullptr;
    QAction* mnuViewStatusBar = nullptr;
};

} // namespace qb
