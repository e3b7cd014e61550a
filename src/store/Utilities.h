#pragma once

// Small routines every part of the program shares that need no window.

#include <optional>

#include <QDate>
#include <QList>
#include <QString>

namespace qb {

class XmlDocument;

// year * 10000 + month * 100 + day
int DateToDocDate(const QDate& date);
// Characters 1-4 the year, 5-6 the month, 7-8 the day; an invalid date when they are not one.
QDate DocDateToDate(int docDate);

// The characters names, narrations and captions may hold: every printable
// character of any script, symbols, punctuation and blanks included. Refused
// are the control characters: the C0 and C1 controls, line and paragraph
// separators, the invisible format controls (direction marks and overrides,
// the byte order mark; not the joiners), unpaired surrogates and
// non-characters. A book cannot hold some of them, and pages would show the
// others misleadingly.
bool IsAllowedChar(char32_t c);
// The text as it is stored: tabs and line breaks become blanks (as a text
// box shows them), the other refused characters are left out.
QString AllowedCharsOnly(const QString& text);
// True when every character of the text is allowed.
bool OnlyAllowedChars(const QString& text);
// The first character of the text that AllowedCharsOnly would leave out,
// if any (tabs and line breaks are not such characters).
std::optional<char32_t> FirstRefusedChar(const QString& text);
// The characters of a text (a pair of surrogates counts as one).
qsizetype CharacterCount(const QString& text);
// A password keeps to printable ASCII other than the apostrophe: its digest
// works on single bytes.
QString PasswordCharsOnly(const QString& text);

QString RandomLetters(int count);
short RandomInRange(short lo, short hi);

// The running program's folder, without a trailing separator.
QString ProgramFolder();
// The folder of the program's templates (rpt/), manual (help/) and demo book
// (data/): the program's own folder in the build tree, share/quillbrook
// beside bin/ when installed.
QString ProgramDataFolder();
// The user's documents folder followed by a separator; empty when there is none.
QString PersonalFolder();

// Next free number of a transaction dated docDate: the highest number in use
// on that date plus 1 (1 when the date has none), so numbers stay unique
// within a date even after edits moved transactions between dates.
int NextTransactionNumber(const XmlDocument& document, int docDate);

// Next account code: the highest code of the account heads plus 1, or 1 when there is none.
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
