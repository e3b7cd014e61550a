#pragma once

// Shared fixtures: a temporary folder with the settings kept inside it, and
// recorders for message boxes, file dialogs and pop-up menus that answer
// from a script instead of blocking.

#include <memory>

#include <QList>
#include <QObject>
#include <QQueue>
#include <QString>
#include <QTemporaryDir>

#include "store/DataStore.h"
#include "store/UiServices.h"

namespace qb::test {

// A fresh temporary folder; QSettings (IniFormat, user scope) point inside it.
class TempEnv
{
public:
    TempEnv();
    ~TempEnv();
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// The base of a test object whose every test function starts in a fresh
// temporary folder (settings inside it), gone again after the function.
class FolderTest : public QObject
{
    Q_OBJECT

protected:
    QString path(const QString& name) const { return m_env->path(name); }
    QString folder() const { return m_env->folder(); }

private slots:
    void init() { m_env = std::make_unique<TempEnv>(); }
    void cleanup() { m_env.reset(); }

private:
    std::unique_ptr<TempEnv> m_env;
};

class RecordingPrompt final : public Prompt
{
public:
    RecordingPrompt() { Prompt::install(this); }
    ~RecordingPrompt() override { Prompt::install(nullptr); }

    // Answers for the next boxes, in order; without one the default button answers.
    void answer(MsgResult result) { m_answers.enqueue(result); }
    MsgResult show(const Message& message) override;

    QList<Message> shown;
    int count() const { return int(shown.size()); }
    Message last() const { return shown.isEmpty() ? Message() : shown.last(); }
    void clear() { shown.clear(); }

private:
    QQueue<MsgResult> m_answers;
};

class RecordingFileDialogs final : public FileDialogs
{
public:
    RecordingFileDialogs() { FileDialogs::install(this); }
    ~RecordingFileDialogs() override { FileDialogs::install(nullptr); }
    void answer(const QString& path) { m_answers.enqueue(path); }
    QString choose(const FileRequest& request) override;
    QList<FileRequest> requests;

private:
    QQueue<QString> m_answers;
};

class ScriptedPopupMenus final : public PopupMenus
{
public:
    ScriptedPopupMenus() { PopupMenus::install(this); }
    ~ScriptedPopupMenus() override { PopupMenus::install(nullptr); }
    // The command number to choose next; 0 dismisses.
    void answer(int command) { m_answers.enqueue(command); }
    int choose(const QList<MenuItem>& items) override;
    QList<QList<MenuItem>> shown;

private:
    QQueue<int> m_answers;
};

// The store a test program's windows share, as the program's main makes one.
DataStore& sharedStore();

// A file's bytes (empty when it cannot be read); writes bytes as a whole file.
QByteArray fileBytes(const QString& path);
bool writeBytes(const QString& path, const QByteArray& bytes);
// The text of each node, blanks around it trimmed (a page's cells, in order).
QStringList nodeTexts(const QList<XmlNode>& nodes);
// The names of the root's child elements, in order.
QStringList sectionNames(const XmlDocument& doc);

// Writes an XML text as an enciphered data file.
bool writeDataFile(const QString& path, const QByteArray& xml);
// Reads and deciphers a data file.
QByteArray readDataFile(const QString& path);

// A small book without password: accounts Cash(1), Bank(2), Salary(3), Food(4),
// four transactions in January and February 2013, group "Money" (1, 2), two narrations.
QByteArray sampleBookXml();

// The built qbtool (beside the test program) run in folder: its exit code
// (-1 when it crashed or hung), standard output and standard error.
struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};
ToolRun runQbtool(const QString& folder, const QStringList& args);

} // namespace qb::test
