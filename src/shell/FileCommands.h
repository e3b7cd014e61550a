#pragma once

// The File menu's commands on the book: new, open, close, password, the
// recent files and the no-file guard every data command passes first. The
// dialogs and boxes they show are owned by the main window.

#include <QObject>
#include <QString>

class QWidget;

namespace qb {

class DataStore;

class FileCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileCommands)

public:
    FileCommands(DataStore& store, QWidget* window);

    // True, after telling the user, when no file is open.
    bool NoFileOpen();

    // Opens a file the user chose (command line, last file, Open File) and
    // puts it at the head of the recent files.
    bool OpenAndRemember(const QString& fileName);

    void newFile();
    void openFile();
    void closeFile();
    void changePassword();
    // A recent-files entry: the list keeps its order; a path that no longer
    // exists does nothing.
    void openRecent(const QString& path);

Q_SIGNALS:
    // The stored list of recent files changed.
    void recentFilesChanged();

private:
    // Shows the password window; once it closes, the main window is made
    // active again, so that its keys (Ctrl+W ...) work at once. A window
    // manager hands the activation back from the closing success box to the
    // password window, which closes right after it, and then to no one.
    void showPasswordWindow();
    DataStore& m_store;
    QWidget* m_window;
};

} // namespace qb
