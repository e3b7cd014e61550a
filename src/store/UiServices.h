#pragma once

// The program's own small interfaces to modal boxes, file dialogs and pop-up
// menus. The store and the report engine talk to these; the shell installs
// the Qt implementations, tests install recorders that answer from a script.

#include <QList>
#include <QString>

namespace qb {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, SaveDiscardCancel };
enum class MsgResult { None, Ok, Cancel, Yes, No, Save, Discard };

struct Message
{
    QString text;
    MsgIcon icon = MsgIcon::None;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgResult defaultButton = MsgResult::None; // None: the first button
};

class Prompt
{
public:
    virtual ~Prompt() = default;
    virtual MsgResult show(const Message& message) = 0;

    // The prompt in use. Without an installed one, messages go to stderr and
    // the default button answers (the command-line tool works that way).
    static Prompt& current();
    static void install(Prompt* prompt); // not owned; nullptr restores the default
};

// Shows a message box; an empty title shows the application's title.
MsgResult MsgBox(const QString& text, MsgIcon icon = MsgIcon::None, const QString& title = {},
    MsgButtons buttons = MsgButtons::Ok, MsgResult defaultButton = MsgResult::None);

struct FileRequest
{
    enum Kind { Open, Save };
    Kind kind = Open;
    QString title; // empty: the system's default title
    QString filter; // e.g. "Quillbrook data file(*.qbf)"
    QString folder; // starting folder
    QString suggestedName;
};

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // The chosen full path, or empty when cancelled.
    virtual QString choose(const FileRequest& request) = 0;

    static FileDialogs& current();
    static void install(FileDialogs* dialogs);
};

struct MenuItem
{
    QString text;
    int command = 0;
    bool separator = false;
    bool enabled = true; // a greyed item cannot be chosen
};

class PopupMenus
{
public:
    virtual ~PopupMenus() = default;
    // Shows the items at the mouse cursor; the chosen command number, or 0 when dismissed.
    virtual int choose(const QList<MenuItem>& items) = 0;

    static PopupMenus& current();
    static void install(PopupMenus* menus);
};

} // namespace qb
