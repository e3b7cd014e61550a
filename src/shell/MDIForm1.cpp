#include "MDIForm1.h"

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

#include <exception>

#include "Artwork.h"
#include "Clock.h"
#include "FileAsk.h"
#include "Openers.h"
#include "RecentFiles.h"
#include "UiServices.h"
#include "Utilities.h"
#include "WindowList.h"
#include "frmAbout.h"
#include "frmHelp.h"
#include "frmLogin.h"
#include "frmPanel.h"
#include "frmSetPassword.h"
#include "ucIconInfo.h"
#include "ucToolbar.h"

namespace qb {

namespace {

const QString kNoFileOpen = QStringLiteral("(No File is open)");
const QString kToolbarMask = QStringLiteral("NN|NN|NN|NN|N|N|");
const QString kToolTips = QStringLiteral(
    "Open a Quillbrook File|Close File|Accounts Heads|Groups|Transaction Entry|Transaction "
    "Search|Transaction List report|Period Summary report|Help|Exit Quillbrook");

QString onOff(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

MDIForm1::MDIForm1(const BookContext& book, QWidget* parent) : QMainWindow(parent), m_book(book)
{
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowIcon(ProgramIcon());
    setWindowTitle(AppTitle());
    buildUi();
    buildMenus();
    connectSignals();
    m_book.store.setHost(this);
    WindowHost::install(this);
    Openers::setBook(m_book);
}

MDIForm1::~MDIForm1()
{
    // The data windows leave the Window menu while this is still their host.
    m_unloading = true;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        delete sub;
    if (m_book.store.host() == this)
        m_book.store.setHost(nullptr);
    if (&WindowHost::current() == this)
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

QAction* MDIForm1::addCommand(QMenu* menu, const char* name, const QString& caption,
                              const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
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

    mnuFile = menu("mnuFile", QStringLiteral("&File"));
    addCommand(mnuFile, "mnuFileNew", QStringLiteral("&New File"), QKeySequence(Qt::CTRL | Qt::Key_N));
    addCommand(mnuFile, "mnuFileOpen", QStringLiteral("&Open File"), QKeySequence(Qt::CTRL | Qt::Key_O));
    addCommand(mnuFile, "mnuFileClose", QStringLiteral("&Close File"), QKeySequence(Qt::CTRL | Qt::Key_W));
    sep1345 = addSeparator(mnuFile, "sep1345");
    mnuFilePassword = addCommand(mnuFile, "mnuFilePassword", QStringLiteral("File Password..."));
    addSeparator(mnuFile, "Sep1000");
    mnuFileLoadlastDatabaseOnStartup = addCommand(mnuFile, "mnuFileLoadlastDatabaseOnStartup",
                                                  QStringLiteral("Load last File on startup"));
    mnuFileLoadlastDatabaseOnStartup->setCheckable(true);
    mnuFileLoadlastDatabaseOnStartup->setChecked(true);
    sep1344 = addSeparator(mnuFile, "sep1344");
    for (int i = 1; i <= 5; ++i) {
        QAction* entry = addCommand(mnuFile, "mnuFileMRUF", QString::number(i));
        entry->setProperty("index", i);
        entry->setVisible(false);
        mnuFileMRUF.append(entry);
    }
    addSeparator(mnuFile, "sep1349");
    addCommand(mnuFile, "mnuFileExit", QStringLiteral("&Exit"));

    mnuMaster = menu("mnuMaster", QStringLiteral("&Master"));
    addCommand(mnuMaster, "mnuMasterAcHeads", QStringLiteral("&Account Heads"));
    addCommand(mnuMaster, "mnuMasterGroups", QStringLiteral("&Groups"));
    addSeparator(mnuMaster, "Sep2000")->setVisible(false);
    addCommand(mnuMaster, "mnuMasterSettings", QStringLiteral("&Settings"))->setVisible(false);

    mnuTransactions = menu("mnuTransactions", QStringLiteral("&Transaction"));
    addCommand(mnuTransactions, "mnuTrnEntry", QStringLiteral("&Entry"), QKeySequence(Qt::Key_F2));
    addCommand(mnuTransactions, "mnuTrnSearch", QStringLiteral("&Search"), QKeySequence(Qt::Key_F3));

    mnuReports = menu("mnuReports", QStringLiteral("&Reports"));
    addCommand(mnuReports, "mnuRptTransactionList", QStringLiteral("&Transaction List"),
               QKeySequence(Qt::CTRL | Qt::Key_F5));
    addCommand(mnuReports, "mnuRptPeriodySummary", QStringLiteral("&Period Summary"),
               QKeySequence(Qt::CTRL | Qt::Key_F6));
    addCommand(mnuReports, "mnuRptBalance", QStringLiteral("&Balance List"))->setVisible(false);
    addCommand(mnuReports, "mnuRptCash", QStringLiteral("&CashFlow"))->setVisible(false);

    mnuView = menu("mnuView", QStringLiteral("&View"));
    mnuViewToolbar = addCommand(mnuView, "mnuViewToolbar", QStringLiteral("&Toolbar"));
    mnuViewToolbar->setCheckable(true);
    mnuViewToolbar->setChecked(true);
    mnuViewStatusBar = addCommand(mnuView, "mnuViewStatusBar", QStringLiteral("&Status bar"));
    mnuViewStatusBar->setCheckable(true);
    mnuViewStatusBar->setChecked(true);

    mnuWindow = menu("mnuWindow", QStringLiteral("&Window"));
    addCommand(mnuWindow, "mnuWindowTileHorizontally", QStringLiteral("Tile &Horizontally"));
    addCommand(mnuWindow, "mnuWindowTileVertically", QStringLiteral("Tile &Vertically"));
    addCommand(mnuWindow, "mnuWindowCascade", QStringLiteral("&Cascade"));
    addCommand(mnuWindow, "mnuWindowArrangeIcons", QStringLiteral("&Arrange Icons"));
    // The separator mnuWindowSep and the list of open data windows follow.
    m_windowList = new WindowList(mnuWindow, this);

    mnuHelp = menu("mnuHelp", QStringLiteral("&Help"));
    addCommand(mnuHelp, "mnuHelpTopics", QStringLiteral("&Help Topics"), QKeySequence(Qt::Key_F1));
    mnuHelp->addSeparator();
    addCommand(mnuHelp, "mnuAbout", QStringLiteral("&About"));
}

void MDIForm1::connectSignals()
{
    auto on = [this](const char* name, void (MDIForm1::*slot)()) {
        QAction* action = findChild<QAction*>(QLatin1String(name));
        Q_ASSERT(action);
        connect(action, &QAction::triggered, this, slot);
    };
    on("mnuFileNew", &MDIForm1::mnuFileNew_Click);
    on("mnuFileOpen", &MDIForm1::mnuFileOpen_Click);
    on("mnuFileClose", &MDIForm1::mnuFileClose_Click);
    on("mnuFilePassword", &MDIForm1::mnuFilePassword_Click);
    on("mnuFileLoadlastDatabaseOnStartup", &MDIForm1::mnuFileLoadlastDatabaseOnStartup_Click);
    on("mnuFileExit", &MDIForm1::exitRequested);
    on("mnuMasterAcHeads", &MDIForm1::mnuMasterAcHeads_Click);
    on("mnuMasterGroups", &MDIForm1::mnuMasterGroups_Click);
    on("mnuTrnEntry", &MDIForm1::mnuTrnEntry_Click);
    on("mnuTrnSearch", &MDIForm1::mnuTrnSearch_Click);
    on("mnuRptTransactionList", &MDIForm1::mnuRptTransactionList_Click);
    on("mnuRptPeriodySummary", &MDIForm1::mnuRptPeriodySummary_Click);
    on("mnuViewToolbar", &MDIForm1::mnuViewToolbar_Click);
    on("mnuViewStatusBar", &MDIForm1::mnuViewStatusBar_Click);
    on("mnuWindowCascade", &MDIForm1::cascadeWindows);
    on("mnuWindowArrangeIcons", &MDIForm1::arrangeIcons);
    on("mnuHelpTopics", &MDIForm1::mnuHelpTopics_Click);
    on("mnuAbout", &MDIForm1::mnuAbout_Click);
    connect(findChild<QAction*>(QStringLiteral("mnuWindowTileHorizontally")), &QAction::triggered,
            this, [this] { tileWindows(Qt::Horizontal); });
    connect(findChild<QAction*>(QStringLiteral("mnuWindowTileVertically")), &QAction::triggered,
            this, [this] { tileWindows(Qt::Vertical); });
    for (int i = 0; i < mnuFileMRUF.size(); ++i)
        connect(mnuFileMRUF.at(i), &QAction::triggered, this, [this, i] { mnuFileMRUF_Click(i + 1); });

    connect(ToolBar, &ucToolbar::ButtonClick, this, &MDIForm1::ToolBar_ButtonClick);
    connect(m_windowList, &WindowList::windowChosen, this, &MDIForm1::activateChild);
    // The active data window's entry carries the check mark.
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (!sub || !sub->widget())
            return;
        if (QAction* entry = m_windowList->entryOf(sub->widget()))
            m_windowList->CheckWindowListEntry(entry);
    });
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
    // The first showing fits the window on the screen and centres it.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || isVisible())
        return;
    const QRect available = screen->availableGeometry();
    resize(std::min(width(), available.width() * 9 / 10), std::min(height(), available.height() * 9 / 10));
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
            m_panelWindow = m_mdiArea->addSubWindow(
                m_panel, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                             | Qt::WindowMinMaxButtonsHint);
            m_panelWindow->setObjectName(QStringLiteral("frmPanelWindow"));
            m_panelWindow->installEventFilter(this);
            m_panelWindow->move(12, 12);
        }
        m_panelWindow->show();

        DataStore& store = m_book.store;
        store.DataFolder = GetSetting(QStringLiteral("datafolder"), QStringLiteral("path"));

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
            opened = OpenAndRemember(fileName);

        if (GetSetting(QStringLiteral("StartUp"), QStringLiteral("LoadLastDatabase"), QStringLiteral("1"))
            == QStringLiteral("1")) {
            mnuFileLoadlastDatabaseOnStartup->setChecked(true);
            const QString last = GetSetting(QStringLiteral("StartUp"), QStringLiteral("LastDatabase"));
            if (!last.isEmpty() && !opened)
                OpenAndRemember(last);
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

bool MDIForm1::OpenAndRemember(const QString& fileName)
{
    if (!m_book.store.OpenDataFile(fileName))
        return false;
    SaveMRUF(fileName);
    LoadMRUF();
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

void MDIForm1::closeEvent(QCloseEvent* event)
{
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
}

void MDIForm1::closeDataWindows()
{
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
        if (sub == m_panelWindow)
            continue;
        const QPointer<QWidget> w = sub->widget();
        // The windows go when the event loop next runs; their Window-menu
        // entries go now, so the menu never lists a closed window.
        if (sub->close() && w)
            m_windowList->RemoveWindowListEntry(m_windowList->entryOf(w));
    }
}

StoreHost::LoginResult MDIForm1::showLogin(const QString& caption,
                                           const std::function<bool(const QString&)>& passwordMatches)
{
    frmLogin login(passwordMatches, this);
    login.setWindowTitle(caption);
    login.exec();
    if (login.LoginSucceeded)
        return LoginResult::Succeeded;
    return login.CancelClicked ? LoginResult::Cancelled : LoginResult::Failed;
}

// ---------------------------------------------------------------- WindowHost

QMdiSubWindow* MDIForm1::subWindowOf(const QWidget* w) const
{
    if (!w)
        return nullptr;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
        if (sub->widget() == w)
            return sub;
    }
    return nullptr;
}

QList<QWidget*> MDIForm1::childWindows() const
{
    QList<QWidget*> list;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (sub != m_panelWindow && sub->widget())
            list.append(sub->widget());
    }
    return list;
}

void MDIForm1::showChild(QWidget* w)
{
    if (!w)
        return;
    QMdiSubWindow* sub = subWindowOf(w);
    if (!sub) {
        sub = m_mdiArea->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowIcon(w->windowIcon().isNull() ? windowIcon() : w->windowIcon());
        // A window that closes itself takes its frame with it. The frame is
        // the receiver, so nothing is asked of a frame already on its way out.
        connect(w, &QObject::destroyed, sub, &QObject::deleteLater);
    }
    w->show();
    sub->show();
    m_mdiArea->setActiveSubWindow(sub);
}

void MDIForm1::activateChild(QWidget* w)
{
    QMdiSubWindow* sub = subWindowOf(w);
    if (!sub)
        return;
    if (sub->isMinimized())
        sub->showNormal();
    sub->show();
    m_mdiArea->setActiveSubWindow(sub);
    sub->raise();
}

// ---------------------------------------------------------------- File menu

bool MDIForm1::NoFileOpen()
{
    if (m_book.store.hasDocument())
        return false;
    MsgBox(QStringLiteral("No Quillbrook file is currently open. \r\n\r\nYou can open a Quillbrook file "
                          "from 'Open' option in 'File' menu \r\nor create a new Quillbrook file "
                          "from 'New' Option in 'File' menu"),
           MsgIcon::Information);
    return true;
}

void MDIForm1::mnuFileNew_Click()
{
    DataStore& store = m_book.store;
    const QString folder = store.DataFolder.isEmpty() ? PersonalFolder() : store.DataFolder;
    QString name = AskNewDataFileName(this, folder, {});
    if (name.isEmpty())
        return;
    if (name.right(4).toLower() != QStringLiteral(".qbf")) {
        name += QStringLiteral(".qbf");
        // The dialog checked the name as typed; the name with the extension
        // may belong to an existing book, which must not be replaced by an
        // empty one.
        if (QFileInfo::exists(name)) {
            MsgBox(QStringLiteral("A Quillbrook file already exist with this name in this folder"),
                   MsgIcon::Information);
            return;
        }
    }
    if (!store.CreateDataFile(name))
        return;
    if (!store.OpenDataFile(name))
        return;
    if (MsgBox(QStringLiteral("Do you want to set a password for the newly created file ?"),
               MsgIcon::Question, {}, MsgButtons::YesNo)
        == MsgResult::Yes) {
        frmSetPassword dialog(m_book.store, this);
        dialog.exec();
    }
    SaveMRUF(name);
    LoadMRUF();
}

void MDIForm1::mnuFileOpen_Click()
{
    const QString name = AskOpenDataFileName(this, m_book.store.DataFolder);
    if (name.isEmpty())
        return;
    OpenAndRemember(name);
}

void MDIForm1::mnuFileClose_Click()
{
    if (NoFileOpen())
        return;
    Cleanup();
}

void MDIForm1::mnuFilePassword_Click()
{
    if (NoFileOpen())
        return;
    frmSetPassword dialog(m_book.store, this);
    dialog.exec();
}

void MDIForm1::mnuFileLoadlastDatabaseOnStartup_Click()
{
    // The item toggles its own check mark when triggered.
    SaveSetting(QStringLiteral("StartUp"), QStringLiteral("LoadLastDatabase"),
                onOff(mnuFileLoadlastDatabaseOnStartup->isChecked()));
}

void MDIForm1::mnuFileMRUF_Click(int index)
{
    // The list keeps its order; a path that no longer exists does nothing.
    m_book.store.OpenDataFile(mnuFileMRUF.at(index - 1)->data().toString());
}

// ---------------------------------------------------------------- data windows

void MDIForm1::mnuMasterAcHeads_Click()
{
    if (NoFileOpen())
        return;
    OpenAccountHeads();
}

void MDIForm1::mnuMasterGroups_Click()
{
    if (NoFileOpen())
        return;
    OpenGroups();
}

void MDIForm1::mnuTrnEntry_Click()
{
    if (NoFileOpen())
        return;
    OpenTransactionEntry(DateToDocDate(m_book.clock.today()));
}

void MDIForm1::mnuTrnSearch_Click()
{
    if (NoFileOpen())
        return;
    OpenSearch();
}

void MDIForm1::mnuRptTransactionList_Click()
{
    if (NoFileOpen())
        return;
    OpenTransactionList(0);
}

void MDIForm1::mnuRptPeriodySummary_Click()
{
    if (NoFileOpen())
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
    SaveSetting(QStringLiteral("Statusbar"), QStringLiteral("visible"), onOff(StatusBar->isVisible()));
}

void MDIForm1::cascadeWindows()
{
    m_mdiArea->cascadeSubWindows();
}

void MDIForm1::tileWindows(Qt::Orientation orientation)
{
    // Tile Horizontally stacks the windows one above the other, each as wide
    // as the area; Tile Vertically puts them side by side. Minimized windows
    // keep their place.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (sub->isVisible() && !sub->isMinimized())
            windows.append(sub);
    }
    if (windows.isEmpty())
        return;
    const QRect area = m_mdiArea->viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = windows.at(i);
        if (sub->isMaximized())
            sub->showNormal();
        QRect r;
        if (orientation == Qt::Horizontal) {
            const int h = area.height() / n;
            r = QRect(0, i * h, area.width(), i == n - 1 ? area.height() - i * h : h);
        } else {
            const int w = area.width() / n;
            r = QRect(i * w, 0, i == n - 1 ? area.width() - i * w : w, area.height());
        }
        sub->setGeometry(r);
    }
}

void MDIForm1::arrangeIcons()
{
    // Minimized windows line up along the bottom of the area, left to right,
    // starting a row higher when one row is full.
    const QRect area = m_mdiArea->viewport()->rect();
    int x = 0;
    int y = area.height();
    int rowHeight = 0;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isVisible() || !sub->isMinimized())
            continue;
        const QSize size = sub->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= rowHeight;
            rowHeight = 0;
        }
        if (rowHeight == 0)
            rowHeight = size.height();
        sub->move(x, y - size.height());
        x += size.width();
    }
}

void MDIForm1::mnuHelpTopics_Click()
{
    const QString file = frmHelp::HelpFile();
    if (!m_help)
        m_help = new frmHelp(this);
    if (!m_help->showPage(file)) {
        MsgBox(QStringLiteral("The help file could not be opened:\r\n") + QDir::toNativeSeparators(file),
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
    case 1: mnuFileOpen_Click(); break;
    case 2: mnuFileClose_Click(); break;
    case 3: mnuMasterAcHeads_Click(); break;
    case 4: mnuMasterGroups_Click(); break;
    case 5: mnuTrnEntry_Click(); break;
    case 6: mnuTrnSearch_Click(); break;
    case 7: mnuRptTransactionList_Click(); break;
    case 8: mnuRptPeriodySummary_Click(); break;
    case 9: mnuHelpTopics_Click(); break;
    case 10: Q_EMIT exitRequested(); break;
    default: break;
    }
}

} // namespace qb
