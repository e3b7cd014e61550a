#include "store/MasterEdits.h"

#include <algorithm>

#include <QLocale>

#include "store/BookSchema.h"
#include "store/Records.h"
#include "store/Utilities.h"

namespace qb {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

XmlNode section(const XmlDocument& document, const QString& name)
{
    for (XmlNode s = document.documentElement().firstChildElement(); s;
         s = s.nextSiblingElement()) {
        if (s.name() == name)
            return s;
    }
    return {};
}

// The records of a section whose name (read by nameOf) equals name, letter
// case ignored. Names hold allowed characters only, so this compares as the
// program's upper-casing of a-z does. A walk without XPath: a typed name
// never becomes part of a query.
template <typename NameOf>
QList<XmlNode> recordsNamed(const XmlNode& records, const QString& name, NameOf nameOf)
{
    QList<XmlNode> found;
    for (XmlNode r = records.firstChildElement(); r; r = r.nextSiblingElement()) {
        if (nameOf(r).compare(name, Qt::CaseInsensitive) == 0)
            found.append(r);
    }
    return found;
}

NameCheck checkName(const QList<XmlNode>& sameName, const QString& stored, const XmlNode& editing,
    const QString& currentName)
{
    if (stored.isEmpty())
        return NameCheck::Empty;
    if (CharacterCount(stored) > kMaxNameLength)
        return NameCheck::TooLong;
    for (const XmlNode& r : sameName) {
        if (r != editing)
            return NameCheck::Duplicate;
    }
    // Only the record itself has the name: unchanged is fine, another letter case is not.
    if (!sameName.isEmpty() && stored != currentName)
        return NameCheck::Duplicate;
    return NameCheck::Accepted;
}

QString accountName(const XmlNode& a)
{
    return a.attribute(schema::kAcName);
}

QString groupName(const XmlNode& g)
{
    return g.text();
}

} // namespace

QString StoredName(const QString& typed)
{
    return AllowedCharsOnly(typed).trimmed();
}

bool LooksLikeName(const QString& name)
{
    if (!std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.isLetter(); }))
        return false;
    const QString simple = name.simplified();
    const QLocale english(QLocale::English);
    for (const QString& format : {QStringLiteral("d MMM yyyy"), QStringLiteral("d MMMM yyyy"),
             QStringLiteral("MMM d yyyy"), QStringLiteral("MMMM d yyyy"),
             QStringLiteral("MMM d, yyyy"), QStringLiteral("MMMM d, yyyy"),
             QStringLiteral("d. MMMM yyyy"), QStringLiteral("d-MMM-yyyy")}) {
        if (english.toDate(simple, format).isValid()
            || QLocale::system().toDate(simple, format).isValid())
            return false;
    }
    return true;
}

XmlNode FindAccount(const XmlDocument& document, int code)
{
    const QString wanted = QString::number(code);
    const XmlNode heads = section(document, schema::kAcMaster);
    for (XmlNode a = heads.firstChildElement(); a; a = a.nextSiblingElement()) {
        if (a.attribute(schema::kCode) == wanted)
            return a;
    }
    return {};
}

QList<XmlNode> FindAccountsByName(const XmlDocument& document, const QString& name)
{
    return recordsNamed(section(document, schema::kAcMaster), name, accountName);
}

NameCheck CheckAccountName(
    const XmlDocument& document, const QString& typed, const XmlNode& editing)
{
    const QString stored = StoredName(typed);
    return checkName(FindAccountsByName(document, stored), stored, editing,
        editing ? accountName(editing) : QString());
}

void RenameAccount(XmlNode account, const QString& name, UndoHistory* history)
{
    UndoRecorder undo(history, QStringLiteral("rename of account ") + accountName(account));
    undo.changing(account);
    account.setAttribute(schema::kAcName, name);
    undo.changed(account);
}

void DeleteAccount(XmlNode account, UndoHistory* history)
{
    if (!account)
        return;
    UndoRecorder undo(history, QStringLiteral("delete of account ") + accountName(account));
    undo.removing(account);
    account.parent().removeChild(account);
}

AccountDeletion CheckAccountDeletion(const XmlDocument& document, int code)
{
    AccountDeletion result;
    const QString member = QLatin1Char(',') + QString::number(code) + QLatin1Char(',');
    const XmlNode groups = section(document, schema::kGroups);
    for (XmlNode g = groups.firstChildElement(); g; g = g.nextSiblingElement()) {
        if (g.attribute(schema::kMembers).contains(member))
            result.groups.append(groupName(g));
    }
    if (!result.groups.isEmpty()) {
        result.verdict = AccountDeletion::InGroups;
        return result;
    }
    const QString wanted = QString::number(code);
    const XmlNode trans = section(document, schema::kTrans);
    for (XmlNode t = trans.firstChildElement(); t; t = t.nextSiblingElement()) {
        if (t.attribute(schema::kFrom) == wanted || t.attribute(schema::kTo) == wanted) {
            result.verdict = AccountDeletion::HasTransactions;
            return result;
        }
    }
    return result;
}

QString AccountDeletionMessage(const AccountDeletion& deletion)
{
    switch (deletion.verdict) {
    case AccountDeletion::Allowed:
        return {};
    case AccountDeletion::HasTransactions:
        return QStringLiteral("Transactions for this account exist. ") + kCrLf
            + QStringLiteral("Check the transaction list report to list the transactions.");
    case AccountDeletion::InGroups:
        break;
    }
    QStringList quoted;
    for (const QString& name : deletion.groups)
        quoted.append(QLatin1Char('\'') + name + QLatin1Char('\''));
    const QString list = quoted.join(QStringLiteral(", "));
    if (deletion.groups.size() == 1) {
        return QStringLiteral("This Account cannot be deleted because this account is part of this "
                              "group - ")
            + list + QStringLiteral(". ") + kCrLf
            + QStringLiteral("You can remove this account from this group and try deleting again");
    }
    return QStringLiteral("This Account cannot be deleted because this account is part of these "
                          "groups - ")
        + kCrLf + list + QStringLiteral(".") + kCrLf + kCrLf
        + QStringLiteral("You can remove this account from these group and try deleting again");
}

QString AccountDeletionTitle(const AccountDeletion& deletion)
{
    return deletion.verdict == AccountDeletion::HasTransactions
        ? QStringLiteral("Cannot delete account")
        : QString();
}

QString MemberList(const QList<int>& codes)
{
    QString gi = QStringLiteral(",");
    for (int code : codes)
        gi += QString::number(code) + QLatin1Char(',');
    return gi;
}

QList<int> MemberCodes(const QString& gi)
{
    QList<int> codes;
    for (const QString& piece : gi.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int code = piece.trimmed().toInt(&ok);
        if (ok)
            codes.append(code);
    }
    return codes;
}

XmlNode FindGroup(const XmlDocument& document, const QString& name)
{
    const XmlNode groups = section(document, schema::kGroups);
    for (XmlNode g = groups.firstChildElement(); g; g = g.nextSiblingElement()) {
        if (groupName(g) == name)
            return g;
    }
    return {};
}

QList<XmlNode> FindGroupsByName(const XmlDocument& document, const QString& name)
{
    return recordsNamed(section(document, schema::kGroups), name, groupName);
}

NameCheck CheckGroupName(const XmlDocument& document, const QString& typed, const XmlNode& editing)
{
    const QString stored = StoredName(typed);
    return checkName(FindGroupsByName(document, stored), stored, editing,
        editing ? groupName(editing) : QString());
}

XmlNode AddGroup(
    XmlDocument& document, const QString& name, const QString& gi, UndoHistory* history)
{
    Groups record;
    record.gi = gi;
    XmlNode group = record.CreateNode(section(document, schema::kGroups));
    group.setText(name);
    UndoRecorder(history, QStringLiteral("addition of group ") + name).inserted(group);
    return group;
}

void UpdateGroup(XmlNode group, const QString& name, const QString& gi, UndoHistory* history)
{
    UndoRecorder undo(history, QStringLiteral("change of group ") + groupName(group));
    undo.changing(group);
    group.setText(name);
    group.setAttribute(schema::kMembers, gi);
    undo.changed(group);
}

void DeleteGroup(XmlNode group, UndoHistory* history)
{
    if (!group)
        return;
    UndoRecorder undo(history, QStringLiteral("delete of group ") + groupName(group));
    undo.removing(group);
    group.parent().removeChild(group);
}

} // namespace qb
