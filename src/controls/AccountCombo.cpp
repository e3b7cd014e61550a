#include "controls/AccountCombo.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include "store/Xml.h"

namespace qb {

AccountCombo::AccountCombo(bool editable, QWidget* parent)
    : QComboBox(parent)
{
    setEditable(editable);
    if (editable) {
        // Completion is the window's own; the box never adds typed text itself.
        setCompleter(nullptr);
        setInsertPolicy(QComboBox::NoInsert);
        connect(lineEdit(), &QLineEdit::textEdited, this, &AccountCombo::onTextEdited);
    }
    setMaxVisibleItems(20);
    setMinimumContentsLength(16);
    connect(this, &QComboBox::currentIndexChanged, this, &AccountCombo::choiceChanged);
}

AccountCombo::~AccountCombo() = default;

int AccountCombo::SortedIndex(const QComboBox* combo, const QString& text)
{
    int lo = 0;
    int hi = combo->count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (combo->itemText(mid).compare(text, Qt::CaseInsensitive) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void AccountCombo::fillAccounts(const XmlNode& acMasterSection)
{
    const QSignalBlocker block(this);
    clear();
    for (const XmlNode& a : acMasterSection.childElements())
        addAccount(a.attributeValue(1), a.attributeValue(0).toInt());
    // An empty box chooses the first item added to it: the window wants none.
    setCurrentIndex(-1);
    if (isEditable())
        clearEditText();
}

void AccountCombo::refillAccounts(
    const XmlNode& acMasterSection, const QList<QPair<QString, int>>& extra)
{
    const std::optional<int> code = selectedCode();
    QLineEdit* edit = lineEdit();
    const QString typed = edit ? edit->text() : QString();
    const int caret = edit ? edit->cursorPosition() : 0;
    const int selectionStart = edit ? edit->selectionStart() : -1;
    const int selectionLength = edit ? int(edit->selectedText().size()) : 0;
    bool lost = false;
    {
        const QSignalBlocker block(this);
        clear();
        for (const XmlNode& a : acMasterSection.childElements()) {
            const QString name = a.attributeValue(1);
            insertItem(SortedIndex(this, name), name, a.attributeValue(0).toInt());
        }
        for (const auto& [name, itemCode] : extra)
            insertItem(SortedIndex(this, name), name, itemCode);
        const int index = code ? findData(*code) : -1;
        setCurrentIndex(index);
        lost = code && index < 0;
        if (edit) {
            // Typed text stays as typed; a chosen account shows its name now.
            const QString text = index >= 0 ? itemText(index) : typed;
            setEditText(text);
            if (text == typed && selectionStart >= 0 && selectionLength > 0)
                edit->setSelection(selectionStart, selectionLength);
            else if (text == typed)
                edit->setCursorPosition(caret);
        }
    }
    if (lost)
        emit choiceChanged();
}

int AccountCombo::addAccount(const QString& name, int code)
{
    const int index = SortedIndex(this, name);
    if (currentIndex() >= 0) {
        // The chosen item moves down a place when the new one goes before
        // it: the same account, no new choice.
        const QSignalBlocker block(this);
        insertItem(index, name, code);
        return index;
    }
    // An empty box would choose the item added to it and show its name:
    // an account added to the list is no choice, and a typed text stays.
    const QString text = currentText();
    const QSignalBlocker block(this);
    insertItem(index, name, code);
    setCurrentIndex(-1);
    if (isEditable())
        setEditText(text);
    return index;
}

std::optional<int> AccountCombo::selectedCode() const
{
    if (currentIndex() < 0)
        return std::nullopt;
    return currentData().toInt();
}

bool AccountCombo::chooseCode(int code)
{
    const int index = findData(code);
    if (index < 0)
        return false;
    if (index == currentIndex()) {
        // The text may have been typed over without dropping the choice (set from code).
        if (isEditable())
            setEditText(itemText(index));
        emit choiceChanged();
    } else {
        setCurrentIndex(index);
    }
    return true;
}

void AccountCombo::clearChoice()
{
    setCurrentIndex(-1);
    if (isEditable())
        clearEditText();
}

void AccountCombo::onTextEdited()
{
    if (currentIndex() >= 0) {
        QLineEdit* edit = lineEdit();
        const QString text = edit->text();
        const int caret = edit->cursorPosition();
        {
            const QSignalBlocker block(this);
            setCurrentIndex(-1);
        }
        edit->setText(text);
        edit->setCursorPosition(caret);
    }
    emit textTyped();
}

} // namespace qb
