// qbbench steps of the statement import: a 10,000-line CSV statement (half
// of its lines copies of the busiest account's transactions, the rest new)
// read and matched against the book, imported in one save, and shown in the
// import window's preview.

#include <cstdio>

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTableView>

#include "Bench.h"
#include "controls/AccountCombo.h"
#include "import/ImportPlan.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/Utilities.h"
#include "transactions/frmImport.h"

namespace bench {

namespace {

constexpr int kLines = 10000;

struct ImportState
{
    qb::FixedClock clock {QDate(2030, 1, 1)};
    QString pristine; // the book as made, copied back before each run
    QString work; // the book the runs change
    QString statement;
    QByteArray bytes;
    qb::CsvMapping mapping;
    int account = 0;
    int other = 0;
    std::optional<qb::ImportPlan> plan;
    std::unique_ptr<qb::frmImport> window;
};

bool openWork(ImportState& s, QString* why)
{
    QFile::remove(s.work);
    QFile::remove(s.work + QStringLiteral(".bak"));
    if (!QFile::copy(s.pristine, s.work)) {
        *why = QStringLiteral("the book cannot be copied");
        return false;
    }
    qb::DataStore& store = bench::bookStore();
    store.setHost(nullptr);
    store.setClock(&s.clock);
    if (!store.OpenDataFile(s.work)) {
        *why = QStringLiteral("the store does not open the book");
        return false;
    }
    return true;
}

bool prepareImport(Context& c, QString* why)
{
    auto s = std::make_shared<ImportState>();
    s->pristine = c.book;
    s->work = c.folder + QStringLiteral("/import.qbf");
    if (!openWork(*s, why))
        return false;
    qb::DataStore& store = bench::bookStore();
    QHash<int, int> perAccount;
    for (const qb::XmlNode& t : store.TransSection().childElements())
        ++perAccount[t.attributeValue(2).toInt()];
    int best = -1;
    for (auto it = perAccount.cbegin(); it != perAccount.cend(); ++it) {
        if (it.value() > best) {
            best = it.value();
            s->account = it.key();
        }
    }
    s->other = s->account == 1 ? 2 : 1;
    // Lines: every other one a transaction of the account as the bank shows it.
    QByteArray csv = "Date,Description,Amount\n";
    QRandomGenerator gen(7);
    const QList<qb::XmlNode> all = store.TransSection().childElements();
    int copied = 0;
    for (const qb::XmlNode& t : all) {
        if (copied >= kLines / 2)
            break;
        if (t.attributeValue(2).toInt() != s->account)
            continue;
        const QDate day = qb::DocDateToDate(t.attributeValue(1).toInt());
        csv += day.toString(QStringLiteral("yyyy-MM-dd")).toLatin1() + ",\""
            + t.attributeValue(4).toUtf8() + "\",-" + t.text().toLatin1() + '\n';
        ++copied;
    }
    for (int i = copied; i < kLines; ++i) {
        const QDate day = QDate(2024, 1, 1).addDays(gen.bounded(700));
        csv += day.toString(QStringLiteral("yyyy-MM-dd")).toLatin1() + ",Shop "
            + QByteArray::number(gen.bounded(300)) + " card 4411," + (gen.bounded(2) ? "-" : "")
            + QByteArray::number(1 + gen.bounded(90000)) + '.'
            + QByteArray::number(10 + gen.bounded(90)) + '\n';
    }
    s->bytes = csv;
    s->statement = c.folder + QStringLiteral("/statement.csv");
    QFile out(s->statement);
    if (!out.open(QIODevice::WriteOnly) || out.write(csv) != csv.size()) {
        *why = QStringLiteral("the statement cannot be written");
        return false;
    }
    out.close();
    s->mapping = qb::GuessCsvMapping(csv);
    c.state = s;
    return true;
}

ImportState& state(Context& c)
{
    return *static_cast<ImportState*>(c.state.get());
}

// A statement of about 16 MB as a bank writes one: 200,000 lines of booking
// and value date, payee, purpose, amount and balance.
struct LargeStatement
{
    QByteArray bytes;
    qb::CsvMapping mapping;
    int account = 0;
};

bool prepareLargeStatement(Context& c, QString* why)
{
    if (!prepareImport(c, why))
        return false;
    auto s = std::make_shared<LargeStatement>();
    s->account = state(c).account;
    QByteArray& csv = s->bytes;
    csv = "Booking date;Value date;Payee;Purpose;Amount;Balance\n";
    QRandomGenerator gen(11);
    qint64 balance = 100000000;
    for (int i = 0; i < 200000; ++i) {
        const QByteArray day
            = QDate(2020, 1, 13).addDays(i / 100).toString(QStringLiteral("dd.MM.yyyy")).toLatin1();
        const qint64 cents = qint64(gen.bounded(200000)) - 100000;
        balance += cents;
        auto money = [](qint64 v) -> QByteArray {
            const qint64 a = v < 0 ? -v : v;
            return QByteArray(v < 0 ? "-" : "") + QByteArray::number(a / 100) + ','
                + QByteArray::number(100 + a % 100).mid(1);
        };
        csv += day + ';' + day + ";Shop " + QByteArray::number(gen.bounded(5000))
            + " GmbH;Card payment " + QByteArray::number(gen.bounded(1000000)) + " ref "
            + QByteArray::number(i) + ';' + money(cents) + ';' + money(balance) + '\n';
    }
    s->mapping = qb::GuessCsvMapping(csv);
    c.state = s;
    return true;
}

} // namespace

std::vector<Step> importSteps()
{
    std::vector<Step> steps;
    steps.push_back({QStringLiteral("import-match"), {QStringLiteral("store-open")},
        QStringLiteral("read a 10,000-line CSV statement and match it against the book"),
        prepareImport, [](Context& c) { state(c).plan.reset(); },
        [](Context& c) {
            ImportState& s = state(c);
            qb::Statement statement;
            qb::StatementError error;
            if (!qb::ReadCsvStatement(s.bytes, s.mapping, &statement, &error))
                return false;
            s.plan = qb::ImportPlan::make(bench::bookStore().document(), s.account, statement);
            return s.plan->lines().size() == kLines;
        }});
    steps.push_back({QStringLiteral("import-write"), {QStringLiteral("store-save")},
        QStringLiteral("import the statement's new lines into the book in one save"), prepareImport,
        [](Context& c) {
            ImportState& s = state(c);
            QString why;
            openWork(s, &why);
            qb::Statement statement;
            qb::StatementError error;
            qb::ReadCsvStatement(s.bytes, s.mapping, &statement, &error);
            s.plan = qb::ImportPlan::make(bench::bookStore().document(), s.account, statement);
            s.plan->setOtherForAll(s.other);
        },
        [](Context& c) {
            ImportState& s = state(c);
            qb::DataStore& store = bench::bookStore();
            const qb::ImportCounts counts = qb::ApplyImport(store.document(), *s.plan);
            return counts.imported > 0 && store.SaveDocument();
        }});
    steps.push_back({QStringLiteral("import-memory"), {QStringLiteral("import-match")},
        QStringLiteral(
            "read a 16 MB statement (fails above 5 times the file in memory) and match it"),
        prepareLargeStatement, {}, [](Context& c) {
            auto* s = static_cast<LargeStatement*>(c.state.get());
            const qint64 before = statusKb("VmRSS:");
            qb::Statement statement;
            qb::StatementError error;
            if (!qb::ReadStatement(s->bytes, std::nullopt, s->mapping, &statement, &error)) {
                std::fprintf(stderr, "import-memory: %s\n", qPrintable(error.text()));
                return false;
            }
            const qint64 read = statusKb("VmHWM:") - before;
            const qb::ImportPlan plan
                = qb::ImportPlan::make(bench::bookStore().document(), s->account, statement);
            const qint64 grown = statusKb("VmHWM:") - before;
            std::fprintf(stderr,
                "import-memory: %lld kB read, %lld kB matched, for a statement of %lld kB\n",
                static_cast<long long>(read), static_cast<long long>(grown),
                static_cast<long long>(s->bytes.size() / 1024));
            // The reading is held to 5 times the file; the matching's share is shown.
            return plan.lines().size() == 200000 && read * 1024 <= 5 * s->bytes.size();
        }});
    steps.push_back({QStringLiteral("import-preview"), {QStringLiteral("store-open")},
        QStringLiteral("the import window shows the 10,000 lines, first screen painted"),
        prepareImport, [](Context& c) { state(c).window.reset(); },
        [](Context& c) {
            ImportState& s = state(c);
            const qb::BookContext book {bench::bookStore(), s.clock};
            s.window = std::make_unique<qb::frmImport>(book);
            s.window->resize(1000, 700);
            s.window->show();
            s.window->cmbAccount->chooseCode(s.account);
            const bool loaded = s.window->loadFile(s.statement);
            QApplication::processEvents();
            s.window->tblLines->repaint();
            return loaded && s.window->tblLines->model()->rowCount() == kLines;
        }});
    return steps;
}

} // namespace bench
