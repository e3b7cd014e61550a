#include "store/UiServices.h"

#include <cstdio>

#include "store/DataStore.h"

namespace qb {

namespace {

MsgResult firstButton(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
        return MsgResult::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgResult::Yes;
    case MsgButtons::SaveDiscardCancel:
        return MsgResult::Save;
    }
    return MsgResult::Ok;
}

class ConsolePrompt final : public Prompt
{
public:
    MsgResult show(const Message& message) override
    {
        QString text = message.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        std::fprintf(stderr, "%s: %s\n", qPrintable(message.title), qPrintable(text));
        return message.defaultButton != MsgResult::None ? message.defaultButton
                                                        : firstButton(message.buttons);
    }
};

class NoFileDialogs final : public FileDialogs
{
public:
    QString choose(const FileRequest&) override { return {}; }
};

class NoPopupMenus final : public PopupMenus
{
public:
    int choose(const QList<MenuItem>&) override { return 0; }
};

Prompt* g_prompt = nullptr;
FileDialogs* g_dialogs = nullptr;
PopupMenus* g_menus = nullptr;

} // namespace

Prompt& Prompt::current()
{
    static ConsolePrompt console;
    return g_prompt ? *g_prompt : console;
}

void Prompt::install(Prompt* prompt)
{
    g_prompt = prompt;
}

FileDialogs& FileDialogs::current()
{
    static NoFileDialogs none;
    return g_dialogs ? *g_dialogs : none;
}

void FileDialogs::install(FileDialogs* dialogs)
{
    g_dialogs = dialogs;
}

PopupMenus& PopupMenus::current()
{
    static NoPopupMenus none;
    return g_menus ? *g_menus : none;
}

void PopupMenus::install(PopupMenus* menus)
{
    g_menus = menus;
}

MsgResult MsgBox(const QString& text, MsgIcon icon, const QString& title, MsgButtons buttons,
    MsgResult defaultButton)
{
    Message m;
    m.text = text;
    m.icon = icon;
    m.title = title.isEmpty() ? AppTitle() : title;
    m.buttons = buttons;
    m.defaultButton = defaultButton;
    return Prompt::current().show(m);
}

} // namespace qb
