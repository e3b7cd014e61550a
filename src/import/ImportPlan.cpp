#include "import/ImportPlan.h"

#include <algorithm>
#include <vector>

#include <QCryptographicHash>
#include <QLocale>
#include <QSet>

#include "store/BookSchema.h"
#include "store/Records.h"
#include "store/Utilities.h"

namespace qb {

namespace {

const QString kImported = QStringLiteral("Imported");

int parseInt(QByteArrayView text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

QString dateText(int docDate)
{
    const QDate date = DocDateToDate(docDate);
    return date.isValid() ? date.toString(QStringLiteral("dd-MM-yyyy")) : QString::number(docDate);
}

struct Candidate
{
    qint64 day = 0; // Julian day
    TransactionKey key;
    bool used = false;
    bool hasId = false; // imported from a line that carried the bank's id
};

const QString kRepeatedIdsNote = QStringLiteral(
    "the bank's ids repeat within the file, so its lines were matched by amount and date");

// A bank that gives one id to different lines makes the file's ids useless:
// lines equal in date and amount under one id are the same line twice.
bool idsAreUsable(const Statement& statement)
{
    QHash<QString, const StatementLine*> first;
    for (const StatementLine& line : statement.lines) {
        if (line.id.isEmpty())
            continue;
        const auto seen = first.constFind(line.id);
        if (seen == first.cend())
            first.insert(line.id, &line);
        else if ((*seen)->date != line.date || (*seen)->amount != line.amount)
            return false;
    }
    return true;
}

// Account codes by name, letters in lower case.
QHash<QString, int> accountsByName(const XmlDocument& document)
{
    QHash<QString, int> codes;
    for (XmlNode a
         = document.selectSingleNode(QStringLiteral("/Data/AcMaster")).firstChildElement();
         a; a = a.nextSiblingElement())
        codes.insert(a.attribute(schema::kAcName).simplified().toLower(),
            a.attribute(QStringLiteral("Code")).toInt());
    return codes;
}

// The book's account a QIF category names: "Groceries", "Food:Groceries"
// (the whole name, else its last part, else its first), "[Savings]" for a
// transfer; a class after "/" is no part of it. 0 when no account has the name.
int accountOfCategory(const QHash<QString, int>& accounts, QString category)
{
    category = category.section(QLatin1Char('/'), 0, 0).simplified();
    if (category.startsWith(QLatin1Char('[')) && category.endsWith(QLatin1Char(']')))
        category = category.mid(1, category.size() - 2).simplified();
    category = category.toLower();
    if (category.isEmpty())
        return 0;
    for (const QString& name : {category, category.section(QLatin1Char(':'), -1).trimmed(),
             category.section(QLatin1Char(':'), 0, 0).trimmed()}) {
        if (const int code = accounts.value(name))
            return code;
    }
    return 0;
}

// Candidates by side (out of the account or into it) and amount, sorted by day.
using CandidateKey = std::pair<bool, qint64>;

struct Suggestion
{
    int date = 0;
    int position = 0;
    int other = 0; // the account's own transaction: its other side
    int from = 0; // another account's transaction: both its sides
    int to = 0;
    int number = 0;
    QByteArray narration; // the explanation is made only for the suggestions used

    // The account a line takes from it: the other side of the account's
    // own transaction, else the side the line's money goes to (comes from).
    int otherFor(int account, bool out) const
    {
        if (other)
            return other;
        const int side = out ? to : from;
        return side == account ? (out ? from : to) : side;
    }

    QString why() const
    {
        return QStringLiteral("From the transaction of ") + dateText(date) + QStringLiteral(" No ")
            + QString::number(number) + QStringLiteral(": ")
            + QString::fromUtf8(narration).left(80);
    }
};

// The first rule whose text the narration contains, letter case aside.
const ImportRule* ruleFor(const QList<ImportRule>& rules, const QString& narration, int account)
{
    for (const ImportRule& rule : rules) {
        if (rule.account != account && narration.contains(rule.text, Qt::CaseInsensitive))
            return &rule;
    }
    return nullptr;
}

} // namespace

QList<ImportRule> ImportRules(const XmlDocument& document)
{
    QList<ImportRule> rules;
    const XmlNode section = BookSection(document, schema::kImportRules);
    for (XmlNode r = section ? section.firstChildElement() : XmlNode(); r;
         r = r.nextSiblingElement()) {
        const ImportRule rule {
            r.attribute(schema::kRuleText).simplified(), r.attribute(schema::kRuleAccount).toInt()};
        if (r.name() == schema::kRule && !rule.text.isEmpty() && rule.account > 0)
            rules.append(rule);
    }
    return rules;
}

bool AddImportRule(XmlDocument& document, const ImportRule& rule, UndoHistory* history)
{
    const QString text = rule.text.simplified();
    if (text.isEmpty() || rule.account <= 0)
        return false;
    XmlNode root = document.documentElement();
    XmlNode section = BookSection(document, schema::kImportRules);
    const bool newSection = !section;
    if (newSection)
        section = root.appendChild(root.createElement(schema::kImportRules));
    UndoStep step;
    step.caption = QStringLiteral("rule for text containing ") + text;
    // One rule per text: the new one replaces the old.
    for (XmlNode r = section.firstChildElement(); r;) {
        const XmlNode next = r.nextSiblingElement();
        if (r.attribute(schema::kRuleText).simplified().compare(text, Qt::CaseInsensitive) == 0) {
            int after = 0;
            for (XmlNode n = next; n; n = n.nextSiblingElement())
                ++after;
            step.changes.append({schema::kImportRules, after, r.xml(), {}});
            section.removeChild(r);
        }
        r = next;
    }
    XmlNode r = section.appendChild(section.createElement(schema::kRule));
    r.setAttribute(schema::kRuleText, text);
    r.setAttribute(schema::kRuleAccount, rule.account);
    if (newSection) {
        int after = 0;
        for (XmlNode n = section.nextSiblingElement(); n; n = n.nextSiblingElement())
            ++after;
        step.changes = {{QString(), after, {}, section.xml()}};
    } else {
        step.changes.append({schema::kImportRules, 0, {}, r.xml()});
    }
    if (history)
        history->add(std::move(step));
    return true;
}

QString LineStatusWord(LineStatus status)
{
    switch (status) {
    case LineStatus::New:
        return QStringLiteral("new");
    case LineStatus::InBook:
        return QStringLiteral("dup");
    case LineStatus::Repeated:
        return QStringLiteral("repeat");
    case LineStatus::Error:
        return QStringLiteral("error");
    }
    return {};
}

QString PayeeKey(const QString& text)
{
    QStringList words;
    QString word;
    for (const QChar c : text) {
        if (c.isLetter()) {
            word.append(c.toLower());
        } else if (c.isDigit()) {
            continue; // card numbers and dates inside a word are no part of the payee
        } else if (!word.isEmpty()) {
            words << word;
            word.clear();
            if (words.size() == 2)
                break;
        }
    }
    if (!word.isEmpty() && words.size() < 2)
        words << word;
    return words.join(QLatin1Char(' '));
}

QString StatementNarration(const StatementLine& line)
{
    const QString joined = line.memo.isEmpty() || line.memo == line.payee ? line.payee
        : line.payee.isEmpty()                                            ? line.memo
                               : line.payee + QLatin1Char(' ') + line.memo;
    return NarrationText(joined.simplified());
}

ImportPlan ImportPlan::make(
    const XmlDocument& document, int account, const Statement& statement, int days)
{
    ImportPlan plan;
    plan.m_account = account;
    // Ids are compared as the book keeps them (XmlCharsOnly).
    plan.m_bankAccountId = XmlCharsOnly(statement.bankAccountId);
    const QByteArray code = QByteArray::number(account);

    // The ids remembered for this account by earlier imports.
    QHash<QString, TransactionKey> remembered;
    if (const XmlNode imported = document.documentElement().selectSingleNode(kImported)) {
        imported.visitChildElements({QByteArrayLiteral("Ac"), QByteArrayLiteral("Id"),
                                        QByteArrayLiteral("dt"), QByteArrayLiteral("No")},
            [&](const QList<QByteArrayView>& v, QByteArrayView) {
                if (v.at(0) == code && !v.at(1).isEmpty())
                    remembered.insert(
                        QString::fromUtf8(v.at(1)), {parseInt(v.at(2)), parseInt(v.at(3))});
            });
    }

    // The transactions remembered with the bank's id of their line.
    QSet<qint64> withId;
    for (auto r = remembered.cbegin(); r != remembered.cend(); ++r) {
        if (!r.key().startsWith(QStringLiteral("fp:")))
            withId.insert(qint64(r->date) * 1000000 + r->number);
    }
    const bool useIds = idsAreUsable(statement);
    if (!useIds)
        plan.m_notes << kRepeatedIdsNote;
    const QHash<QString, int> accountNames = accountsByName(document);
    const QList<ImportRule> rules = ImportRules(document);

    // One walk over the transactions of the account.
    QHash<CandidateKey, std::vector<Candidate>> candidates;
    QHash<qint64, CandidateKey> byKey; // date * 1e6 + number -> its list
    QHash<QString, Suggestion> suggestions; // payee key (two words, and the first word alone)
    QHash<QString, Suggestion> bookSuggestions; // the same from the other accounts' transactions
    int position = 0;
    const XmlNode trans = document.selectSingleNode(QStringLiteral("/Data/Trans"));
    if (trans) {
        trans.visitChildElements(
            {QByteArrayLiteral("No"), QByteArrayLiteral("dt"), QByteArrayLiteral("fAc"),
                QByteArrayLiteral("tAc"), QByteArrayLiteral("Nar")},
            [&](const QList<QByteArrayView>& v, QByteArrayView text) {
                ++position;
                const bool out = v.at(2) == code;
                const bool own = out || v.at(3) == code;
                const int date = parseInt(v.at(1));
                const TransactionKey key {date, parseInt(v.at(0))};
                if (own) {
                    const QDate day = DocDateToDate(date);
                    const std::optional<Money> amount
                        = Money::fromNumberText(QString::fromLatin1(text.trimmed()));
                    if (day.isValid() && amount) {
                        const CandidateKey list {out, amount->units()};
                        candidates[list].push_back({day.toJulianDay(), key, false,
                            withId.contains(qint64(date) * 1000000 + key.number)});
                        if (!remembered.isEmpty())
                            byKey.insert(qint64(date) * 1000000 + key.number, list);
                    }
                }
                // Every transaction of the book teaches payee -> account: the
                // account's own ones first, the others for an account new to it.
                if (v.at(4).isEmpty())
                    return;
                const int from = parseInt(v.at(2));
                const int to = parseInt(v.at(3));
                if (own ? (out ? to : from) <= 0 : from <= 0 || to <= 0)
                    return;
                const QString two = PayeeKey(QString::fromUtf8(v.at(4)));
                if (two.isEmpty())
                    return;
                const qsizetype blank = two.indexOf(QLatin1Char(' '));
                const QString one = QStringLiteral("1:") + (blank < 0 ? two : two.left(blank));
                QHash<QString, Suggestion>& learned = own ? suggestions : bookSuggestions;
                for (const QString* k : {&two, &one}) {
                    Suggestion& s = learned[*k];
                    if (date > s.date || (date == s.date && position > s.position))
                        s = {date, position, own ? (out ? to : from) : 0, from, to, key.number,
                            v.at(4).toByteArray()};
                }
            });
    }
    for (auto& list : candidates)
        std::sort(list.begin(), list.end(),
            [](const Candidate& a, const Candidate& b) { return a.day < b.day; });

    auto useKey = [&](const TransactionKey& key) {
        const auto list = byKey.constFind(qint64(key.date) * 1000000 + key.number);
        if (list == byKey.cend())
            return;
        for (Candidate& c : candidates[*list]) {
            if (c.key == key)
                c.used = true;
        }
    };

    QHash<QString, int> seenIds; // bank id -> its first line
    QHash<QString, int> fingerprintUses; // equal lines get their own fingerprints
    plan.m_lines.reserve(statement.lines.size());
    for (const StatementLine& source : statement.lines) {
        ImportLine line;
        line.source = source;
        line.narration = StatementNarration(source);
        if (!source.error.isEmpty()) {
            line.status = LineStatus::Error;
            line.reason = source.error;
            plan.m_lines.append(std::move(line));
            continue;
        }
        const bool hasId = useIds && !source.id.isEmpty();
        if (hasId) {
            line.key = (statement.format == StatementFormat::Ofx ? QStringLiteral("ofx:")
                                                                 : QStringLiteral("ref:"))
                + XmlCharsOnly(source.id);
            if (const auto first = seenIds.constFind(line.key); first != seenIds.cend()) {
                line.status = LineStatus::Repeated;
                line.reason = QStringLiteral("repeats line ") + QString::number(*first);
                plan.m_lines.append(std::move(line));
                continue;
            }
            seenIds.insert(line.key, source.sourceLine);
        } else {
            const QString base = QString::number(DateToDocDate(source.date)) + QLatin1Char('|')
                + source.amount.toText() + QLatin1Char('|') + line.narration;
            const int occurrence = ++fingerprintUses[base];
            line.key = QStringLiteral("fp:")
                + QString::fromLatin1(QCryptographicHash::hash(
                    (base + QLatin1Char('|') + QString::number(occurrence)).toUtf8(),
                    QCryptographicHash::Sha1)
                                          .toHex());
        }
        if (const auto known = remembered.constFind(line.key); known != remembered.cend()) {
            line.status = LineStatus::InBook;
            line.match = *known;
            useKey(*known);
        } else {
            const Money magnitude = source.amount.isNegative() ? -source.amount : source.amount;
            const auto list
                = candidates.find(CandidateKey {source.amount.isNegative(), magnitude.units()});
            if (list != candidates.end()) {
                const qint64 day = source.date.toJulianDay();
                auto it = std::lower_bound(list->begin(), list->end(), day - days,
                    [](const Candidate& c, qint64 d) { return c.day < d; });
                Candidate* best = nullptr;
                // Two bank ids say whether they are the same line: the window is
                // for lines or transactions without one.
                for (; it != list->end() && it->day <= day + days; ++it) {
                    if (!it->used && !(hasId && it->hasId)
                        && (!best || std::abs(it->day - day) < std::abs(best->day - day)))
                        best = &*it;
                }
                if (best) {
                    best->used = true;
                    line.status = LineStatus::InBook;
                    line.match = best->key;
                }
            }
        }
        // A balance line starts unchecked; its note says why.
        if (line.status == LineStatus::New)
            line.include = !source.unchecked;
        // The person's rules come first, then a category the file names that
        // is an account of the book.
        if (const ImportRule* rule = ruleFor(rules, line.narration, account)) {
            line.other = rule->account;
            line.otherFrom = SuggestionSource::Rule;
            line.otherWhy = QStringLiteral("The rule for text containing ") + rule->text;
            plan.m_lines.append(std::move(line));
            continue;
        }
        if (const int named = accountOfCategory(accountNames, source.category);
            named && named != account) {
            line.other = named;
            line.otherFrom = SuggestionSource::Book;
            line.otherWhy = QStringLiteral("The statement's category ") + source.category;
            plan.m_lines.append(std::move(line));
            continue;
        }
        const QString payee = PayeeKey(source.payee.isEmpty() ? line.narration : source.payee);
        if (!payee.isEmpty()) {
            // Two words before one; the account's own history before the book's.
            const QString first = QStringLiteral("1:") + payee.section(QLatin1Char(' '), 0, 0);
            for (const auto& [learned, k] :
                {std::pair {&suggestions, &payee}, std::pair {&bookSuggestions, &payee},
                    std::pair {&suggestions, &first}, std::pair {&bookSuggestions, &first}}) {
                const auto found = learned->constFind(*k);
                if (found == learned->cend())
                    continue;
                const int other = found->otherFor(account, line.moneyOut());
                if (other > 0 && other != account) {
                    line.other = other;
                    line.otherFrom = SuggestionSource::Book;
                    line.otherWhy = found->why();
                    break;
                }
            }
        }
        plan.m_lines.append(std::move(line));
    }
    plan.suggestFromImport();
    return plan;
}

void ImportPlan::suggestFromImport()
{
    QHash<QString, std::pair<int, int>> chosen; // payee key -> other account, line
    for (ImportLine& line : m_lines) {
        if (line.status == LineStatus::Error)
            continue;
        const QString payee
            = PayeeKey(line.source.payee.isEmpty() ? line.narration : line.source.payee);
        if (payee.isEmpty())
            continue;
        if (line.otherFrom == SuggestionSource::ThisImport) {
            line.other = 0;
            line.otherFrom = SuggestionSource::None;
            line.otherWhy.clear();
        }
        if (line.otherFrom == SuggestionSource::None) {
            const auto found = chosen.constFind(payee);
            if (found != chosen.cend()) {
                line.other = found->first;
                line.otherFrom = SuggestionSource::ThisImport;
                line.otherWhy = QStringLiteral("As chosen for the same payee on line ")
                    + QString::number(found->second) + QStringLiteral(" of this statement");
            }
        } else if (line.other != 0 && line.otherFrom == SuggestionSource::Given) {
            chosen.insert(payee, {line.other, line.source.sourceLine});
        }
    }
}

int ImportPlan::importable() const
{
    int n = 0;
    for (const ImportLine& l : m_lines)
        n += l.include && l.status != LineStatus::Error && l.other > 0 && l.other != m_account;
    return n;
}

void ImportPlan::setOther(qsizetype index, int code)
{
    if (index < 0 || index >= m_lines.size())
        return;
    ImportLine& line = m_lines[index];
    line.other = code;
    line.otherFrom = code ? SuggestionSource::Given : SuggestionSource::None;
    line.otherWhy = code ? QStringLiteral("Chosen here") : QString();
    suggestFromImport();
}

void ImportPlan::setOtherForAll(int code)
{
    for (ImportLine& line : m_lines) {
        if (line.other == 0 && line.status != LineStatus::Error) {
            line.other = code;
            line.otherFrom = SuggestionSource::Given;
            line.otherWhy = QStringLiteral("Given for every line");
        }
    }
}

QHash<QString, int> ImportPlan::choices() const
{
    QHash<QString, int> chosen;
    for (const ImportLine& line : m_lines) {
        if (line.otherFrom == SuggestionSource::Given && !line.key.isEmpty())
            chosen.insert(line.key, line.other);
    }
    return chosen;
}

void ImportPlan::applyChoices(const QHash<QString, int>& choices)
{
    if (choices.isEmpty())
        return;
    for (ImportLine& line : m_lines) {
        const auto chosen = choices.constFind(line.key);
        if (chosen != choices.cend() && !line.key.isEmpty() && *chosen != m_account) {
            line.other = *chosen;
            line.otherFrom = SuggestionSource::Given;
            line.otherWhy = QStringLiteral("Chosen here");
        }
    }
    suggestFromImport();
}

QList<Statement> SplitStatementByAccount(const Statement& statement)
{
    if (statement.accounts.size() <= 1)
        return {statement};
    QList<Statement> parts;
    for (const QString& id : statement.accounts) {
        Statement part;
        part.format = statement.format;
        part.bankAccountId = id;
        for (const StatementLine& line : statement.lines) {
            if (line.account == id)
                part.lines.append(line);
        }
        parts.append(part);
    }
    parts.first().leftOut = statement.leftOut;
    return parts;
}

QString StatementNotes(const QList<Statement>& parts, const QList<const ImportPlan*>& plans)
{
    QStringList notes;
    QStringList leftOut;
    qsizetype lines = 0;
    for (const Statement& part : parts) {
        leftOut << part.leftOut;
        lines += part.lines.size();
    }
    if (!leftOut.isEmpty())
        notes << QStringLiteral("left out: ") + leftOut.join(QStringLiteral(", "));
    for (const ImportPlan* plan : plans) {
        for (const QString& note : plan->notes()) {
            if (!notes.contains(note))
                notes << note;
        }
    }
    if (lines == 0)
        notes << QStringLiteral("the statement holds nothing to import");
    return notes.join(QStringLiteral("; "));
}

int PairedAccount(const XmlDocument& document, const QString& bankAccountId)
{
    if (bankAccountId.isEmpty() || document.isNull())
        return 0;
    const XmlNode imported = document.documentElement().selectSingleNode(kImported);
    if (!imported)
        return 0;
    const QByteArray id = XmlCharsOnly(bankAccountId).toUtf8();
    int account = 0;
    for (XmlNode b = imported.firstChildElement(); b; b = b.nextSiblingElement()) {
        if (b.name() == QStringLiteral("b") && b.attribute(QStringLiteral("Id")).toUtf8() == id)
            account = b.attribute(QStringLiteral("Ac")).toInt();
    }
    return account;
}

ImportCounts ApplyImport(XmlDocument& document, const ImportPlan& plan, UndoHistory* history)
{
    ImportCounts counts;
    QList<TransactionFields> fields;
    QList<const ImportLine*> written;
    for (const ImportLine& line : plan.lines()) {
        const bool writes = line.include && line.status != LineStatus::Error && line.other > 0
            && line.other != plan.account();
        if (!writes) {
            if (line.status == LineStatus::InBook)
                ++counts.inBook;
            else
                ++counts.leftOut;
            continue;
        }
        TransactionFields f;
        f.date = DateToDocDate(line.source.date);
        f.from = line.moneyOut() ? plan.account() : line.other;
        f.to = line.moneyOut() ? line.other : plan.account();
        f.narration = line.narration;
        f.cleared = true; // the bank's own line
        f.amount = line.source.amount.isNegative() ? -line.source.amount : line.source.amount;
        fields.append(f);
        written.append(&line);
    }
    const bool pairs = !plan.bankAccountId().isEmpty()
        && PairedAccount(document, plan.bankAccountId()) != plan.account();
    if (fields.isEmpty() && !pairs)
        return counts;
    counts.keys = AddTransactions(document, fields);
    counts.imported = int(counts.keys.size());
    counts.changed = true;
    // The undo step lists each record where it was when it was added: every
    // new record is then the last of its section.
    UndoStep step;
    step.caption = QStringLiteral("import of ") + QString::number(counts.imported)
        + (counts.imported == 1 ? QStringLiteral(" transaction") : QStringLiteral(" transactions"));
    if (history) {
        QList<XmlNode> added;
        XmlNode t = document.selectSingleNode(QStringLiteral("/Data/Trans")).lastChildElement();
        for (int i = 0; i < counts.imported && t; ++i, t = t.previousSiblingElement())
            added.prepend(t);
        for (const XmlNode& record : added)
            step.changes.append({schema::kTrans, 0, {}, record.xml()});
    }

    XmlNode root = document.documentElement();
    XmlNode imported = root.selectSingleNode(kImported);
    const bool newSection = !imported;
    if (newSection)
        imported = root.appendChild(root.createElement(kImported));
    const auto record = [&](const XmlNode& r) {
        if (history && !newSection)
            step.changes.append({kImported, 0, {}, r.xml()});
    };
    for (qsizetype i = 0; i < written.size(); ++i) {
        XmlNode l = imported.appendChild(imported.createElement(QStringLiteral("l")));
        l.setAttribute(QStringLiteral("Ac"), plan.account());
        l.setAttribute(QStringLiteral("Id"), written.at(i)->key);
        l.setAttribute(QStringLiteral("dt"), counts.keys.at(i).date);
        l.setAttribute(QStringLiteral("No"), counts.keys.at(i).number);
        record(l);
    }
    if (pairs) {
        // One pairing per bank account: a later choice replaces the earlier one.
        for (XmlNode b = imported.firstChildElement(); b;) {
            const XmlNode next = b.nextSiblingElement();
            if (b.name() == QStringLiteral("b")
                && b.attribute(QStringLiteral("Id")) == plan.bankAccountId()) {
                if (history && !newSection) {
                    int after = 0;
                    for (XmlNode n = b.nextSiblingElement(); n; n = n.nextSiblingElement())
                        ++after;
                    step.changes.append({kImported, after, b.xml(), {}});
                }
                imported.removeChild(b);
            }
            b = next;
        }
        XmlNode b = imported.appendChild(imported.createElement(QStringLiteral("b")));
        b.setAttribute(QStringLiteral("Id"), plan.bankAccountId());
        b.setAttribute(QStringLiteral("Ac"), plan.account());
        record(b);
    }
    if (history) {
        if (newSection) {
            int after = 0;
            for (XmlNode n = imported.nextSiblingElement(); n; n = n.nextSiblingElement())
                ++after;
            step.changes.append({QString(), after, {}, imported.xml()});
        }
        history->add(std::move(step));
    }
    return counts;
}

} // namespace qb
