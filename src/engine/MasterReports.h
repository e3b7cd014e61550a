#pragma once

// The pages of the account heads and groups windows, shared with qbtool and
// the benchmark.

#include <QString>

#include "engine/PageFigures.h"
#include "engine/ReportTemplate.h"

namespace qb {

// "AcMaster-Listing": every account head with its code, its balance over all
// its transactions (money into the account counts positive) and its edit
// and delete links.
class AccountListReport final
{
public:
    bool load(Error* error = nullptr);
    bool isLoaded() const { return m_template.isLoaded(); }

    // The page (no style head yet); a failed transformation is reported by
    // TransformNode and gives an empty page.
    // trouble, when given, says whether a balance is shown as the error mark.
    QString build(const XmlDocument& data, FigureTrouble* trouble = nullptr) const;

    // What the template is given: the account heads and, in a Balances
    // section, one b per head with its Code and its balance as page text
    // ("1,234.50", or the error mark when an amount of the account cannot be
    // read or the sum leaves the range). The balances come from one walk
    // over the transactions.
    static XmlDocument ListBook(const XmlDocument& data, FigureTrouble* trouble = nullptr);

    // The id of an account's row: "id" + code.
    static QString RowId(int code);

private:
    ReportTemplate m_template;
};

// "Group-Listing": every group with its member accounts and its edit and
// delete links.
class GroupListReport final
{
public:
    bool load(Error* error = nullptr);
    bool isLoaded() const { return m_template.isLoaded(); }

    QString build(const XmlDocument& data) const;

    // What the template is given: the groups, each with a Members
    // attribute naming its member accounts in member order, joined by ", ".
    static XmlDocument ListBook(const XmlDocument& data);

    // The id of a group's row: "id" + name.
    static QString RowId(const QString& name);

private:
    ReportTemplate m_template;
};

} // namespace qb
