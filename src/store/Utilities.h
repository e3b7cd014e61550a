#pragma once

// Small routines every part of the program shares that need no window.

#include <QDate>
#include <QList>
#include <QString>

namespace qb {

class XmlDocument;

// year * 10000 + month * 100 + day
int DateToDocDate(const QDate& date);
// Characters 1-4 the year, 5-6 the month, 7-8 the day; an invalid date when they are not one.
QDate DocDateToDate(int docDate);

// Keeps only printable ASCII other than the apostrophe (codes 32-126 except 39).
QString AllowedCharsOnly(const QString& text);
bool IsAllowedChar(QChar c);

QString RandomLetters(int count);
short RandomInRange(short lo, short hi);

// The running program's folder, without a trailing separator.
QString ProgramFolder();
// The user's documents folder followed by a separator; empty when there is none.
QString PersonalFolder();

// Next free number of a transaction dated docDate: the highest number in use
// on that date plus 1 (1 when the date has none), so numbers stay unique
// within a date even after edits moved transactions between dates.
int NextTransactionNumber(const XmlDocument& document, int docDate);

// Next account code: the last account head's code plus 1, or 1 when there is none.
int NextAccountCode(const XmlDocument& document);

// Per-user settings under "Quillbrook": text values by section and key.
QString GetSetting(const QString& section, const QString& key, const QString& defaultValue = {});
void SaveSetting(const QString& section, const QString& key, const QString& value);

// Several values in one write of the settings file (each write waits for the disk).
struct SettingValue
{
    QString section;
    QString key;
    QString value;
};
void SaveSettings(const QList<SettingValue>& values);

} // namespace qb
