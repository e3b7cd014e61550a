#pragma once

// An account's opening balance, kept as an ordinary transaction against the
// book's opening-balance account, so that every report and export stays a
// plain double-entry book.

#include <optional>

#include <QString>

#include "store/BookEdits.h"
#include "store/Money.h"
#include "store/UndoHistory.h"
#include "store/Xml.h"

namespace qb {

// The name of the account opening balances are set against.
QString OpeningBalancesAccountName();

// Gives account the balance amount on date (money into the account
// positive): a transaction from the opening-balance account, or to it when
// the amount is negative; that account is added when the book has none of
// its name (letter case ignored). Nothing for an amount of 0. The caller
// groups the edits into one undo step when it wants one.
std::optional<TransactionKey> AddOpeningBalance(
    XmlDocument& document, int account, int date, Money amount, UndoHistory* history = nullptr);

} // namespace qb
