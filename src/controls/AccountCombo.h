#pragma once

// The account list box: account names kept in alphabetical order (letter
// case ignored), each item carrying its account code as item data. A window
// chooses by code; in a box whose text can be typed, typed text is never a
// choice by itself: only an item of the list (chosen from the list, by the
// auto-complete or by code) counts.

#include <optional>

#include <QComboBox>
#include <QList>
#include <QPair>

namespace qb {

class XmlNode;

class AccountCombo final : public QComboBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AccountCombo)

public:
    // editable: the user types names (the entry window); otherwise a plain
    // drop-down list (the report windows).
    explicit AccountCombo(bool editable, QWidget* parent = nullptr);
    ~AccountCombo() override;

    // Clears the box and adds every account head of the section (the
    // AcMaster element), in alphabetical order. Nothing is chosen afterwards
    // and no signal is emitted.
    void fillAccounts(const XmlNode& acMasterSection);
    // Fills the box again from the section (and the extra items), keeping
    // what the user has: the chosen account by its code, shown under its
    // name now, or else the typed text with its caret and selection.
    // choiceChanged comes only when the chosen account is no longer there.
    void refillAccounts(
        const XmlNode& acMasterSection, const QList<QPair<QString, int>>& extra = {});
    // Adds one item at its alphabetical place; returns its index.
    int addAccount(const QString& name, int code);

    // The code of the chosen item; nothing when no item is chosen.
    std::optional<int> selectedCode() const;
    // Chooses the item whose code is code; choiceChanged comes even when it
    // was chosen already. False (and nothing changed) when no item has it.
    bool chooseCode(int code);
    // No item chosen; a typed text is emptied.
    void clearChoice();

    // Where text goes to keep a box's list in alphabetical order, letter case
    // ignored (after the items that compare equal).
    static int SortedIndex(const QComboBox* combo, const QString& text);

signals:
    // The chosen item changed (or was chosen again by code), also to none.
    void choiceChanged();
    // The user typed into the box; any choice has been dropped.
    void textTyped();

private:
    void onTextEdited();
};

} // namespace qb
