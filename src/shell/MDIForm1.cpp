#include "shell/MDIForm1.h"

#include <exception>
#include <type_traits>

#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTime>
#include <QVBoxLayout>

#include "controls/ucIconInfo.h"
#include "controls/ucToolbar.h"
#include "shell/Artwork.h"
#include "shell/FileCommands.h"
#include "shell/MdiWindowHost.h"
#include "shell/RecentFiles.h"
#include "shell/UndoCommands.h"
#include "shell/WindowArrangement.h"
#include "shell/frmAbout.h"
#include "shell/frmHelp.h"
#include "shell/frmLogin.h"
#include "shell/frmPanel.h"
#include "store/Clock.h"
#include "store/UiServices.h"
#include "store/Utilities.h"
#include "transactions/frmDue.h"
#include "transactions/frmImport.h"
#include "windows/BookChanges.h"
#include "windows/DataWindow.h"
#include "windows/Openers.h"
#include "windows/WindowList.h"

namespace qb {

namespace {

const QString kNoFileOpen = QStringLiteral("(No File is open)");
// The file trio, then three pairs and two single buttons (MDIForm1::ToolButton).
const QString kToolbarMask = QStringLiteral("NNN|NN|NN|NN|N|N|");
const QString kToolTips = QStringLiteral(
    "Open a Quillbrook File|Close File|Import Statement (Ctrl+I)|Accounts Heads|Groups|"
    "Transaction Entry|Transaction Search|Transaction List report|Period Summary report|Help|"
    "Exit Quillbrook");

QString onOff(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

MDIForm1::MDIForm1(const BookContext& book, QWidget* parent)
    : QMainWindow(parent)
    , m_book(book)
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowIcon(ProgramIcon());
    setWindowTitle(AppTitle());
    m_fileCommands = new FileCommands(m_book.store, this);
    buildUi();
    buildMenus();
    connect(ToolBar, &ucToolbar::ButtonClick, this, &MDIForm1::ToolBar_ButtonClick);
    connect(m_fileCommands, &FileCommands::recentFilesChanged, this, &MDIForm1::LoadMRUF);
    m_book.store.setHost(this);
    // The daily copies of the book follow the program's "today".
    m_book.store.setClock(&m_book.clock);
    WindowHost::install(m_windowHost);
    Openers::setBook(m_book);
    qApp->installEventFilter(new UndoKeyFilter(this));
}

MDIForm1::~MDIForm1()
{
    // The data windows leave the Window menu while this is still their host.
    m_unloading = true;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        delete sub;
    if (m_book.store.host() == this) {
        m_book.store.setHost(nullptr);
        m_book.store.setClock(nullptr);
    }
    if (&WindowHost::current() == m_windowHost)
        WindowHost::install(nullptr);
    Openers::clearBook();
}

// ---------------------------------------------------------------- building

void MDIForm1::buildUi()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));

    ToolBar = new ucToolbar(central);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));

    m_mdiArea = new QMdiArea(central);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setBackground(QColor(0x8A, 0x9A, 0x96));
    m_mdiArea->setFrameShape(QFrame::NoFrame);

    StatusBar = new ucIconInfo(central);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));

    // The toolbar's pictures, one per button, and the canvas on which they
    // are put side by side; neither is shown.
    picContainer = new QWidget(central);
    picContainer->setObjectName(QStringLiteral("picContainer"));
    picContainer->hide();
    picBuildImage = new QLabel(central);
    picBuildImage->setObjectName(QStringLiteral("picBuildImage"));
    picBuildImage->hide();
    buildToolbarImages();

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar);
    layout->addWidget(m_mdiArea, 1);
    layout->addWidget(StatusBar);
    setCentralWidget(central);
    resize(1000, 700);
}

void MDIForm1::buildToolbarImages()
{
    const QColor face = ToolBar->BackColor();
    for (int i = 0; i < kToolbarImageCount; ++i) {
        auto* pic = new QLabel(picContainer);
        pic->setObjectName(QStringLiteral("picToolbar"));
        pic->setProperty("index", i);
        pic->setPixmap(ToolbarImage(i, face));
        pic->setGeometry(i * (kToolbarIconSize + 4), 0, kToolbarIconSize + 2, kToolbarIconSize + 2);
        pic->installEventFilter(this);
        picToolbar.append(pic);
    }
}

template <typename Slot>
QAction* MDIForm1::addCommand(
    QMenu* menu, const char* name, const QString& caption, Slot slot, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if constexpr (std::is_member_function_pointer_v<Slot>)
        connect(action, &QAction::triggered, this, slot);
    else if constexpr (!std::is_same_v<Slot, std::nullptr_t>)
        connect(action, &QAction::triggered, this, std::move(slot));
    return action;
}

QAction* MDIForm1::addSeparator(QMenu* menu, const char* name)
{
    QAction* action = menu->addSeparator();
    action->setObjectName(QLatin1String(name));
    return action;
}

void MDIForm1::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto menu = [bar](const char* name, const QString& title) {
        QMenu* m = bar->addMenu(title);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };

    FileCommands* files = m_fileCommands;
    const auto fileCommand = [files](void (FileCommands::*command)()) {
        return [files, command] { (files->*command)(); };
    };
    mnuFile = menu("mnuFile", QStringLiteral("&File"));
    addCommand(mnuFile, "mnuFileNew", QStringLiteral("&New File"),
        fileCommand(&FileCommands::newFile), QKeySequence(Qt::CTRL | Qt::Key_N));
    addCommand(mnuFile, "mnuFileOpen", QStringLiteral("&Open File"),
        fileCommand(&FileCommands::openFile), QKeySequence(Qt::CTRL | Qt::Key_O));
    addCommand(mnuFile, "mnuFileClose", QStringLiteral("&Close File"),
        fileCommand(&FileCommands::closeFile), QKeySequence(Qt::CTRL | Qt::Key_W));
    sep1345 = addSeparator(mnuFile, "sep1345");
    mnuFilePassword = addCommand(mnuFile, "mnuFilePassword", QStringLiteral("File Password..."),
        fileCommand(&FileCommands::changePassword));
    mnuFileImport = addCommand(mnuFile, "mnuFileImport", QStringLiteral("&Import Statement..."),
        &MDIForm1::mnuFileImport_Click, QKeySequence(Qt::CTRL | Qt::Key_I));
    addSeparator(mnuFile, "Sep1000");
    mnuFileLoadlastDatabaseOnStartup = addCommand(mnuFile, "mnuFileLoadlastDatabaseOnStartup",
        QStringLiteral("Load last File on startup"),
        &MDIForm1::mnuFileLoadlastDatabaseOnStartup_Click);
    mnuFileLoadlastDatabaseOnStartup->setCheckable(true);
    mnuFileLoadlastDatabaseOnStartup->setChecked(true);
    sep1344 = addSeparator(mnuFile, "sep1344");
    for (int i = 1; i <= 5; ++i) {
        QAction* entry = addCommand(mnuFile, "mnuFileMRUF", QString::number(i), nullptr);
        entry->setProperty("index", i);
        entry->setVisible(false);
        connect(entry, &QAction::triggered, files,
            [files, entry] { files->openRecent(entry->data().toString()); });
        mnuFileMRUF.append(entry);
    }
    addSeparator(mnuFile, "sep1349");
    addCommand(mnuFile, "mnuFileExit", QStringLiteral("&Exit"), [this] { exitProgram(); });

    mnuMaster = menu("mnuMaster", QStringLiteral("&Master"));
    addCommand(mnuMaster, "mnuMasterAcHeads", QStringLiteral("&Account Heads"),
        &MDIForm1::mnuMasterAcHeads_Click);
    addCommand(
        mnuMaster, "mnuMasterGroups", QStringLiteral("&Groups"), &MDIForm1::mnuMasterGroups_Click);
    addSeparator(mnuMaster, "Sep2000")->setVisible(false);
    addCommand(mnuMaster, "mnuMasterSettings", QStringLiteral("&Settings"), nullptr)
        ->setVisible(false);

    mnuTransactions = menu("mnuTransactions", QStringLiteral("&Transaction"));
    addCommand(mnuTransactions, "mnuTrnEntry", QStringLiteral("&Entry"),
        &MDIForm1::mnuTrnEntry_Click, QKeySequence(Qt::Key_F2));
    addCommand(mnuTransactions, "mnuTrnSearch", QStringLiteral("&Search"),
        &MDIForm1::mnuTrnSearch_Click, QKeySequence(Qt::Key_F3));
    // Undo and Redo live here rather than in an Edit menu of their own: the
    // menu bar keeps its menus, and Alt+E stays with the windows' own
    // "Dat&e" and "Y&ear".
    addSeparator(mnuTransactions, "sepTrnUndo");
    mnuTrnUndo = addCommand(mnuTransactions, "mnuTrnUndo", QStringLiteral("Undo"),
        &MDIForm1::mnuTrnUndo_Click, QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuTrnRedo = addCommand(mnuTransactions, "mnuTrnRedo", QStringLiteral("Redo"),
        &MDIForm1::mnuTrnRedo_Click, QKeySequence(Qt::CTRL | Qt::Key_Y));
    mnuTrnRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    addSeparator(mnuTransactions, "sepTrnDeleted");
    addCommand(mnuTransactions, "mnuTrnDeleted", QStringLiteral("&Deleted Transactions"),
        &MDIForm1::mnuTrnDeleted_Click);
    addCommand(mnuTransactions, "mnuTrnReconcile", QStringLiteral("&Reconcile..."),
        &MDIForm1::mnuTrnReconcile_Click, QKeySequence(Qt::CTRL | Qt::Key_R));
    addCommand(
        mnuTransactions, "mnuTrnSchedules", QStringLiteral("Sc&heduled Transactions"), [this] {
            if (!m_fileCommands->NoFileOpen())
                OpenScheduledTransactions();
        });
    connect(mnuTransactions, &QMenu::aboutToShow, this, &MDIForm1::updateUndoCaptions);
    connect(&BookChanges::instance(), &BookChanges::changed, this, &MDIForm1::updateUndoCaptions);

    mnuReports = menu("mnuReports", QStringLiteral("&Reports"));
    addCommand(mnuReports, "mnuRptTransactionList", QStringLiteral("&Transaction List"),
        &MDIForm1::mnuRptTransactionList_Click, QKeySequence(Qt::CTRL | Qt::Key_F5));
    addCommand(mnuReports, "mnuRptPeriodySummary", QStringLiteral("&Period Summary"),
        &MDIForm1::mnuRptPeriodySummary_Click, QKeySequence(Qt::CTRL | Qt::Key_F6));
    addCommand(mnuReports, "mnuRptBalance", QStringLiteral("&Balance List"), nullptr)
        ->setVisible(false);
    addCommand(mnuReports, "mnuRptCash", QStringLiteral("&CashFlow"), nullptr)->setVisible(false);

    mnuView = menu("mnuView", QStringLiteral("&View"));
    mnuViewToolbar = addCommand(
        mnuView, "mnuViewToolbar", QStringLiteral("&Toolbar"), &MDIForm1::mnuViewToolbar_Click);
    mnuViewToolbar->setCheckable(true);
    mnuViewToolbar->setChecked(true);
    mnuViewStatusBar = addCommand(mnuView, "mnuViewStatusBar", QStringLiteral("&Status bar"),
        &MDIForm1::mnuViewStatusBar_Click);
    mnuViewStatusBar->setCheckable(true);
    mnuViewStatusBar->setChecked(true);

    mnuWindow = menu("mnuWindow", QStringLiteral("&Window"));
    QMdiArea* area = m_mdiArea;
    addCommand(mnuWindow, "mnuWindowTileHorizontally", QStringLiteral("Tile &Horizontally"),
        [area] { TileWindows(area, Qt::Horizontal); });
    addCommand(mnuWindow, "mnuWindowTileVertically", QStringLiteral("Tile &Vertically"),
        [area] { TileWindows(area, Qt::Vertical); });
    addCommand(mnuWindow, "mnuWindowCascade", QStringLiteral("&Cascade"),
        [area] { area->cascadeSubWindows(); });
    addCommand(mnuWindow, "mnuWindowArrangeIcons", QStringLiteral("&Arrange Icons"),
        [area] { ArrangeIcons(area); });
    // The separator mnuWindowSep and the list of open data windows follow.
    m_windowHost = new MdiWindowHost(m_mdiArea, mnuWindow, this);

    mnuHelp = menu("mnuHelp", QStringLiteral("&Help"));
    addCommand(mnuHelp, "mnuHelpTopics", QStringLiteral("&Help Topics"),
        &MDIForm1::mnuHelpTopics_Click, QKeySequence(Qt::Key_F1));
    mnuHelp->addSeparator();
    addCommand(mnuHelp, "mnuAbout", QStringLiteral("&About"), &MDIForm1::mnuAbout_Click);

    // Keys of the frame that no menu shows: Ctrl+F4 closes the active data
    // window (Ctrl+W is File > Close File), F10 opens the menu bar.
    auto* closeChild = new QAction(this);
    closeChild->setObjectName(QStringLiteral("actCloseWindow"));
    closeChild->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    connect(closeChild, &QAction::triggered, this, [this] {
        QMdiSubWindow* active = m_mdiArea->activeSubWindow();
        if (active && active != m_panelWindow)
            active->close();
    });
    addAction(closeChild);
    auto* menuKey = new QAction(this);
    menuKey->setObjectName(QStringLiteral("actMenuBar"));
    menuKey->setShortcut(QKeySequence(Qt::Key_F10));
    connect(menuKey, &QAction::triggered, this, [this] {
        menuBar()->setFocus(Qt::ShortcutFocusReason);
        menuBar()->setActiveAction(mnuFile->menuAction());
    });
    addAction(menuKey);
}

void MDIForm1::buildToolbar()
{
    // The images side by side, 32 pixels apart, in button order.
    QPixmap strip(kToolbarIconSize * int(picToolbar.size()), kToolbarIconSize);
    strip.fill(QColor::fromRgb(kToolbarMaskColor));
    QPainter painter(&strip);
    for (int i = 0; i < picToolbar.size(); ++i)
        painter.drawPixmap(i * kToolbarIconSize, 0, picToolbar.at(i)->pixmap());
    painter.end();
    picBuildImage->setPixmap(strip);
    ToolBar->BuildToolbar(picBuildImage->pixmap(), QColor::fromRgb(kToolbarMaskColor),
        kToolbarIconSize, kToolbarMask);
    ToolBar->SetToolTips(kToolTips);
}

// ---------------------------------------------------------------- loading

void MDIForm1::placeOnScreen()
{
    if (isVisible())
        return;
    // Where the user left it, as large, maximized or not.
    const QByteArray geometry = QByteArray::fromBase64(
        GetSetting(QStringLiteral("MainWindow"), QStringLiteral("geometry")).toLatin1());
    if (!geometry.isEmpty() && restoreGeometry(geometry)) {
        restoreState(QByteArray::fromBase64(
            GetSetting(QStringLiteral("MainWindow"), QStringLiteral("state")).toLatin1()));
        return;
    }
    // The first showing fits the window on the screen and centres it.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    resize(std::min(width(), available.width() * 9 / 10),
        std::min(height(), available.height() * 9 / 10));
    move(available.center() - rect().center());
}

bool MDIForm1::Load(const QString& commandLine, Error* error)
{
    try {
        sep1344->setVisible(false);
        for (QAction* entry : std::as_const(mnuFileMRUF))
            entry->setVisible(false);
        LoadMRUF();

        if (!m_panel) {
            m_panel = new frmPanel(QTime::currentTime());
            m_panelWindow = m_mdiArea->addSubWindow(m_panel,
                Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                    | Qt::WindowMinMaxButtonsHint);
            m_panelWindow->setObjectName(QStringLiteral("frmPanelWindow"));
            m_panelWindow->installEventFilter(this);
            m_panelWindow->move(12, 12);
            m_windowHost->setPanelWindow(m_panelWindow);
        }
        m_panelWindow->show();

        DataStore& store = m_book.store;
        store.setDataFolder(GetSetting(QStringLiteral("datafolder"), QStringLiteral("path")));

        StatusBar->setTextFile(kNoFileOpen);
        store.ShowDataMenus(false);
        StatusBar->Refresh();

        setWindowTitle(AppTitle());

        if (GetSetting(QStringLiteral("Toolbar"), QStringLiteral("visible"), QStringLiteral("1"))
            == QStringLiteral("0")) {
            ToolBar->hide();
            mnuViewToolbar->setChecked(false);
        }
        if (GetSetting(QStringLiteral("Statusbar"), QStringLiteral("visible"), QStringLiteral("1"))
            == QStringLiteral("0")) {
            StatusBar->hide();
            mnuViewStatusBar->setChecked(false);
        }

        buildToolbar();

        placeOnScreen();
        show();

        QString fileName = commandLine;
        fileName.remove(QLatin1Char('"'));
        fileName = fileName.trimmed();
        bool opened = false;
        if (fileName.right(4).toLower() == QStringLiteral(".qbf") && QFileInfo(fileName).isFile())
            opened = m_fileCommands->OpenAndRemember(fileName);

        if (GetSetting(
                QStringLiteral("StartUp"), QStringLiteral("LoadLastDatabase"), QStringLiteral("1"))
            == QStringLiteral("1")) {
            mnuFileLoadlastDatabaseOnStartup->setChecked(true);
            const QString last
                = GetSetting(QStringLiteral("StartUp"), QStringLiteral("LastDatabase"));
            if (!last.isEmpty() && !opened)
                m_fileCommands->OpenAndRemember(last);
        } else {
            mnuFileLoadlastDatabaseOnStartup->setChecked(false);
        }
    } catch (const std::exception& e) {
        if (error) {
            error->number = 0;
            error->description = QString::fromLocal8Bit(e.what());
        }
        return false;
    }
    return true;
}

void MDIForm1::LoadMRUF()
{
    sep1344->setVisible(false);
    for (QAction* entry : std::as_const(mnuFileMRUF))
        entry->setVisible(false);
    const QStringList pieces = RecentFilePieces();
    for (int i = 0; i < pieces.size() && i < mnuFileMRUF.size(); ++i) {
        if (i == 0)
            sep1344->setVisible(true);
        const QString& path = pieces.at(i);
        if (path.isEmpty())
            continue;
        QAction* entry = mnuFileMRUF.at(i);
        entry->setVisible(true);
        entry->setData(path);
        entry->setText(QLatin1Char('&') + QString::number(i + 1) + QStringLiteral("  ")
            + RecentFileName(path));
    }
}

void MDIForm1::Cleanup()
{
    m_book.store.CloseDocument();
}

void MDIForm1::saveGeometrySettings()
{
    m_windowHost->flushPlaces();
    SaveSettings({{QStringLiteral("MainWindow"), QStringLiteral("geometry"),
                      QString::fromLatin1(saveGeometry().toBase64())},
        {QStringLiteral("MainWindow"), QStringLiteral("state"),
            QString::fromLatin1(saveState().toBase64())}});
}

void MDIForm1::exitProgram()
{
    if (!SettleDataWindows())
        return;
    saveGeometrySettings();
    Q_EMIT exitRequested();
}

void MDIForm1::closeEvent(QCloseEvent* event)
{
    // Typed work in a data window is saved, dropped, or keeps the program open.
    if (!m_unloading && !SettleDataWindows()) {
        event->ignore();
        return;
    }
    saveGeometrySettings();
    m_unloading = true;
    Cleanup();
    event->accept();
    Q_EMIT unloaded();
}

bool MDIForm1::eventFilter(QObject* watched, QEvent* event)
{
    // The background panel stays open until the program ends.
    if (watched == m_panelWindow && event->type() == QEvent::Close && !m_unloading) {
        event->ignore();
        return true;
    }
    // A toolbar picture pressed shows a single-line border until the button is released.
    if (auto* pic = qobject_cast<QLabel*>(watched); pic && picToolbar.contains(pic)) {
        if (event->type() == QEvent::MouseButtonPress)
            pic->setFrameStyle(QFrame::Box | QFrame::Plain);
        else if (event->type() == QEvent::MouseButtonRelease)
            pic->setFrameStyle(QFrame::NoFrame);
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- StoreHost

void MDIForm1::setStatusFile(const QString& text)
{
    StatusBar->setTextFile(text);
    StatusBar->Refresh();
}

void MDIForm1::setMainCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void MDIForm1::showDataMenus(bool visible)
{
    mnuMaster->menuAction()->setVisible(visible);
    mnuTransactions->menuAction()->setVisible(visible);
    mnuReports->menuAction()->setVisible(visible);
    sep1345->setVisible(visible);
    mnuFilePassword->setVisible(visible);
    mnuFileImport->setVisible(visible);
}

void MDIForm1::closeDataWindows()
{
    m_windowHost->closeDataWindows();
}

void MDIForm1::reopenBook(const QString& path)
{
    // Queued: the window whose save found the change is still in its command,
    // and the open closes every data window.
    QMetaObject::invokeMethod(
        this, [this, path] { m_book.store.OpenDataFile(path); }, Qt::QueuedConnection);
}

void MDIForm1::bookOpened()
{
    // Queued: the open may come from a window's command or before the main
    // window is shown; the due transactions are shown over the opened book.
    QMetaObject::invokeMethod(
        this, [this] { frmDue::ShowWhenDue(m_book, this); }, Qt::QueuedConnection);
}

StoreDialogs::LoginResult MDIForm1::showLogin(
    const QString& caption, const std::function<bool(const QString&)>& passwordMatches)
{
    frmLogin login(passwordMatches, this);
    login.setWindowTitle(caption);
    login.exec();
    if (login.LoginSucceeded)
        return LoginResult::Succeeded;
    return login.CancelClicked ? LoginResult::Cancelled : LoginResult::Failed;
}

// ---------------------------------------------------------------- windows

QList<QWidget*> MDIForm1::childWindows() const
{
    return m_windowHost->childWindows();
}

WindowList& MDIForm1::windowList() const
{
    return m_windowHost->windowList();
}

// ---------------------------------------------------------------- commands

void MDIForm1::mnuFileLoadlastDatabaseOnStartup_Click()
{
    // The item toggles its own check mark when triggered.
    SaveSetting(QStringLiteral("StartUp"), QStringLiteral("LoadLastDatabase"),
        onOff(mnuFileLoadlastDatabaseOnStartup->isChecked()));
}

// ---------------------------------------------------------------- data windows

void MDIForm1::mnuMasterAcHeads_Click()
{
    if (m_fileCommands->NoFileOpen())
        return;
    OpenAccountHeads();
}

void MDIForm1::mnuMasterGroups_Click()
{
    if (m_fileCommands->NoFileOpen())
        return;
    OpenGroups();
}

void MDIForm1::mnuTrnEntry_Click()
{
    if (m_fileCommands->NoFileOpen())
        return;
    OpenTransactionEntry(DateToDocDate(m_book.clock.today()));
}

void MDIForm1::mnuTrnUndo_Click()
{
    if (m_fileCommands->NoFileOpen())
        return;
    UndoBookChange(m_book.store);
    updateUndoCaptions();
}

void MDIForm1::mnuTrnRedo_Click()
{
    if (m_fileCommands->NoFileOpen())
        return;
    RedoBookChange(m_book.store);
    updateUndoCaptions();
}

void MDIForm1::mnuTrnDeleted_Click()
{
    if (m_fileCommands->NoFileOpen())
        return;
    OpenDeletedTransactions();
}

void MDIForm1::mnuTrnReconcile_Click()
{
    if (m_fileCommands->NoFileOpen())
        return;
    const QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    const auto* list
        = active ? dynamic_cast<const TransactionListForm*>(active->widget()) : nullptr;
    OpenReconcile(list ? list->selectedAccount().value_or(0) : 0);
}

void MDIForm1::updateUndoCaptions()
{
    mnuTrnUndo->setText(UndoMenuCaption(m_book.store));
    mnuTrnRedo->setText(RedoMenuCaption(m_book.store));
}

void MDIForm1::mnuTrnSearch_Click()
{
    if (m_fileCommands->NoFileOpen())
        return;
    OpenSearch();
}

void MDIForm1::mnuFileImport_Click()
{
    if (m_fileCommands->NoFileOpen())
        return;
    for (QWidget* w : m_windowHost->childWindows()) {
        if (auto* open = qobject_cast<frmImport*>(w)) {
            m_windowHost->showChild(open);
            return;
        }
    }
    auto* window = new frmImport(m_book);
    m_windowHost->showChild(window);
    // The statement is the first thing to choose. The file dialog hands the
    // activation back to whichever frame the area picks (with maximized
    // windows the logo panel): the new window is brought to the front again.
    window->chooseFile();
    m_windowHost->activateChild(window);
}

void MDIForm1::mnuRptTransactionList_Click()
{
    if (m_fileCommands->NoFileOpen())
        return;
    OpenTransactionList(0);
}

void MDIForm1::mnuRptPeriodySummary_Click()
{
    if (m_fileCommands->NoFileOpen())
        return;
    OpenPeriodSummary(0, QString());
}

// ---------------------------------------------------------------- View, Window, Help

void MDIForm1::mnuViewToolbar_Click()
{
    ToolBar->setVisible(!ToolBar->isVisible());
    mnuViewToolbar->setChecked(ToolBar->isVisible());
    SaveSetting(QStringLiteral("Toolbar"), QStringLiteral("visible"), onOff(ToolBar->isVisible()));
}

void MDIForm1::mnuViewStatusBar_Click()
{
    StatusBar->setVisible(!StatusBar->isVisible());
    mnuViewStatusBar->setChecked(StatusBar->isVisible());
    SaveSetting(
        QStringLiteral("Statusbar"), QStringLiteral("visible"), onOff(StatusBar->isVisible()));
}

void MDIForm1::mnuHelpTopics_Click()
{
    const QString file = frmHelp::HelpFile();
    // The manual opens at the section of the window in front.
    const QMdiSubWindow* front = m_mdiArea->activeSubWindow();
    const QString topic
        = front && front != m_panelWindow ? frmHelp::TopicOf(front->widget()) : QString();
    if (!m_help)
        m_help = new frmHelp(this);
    if (!m_help->showPage(file, topic)) {
        MsgBox(QStringLiteral("The help file could not be opened:\r\n")
                + QDir::toNativeSeparators(file),
            MsgIcon::Information);
        return;
    }
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void MDIForm1::mnuAbout_Click()
{
    frmAbout about(this);
    about.exec();
}

void MDIForm1::ToolBar_ButtonClick(int Index, int, int, int)
{
    switch (Index) {
    case ToolOpen:
        m_fileCommands->openFile();
        break;
    case ToolClose:
        m_fileCommands->closeFile();
        break;
    case ToolImport:
        mnuFileImport_Click();
        break;
    case ToolAccountHeads:
        mnuMasterAcHeads_Click();
        break;
    case ToolGroups:
        mnuMasterGroups_Click();
        break;
    case ToolEntry:
        mnuTrnEntry_Click();
        break;
    case ToolSearch:
        mnuTrnSearch_Click();
        break;
    case ToolTransactionList:
        mnuRptTransactionList_Click();
        break;
    case ToolPeriodSummary:
        mnuRptPeriodySummary_Click();
        break;
    case ToolHelp:
        mnuHelpTopics_Click();
        break;
    case ToolExit:
        exitProgram();
        break;
    default:
        break;
    }
}

} // namespace qb
