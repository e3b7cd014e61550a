#include "shell/FileCommands.h"

#include <QFileInfo>
#include <QWidget>

#include "shell/RecentFiles.h"
#include "shell/frmSetPassword.h"
#include "store/DataStore.h"
#include "store/UiServices.h"
#include "store/Utilities.h"
#include "windows/DataWindow.h"
#include "windows/FileAsk.h"

namespace qb {

FileCommands::FileCommands(DataStore& store, QWidget* window)
    : QObject(window)
    , m_store(store)
    , m_window(window)
{ }

bool FileCommands::NoFileOpen()
{
    if (m_store.hasDocument())
        return false;
    MsgBox(QStringLiteral(
               "No Quillbrook file is currently open. \r\n\r\nYou can open a Quillbrook file "
               "from 'Open' option in 'File' menu \r\nor create a new Quillbrook file "
               "from 'New' Option in 'File' menu"),
        MsgIcon::Information);
    return true;
}

bool FileCommands::OpenAndRemember(const QString& fileName)
{
    if (!SettleDataWindows() || !m_store.OpenDataFile(fileName))
        return false;
    SaveMRUF(fileName);
    Q_EMIT recentFilesChanged();
    return true;
}

void FileCommands::newFile()
{
    const QString folder = m_store.dataFolder().isEmpty() ? PersonalFolder() : m_store.dataFolder();
    QString name = AskNewDataFileName(m_window, folder, {});
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
    if (!SettleDataWindows() || !m_store.CreateDataFile(name))
        return;
    if (!m_store.OpenDataFile(name))
        return;
    if (MsgBox(QStringLiteral("Do you want to set a password for the newly created file ?"),
            MsgIcon::Question, {}, MsgButtons::YesNo)
        == MsgResult::Yes) {
        showPasswordWindow();
    }
    SaveMRUF(name);
    Q_EMIT recentFilesChanged();
}

void FileCommands::openFile()
{
    const QString name = AskOpenDataFileName(m_window, m_store.dataFolder());
    if (name.isEmpty())
        return;
    OpenAndRemember(name);
}

void FileCommands::closeFile()
{
    if (NoFileOpen() || !SettleDataWindows())
        return;
    m_store.CloseDocument();
}

void FileCommands::changePassword()
{
    if (NoFileOpen() || m_store.refuseChange())
        return;
    showPasswordWindow();
}

void FileCommands::showPasswordWindow()
{
    {
        frmSetPassword dialog(m_store, m_window);
        dialog.exec();
    }
    if (m_window)
        m_window->window()->activateWindow();
}

void FileCommands::openRecent(const QString& path)
{
    if (SettleDataWindows())
        m_store.OpenDataFile(path);
}

} // namespace qb
