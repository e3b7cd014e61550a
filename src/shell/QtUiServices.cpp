#include "shell/QtUiServices.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace qb {

namespace {

QMessageBox::Icon boxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QList<QMessageBox::StandardButton> boxButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return {QMessageBox::Ok};
    case MsgButtons::OkCancel:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case MsgButtons::YesNo:
        return {QMessageBox::Yes, QMessageBox::No};
    case MsgButtons::YesNoCancel:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case MsgButtons::SaveDiscardCancel:
        return {QMessageBox::Save, QMessageBox::Discard, QMessageBox::Cancel};
    }
    return {QMessageBox::Ok};
}

QMessageBox::StandardButton toStandard(MsgResult result)
{
    switch (result) {
    case MsgResult::Ok:
        return QMessageBox::Ok;
    case MsgResult::Cancel:
        return QMessageBox::Cancel;
    case MsgResult::Yes:
        return QMessageBox::Yes;
    case MsgResult::No:
        return QMessageBox::No;
    case MsgResult::Save:
        return QMessageBox::Save;
    case MsgResult::Discard:
        return QMessageBox::Discard;
    case MsgResult::None:
        break;
    }
    return QMessageBox::NoButton;
}

MsgResult fromStandard(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Save:
        return MsgResult::Save;
    case QMessageBox::Discard:
        return MsgResult::Discard;
    default:
        break;
    }
    return MsgResult::None;
}

} // namespace

QWidget* DialogOwner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QMessageBox* QtPrompt::createBox(const Message& message, QWidget* parent)
{
    auto* box = new QMessageBox(parent);
    box->setIcon(boxIcon(message.icon));
    box->setWindowTitle(message.title);
    // Messages are written with CR LF between lines; they are plain text, not markup.
    QString text = message.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    const QList<QMessageBox::StandardButton> buttons = boxButtons(message.buttons);
    for (QMessageBox::StandardButton b : buttons)
        box->addButton(b);
    QMessageBox::StandardButton def = toStandard(message.defaultButton);
    if (!buttons.contains(def))
        def = buttons.first();
    box->setDefaultButton(def);
    // A Yes/No question is answered, not escaped; boxes with Cancel or a single button close on
    // Escape.
    if (buttons.contains(QMessageBox::Cancel))
        box->setEscapeButton(QMessageBox::Cancel);
    else if (buttons.size() == 1)
        box->setEscapeButton(buttons.first());
    return box;
}

MsgResult QtPrompt::show(const Message& message)
{
    QMessageBox* box = createBox(message, DialogOwner());
    const int answer = box->exec();
    delete box;
    return fromStandard(answer);
}

QString QtFileDialogs::choose(const FileRequest& request)
{
    QFileDialog dialog(DialogOwner());
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);
    dialog.setAcceptMode(
        request.kind == FileRequest::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(
        request.kind == FileRequest::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program asks about existing files itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilter(request.filter);
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    if (!request.suggestedName.isEmpty())
        dialog.selectFile(request.suggestedName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return {};
    // Names are cut at the first NUL character, as a fixed-size name buffer would be.
    QString name = QDir::toNativeSeparators(files.first());
    const qsizetype nul = name.indexOf(QChar(0));
    if (nul >= 0)
        name.truncate(nul);
    return name;
}

int QtPopupMenus::choose(const QList<MenuItem>& items)
{
    QMenu menu(DialogOwner());
    for (const MenuItem& item : items) {
        QAction* action = item.separator ? menu.addSeparator() : menu.addAction(item.text);
        action->setData(item.command);
        action->setEnabled(item.enabled);
    }
    QAction* chosen = menu.exec(QCursor::pos());
    return chosen ? chosen->data().toInt() : 0;
}

} // namespace qb
