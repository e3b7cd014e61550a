// OFX 1.x (SGML) and 2.x / QFX (XML) statements. libofx reads the structure,
// the bank's ids, names and memos; the amount and the date of each STMTTRN
// are taken from the file's own text, in the same order, because libofx
// hands amounts over as binary floating-point numbers and dates shifted to
// the local time zone. Its amount only checks that both readings agree.

#include <cerrno>
#include <cmath>
#include <libofx/libofx.h>

#include <QCoreApplication>
#include <QDir>
#include <QStringDecoder>
#include <QTemporaryFile>

#include "import/Statement.h"

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

namespace qb {

namespace {

struct RawTransaction
{
    int line = 0;
    QString amount;
    QString date;
    QString fitid;
    QString name;
    QString memo;
    QString account;
    bool trade = false; // a purchase, sale or other security movement: not imported
};

struct RawStatement
{
    QList<RawTransaction> transactions;
    QStringList accounts; // the ACCTID of each statement, in file order
};

// Deeper nesting than any statement has: libofx's parser takes quadratic
// time over unclosed aggregates, so such a file is refused before it gets there.
constexpr int kMaxOfxDepth = 40;
constexpr int kMaxOfxElements = 100;
constexpr qsizetype kMaxOfxBytes = 8 * 1024 * 1024;

// The transactions of an investment statement. The ones that move cash
// alone are imported as ordinary lines; the others are left out.
bool isInvestmentTransaction(const QByteArray& tag, bool* cash)
{
    static const QList<QByteArray> cashLines {"INCOME", "INVEXPENSE", "MARGININTEREST", "RETOFCAP"};
    static const QList<QByteArray> trades {"BUYDEBT", "BUYMF", "BUYOPT", "BUYOTHER", "BUYSTOCK",
        "CLOSUREOPT", "JRNLFUND", "JRNLSEC", "REINVEST", "SELLDEBT", "SELLMF", "SELLOPT",
        "SELLOTHER", "SELLSTOCK", "SPLIT", "TRANSFER"};
    *cash = cashLines.contains(tag);
    return *cash || trades.contains(tag);
}

QString decodeEntities(QString text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&')) {
            out.append(text.at(i));
            continue;
        }
        const qsizetype semi = text.indexOf(QLatin1Char(';'), i);
        const QString entity
            = semi > i && semi - i < 10 ? text.mid(i + 1, semi - i - 1) : QString();
        QString replacement;
        if (entity == QStringLiteral("amp"))
            replacement = QStringLiteral("&");
        else if (entity == QStringLiteral("lt"))
            replacement = QStringLiteral("<");
        else if (entity == QStringLiteral("gt"))
            replacement = QStringLiteral(">");
        else if (entity == QStringLiteral("quot"))
            replacement = QStringLiteral("\"");
        else if (entity == QStringLiteral("apos"))
            replacement = QStringLiteral("'");
        else if (entity.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const uint code = entity.startsWith(QStringLiteral("#x"))
                ? entity.mid(2).toUInt(&ok, 16)
                : entity.mid(1).toUInt(&ok);
            if (ok && code > 0 && code < 0x110000) {
                const char32_t c = code;
                replacement = QString::fromUcs4(&c, 1);
            }
        }
        if (replacement.isEmpty()) {
            out.append(text.at(i));
            continue;
        }
        out.append(replacement);
        i = semi;
    }
    return out;
}

// One walk over the tags: the transactions with their leaf values, each
// statement's account id, the nesting of aggregates, and whether the file
// reaches its end.
bool scanOfx(const QByteArray& bytes, RawStatement* raw, StatementError* error)
{
    if (bytes.size() > kMaxOfxBytes) {
        *error = {0,
            QStringLiteral("the OFX file is larger than ") + QString::number(kMaxOfxBytes >> 20)
                + QStringLiteral(" MB: this is no statement")};
        return false;
    }
    QStringDecoder probe(QStringDecoder::Utf8);
    const QString ignored = probe(bytes);
    const bool utf8 = !probe.hasError();
    auto decode = [utf8](QByteArrayView v) {
        return decodeEntities(utf8 ? QString::fromUtf8(v) : QString::fromLatin1(v)).simplified();
    };
    int line = 1;
    qsizetype counted = 0;
    auto lineAt = [&](qsizetype offset) {
        line += int(std::count(bytes.cbegin() + counted, bytes.cbegin() + offset, '\n'));
        counted = offset;
        return line;
    };
    QByteArray transactionTag; // the aggregate of the transaction being read; empty outside
    bool sawOfx = false;
    bool sawEnd = false;
    QString account;
    bool accountKnown = false;
    QList<QByteArray> open; // the aggregates open around the current tag
    QList<int> leaves {0}; // the elements read in each of them (and outside all)
    RawTransaction current;
    qsizetype i = bytes.indexOf('<');
    while (i >= 0 && i < bytes.size()) {
        if (bytes.mid(i, 4) == "<!--") {
            // A comment may hold anything, the header of the file among it.
            const qsizetype end = bytes.indexOf("-->", i + 4);
            i = end < 0 ? -1 : bytes.indexOf('<', end + 3);
            continue;
        }
        const qsizetype close = bytes.indexOf('>', i);
        if (close < 0) {
            *error = {lineAt(i), QStringLiteral("the OFX statement is cut off inside a tag")};
            return false;
        }
        const QByteArray tag = bytes.mid(i + 1, close - i - 1).trimmed().toUpper();
        qsizetype next = bytes.indexOf('<', close);
        const QByteArrayView value
            = QByteArrayView(bytes).sliced(close + 1, (next < 0 ? bytes.size() : next) - close - 1);
        if (tag.startsWith('?') || tag.startsWith('!')) {
            i = next;
            continue;
        }
        if (tag.startsWith('/')) {
            // SGML closes the aggregates left open inside the one it closes.
            const QByteArray name = tag.mid(1);
            if (const qsizetype at = open.lastIndexOf(name); at >= 0) {
                open.resize(at);
                leaves.resize(at + 1);
            }
        } else if (value.trimmed().isEmpty()
            && (next < 0 || bytes.mid(next, tag.size() + 2).toUpper() != "</" + tag)) {
            open.append(tag);
            leaves.append(0);
            if (open.size() > kMaxOfxDepth) {
                *error = {lineAt(i),
                    QStringLiteral("the OFX nests aggregates more than ")
                        + QString::number(kMaxOfxDepth)
                        + QStringLiteral(" deep: this is no statement")};
                return false;
            }
        } else if (++leaves.last() > kMaxOfxElements) {
            // libofx keeps elements it does not know open until their
            // aggregate closes: thousands of them nest as deep.
            *error = {lineAt(i),
                QStringLiteral("an OFX aggregate holds more than ")
                    + QString::number(kMaxOfxElements)
                    + QStringLiteral(" elements: this is no statement")};
            return false;
        }
        bool cash = true;
        if (tag == "OFX") {
            sawOfx = true;
        } else if (tag == "/OFX") {
            sawEnd = true;
        } else if (tag == "STMTRS" || tag == "CCSTMTRS" || tag == "INVSTMTRS") {
            account.clear();
            accountKnown = false;
        } else if (tag == "STMTTRN" || isInvestmentTransaction(tag, &cash)) {
            if (!transactionTag.isEmpty()) {
                *error = {current.line,
                    QStringLiteral("a ") + QLatin1String(transactionTag)
                        + QStringLiteral(" is not closed before the next transaction")};
                return false;
            }
            transactionTag = tag;
            current = {};
            current.line = lineAt(i);
            current.account = account;
            current.trade = !cash;
        } else if (tag.startsWith('/') && tag.mid(1) == transactionTag) {
            transactionTag.clear();
            raw->transactions.append(current);
        } else if (tag == "/STMTTRN") {
            *error = {lineAt(i), QStringLiteral("</STMTTRN> without its STMTTRN")};
            return false;
        } else if (!tag.startsWith('/')) {
            const QString text = decode(value);
            if (!transactionTag.isEmpty()) {
                if (tag == "TRNAMT" || tag == "TOTAL")
                    current.amount = text;
                else if (tag == "DTPOSTED" || tag == "DTTRADE")
                    current.date = text;
                else if (tag == "FITID")
                    current.fitid = text;
                else if (tag == "NAME" && current.name.isEmpty())
                    current.name = text;
                else if (tag == "MEMO")
                    current.memo = text;
            } else if (tag == "ACCTID" && !accountKnown) {
                account = text;
                accountKnown = true;
                if (!raw->accounts.contains(account))
                    raw->accounts.append(account);
            }
        }
        i = next;
    }
    if (!sawOfx) {
        *error = {1, QStringLiteral("no <OFX> element: this is not an OFX statement")};
        return false;
    }
    if (!transactionTag.isEmpty()) {
        *error = {
            current.line, QStringLiteral("the OFX statement is cut off inside this transaction")};
        return false;
    }
    if (!sawEnd) {
        *error = {lineAt(bytes.size()),
            QStringLiteral("the OFX statement is cut off (no </OFX> at its end)")};
        return false;
    }
    return true;
}

struct LibofxTransaction
{
    QString fitid;
    QString name;
    QString memo;
    // libofx gives the amount only as a double: it confirms, to the cent, the
    // exact amount read from the file's own text, and is never stored or summed.
    double amount = 0;
    bool amountValid = false;
};

struct LibofxResult
{
    QList<LibofxTransaction> transactions;
    QString accountId;
};

int onTransaction(const struct OfxTransactionData data, void* context)
{
    auto* result = static_cast<LibofxResult*>(context);
    LibofxTransaction t;
    if (data.fi_id_valid)
        t.fitid = QString::fromUtf8(data.fi_id).simplified();
    if (data.name_valid)
        t.name = QString::fromUtf8(data.name).simplified();
    if (data.memo_valid)
        t.memo = QString::fromUtf8(data.memo).simplified();
    t.amountValid = data.amount_valid != 0;
    t.amount = data.amount;
    result->transactions.append(t);
    if (result->accountId.isEmpty() && data.account_id_valid)
        result->accountId = QString::fromUtf8(data.account_id);
    return 0;
}

#ifdef Q_OS_UNIX
bool processAlive(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}
#endif

// The copies of a statement that libofx reads (ours, and the one libofx
// makes itself in TMPDIR) are kept in a folder of this process. A folder
// left by a process that was stopped before it could tidy up is removed by
// the next reading.
QString statementFolder()
{
    const QString prefix = QStringLiteral("qb-statement-");
    QDir temp(QDir::tempPath());
#ifdef Q_OS_UNIX
    const QStringList left
        = temp.entryList({prefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : left) {
        bool ok = false;
        const qint64 pid = name.mid(prefix.size()).toLongLong(&ok);
        if (ok && pid != QCoreApplication::applicationPid() && !processAlive(pid))
            QDir(temp.filePath(name)).removeRecursively();
    }
#endif
    const QString own = temp.filePath(prefix + QString::number(QCoreApplication::applicationPid()));
    if (!QDir().mkpath(own))
        return {};
    QFile::setPermissions(
        own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return own;
}

bool readWithLibofx(const QByteArray& bytes, LibofxResult* result, StatementError* error)
{
    // libofx reads files only.
    const QString folder = statementFolder();
    QTemporaryFile file(folder + QStringLiteral("/statement-XXXXXX.ofx"));
    if (folder.isEmpty() || !file.open() || file.write(bytes) != bytes.size() || !file.flush()) {
        *error = {0,
            QStringLiteral("the statement could not be handed to libofx: ") + file.errorString()};
        return false;
    }
    file.close();
    // libofx prints what it parses on the console unless told not to.
    ofx_PARSER_msg = ofx_DEBUG_msg = ofx_DEBUG1_msg = ofx_DEBUG2_msg = ofx_DEBUG3_msg = 0;
    ofx_DEBUG4_msg = ofx_DEBUG5_msg = ofx_STATUS_msg = ofx_INFO_msg = 0;
    ofx_WARNING_msg = ofx_ERROR_msg = 0;
    LibofxContextPtr context = libofx_get_new_context();
    ofx_set_transaction_cb(context, onTransaction, result);
    const QByteArray path = QFile::encodeName(file.fileName());
    // libofx writes its own copy of the file into TMPDIR: into our folder.
    const QByteArray tmpdir = qgetenv("TMPDIR");
    const bool hadTmpdir = qEnvironmentVariableIsSet("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(folder));
    // Its result is not failure for a file that breaks a rule of the OFX
    // schema (banks' files often do, a missing LEDGERBAL among them): every
    // transaction is still read. The count of transactions read tells.
    libofx_proc_file(context, path.constData(), OFX);
    libofx_free_context(context);
    if (hadTmpdir)
        qputenv("TMPDIR", tmpdir);
    else
        qunsetenv("TMPDIR");
    file.remove();
    QDir().rmdir(folder);
    return true;
}

} // namespace

bool ReadOfxStatement(const QByteArray& bytes, Statement* statement, StatementError* error)
{
    *statement = {};
    statement->format = StatementFormat::Ofx;
    RawStatement raw;
    if (!scanOfx(bytes, &raw, error))
        return false;
    LibofxResult read;
    if (!raw.transactions.isEmpty() && !readWithLibofx(bytes, &read, error))
        return false;
    if (read.transactions.size() != raw.transactions.size()) {
        const qsizetype first = std::min(read.transactions.size(), raw.transactions.size());
        *error = {raw.transactions.value(first).line,
            QStringLiteral("libofx read ") + QString::number(read.transactions.size())
                + QStringLiteral(" transactions where the file holds ")
                + QString::number(raw.transactions.size())
                + QStringLiteral(": the two readings do not agree")};
        return false;
    }
    // The account number as the bank writes it (libofx joins bank, branch and account ids).
    statement->accounts = raw.accounts;
    if (raw.accounts.size() == 1)
        statement->bankAccountId = raw.accounts.first();
    else if (raw.accounts.isEmpty())
        statement->bankAccountId = read.accountId;
    int trades = 0;
    statement->lines.reserve(raw.transactions.size());
    for (qsizetype i = 0; i < raw.transactions.size(); ++i) {
        const RawTransaction& r = raw.transactions.at(i);
        const LibofxTransaction& t = read.transactions.at(i);
        if (r.trade) {
            ++trades;
            continue;
        }
        StatementLine s;
        s.sourceLine = r.line;
        s.account = raw.accounts.size() > 1 ? r.account : QString();
        s.id = t.fitid.isEmpty() ? r.fitid : t.fitid;
        s.payee = t.name.isEmpty() ? r.name : t.name;
        s.memo = t.memo.isEmpty() ? r.memo : t.memo;
        // DTPOSTED: yyyymmdd, then an optional time and zone that do not move the day.
        const QString day = r.date.left(8);
        s.date = day.size() == 8 ? ParseStatementDate(day, DateOrder::YearMonthDay) : QDate();
        if (!s.date.isValid())
            s.error = QStringLiteral("the date \"") + r.date.left(40)
                + QStringLiteral("\" is not a date");
        const bool comma
            = r.amount.contains(QLatin1Char(',')) && !r.amount.contains(QLatin1Char('.'));
        const std::optional<Money> amount = ParseStatementAmount(r.amount, comma);
        if (!amount) {
            if (s.error.isEmpty())
                s.error = QStringLiteral("the amount \"") + r.amount.left(40)
                    + QStringLiteral("\" is not a number");
        } else {
            // Both readings of the same transaction agree to the cent, or the
            // lines were paired wrongly and nothing is taken.
            const double text = double(amount->units()) / double(Money::kScale);
            if (t.amountValid && std::fabs(text - t.amount) > 0.005) {
                *error = {r.line,
                    QStringLiteral("the amount ") + r.amount
                        + QStringLiteral(" does not match what libofx read")};
                return false;
            }
            s.amount = *amount;
            if (s.error.isEmpty() && s.amount.isZero())
                s.error = QStringLiteral("zero amount");
        }
        statement->lines.append(std::move(s));
    }
    if (trades > 0)
        statement->leftOut << QString::number(trades)
                + (trades == 1 ? QStringLiteral(" security trade")
                               : QStringLiteral(" security trades"));
    return true;
}

} // namespace qb
