#pragma once

// Typing a name no account head has into an account box and leaving the box
// asks "Add '<name>' to Account Heads ?". Yes adds the account head, saves
// the book, tells the other windows and chooses the new account in the box
// (listing it in every box watched). The entry window and the import window
// both offer new accounts through this.

#include <QList>
#include <QObject>

namespace qb {

class AccountCombo;
class DataStore;
class DataWindow;

// What leaving an account box came to.
enum class TypedAccount {
    None, // nothing typed, or a name that cannot be stored, or the book is read-only
    Listed, // the box's list has the name as typed (letter case ignored)
    Chosen, // an account of that name was there already and is chosen now
    Added, // the user said Yes: added, saved and chosen
    Declined, // the user said No: nothing chosen, the text stays
};

class NewAccountOffer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NewAccountOffer)

public:
    // Watches the boxes of window (which owns the offer): leaving one for
    // another control of the window offers its text. A pop-up list or
    // another window taking the focus is no leaving, nor is the window
    // closing.
    NewAccountOffer(DataWindow* window, DataStore& book, const QList<AccountCombo*>& boxes);
    ~NewAccountOffer() override;

    // Offers the text of box now (also for a command that uses the box
    // before the focus leaves it).
    TypedAccount offer(AccountCombo* box);

signals:
    // After the user left box and its text was offered.
    void left(qb::AccountCombo* box, qb::TypedAccount result);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DataWindow* m_window;
    DataStore& m_book;
    QList<AccountCombo*> m_boxes;
    bool m_offering = false;
};

} // namespace qb
