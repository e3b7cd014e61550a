#include "store/BookCheck.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include "store/BookSchema.h"
#include "store/Money.h"
#include "store/Utilities.h"
#include "store/Xml.h"

namespace qb {

namespace {

const QStringList kSections = {schema::kAcMaster, schema::kPValue, schema::kTrans, schema::kGroups,
    schema::kNarration, schema::kI, schema::kDateRanges};

// A decimal integer of 1 or more that fits 32 bits; 0 when it is not one.
qint32 positiveCode(const QString& text)
{
    if (text.isEmpty())
        return 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    bool ok = false;
    const qint32 value = text.toInt(&ok);
    return ok && value > 0 ? value : 0;
}

bool isDocumentDate(const QString& text)
{
    return text.size() == 8 && positiveCode(text) && DocDateToDate(text.toInt()).isValid();
}

bool onlyAllowedChars(const QString& text)
{
    return OnlyAllowedChars(text);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The attributes a record must have, in this order, as the readers take them by position.
QString orderProblem(const XmlNode& node, const QStringList& expected)
{
    QStringList actual;
    for (int i = 0; i < node.attributeCount(); ++i)
        actual << node.attributeName(i);
    if (actual.mid(0, expected.size()) == expected)
        return {};
    return QStringLiteral("attributes are ") + actual.join(QLatin1Char(' '))
        + QStringLiteral(" instead of ") + expected.join(QLatin1Char(' '));
}

// Group names compare with a-z folded to capitals only.
QString foldedName(const QString& text)
{
    QString folded = text;
    for (QChar& c : folded) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 32);
    }
    return folded;
}

class Checker
{
public:
    explicit Checker(QStringList& out)
        : m_out(out)
    { }

    void run(const XmlDocument& document)
    {
        const XmlNode root = document.documentElement();
        if (!root) {
            m_out << QStringLiteral("the document is empty");
            return;
        }
        if (root.name() != schema::kData) {
            m_out << QStringLiteral("the root element is ") + root.name()
                    + QStringLiteral(", not Data");
            return;
        }
        QHash<QString, XmlNode> first;
        QHash<QString, int> count;
        for (const XmlNode& child : root.childElements()) {
            const QString name = child.name();
            if (name == QStringLiteral("Deleted")) {
                // The bin: optional, added by the first deletion.
                if (count[name]++ == 0)
                    checkDeleted(child);
                else if (count[name] == 2)
                    m_out << QStringLiteral("section Deleted appears more than once");
                continue;
            }
            if (name == schema::kImported || name == schema::kReconciliations
                || name == schema::kImportRules || name == schema::kSchedules) {
                // Optional: a book gets each with its first imported statement,
                // finished reconciliation, import rule or schedule.
                if (count[name]++ == 0)
                    first.insert(name, child);
                else if (count[name] == 2)
                    m_out << QStringLiteral("section ") + name
                            + QStringLiteral(" appears more than once");
                continue;
            }
            if (!kSections.contains(name)) {
                m_out << QStringLiteral("unexpected element ") + name + QStringLiteral(" in Data");
                continue;
            }
            if (count[name]++ == 0)
                first.insert(name, child);
        }
        for (const QString& name : kSections) {
            const int n = count.value(name);
            if (n == 0) {
                const bool repaired
                    = name == schema::kI || name == schema::kPValue || name == schema::kDateRanges;
                m_out << QStringLiteral("missing section ") + name
                        + (repaired ? QStringLiteral(" (added when the file is opened)")
                                    : QString());
            } else if (n > 1) {
                m_out << QStringLiteral("section ") + name + QStringLiteral(" appears ")
                        + QString::number(n) + QStringLiteral(" times");
            }
        }
        if (const XmlNode i = first.value(schema::kI)) {
            const QString text = i.text();
            bool letters = text.size() == 20;
            for (QChar c : text)
                letters = letters && c >= QLatin1Char('A') && c <= QLatin1Char('Z');
            if (!letters)
                m_out << QStringLiteral("I is not 20 capital letters: ") + quoted(text);
        }
        checkHeads(first.value(schema::kAcMaster));
        checkTransactions(first.value(schema::kTrans));
        checkGroups(first.value(schema::kGroups));
        checkDateRanges(first.value(schema::kDateRanges));
        checkImported(first.value(QStringLiteral("Imported")));
        checkReconciliations(first.value(schema::kReconciliations));
        checkSchedules(first.value(schema::kSchedules));
        checkImportRules(first.value(schema::kImportRules));
    }

private:
    void checkHeads(const XmlNode& section)
    {
        if (!section)
            return;
        int position = 0;
        for (XmlNode a = section.firstChildElement(); a; a = a.nextSiblingElement()) {
            ++position;
            const QString code = a.attribute(schema::kCode);
            const QString where = QStringLiteral("account head ") + QString::number(position)
                + QStringLiteral(" (Code ") + code + QStringLiteral("): ");
            if (a.name() != schema::kAccount) {
                m_out << QStringLiteral("AcMaster holds an element ") + a.name();
                continue;
            }
            if (const QString order = orderProblem(a, {schema::kCode, schema::kAcName});
                !order.isEmpty())
                m_out << where + order;
            const qint32 value = positiveCode(code);
            if (!value)
                m_out << where + QStringLiteral("Code is not a whole number of 1 or more");
            else if (m_codes.contains(value))
                m_out << where + QStringLiteral("another account head has the same code");
            else
                m_codes.insert(value);
            if (!onlyAllowedChars(a.attribute(schema::kAcName)))
                m_out << where
                        + QStringLiteral("the name holds characters outside the allowed set");
            checkHeadName(where, a.attribute(schema::kAcName));
        }
    }

    // A head needs a name, and one that no other head has with letter case
    // ignored: lists, pages and exports tell accounts apart by name.
    void checkHeadName(const QString& where, const QString& name)
    {
        const QString folded = foldedName(name.trimmed());
        if (folded.isEmpty()) {
            m_out << where + QStringLiteral("the name is empty");
            return;
        }
        const QString head = where.left(where.size() - 2);
        if (const auto other = m_headNames.constFind(folded); other != m_headNames.constEnd())
            m_out << where + QStringLiteral("the same name as ") + *other
                    + QStringLiteral(", letter case ignored");
        else
            m_headNames.insert(folded, head);
    }

    void checkAccount(const QString& where, const QString& role, const QString& text)
    {
        const qint32 code = positiveCode(text);
        if (!code)
            m_out << where + role + QStringLiteral(" account ") + quoted(text)
                    + QStringLiteral(" is not an account code");
        else if (!m_codes.contains(code))
            m_out << where + role + QStringLiteral(" account ") + text
                    + QStringLiteral(" has no account head");
    }

    void checkTransactions(const XmlNode& section)
    {
        if (!section)
            return;
        QSet<qint64> keys;
        int position = 0;
        for (XmlNode t = section.firstChildElement(); t; t = t.nextSiblingElement()) {
            ++position;
            const QString no = t.attribute(schema::kNo);
            const QString dt = t.attribute(schema::kDate);
            const QString where = QStringLiteral("transaction ") + QString::number(position)
                + QStringLiteral(" (dt ") + dt + QStringLiteral(", No ") + no
                + QStringLiteral("): ");
            if (t.name() != schema::kTransaction) {
                m_out << QStringLiteral("Trans holds an element ") + t.name();
                continue;
            }
            if (const QString order = orderProblem(
                    t, {schema::kNo, schema::kDate, schema::kFrom, schema::kTo, schema::kNar});
                !order.isEmpty())
                m_out << where + order;
            const qint32 number = positiveCode(no);
            const bool dated = isDocumentDate(dt);
            if (!number)
                m_out << where + QStringLiteral("No is not a whole number of 1 or more");
            if (!dated)
                m_out << where + QStringLiteral("dt is not a date of eight digits (yyyymmdd)");
            if (number && dated) {
                const qint64 key = qint64(dt.toInt()) * 10000000000LL + number;
                if (keys.contains(key))
                    m_out << where
                            + QStringLiteral("another transaction has the same date and number");
                else
                    keys.insert(key);
            }
            const QString from = t.attribute(schema::kFrom);
            const QString to = t.attribute(schema::kTo);
            checkAccount(where, QStringLiteral("From"), from);
            checkAccount(where, QStringLiteral("To"), to);
            if (from == to)
                m_out << where + QStringLiteral("From and To are the same account");
            const QString amount = t.text();
            if (!BookCheck::isPlainAmount(amount)) {
                m_out << where + QStringLiteral("amount ") + quoted(amount)
                        + QStringLiteral(" is not a positive plain decimal");
            } else {
                // The amount box takes nine integer digits and two decimals:
                // anything longer came from elsewhere.
                if (Money::decimalDigits(amount) > Money::kEntryDecimals)
                    m_out << where + QStringLiteral("amount ") + quoted(amount)
                            + QStringLiteral(" has more than two decimals");
                if (Money::integerDigits(amount) > Money::kEntryDigits)
                    m_out << where + QStringLiteral("amount ") + quoted(amount)
                            + QStringLiteral(" has more than nine integer digits");
            }
            if (!onlyAllowedChars(t.attribute(schema::kNar)))
                m_out << where
                        + QStringLiteral("the narration holds characters outside the allowed set");
            checkStatus(where, t);
        }
    }

    void checkGroups(const XmlNode& section)
    {
        if (!section)
            return;
        QSet<QString> names;
        int position = 0;
        for (XmlNode g = section.firstChildElement(); g; g = g.nextSiblingElement()) {
            ++position;
            const QString name = g.text();
            const QString where = QStringLiteral("group ") + QString::number(position)
                + QStringLiteral(" (") + name + QStringLiteral("): ");
            if (g.name() != schema::kGroup) {
                m_out << QStringLiteral("Groups holds an element ") + g.name();
                continue;
            }
            if (g.attributeName(0) != schema::kMembers)
                m_out << where + QStringLiteral("the member list gi is not the first attribute");
            const QString gi = g.attribute(schema::kMembers);
            if (!BookCheck::isMemberList(gi)) {
                m_out << where + QStringLiteral("member list ") + quoted(gi)
                        + QStringLiteral(" is not of the form ,code,code,");
            } else {
                for (const QString& code : gi.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                    const qint32 value = positiveCode(code);
                    if (!value || !m_codes.contains(value))
                        m_out << where + QStringLiteral("member ") + code
                                + QStringLiteral(" has no account head");
                }
                checkMembersOnce(where, gi);
            }
            if (!onlyAllowedChars(name))
                m_out << where
                        + QStringLiteral("the name holds characters outside the allowed set");
            if (name.trimmed().isEmpty())
                m_out << where + QStringLiteral("the name is empty");
            const QString folded = foldedName(name.trimmed());
            if (!folded.isEmpty() && names.contains(folded))
                m_out << where + QStringLiteral("another group has the same name");
            names.insert(folded);
        }
    }

    // A member listed twice counts twice in the group's sums.
    void checkMembersOnce(const QString& where, const QString& gi)
    {
        QSet<QString> seen;
        QSet<QString> told;
        for (const QString& code : gi.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            // "01" is member 1 too.
            const qint32 value = positiveCode(code);
            const QString key = value ? QString::number(value) : code;
            if (seen.contains(key) && !told.contains(key)) {
                m_out << where + QStringLiteral("member ") + code
                        + QStringLiteral(" is listed more than once");
                told.insert(key);
            }
            seen.insert(key);
        }
    }

    void checkDateRanges(const XmlNode& section)
    {
        if (!section)
            return;
        int position = 0;
        for (XmlNode r = section.firstChildElement(); r; r = r.nextSiblingElement()) {
            ++position;
            const QString where = QStringLiteral("date range ") + QString::number(position)
                + QStringLiteral(" (") + r.attribute(QStringLiteral("Caption"))
                + QStringLiteral("): ");
            if (r.name() != QStringLiteral("DR")) {
                m_out << QStringLiteral("DateRanges holds an element ") + r.name();
                continue;
            }
            if (const QString order = orderProblem(
                    r, {QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("Caption")});
                !order.isEmpty())
                m_out << where + order;
            if (r.attribute(QStringLiteral("Caption")) == QStringLiteral("-"))
                continue; // a separator line needs no dates
            if (!isDocumentDate(r.attribute(QStringLiteral("From")))
                || !isDocumentDate(r.attribute(QStringLiteral("To"))))
                m_out << where
                        + QStringLiteral("From and To must be dates of eight digits (yyyymmdd)");
        }
    }

    // Each entry: a d with Id (unique), At (yyyyMMddHHmmss), then the
    // transaction's attributes in their order and a plain amount. Accounts
    // may have gone since: a restore refuses those.
    void checkDeleted(const XmlNode& section)
    {
        QSet<QString> ids;
        int position = 0;
        for (XmlNode d = section.firstChildElement(); d; d = d.nextSiblingElement()) {
            ++position;
            const QString id = d.attribute(QStringLiteral("Id"));
            const QString where = QStringLiteral("deleted transaction ") + QString::number(position)
                + QStringLiteral(" (Id ") + id + QStringLiteral("): ");
            if (d.name() != QStringLiteral("d")) {
                m_out << QStringLiteral("Deleted holds an element ") + d.name();
                continue;
            }
            if (const QString order = orderProblem(d,
                    {QStringLiteral("Id"), QStringLiteral("At"), QStringLiteral("No"),
                        QStringLiteral("dt"), QStringLiteral("fAc"), QStringLiteral("tAc"),
                        QStringLiteral("Nar")});
                !order.isEmpty())
                m_out << where + order;
            checkId(where, id, ids);
            const QString at = d.attribute(QStringLiteral("At"));
            if (at.size() != 14
                || !QDateTime::fromString(at, QStringLiteral("yyyyMMddHHmmss")).isValid())
                m_out << where
                        + QStringLiteral("At must be a time of fourteen digits (yyyymmddhhmmss)");
            if (!positiveCode(d.attribute(QStringLiteral("No"))))
                m_out << where + QStringLiteral("No must be a number of 1 or more");
            if (!isDocumentDate(d.attribute(QStringLiteral("dt"))))
                m_out << where + QStringLiteral("dt must be a date of eight digits (yyyymmdd)");
            if (!positiveCode(d.attribute(QStringLiteral("fAc")))
                || !positiveCode(d.attribute(QStringLiteral("tAc"))))
                m_out << where + QStringLiteral("fAc and tAc must be account codes");
            if (!BookCheck::isPlainAmount(d.text()))
                m_out << where + QStringLiteral("amount ") + quoted(d.text())
                        + QStringLiteral(" is not a plain positive number");
        }
    }

    // The optional status: St "C" or "R"; Rc, a date, only beside "R".
    void checkStatus(const QString& where, const XmlNode& t)
    {
        const QString status = t.attribute(schema::kStatus);
        if (t.hasAttribute(schema::kStatus) && status != schema::kStatusCleared
            && status != schema::kStatusReconciled)
            m_out << where + QStringLiteral("St is ") + quoted(status)
                    + QStringLiteral(", not C or R");
        if (!t.hasAttribute(schema::kReconciledOn))
            return;
        if (status != schema::kStatusReconciled)
            m_out << where + QStringLiteral("Rc is given for a transaction that is not reconciled");
        if (!isDocumentDate(t.attribute(schema::kReconciledOn)))
            m_out << where + QStringLiteral("Rc is not a date of eight digits (yyyymmdd)");
    }

    // Finished reconciliations: account, statement date and ending balance.
    void checkReconciliations(const XmlNode& section)
    {
        if (!section)
            return;
        int position = 0;
        for (XmlNode r = section.firstChildElement(); r; r = r.nextSiblingElement()) {
            ++position;
            const QString where = QStringLiteral("reconciliation ") + QString::number(position)
                + QStringLiteral(": ");
            if (r.name() != schema::kReconciliation) {
                m_out << schema::kReconciliations + QStringLiteral(" holds an element ") + r.name();
                continue;
            }
            checkBalanceRecord(where, r);
        }
    }

    // A balance on a date for an account: a reconciliation or a statement's.
    void checkBalanceRecord(const QString& where, const XmlNode& r)
    {
        if (const QString problem
            = orderProblem(r, {schema::kRecAccount, schema::kRecDate, schema::kRecBalance});
            !problem.isEmpty())
            m_out << where + problem;
        const QString account = r.attribute(schema::kRecAccount);
        if (!positiveCode(account))
            m_out << where + QStringLiteral("Ac is not an account code: ") + quoted(account);
        else if (!m_codes.contains(positiveCode(account)))
            m_out << where + QStringLiteral("account ") + account
                    + QStringLiteral(" has no account head");
        if (!isDocumentDate(r.attribute(schema::kRecDate)))
            m_out << where + QStringLiteral("dt is not a date of eight digits (yyyymmdd)");
        const QString balance = r.attribute(schema::kRecBalance);
        if (!Money::parse(balance))
            m_out << where + QStringLiteral("Bal ") + quoted(balance)
                    + QStringLiteral(" is not a plain decimal amount");
    }

    // The person's import rules: r with a text and an account that has a head.
    void checkImportRules(const XmlNode& section)
    {
        if (!section)
            return;
        int position = 0;
        for (XmlNode r = section.firstChildElement(); r; r = r.nextSiblingElement()) {
            const QString where = QStringLiteral("import rule ") + QString::number(++position)
                + QStringLiteral(": ");
            if (r.name() != schema::kRule) {
                m_out << schema::kImportRules + QStringLiteral(" holds an element ") + r.name();
                continue;
            }
            if (const QString problem = orderProblem(r, {schema::kRuleText, schema::kRuleAccount});
                !problem.isEmpty())
                m_out << where + problem;
            if (r.attribute(schema::kRuleText).simplified().isEmpty())
                m_out << where + QStringLiteral("the text is empty");
            const QString account = r.attribute(schema::kRuleAccount);
            if (!positiveCode(account) || !m_codes.contains(positiveCode(account)))
                m_out << where + QStringLiteral("account ") + quoted(account)
                        + QStringLiteral(" has no account head");
        }
    }

    // The lines of imported statements (l: account, id, the transaction
    // made) and the bank accounts paired with account heads (b).
    void checkImported(const XmlNode& section)
    {
        if (!section)
            return;
        int position = 0;
        QSet<QString> ids;
        for (XmlNode r = section.firstChildElement(); r; r = r.nextSiblingElement()) {
            ++position;
            const QString where = QStringLiteral("imported record ") + QString::number(position)
                + QStringLiteral(" (Id ") + r.attribute(QStringLiteral("Id"))
                + QStringLiteral("): ");
            if (r.name() == schema::kStatementBalance) {
                checkBalanceRecord(QStringLiteral("statement balance ") + QString::number(position)
                        + QStringLiteral(": "),
                    r);
                continue;
            }
            const bool line = r.name() == QStringLiteral("l");
            if (!line && r.name() != QStringLiteral("b")) {
                m_out << QStringLiteral("Imported holds an element ") + r.name();
                continue;
            }
            const QStringList order = line
                ? QStringList {QStringLiteral("Ac"), QStringLiteral("Id"), QStringLiteral("dt"),
                    QStringLiteral("No")}
                : QStringList {QStringLiteral("Id"), QStringLiteral("Ac")};
            if (const QString problem = orderProblem(r, order); !problem.isEmpty())
                m_out << where + problem;
            const QString account = r.attribute(QStringLiteral("Ac"));
            if (!positiveCode(account))
                m_out << where + QStringLiteral("Ac is not an account code: ") + quoted(account);
            else if (!m_codes.contains(positiveCode(account)))
                m_out << where + QStringLiteral("account ") + account
                        + QStringLiteral(" has no account head");
            if (r.attribute(QStringLiteral("Id")).isEmpty())
                m_out << where + QStringLiteral("the id is empty");
            if (!line)
                continue;
            if (!isDocumentDate(r.attribute(QStringLiteral("dt")))
                || !positiveCode(r.attribute(QStringLiteral("No"))))
                m_out << where
                        + QStringLiteral(
                            "dt and No must name a transaction (yyyymmdd and a number)");
            const QString key = account + QLatin1Char(' ') + r.attribute(QStringLiteral("Id"));
            if (ids.contains(key))
                m_out << where + QStringLiteral("the id is remembered twice for account ")
                        + account;
            ids.insert(key);
        }
    }

    // A record's Id: a number of 1 or more that no other record of its section has.
    void checkId(const QString& where, const QString& id, QSet<QString>& ids)
    {
        if (!positiveCode(id))
            m_out << where + QStringLiteral("Id must be a number of 1 or more");
        else if (ids.contains(id))
            m_out << where + QStringLiteral("Id is used more than once");
        ids.insert(id);
    }

    // Each schedule: an s with Id (unique), the accounts, narration, first
    // date, repetition and a plain amount; the optional attributes that
    // follow are dates, a count or the flag 1.
    void checkSchedules(const XmlNode& section)
    {
        using namespace schema;
        if (!section)
            return;
        QSet<QString> ids;
        int position = 0;
        for (XmlNode s = section.firstChildElement(); s; s = s.nextSiblingElement()) {
            ++position;
            const QString id = s.attribute(kScheduleId);
            const QString where = QStringLiteral("schedule ") + QString::number(position)
                + QStringLiteral(" (Id ") + id + QStringLiteral("): ");
            if (s.name() != kSchedule) {
                m_out << QStringLiteral("Schedules holds an element ") + s.name();
                continue;
            }
            if (const QString order
                = orderProblem(s, {kScheduleId, kFrom, kTo, kNar, kFirst, kEvery, kUnit});
                !order.isEmpty())
                m_out << where + order;
            checkId(where, id, ids);
            const qint32 from = positiveCode(s.attribute(kFrom));
            const qint32 to = positiveCode(s.attribute(kTo));
            if (!m_codes.contains(from) || !m_codes.contains(to))
                m_out << where + QStringLiteral("fAc and tAc must be codes of account heads");
            else if (from == to)
                m_out << where + QStringLiteral("fAc and tAc are the same account");
            if (!onlyAllowedChars(s.attribute(kNar)))
                m_out << where + QStringLiteral("the narration holds characters it may not hold");
            for (const QString& name : {kFirst, kUntil, kDone, kWait}) {
                if ((name == kFirst || s.hasAttribute(name)) && !isDocumentDate(s.attribute(name)))
                    m_out << where + name
                            + QStringLiteral(" must be a date of eight digits (yyyymmdd)");
            }
            const qint32 every = positiveCode(s.attribute(kEvery));
            if (every < 1 || every > 999)
                m_out << where + QStringLiteral("Every must be a number from 1 to 999");
            const QString unit = s.attribute(kUnit);
            if (unit.size() != 1 || !QStringLiteral("dwmy").contains(unit))
                m_out << where + QStringLiteral("Unit must be d, w, m or y");
            if (s.hasAttribute(kCount) && !positiveCode(s.attribute(kCount)))
                m_out << where + QStringLiteral("Count must be a number of 1 or more");
            for (const QString& flag : {kLastDay, kAuto}) {
                if (s.hasAttribute(flag) && s.attribute(flag) != QStringLiteral("1"))
                    m_out << where + flag + QStringLiteral(" must be 1 when it is there");
            }
            if (!BookCheck::isPlainAmount(s.text()))
                m_out << where + QStringLiteral("amount ") + quoted(s.text())
                        + QStringLiteral(" is not a plain positive number");
        }
    }

    QStringList& m_out;
    QSet<qint32> m_codes;
    QHash<QString, QString> m_headNames; // folded name: "account head N (Code C)"
};

} // namespace

QStringList BookCheck::problems(const XmlDocument& document)
{
    QStringList out;
    Checker(out).run(document);
    return out;
}

bool BookCheck::isPlainAmount(const QString& text)
{
    return Money::isCanonicalPositive(text);
}

bool BookCheck::isMemberList(const QString& text)
{
    if (text == QStringLiteral(","))
        return true;
    if (text.size() < 3 || !text.startsWith(QLatin1Char(',')) || !text.endsWith(QLatin1Char(',')))
        return false;
    const QStringList codes = text.mid(1, text.size() - 2).split(QLatin1Char(','));
    for (const QString& code : codes) {
        if (code.isEmpty())
            return false;
        for (QChar c : code) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
    }
    return true;
}

} // namespace qb
