#pragma once

// A small sample book for a first look at the program: accounts, groups, a
// few months of everyday transactions up to a given day, narrations and
// date ranges. The build writes it to the program's data folder.

#include <QDate>
#include <QString>

#include "store/Xml.h"

namespace qb {

class DataStore;

// The sample book with transactions from the first day of the month three
// months before today up to today.
XmlDocument MakeDemoBook(const QDate& today);

// Writes the sample book, enciphered, as a data file.
bool WriteDemoBook(DataStore& store, const QString& fileName, const QDate& today);

} // namespace qb
