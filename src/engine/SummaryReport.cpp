#include "engine/SummaryReport.h"

#include <charconv>

#include <QHash>
#include <QSet>

#include "engine/ReportPage.h"
#include "engine/ReportTemplate.h"
#include "engine/ShortDate.h"
#include "store/BookSchema.h"
#include "store/MasterEdits.h"
#include "store/Utilities.h"

namespace qb {

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// The figures of one account of the summary.
struct AccountFigures
{
    FigureSum opening, in, out;
    QString name;
    int count = 0;
};

// A date: digits without a leading zero. False for anything else.
bool readDate(QByteArrayView text, int* value)
{
    if (text.isEmpty() || text.front() < '1' || text.front() > '9')
        return false;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, *value);
    return error == std::errc() && at == end;
}

QByteArray rawKey(QByteArrayView text)
{
    return QByteArray::fromRawData(text.data(), text.size());
}

} // namespace

XmlDocument PeriodSummaryReport::SummaryBook(const XmlDocument& data, int from, int to,
    const SummarySubject& subject, const XmlNode& group, SummaryResult* result)
{
    XmlDocument book;
    book.loadXml(QByteArrayLiteral("<Data><AcMaster/><Figures/></Data>"));
    XmlNode heads = book.documentElement().firstChildElement();
    XmlNode figures = heads.nextSiblingElement();
    const XmlNode root = data.documentElement();
    if (root.isNull() || root.name() != schema::kData)
        return book;

    // The subject's account codes, as text: the account's, or the pieces
    // of the group's member list. Nothing of the list reaches an expression.
    const bool everyAccount = subject.accountCode <= 0 && group.isNull();
    QSet<QByteArray> wanted;
    if (subject.accountCode > 0) {
        wanted.insert(QByteArray::number(subject.accountCode));
    } else if (!everyAccount) {
        const QStringList pieces
            = group.attribute(schema::kMembers).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString& piece : pieces)
            wanted.insert(piece.trimmed().toUtf8());
    }

    // The listed heads, in document order, and their figures by code.
    QList<QByteArray> listed;
    QHash<QByteArray, AccountFigures> sums;
    for (XmlNode section = root.firstChildElement(); section;
         section = section.nextSiblingElement()) {
        if (section.name() != schema::kAcMaster)
            continue;
        for (XmlNode head = section.firstChildElement(); head; head = head.nextSiblingElement()) {
            if (head.name() != schema::kAccount)
                continue;
            const QByteArray code = head.attribute(schema::kCode).toUtf8();
            if (!everyAccount && !wanted.contains(code))
                continue;
            heads.appendCopy(head);
            if (!sums.contains(code)) {
                listed.append(code);
                AccountFigures figures;
                figures.name = head.attribute(schema::kAcName);
                sums.insert(code, figures);
            }
        }
    }

    // One walk over the transactions for every listed account.
    auto figuresOf = [&sums](QByteArrayView code) -> AccountFigures* {
        const auto it = sums.find(rawKey(code));
        return it == sums.end() ? nullptr : &it.value();
    };
    ForEachTransaction(data, [&](const BookTransaction& t) {
        AccountFigures* into = figuresOf(t.to);
        AccountFigures* outOf = figuresOf(t.from);
        if (!into && !outOf)
            return;
        int date = 0;
        if (!readDate(t.date, &date)) {
            // Which period it belongs to is not known: every figure of its
            // accounts is marked rather than guessed.
            for (AccountFigures* f : {into, outOf}) {
                if (f) {
                    f->opening.markUnreadable();
                    f->in.markUnreadable();
                    f->out.markUnreadable();
                }
            }
            return;
        }
        const bool before = date < from;
        if (!before && date > to)
            return;
        if (!before) {
            if (into)
                ++into->count;
            if (outOf && outOf != into)
                ++outOf->count;
        }
        const std::optional<Money> amount = t.amount();
        FigureSum* intoFigure = into ? (before ? &into->opening : &into->in) : nullptr;
        FigureSum* outOfFigure = outOf ? (before ? &outOf->opening : &outOf->out) : nullptr;
        if (!amount) {
            // How much it moved is not known: the figures it belongs to are marked.
            for (FigureSum* f : {intoFigure, outOfFigure}) {
                if (f)
                    f->markUnreadable();
            }
            return;
        }
        // Checked sums: a figure that leaves the range shows the error mark.
        if (intoFigure)
            intoFigure->add(*amount);
        if (outOfFigure) {
            if (before)
                outOfFigure->subtract(*amount);
            else
                outOfFigure->add(*amount);
        }
    });

    for (const QByteArray& code : listed) {
        const AccountFigures& f = sums[code];
        const FigureSum closing = f.opening + f.in - f.out;
        XmlNode row = figures.appendChild(figures.createElement(QStringLiteral("f")));
        row.setAttribute(schema::kCode, QString::fromUtf8(code));
        row.setAttribute(QStringLiteral("Opening"), f.opening.grouped());
        row.setAttribute(QStringLiteral("In"), f.in.grouped());
        row.setAttribute(QStringLiteral("Out"), f.out.grouped());
        row.setAttribute(QStringLiteral("Closing"), closing.grouped());
        result->accounts.append({code.toInt(), f.name, f.opening, f.in, f.out, f.count});
        result->inTotal.add(f.in);
        result->outTotal.add(f.out);
        for (const FigureSum* figure : {&f.opening, &f.in, &f.out, &closing})
            result->trouble.note(*figure);
    }
    return book;
}

bool PeriodSummaryReport::load(Error* error)
{
    return m_template.load(QStringLiteral("Trans-summary"), error);
}

bool PeriodSummaryReport::build(const XmlDocument& data, const QDate& from, const QDate& to,
    const SummarySubject& subject, SummaryResult* result, Error* error, const QLocale& locale)
{
    *result = SummaryResult();
    const QString period = QStringLiteral(" - From ") + ShortDateText(from, locale)
        + QStringLiteral(" To ") + ShortDateText(to, locale);
    QString accountCode = QStringLiteral("0");
    QString groupString = QStringLiteral("0");
    QString name;
    XmlNode group;
    if (subject.accountCode > 0) {
        accountCode = quoted(QString::number(subject.accountCode));
        name = subject.accountName;
    } else if (!subject.groupName.isEmpty()) {
        group = FindGroup(data, subject.groupName);
        if (group) {
            // The member list as the program reads it: codes and commas only.
            groupString = quoted(MemberList(MemberCodes(group.attribute(schema::kMembers))));
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
            result->title
                = QStringLiteral("Period Summary for '") + name + QLatin1Char('\'') + period;
        }
    }

    if (!m_template.setVariable(
            QStringLiteral("FromDate"), QString::number(DateToDocDate(from)), error)
        || !m_template.setVariable(
            QStringLiteral("ToDate"), QString::number(DateToDocDate(to)), error)
        || !m_template.setVariable(QStringLiteral("AccountCode"), accountCode, error)
        || !m_template.setVariable(QStringLiteral("GroupString"), groupString, error))
        return false;

    const SummarySubject listed = result->subjectFound ? subject : SummarySubject::allAccounts();
    const XmlDocument book
        = SummaryBook(data, DateToDocDate(from), DateToDocDate(to), listed, group, result);
    XmlDocument page;
    if (!m_template.transformToDocument(book.documentElement(), &page, error))
        return false;
    if (page.documentElement().isNull())
        return ReportFailure(
            error, kMissingElement, QStringLiteral("The summary template gave no page"));

    const FigureSum difference = result->inTotal - result->outTotal;
    result->trouble.note(difference);
    const struct
    {
        const char* id;
        const FigureSum& value;
    } cells[]
        = {{"intotal", result->inTotal}, {"outtotal", result->outTotal}, {"diff", difference}};
    for (const auto& cell : cells) {
        const QString id = QString::fromLatin1(cell.id);
        XmlNode td
            = page.selectSingleNode(QStringLiteral("//TD[@id='") + id + QStringLiteral("']"));
        if (td.isNull())
            return ReportFailure(
                error, kMissingElement, QStringLiteral("The summary page has no cell ") + id);
        td.setText(cell.value.grouped());
    }
    result->page = page.documentElement().xml();
    // Names are the user's text: markup in them is shown, never obeyed.
    ReplaceReportTitle(result->page, result->title.toHtmlEscaped());
    return true;
}

} // namespace qb
