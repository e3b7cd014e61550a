#pragma once

// What importing a statement into the book does, line by line: whether a
// line is new, already in the book (by the bank's id or the fingerprint of
// an earlier import, or matching a transaction within a few days), repeated
// in the file or in error; the other account suggested for it; and the
// writing of the chosen lines as transactions with their record in the
// book's Imported section. No widgets; the caller saves.

#include <QHash>
#include <QList>
#include <QString>

#include "import/Statement.h"
#include "store/BookEdits.h"

namespace qb {

enum class LineStatus { New, InBook, Repeated, Error };

// "new", "dup", "repeat", "error" (qbtool's words).
QString LineStatusWord(LineStatus status);

// Where a suggested other account came from.
enum class SuggestionSource { None, Book, ThisImport, Given, Rule };

// The person's rule: a line whose narration contains text (letter case
// aside) gets account as its other account.
struct ImportRule
{
    QString text;
    int account = 0;
};

// The book's rules in their order; none when the book has no ImportRules.
QList<ImportRule> ImportRules(const XmlDocument& document);
// Adds the rule, replacing one of the same text, as one undo step; false
// when the text is blank or the account is not a positive code.
bool AddImportRule(XmlDocument& document, const ImportRule& rule, UndoHistory* history = nullptr);

struct ImportLine
{
    StatementLine source;
    LineStatus status = LineStatus::New;
    QString narration; // as it will be stored
    QString key; // the id remembered in the book: "ofx:" + FITID, "ref:" + reference, or "fp:" +
                 // fingerprint
    TransactionKey match; // InBook: the transaction it matched
    QString reason; // Error: why; Repeated: the line it repeats
    int other = 0; // the other account; 0 none
    SuggestionSource otherFrom = SuggestionSource::None;
    QString otherWhy; // the suggestion's origin, for a tool tip
    bool include = false; // New lines start checked

    // Money out of the statement's account: From it To the other account.
    bool moneyOut() const { return source.amount.isNegative(); }
};

// The default window of days a line may lie from the transaction it matches.
constexpr int kMatchDays = 3;

// The word key of a payee or narration: letters in lower case, digits and
// signs dropped, the first two words (or one).
QString PayeeKey(const QString& text);

// The narration of a statement line: payee and memo joined, blanks
// simplified, through the same routine as a typed narration.
QString StatementNarration(const StatementLine& line);

class ImportPlan final
{
public:
    // Reads the book once (the account's transactions and the Imported
    // section) and decides every line. days: the matching window (kMatchDays).
    static ImportPlan make(const XmlDocument& document, int account, const Statement& statement,
        int days = kMatchDays);

    int account() const { return m_account; }
    const QString& bankAccountId() const { return m_bankAccountId; }
    // What the summary line says besides the counts: what the reader left
    // out, and bank ids that could not be used.
    const QStringList& notes() const { return m_notes; }
    QList<ImportLine>& lines() { return m_lines; }
    const QList<ImportLine>& lines() const { return m_lines; }

    // How many lines are checked and have another account: what Import writes.
    int importable() const;

    // Sets the other account of a line (the user's choice) and suggests it
    // to the later lines of the same payee that have no suggestion from the book.
    void setOther(qsizetype index, int code);
    // Gives every line without another account this one (qbtool --other).
    void setOtherForAll(int code);
    // The other accounts the person chose, by line key; and the same choices
    // given again to the lines of those keys (another account, a file opened again).
    QHash<QString, int> choices() const;
    void applyChoices(const QHash<QString, int>& choices);

private:
    void suggestFromImport();

    int m_account = 0;
    QString m_bankAccountId;
    QStringList m_notes;
    QList<ImportLine> m_lines;
    // Payee key -> the book's suggestion (other account, its explanation).
    QHash<QString, std::pair<int, QString>> m_bookSuggestions;
};

struct ImportCounts
{
    int imported = 0;
    int inBook = 0; // left out because already in the book
    int leftOut = 0; // every other line not imported
    QList<TransactionKey> keys; // of the transactions made, in line order
    bool changed = false; // the book was changed and needs saving
};

// Writes every included line that has another account (and is not in
// error) as a transaction, numbered per day after the highest number of its
// date, and remembers its key in the Imported section (added when the book
// lacks it); pairs the statement's bank account id with the account. The
// caller saves once. Given a history, the whole import is one undo step, so
// an undo never reaches past it to a change the imported lines depend on
// (an account added for them).
ImportCounts ApplyImport(
    XmlDocument& document, const ImportPlan& plan, UndoHistory* history = nullptr);

// A file of several accounts as one statement per account, in file order,
// each with its bankAccountId; a file of one account as it is.
QList<Statement> SplitStatementByAccount(const Statement& statement);

// The summary's note on what was left out or matched otherwise ("left out:
// 12 security trades"), and that there is nothing to import; empty when
// there is nothing to say.
QString StatementNotes(const QList<Statement>& parts, const QList<const ImportPlan*>& plans);

// The account paired with a bank account id by an earlier import; 0 none.
int PairedAccount(const XmlDocument& document, const QString& bankAccountId);

} // namespace qb
