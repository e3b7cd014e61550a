#include "SummaryReport.h"

#include <charconv>
#include <cstring>

#include <QHash>
#include <QRegularExpression>

#include "ReportPage.h"
#include "ReportTemplate.h"
#include "ShortDate.h"
#include "Utilities.h"

#include <libxml/tree.h>

namespace qb {

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// What the summary needs of one account: the money into it and out of it
// before the period and within it.
struct AccountSums
{
    Money inBefore, outBefore, inPeriod, outPeriod;
};

// The text of an attribute or element as the parser left it, read in place:
// a single text child. Nothing for anything else (entities, mixed content).
std::optional<QByteArrayView> plainText(const xmlNode* node)
{
    const xmlNode* child = node->children;
    if (!child)
        return QByteArrayView();
    if (child->type != XML_TEXT_NODE || child->next)
        return std::nullopt;
    return QByteArrayView(reinterpret_cast<const char*>(child->content));
}

// A date or account code: digits without a leading zero, so that the
// number written back is the same text the template would compare.
std::optional<int> plainNumber(const xmlNode* attribute)
{
    const std::optional<QByteArrayView> text = plainText(attribute);
    if (!text || text->isEmpty() || text->front() < '1' || text->front() > '9')
        return std::nullopt;
    int value = 0;
    const char* end = text->data() + text->size();
    const auto [at, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || at != end)
        return std::nullopt;
    return value;
}

bool is(const xmlChar* name, const char* text)
{
    return std::strcmp(reinterpret_cast<const char*>(name), text) == 0;
}

bool named(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && is(node->name, name);
}

// A small book that gives the summary template the same page as the whole
// book: the account heads, and for each account four transactions with the
// code 0, which no account has, on the other side, carrying the exact sums
// of its money in and out before and within the period (dated 0 and on the
// first day). One walk over the book here spares the template a pass over
// every transaction for each account. Nothing when a transaction is not in
// the plain form the program writes (an amount that is no plain decimal, a
// date that is no plain number): the whole book is transformed then, and
// the template treats it as it would.
std::optional<XmlDocument> SummaryBook(const XmlDocument& data, int from, int to)
{
    QHash<int, AccountSums> sums;
    XmlDocument book;
    book.loadXml(QByteArrayLiteral("<Data><AcMaster/><Trans/></Data>"));
    XmlNode heads = book.documentElement().firstChildElement();
    XmlNode trans = heads.nextSiblingElement();
    const xmlNode* root = data.documentElement().raw();
    if (!root || !named(root, "Data"))
        return std::nullopt;
    QString amountText;
    for (const xmlNode* section = root->children; section; section = section->next) {
        if (named(section, "AcMaster")) {
            for (const xmlNode* a = section->children; a; a = a->next) {
                if (named(a, "a"))
                    heads.appendCopy(XmlNode(const_cast<xmlNode*>(a)));
            }
            continue;
        }
        if (!named(section, "Trans"))
            continue;
        for (const xmlNode* t = section->children; t; t = t->next) {
            if (!named(t, "t"))
                continue;
            std::optional<int> date, fAc, tAc;
            for (const xmlAttr* a = t->properties; a; a = a->next) {
                const auto* node = reinterpret_cast<const xmlNode*>(a);
                if (is(a->name, "dt"))
                    date = plainNumber(node);
                else if (is(a->name, "fAc"))
                    fAc = plainNumber(node);
                else if (is(a->name, "tAc"))
                    tAc = plainNumber(node);
            }
            if (!date || !fAc || !tAc)
                return std::nullopt;
            if (*date > to && *date >= from)
                continue;
            const std::optional<QByteArrayView> text = plainText(t);
            if (!text)
                return std::nullopt;
            amountText.resize(text->size());
            for (qsizetype i = 0; i < text->size(); ++i)
                amountText[i] = QLatin1Char(text->at(i));
            const std::optional<Money> amount = Money::parse(amountText);
            if (!amount)
                return std::nullopt;
            const bool before = *date < from;
            AccountSums& into = sums[*tAc];
            (before ? into.inBefore : into.inPeriod) += *amount;
            AccountSums& outOf = sums[*fAc];
            (before ? outOf.outBefore : outOf.outPeriod) += *amount;
        }
    }
    const QString zero = QStringLiteral("0");
    const QString first = QString::number(from);
    auto add = [&](const QString& date, const QString& fAc, const QString& tAc, Money amount) {
        if (amount.isZero())
            return;
        XmlNode t = trans.appendChild(trans.createElement(QStringLiteral("t")));
        t.setAttribute(QStringLiteral("No"), QStringLiteral("1"));
        t.setAttribute(QStringLiteral("dt"), date);
        t.setAttribute(QStringLiteral("fAc"), fAc);
        t.setAttribute(QStringLiteral("tAc"), tAc);
        t.setText(amount.toText());
    };
    for (auto it = sums.cbegin(); it != sums.cend(); ++it) {
        const QString code = QString::number(it.key());
        add(zero, zero, code, it->inBefore);
        add(zero, code, zero, it->outBefore);
        add(first, zero, code, it->inPeriod);
        add(first, code, zero, it->outPeriod);
    }
    return book;
}

} // namespace

bool ColumnSum::load(Error* error)
{
    return m_template.load(QStringLiteral("sumCol"), error);
}

std::optional<Money> ColumnSum::LeadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*(-?(\\d+(\\.\\d*)?|\\.\\d+))"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return Money::fromNumberText(m.capturedView(1));
}

Money ColumnSum::total(const XmlDocument& page, const QString& column)
{
    if (!m_template.setChildAttribute(1, 1, quoted(column)))
        return {};
    const QString output = m_template.TransformNode(page.documentElement());
    const QStringList lines = output.split(QLatin1Char('\n'));
    // The template adds in binary floating point; the figures it lists are
    // added here exactly instead.
    Money exact;
    bool allDecimal = true;
    for (qsizetype i = 1; i < lines.size() && allDecimal; ++i) {
        const std::optional<Money> figure = Money::fromNumberText(lines.at(i));
        if (figure)
            exact += *figure;
        allDecimal = figure.has_value();
    }
    if (allDecimal && lines.size() > 1)
        return exact;
    return LeadingNumber(output).value_or(Money());
}

bool PeriodSummaryReport::load(Error* error)
{
    return m_template.load(QStringLiteral("Trans-summary"), error) && m_sum.load(error);
}

QString PeriodSummaryReport::AmountText(Money amount, const QLocale& locale)
{
    QString text = amount.format();
    const QString point = locale.decimalPoint();
    if (point != QStringLiteral("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}

bool PeriodSummaryReport::build(const XmlDocument& data, const QDate& from, const QDate& to,
                                const SummarySubject& subject, SummaryResult* result,
                                Error* error, const QLocale& locale)
{
    *result = SummaryResult();
    const QString period = QStringLiteral(" - From ") + ShortDateText(from, locale)
        + QStringLiteral(" To ") + ShortDateText(to, locale);
    QString accountCode = QStringLiteral("0");
    QString groupString = QStringLiteral("0");
    QString name;
    if (subject.accountCode > 0) {
        accountCode = quoted(QString::number(subject.accountCode));
        name = subject.accountName;
    } else if (!subject.groupName.isEmpty()) {
        const XmlNode group = data.selectSingleNode(
            QStringLiteral("/Data/Groups/Group[. = ") + XPathLiteral(subject.groupName) + QLatin1Char(']'));
        if (group) {
            groupString = quoted(group.attributeValue(0));
            name = subject.groupName;
        } else {
            // Renamed or deleted since the window listed it. Both variables
            // go to 0, so that no account of an earlier build is shown under
            // the group's name.
            result->subjectFound = false;
        }
    }
    if (result->subjectFound) {
        if (subject.accountCode <= 0 && subject.groupName.isEmpty()) {
            result->caption = QStringLiteral("Period Summary - All Accounts");
            result->title = QStringLiteral("Period Summary for All accounts") + period;
        } else {
            result->caption = QStringLiteral("Period Summary - ") + name;
            result->title = QStringLiteral("Period Summary for '") + name + QLatin1Char('\'') + period;
        }
    }

    if (!m_template.setVariable(QStringLiteral("FromDate"), QString::number(DateToDocDate(from)), error)
        || !m_template.setVariable(QStringLiteral("ToDate"), QString::number(DateToDocDate(to)), error)
        || !m_template.setVariable(QStringLiteral("AccountCode"), accountCode, error)
        || !m_template.setVariable(QStringLiteral("GroupString"), groupString, error))
        return false;

    const int first = DateToDocDate(from);
    const std::optional<XmlDocument> book = SummaryBook(data, first, DateToDocDate(to));
    XmlDocument page;
    if (!m_template.transformToDocument((book ? *book : data).documentElement(), &page, error))
        return false;
    if (page.documentElement().isNull())
        return ReportFailure(
            error, kMissingElement, QStringLiteral("The summary template gave no page"));

    result->inTotal = m_sum.total(page, QStringLiteral("in"));
    result->outTotal = m_sum.total(page, QStringLiteral("out"));
    const struct
    {
        const char* id;
        Money value;
    } cells[] = {{"intotal", result->inTotal},
                 {"outtotal", result->outTotal},
                 {"diff", result->inTotal - result->outTotal}};
    for (const auto& cell : cells) {
        const QString id = QString::fromLatin1(cell.id);
        XmlNode td = page.selectSingleNode(QStringLiteral("//TD[@id='") + id + QStringLiteral("']"));
        if (td.isNull())
            return ReportFailure(
                error, kMissingElement, QStringLiteral("The summary page has no cell ") + id);
        td.setText(AmountText(cell.value, locale));
    }
    result->page = page.documentElement().xml();
    ReplaceReportTitle(result->page, result->title);
    return true;
}

} // namespace qb
