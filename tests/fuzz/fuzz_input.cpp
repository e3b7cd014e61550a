// libFuzzer target over what the program reads from a person rather than
// from a book: the input is one typed or pasted text (UTF-8), given to
//  - the amount grammar (Money::parse, Money::fromNumberText),
//  - the number box as pasted text, in the point and the comma locale,
//  - the date box's reading of a typed date, in each order,
//  - qbtool's --date reading,
//  - the search's details criterion in each mode, and XPathLiteral.
// Beyond crashes and sanitizer reports it aborts when a reading breaks its
// promise: an amount whose text does not read back as itself, a box that
// offers a text no amount reads from or cuts a pasted number, a date outside
// the years the box takes, a query that does not compile, or a term that
// does not find the narration holding it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QLineEdit>

#include "controls/DateBox.h"
#include "controls/neb.h"
#include "engine/SearchReport.h"
#include "store/Money.h"
#include "store/Utilities.h"
#include "store/Xml.h"
#include "tool/CommandLine.h"

namespace {

[[noreturn]] void broken(const char* what, const QString& text)
{
    std::fprintf(stderr, "fuzz_input: %s: [%s]\n", what, text.toUtf8().constData());
    std::abort();
}

struct Fixture
{
    QApplication* app = nullptr;
    qb::neb* point = nullptr; // a box where the point is the decimal separator
    qb::neb* comma = nullptr; // and one where the comma is
    qb::XmlDocument book;
};

Fixture& fixture()
{
    static Fixture f = [] {
        Fixture made;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_input";
        static char* argv[] = {name, nullptr};
        made.app = new QApplication(argc, argv);
        for (qb::neb** box : {&made.point, &made.comma}) {
            *box = new qb::neb;
            (*box)->setIntegerSize(9); // as the entry and search windows have them
            (*box)->setDecimalSize(2);
        }
        made.point->setInputLocale(QLocale::c());
        made.comma->setInputLocale(QLocale(QLocale::German, QLocale::Germany));
        made.book.loadXml(QByteArrayLiteral("<Data/>"));
        return made;
    }();
    return f;
}

void checkAmount(const QString& text)
{
    if (const std::optional<qb::Money> value = qb::Money::parse(text)) {
        if (qb::Money::parse(value->toText()) != value)
            broken("an amount's text does not read back", text);
        if (qb::Money::fromNumberText(text) != value)
            broken("the two amount readings differ", text);
        if (value->format().isEmpty() || value->formatGrouped().isEmpty())
            broken("an amount without a figure", text);
    }
    if (const std::optional<qb::Money> number = qb::Money::fromNumberText(text)) {
        if (qb::Money::parse(number->toText()) != number)
            broken("a template number does not read back", text);
    }
}

void checkPaste(qb::neb* box, const QString& text)
{
    QLineEdit* line = box->textBox();
    box->setDecimalText(QStringLiteral("0"));
    const QString before = line->text();
    line->selectAll();
    line->insert(text); // as a paste arrives: a change of the user's
    // Whatever the box holds, what it offers is an amount (never saved as 0 by accident).
    if (!qb::Money::parse(box->decimalText()))
        broken("the box offers a text that is no amount", text);
    if (line->text() == before)
        return;
    // Refused: the box keeps the amount it had and says why.
    if (!box->problem().isEmpty()) {
        if (box->decimalText() != QLatin1String("0"))
            broken("a refused text changed the amount", text);
        return;
    }
    // Taken: a plain number in the point locale is taken as it is, never cut.
    if (box == fixture().point && qb::neb::readsAsNumber(text)
        && !text.startsWith(QLatin1Char('-'))) {
        const std::optional<qb::Money> pasted = qb::Money::fromNumberText(text);
        if (pasted && qb::Money::parse(box->decimalText()) != pasted)
            broken("a pasted number was changed", text);
    }
}

void checkDate(const QString& text)
{
    const QDate base(2026, 11, 30);
    const QDate today(2026, 12, 7);
    static const QString orders[]
        = {QStringLiteral("dMy"), QStringLiteral("Mdy"), QStringLiteral("yMd")};
    static const QString formats[] = {
        QStringLiteral("dd-MM-yyyy"), QStringLiteral("MM-dd-yyyy"), QStringLiteral("yyyy-MM-dd")};
    for (int i = 0; i < 3; ++i) {
        const qb::TypedDate typed = qb::ReadTypedDate(text, orders[i], base, today);
        if (!typed.date.isValid())
            continue;
        if (typed.date.year() < 1900 || typed.date.year() > 2999)
            broken("a date outside 1900-2999 was taken", text);
        // The date as the box shows it reads back as the same date.
        const QString shown = typed.date.toString(formats[i]);
        if (qb::ReadTypedDate(shown, orders[i], base, today).date != typed.date)
            broken("a shown date does not read back", text);
    }
    const QDate command = qb::CommandDate(text);
    if (command.isValid()
        && qb::CommandDate(command.toString(QStringLiteral("yyyyMMdd"))) != command)
        broken("a command date does not read back", text);
}

void checkSearch(const QString& text)
{
    Fixture& f = fixture();
    // XPath literals hold XML characters only; control characters never get
    // that far (search terms and narrations drop them first).
    const bool xmlText = text.isValidUtf16() && std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x20 || u == 0x9 || u == 0xA || u == 0xD) && u != 0xFFFE && u != 0xFFFF;
    });
    if (!xmlText)
        return;
    // A literal holds the text exactly, whatever quotes it has.
    if (f.book.evaluate(QStringLiteral("string(") + qb::XPathLiteral(text) + QLatin1Char(')'))
        != text)
        broken("XPathLiteral does not hold the text", text);

    // One transaction whose narration is the text as a narration is stored.
    const QString narration = qb::AllowedCharsOnly(text);
    QByteArray xml = "<Data><Trans><t dt=\"20261130\" No=\"1\" fAc=\"1\" tAc=\"2\" Nar=\"";
    for (const QChar c : narration)
        xml += "&#" + QByteArray::number(c.unicode()) + ';';
    xml += "\">1.00</t></Trans></Data>";
    // Surrogate halves cannot be written as references one by one.
    if (std::any_of(narration.begin(), narration.end(), [](QChar c) { return c.isSurrogate(); }))
        return;
    if (!f.book.loadXml(xml))
        broken("the test book does not load", text);
    for (const auto mode :
        {qb::SearchCriteria::DetailsMode::Contains, qb::SearchCriteria::DetailsMode::Equals,
            qb::SearchCriteria::DetailsMode::NotContain}) {
        qb::SearchCriteria criteria;
        criteria.byDetails = true;
        criteria.mode = mode;
        criteria.details = text;
        const qb::SearchPredicate predicate = qb::BuildSearchPredicate(criteria, QLocale::c());
        // No criterion (an empty text): the template's own selection, here every t.
        const QString selection
            = predicate.selection().isEmpty() ? QStringLiteral("t") : predicate.selection();
        const QString count
            = f.book.evaluate(QStringLiteral("count(/Data/Trans/") + selection + QLatin1Char(')'));
        if (count != QLatin1String("0") && count != QLatin1String("1"))
            broken("the search's query does not compile", text);
        // A term of plain ASCII letters without AND or OR finds its own narration.
        const QString term = narration.trimmed();
        const bool plain = !term.isEmpty() && !text.contains(QStringLiteral("AND"))
            && !text.contains(QStringLiteral("OR"))
            && std::all_of(text.begin(), text.end(),
                [](QChar c) { return c.unicode() >= 32 && c.unicode() < 127; });
        if (plain && mode == qb::SearchCriteria::DetailsMode::Contains
            && count != QLatin1String("1"))
            broken("a term does not find the narration holding it", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 256)
        return 0; // typed texts are short; long ones only slow the runs
    Fixture& f = fixture();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    checkAmount(text);
    checkPaste(f.point, text);
    checkPaste(f.comma, text);
    checkDate(text);
    checkSearch(text);
    return 0;
}
