// OFX 1.x (SGML) and 2.x / QFX (XML) statements. libofx reads the structure,
// the bank's ids, names and memos; the amount and the date of each STMTTRN
// are taken from the file's own text, in the same order, because libofx
// hands amounts over as binary floating-point numbers and dates shifted to
// the local time zone. Its amount only checks that both readings agree.

#include <cmath>
#include <libofx/libofx.h>

#include <QDir>
#include <QStringDecoder>
#include <QTemporaryFile>

#include "import/Statement.h"

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
};

struct RawStatement
{
    QList<RawTransaction> transactions;
    QString accountId;
};

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

// One walk over the tags: the STMTTRN blocks with their leaf values, the
// account id, and whether the file reaches its end.
bool scanOfx(const QByteArray& bytes, RawStatement* raw, StatementError* error)
{
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
    bool inTransaction = false;
    bool sawOfx = false;
    bool sawEnd = false;
    RawTransaction current;
    qsizetype i = bytes.indexOf('<');
    while (i >= 0 && i < bytes.size()) {
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
        if (tag == "OFX") {
            sawOfx = true;
        } else if (tag == "/OFX") {
            sawEnd = true;
        } else if (tag == "STMTTRN") {
            if (inTransaction) {
                *error
                    = {current.line, QStringLiteral("a STMTTRN is not closed before the next one")};
                return false;
            }
            inTransaction = true;
            current = {};
            current.line = lineAt(i);
        } else if (tag == "/STMTTRN") {
            if (!inTransaction) {
                *error = {lineAt(i), QStringLiteral("</STMTTRN> without its STMTTRN")};
                return false;
            }
            inTransaction = false;
            raw->transactions.append(current);
        } else if (!tag.startsWith('/')) {
            const QString text = decode(value);
            if (inTransaction) {
                if (tag == "TRNAMT")
                    current.amount = text;
                else if (tag == "DTPOSTED")
                    current.date = text;
                else if (tag == "FITID")
                    current.fitid = text;
                else if (tag == "NAME" && current.name.isEmpty())
                    current.name = text;
                else if (tag == "MEMO")
                    current.memo = text;
            } else if (tag == "ACCTID" && raw->accountId.isEmpty()) {
                raw->accountId = text;
            }
        }
        i = next;
    }
    if (!sawOfx) {
        *error = {1, QStringLiteral("no <OFX> element: this is not an OFX statement")};
        return false;
    }
    if (inTransaction) {
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

bool readWithLibofx(const QByteArray& bytes, LibofxResult* result, StatementError* error)
{
    // libofx reads files only.
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/qb-statement-XXXXXX.ofx"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) {
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
    // Its result is not failure for a file that breaks a rule of the OFX
    // schema (banks' files often do, a missing LEDGERBAL among them): every
    // transaction is still read. The count of transactions read tells.
    libofx_proc_file(context, path.constData(), OFX);
    libofx_free_context(context);
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
                + QStringLiteral(" (the OFX is damaged)")};
        return false;
    }
    // The account number as the bank writes it (libofx joins bank, branch and account ids).
    statement->bankAccountId = raw.accountId.isEmpty() ? read.accountId : raw.accountId;
    statement->lines.reserve(raw.transactions.size());
    for (qsizetype i = 0; i < raw.transactions.size(); ++i) {
        const RawTransaction& r = raw.transactions.at(i);
        const LibofxTransaction& t = read.transactions.at(i);
        StatementLine s;
        s.sourceLine = r.line;
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
            // Both readings of the same STMTTRN agree to the cent, or the
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
    return true;
}

} // namespace qb
