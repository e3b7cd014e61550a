#pragma once

// The real message boxes, file dialogs and pop-up menus behind the program's
// own interfaces (UiServices.h). main() installs them; tests install recorders.

#include "store/UiServices.h"

class QMessageBox;
class QWidget;

namespace qb {

class QtPrompt final : public Prompt
{
public:
    MsgResult show(const Message& message) override;

    // The box that show() would display, not yet shown (for checking its look).
    static QMessageBox* createBox(const Message& message, QWidget* parent);
};

class QtFileDialogs final : public FileDialogs
{
public:
    QString choose(const FileRequest& request) override;
};

class QtPopupMenus final : public PopupMenus
{
public:
    int choose(const QList<MenuItem>& items) override;
};

// The window that owns a box or dialog shown now: the modal window on top,
// else the active window.
QWidget* DialogOwner();

} // namespace qb
