#pragma once

// The main window: menu bar, toolbar, status strip and the MDI area that
// holds the background panel and every data window. It is the store's host
// (caption, data menus, status strip, login prompt) and the windows' host
// (the MDI area and the Window-menu list).

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include "BookContext.h"
#include "DataStore.h"
#include "WindowHost.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace qb {

class frmHelp;
class frmPanel;
class ucIconInfo;
class ucToolbar;
class WindowList;

class MDIForm1 final : public QMainWindow, public StoreHost, public WindowHost
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

    // Opens a file the user chose (command line, last file, Open File, the
    // demo book) and puts it at the head of the recent files.
    bool OpenAndRemember(const QString& fileName);

    // The no-file check of every data command: true, after telling the user,
    // when no file is open.
    bool NoFileOpen();

    // StoreHost
    void setStatusFile(const QString& text) override;
    void setMainCaption(const QString& caption) override;
    void showDataMenus(bool visible) override;
    void closeDataWindows() override;
    LoginResult showLogin(const QString& caption,
                          const std::function<bool(const QString&)>& passwordMatches) override;

    // WindowHost
    QList<QWidget*> childWindows() const override;
    void showChild(QWidget* w) override;
    void activateChild(QWidget* w) override;
    QWidget* mainWindow() override { return this; }
    WindowList& windowList() override { return *m_windowList; }

    QMdiArea* mdiArea() const { return m_mdiArea; }
    frmPanel* panel() const { return m_panel; }
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
    void connectSignals();
    void buildToolbar();
    void placeOnScreen();

    // File menu
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileClose_Click();
    void mnuFilePassword_Click();
    void mnuFileLoadlastDatabaseOnStartup_Click();
    void mnuFileMRUF_Click(int index);
    // Data windows
    void mnuMasterAcHeads_Click();
    void mnuMasterGroups_Click();
    void mnuTrnEntry_Click();
    void mnuTrnSearch_Click();
    void mnuRptTransactionList_Click();
    void mnuRptPeriodySummary_Click();
    // View, Window, Help
    void mnuViewToolbar_Click();
    void mnuViewStatusBar_Click();
    void tileWindows(Qt::Orientation orientation);
    void cascadeWindows();
    void arrangeIcons();
    void mnuHelpTopics_Click();
    void mnuAbout_Click();
    void ToolBar_ButtonClick(int Index, int MouseButton, int xLeft, int yTop);

    QMdiSubWindow* subWindowOf(const QWidget* w) const;
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut = {});
    QAction* addSeparator(QMenu* menu, const char* name);

    BookContext m_book;
    QMdiArea* m_mdiArea = nullptr;
    frmPanel* m_panel = nullptr;
    QMdiSubWindow* m_panelWindow = nullptr;
    WindowList* m_windowList = nullptr;
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
    QAction* mnuFileLoadlastDatabaseOnStartup = nullptr;
    QAction* sep1344 = nullptr;
    QList<QAction*> mnuFileMRUF; // entries 1 to 5 at positions 0 to 4
    QAction* mnuViewToolbar = nullptr;
    QAction* mnuViewStatusBar = nullptr;
};

} // namespace qb
