#pragma once

// "Deleted-Listing": the bin's entries, newest first, each with the time of
// its deletion, the transaction's date, number, accounts, narration and
// amount, and a Restore link. Shared by the Deleted Transactions window and qbtool.

#include <QString>

#include "engine/ReportTemplate.h"

namespace qb {

class DeletedListReport final
{
public:
    bool load(Error* error = nullptr);
    bool isLoaded() const { return m_template.isLoaded(); }

    QString build(const XmlDocument& data) const;

    // What the template is given: Data/Deleted with one d per entry, newest
    // first, its Id and the texts to show (At, Date, No, From, To, Nar,
    // Amount) worked out here.
    static XmlDocument ListBook(const XmlDocument& data);

    // The link of an entry's Restore: "[*[R]*]" + id.
    static QString RestoreToken();
    // The id of an entry's row: "id" + the entry's Id.
    static QString RowId(int id);

private:
    ReportTemplate m_template;
};

} // namespace qb
