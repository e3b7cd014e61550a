#pragma once

// Edits of the master data: account heads (add with the next code, rename
// keeping the code, the rules that keep an account in use from being
// deleted) and groups with their member lists. The windows and tests use
// these; the caller saves afterwards. Given a history, each edit adds
// itself to it as one undo step.

#include <QList>
#include <QString>
#include <QStringList>

#include "store/UndoHistory.h"
#include "store/Xml.h"

namespace qb {

// The name an account head or a group is stored under: the typed text with
// only allowed characters kept and no blanks around it.
QString StoredName(const QString& typed);

// The longest name an account head, a group or a date range may have, in characters.
constexpr int kMaxNameLength = 100;

// What a typed name amounts to for a new record or a rename.
enum class NameCheck { Accepted, Empty, TooLong, Duplicate };

// False for a name that is only digits, punctuation and blanks, or a date
// written with a month's name ("3 May 2024"): rather a slip of the keyboard
// than the name of an account.
bool LooksLikeName(const QString& name);

// ---------------------------------------------------------------- account heads

// The account head with this code, or null.
XmlNode FindAccount(const XmlDocument& document, int code);
// The account heads whose name equals name, letter case ignored, in document order.
QList<XmlNode> FindAccountsByName(const XmlDocument& document, const QString& name);

// Checks a typed name as it would be stored: empty, longer than
// kMaxNameLength, or the name of another account (letter case ignored). For a rename (editing not
// null) the account's own name is accepted unchanged, but a change of letter case only counts as a
// duplicate, as it would be with another account of that name.
NameCheck CheckAccountName(
    const XmlDocument& document, const QString& typed, const XmlNode& editing = {});

// Adding an account head: AddAccountHead (BookEdits.h).

// The account keeps its code; the name is stored as given.
void RenameAccount(XmlNode account, const QString& name, UndoHistory* history = nullptr);
// Removes an account head (the caller has checked CheckAccountDeletion).
void DeleteAccount(XmlNode account, UndoHistory* history = nullptr);

// Why an account cannot be deleted, if it cannot.
struct AccountDeletion
{
    enum Verdict { Allowed, InGroups, HasTransactions };
    Verdict verdict = Allowed;
    QStringList groups; // the groups holding the account, in document order
};
// An account that is a member of a group, or the From or To of a
// transaction, stays: the groups are checked first.
AccountDeletion CheckAccountDeletion(const XmlDocument& document, int code);
// The message that tells the user why (empty for Allowed), and its title
// (empty: the application's title).
QString AccountDeletionMessage(const AccountDeletion& deletion);
QString AccountDeletionTitle(const AccountDeletion& deletion);

// ---------------------------------------------------------------- groups

// The member list of a group: a comma, then each code followed by a comma
// (",3,1,7,"); a single comma for no members.
QString MemberList(const QList<int>& codes);
// The codes of a member list in order; empty pieces and pieces that are no
// number are skipped.
QList<int> MemberCodes(const QString& gi);

// The group whose name is exactly name, or null.
XmlNode FindGroup(const XmlDocument& document, const QString& name);
// The groups whose name equals name, letter case ignored, in document order.
QList<XmlNode> FindGroupsByName(const XmlDocument& document, const QString& name);
// As CheckAccountName, for groups.
NameCheck CheckGroupName(
    const XmlDocument& document, const QString& typed, const XmlNode& editing = {});

// Appends a group with its member list and name as given; returns it.
XmlNode AddGroup(
    XmlDocument& document, const QString& name, const QString& gi, UndoHistory* history = nullptr);
// Sets the name, then the member list (the first attribute).
void UpdateGroup(
    XmlNode group, const QString& name, const QString& gi, UndoHistory* history = nullptr);
void DeleteGroup(XmlNode group, UndoHistory* history = nullptr);

} // namespace qb
