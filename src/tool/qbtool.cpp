// qbtool: the command-line companion of Quillbrook. Creates, shows, packs
// and checks data files without the windows.
//
// Exit codes: 0 done (check: the book is clean), 1 check found inconsistencies,
// 2 wrong usage, 3 a file could not be read, written or understood, 4 a
// template could not be applied.

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include "store/BookCheck.h"
#include "store/BookCrypto.h"
#include "store/BookFile.h"
#include "store/BookExport.h"
#include "store/BookGuard.h"
#include "store/ClsAX.h"
#include "tool/CommandLine.h"
#include "tool/CommandOutput.h"
#include "store/DataStore.h"
#include "store/Utilities.h"
#include "store/Xml.h"

#include "tool/ImportCommand.h"
#include "tool/ReportCommand.h"
#include "tool/SearchCommand.h"

namespace {

using namespace qb;

const char kUsageText[] =
    "Usage: qbtool COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  new FILE.qbf [--force] [--force-unlock]\n"
    "      Create a new, empty book without a password (\".qbf\" is added when the\n"
    "      name has no such extension). An existing file is only replaced with\n"
    "      --force, and then kept as FILE.qbf.bak.\n"
    "  dump FILE.qbf [--password P]\n"
    "      Write the book's deciphered (or decrypted) XML to standard output.\n"
    "  pack IN.xml FILE.qbf [--force] [--force-unlock]\n"
    "      Encipher an XML book into a data file. The root must be Data with the\n"
    "      sections AcMaster, Trans, Groups and Narration; missing I, PValue and\n"
    "      DateRanges are added (a new I, no password). An existing FILE.qbf is\n"
    "      only replaced with --force, and then kept as FILE.qbf.bak.\n"
    "  check FILE.qbf [--password P]\n"
    "      List the book's inconsistencies, one a line; exit 1 when there are any.\n"
    "  encrypt FILE.qbf --password P\n"
    "      Encrypt the book in place with the password P (letter case counts), as\n"
    "      the program's \"Encrypt the book with this password\" does; its .bak and\n"
    "      daily copies are rewritten encrypted too. A book that already has a\n"
    "      password needs that one.\n"
    "  decrypt FILE.qbf --password P\n"
    "      Write an encrypted book back in the ordinary enciphered form, keeping P\n"
    "      as its password (then checked without regard to case); its .bak and\n"
    "      daily copies are rewritten the same way.\n"
    "  backups FILE.qbf [--password P]\n"
    "      List the book's daily copies (in \"FILE backups\" beside it) with their\n"
    "      dates and transaction counts.\n"
    "  export FILE.qbf --format ledger|beancount|csv [-o OUT] [--from D --to D]\n"
    "      Write the transactions in date and number order as a ledger journal, a\n"
    "      beancount file or comma-separated values with a heading row, to\n"
    "      standard output or OUT. With --from and --to (days as yyyymmdd or\n"
    "      yyyy-mm-dd, both included) the journals start with each account's\n"
    "      balance before the from day, set against Equity:Opening Balances, so\n"
    "      their balances on the to day are the book's; the CSV holds the rows of\n"
    "      those days only. Every account keeps a name of its own; CSV text that\n"
    "      starts with = + - or @ gets a leading apostrophe. A transaction with a\n"
    "      malformed date, amount or account stops the export (nothing written).\n"
    "  report ARGUMENTS...\n"
    "      Make a report page from a book (see \"qbtool report --help\").\n"
    "  search FILE.qbf [CRITERIA] [-o OUT] [--csv FILE]\n"
    "      Find transactions as the Search window does (see \"qbtool search --help\").\n"
    "  import FILE.qbf STATEMENT --account CODE [OPTIONS]\n"
    "      Import a bank statement (CSV, OFX/QFX, QIF) into the book, leaving out\n"
    "      the lines already in it (see \"qbtool import --help\").\n"
    "  help\n"
    "      Show this text.\n"
    "\n"
    "A book protected by a password needs its password for every command that\n"
    "reads it: --password P, or --password-file F (the first line of the file F),\n"
    "or else the environment variable QB_PASSWORD, so that the password need not\n"
    "be typed on a command line. An encrypted book needs it exactly as it was set.\n"
    "A book open in Quillbrook is locked (FILE.qbf.lock beside it): a command that\n"
    "writes a book refuses it (exit 3). --force-unlock removes a lock left by a\n"
    "program that crashed on another computer (one of this computer is taken over\n"
    "by itself); never use it while the book is open somewhere.\n"
    "Exit codes: 0 done (check: clean), 1 inconsistencies found, 2 wrong usage,\n"
    "3 a file could not be read, written or understood, 4 a template could not be\n"
    "applied (report, search).\n";

struct Options
{
    QStringList positional;
    bool force = false;
    bool forceUnlock = false;
    PasswordSource password;
    QString error;
};

Options parseOptions(const QStringList& args)
{
    Options o;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (optionsEnd || !a.startsWith(QStringLiteral("--"))) {
            o.positional << a;
        } else if (a == QStringLiteral("--")) {
            optionsEnd = true;
        } else if (a == QStringLiteral("--force")) {
            o.force = true;
        } else if (a == QStringLiteral("--force-unlock")) {
            o.forceUnlock = true;
        } else if (TakePasswordOption(args, i, &o.password, &o.error)) {
            if (!o.error.isEmpty())
                return o;
        } else {
            o.error = QStringLiteral("unknown option ") + a;
            return o;
        }
    }
    return o;
}

class Tool
{
public:
    Tool(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) { }

    int run(const QStringList& args)
    {
        if (args.isEmpty())
            return usage(QStringLiteral("no command given"));
        const QString command = args.first();
        const QStringList rest = args.mid(1);
        if (command == QStringLiteral("help") || command == QStringLiteral("--help")
            || command == QStringLiteral("-h")) {
            m_out << kUsageText;
            return kOk;
        }
        if (command == QStringLiteral("report"))
            return report(rest);
        if (command == QStringLiteral("search"))
            return search(rest);
        if (command == QStringLiteral("import"))
            return engineCommand(runImportCommand, rest);
        if (rest.contains(QStringLiteral("--help")) || rest.contains(QStringLiteral("-h")))
            return commandHelp(command);
        if (command == QStringLiteral("export"))
            return exportBook(rest);

        const Options o = parseOptions(rest);
        if (!o.error.isEmpty())
            return usage(o.error);
        if (command == QStringLiteral("new"))
            return expect(o, 1, command) ? newBook(o) : kUsage;
        if (command == QStringLiteral("dump"))
            return expect(o, 1, command) ? dump(o) : kUsage;
        if (command == QStringLiteral("pack"))
            return expect(o, 2, command) ? pack(o) : kUsage;
        if (command == QStringLiteral("check"))
            return expect(o, 1, command) ? check(o) : kUsage;
        if (command == QStringLiteral("backups"))
            return expect(o, 1, command) ? backups(o) : kUsage;
        if (command == QStringLiteral("encrypt") || command == QStringLiteral("decrypt"))
            return expect(o, 1, command) ? convert(o, command == QStringLiteral("encrypt")) : kUsage;
        return usage(QStringLiteral("unknown command ") + command);
    }

private:
    // COMMAND --help: the command's own entry of the usage text.
    int commandHelp(const QString& command)
    {
        const QStringList lines = QString::fromLatin1(kUsageText).split(QLatin1Char('\n'));
        const QString head = QStringLiteral("  ") + command;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (lines[i] != head && !lines[i].startsWith(head + QLatin1Char(' ')))
                continue;
            m_out << "Usage: qbtool " << lines[i].trimmed() << '\n';
            for (++i; i < lines.size() && lines[i].startsWith(QStringLiteral("      ")); ++i)
                m_out << lines[i].mid(4) << '\n';
            return kOk;
        }
        return usage(QStringLiteral("unknown command ") + command);
    }

    int usage(const QString& problem) { return CommandUsageError(m_err, problem, kUsageText); }

    bool expect(const Options& o, int count, const QString& command)
    {
        if (o.positional.size() == count)
            return true;
        usage(command + QStringLiteral(" takes ") + QString::number(count)
              + (count == 1 ? QStringLiteral(" file name") : QStringLiteral(" file names")));
        return false;
    }

    int fail(const QString& message)
    {
        m_err << "qbtool: " << message << '\n';
        m_err.flush();
        return kFileError;
    }

    // Reads, deciphers and parses a data file, and checks the password.
    // Sections are not repaired: check reports what the file holds.
    int load(const Options& o, const QString& file, Book* book, bool keepText, bool repair = false)
    {
        BookReadOptions read;
        read.repair = repair;
        read.requireBook = repair;
        read.keepText = keepText;
        read.testPassword = true;
        QString why;
        if (!ResolvePassword(o.password, &read.password, &why))
            return fail(why);
        if (const BookError error = ReadBook(file, book, read); error.isSet())
            return fail(error.line());
        return kOk;
    }

    // A new book may not take the name of a missing book whose .bak is
    // still there, unless asked to (the .bak is then kept as it is).
    int checkTarget(const Options& o, const QString& file)
    {
        if (QFileInfo(file).exists() && !o.force)
            return fail(file + QStringLiteral(": already exists; give --force to replace it "
                                              "(it is then kept as ")
                        + file + QStringLiteral(".bak)"));
        if (QFileInfo(file).isDir())
            return fail(file + QStringLiteral(": is a folder"));
        const BookError target = CheckNewBookTarget(file);
        if (target.stage == BookStage::BackupInTheWay && !o.force)
            return fail(target.line() + QStringLiteral(" (or give --force to write the book and keep the backup)"));
        return kOk;
    }

    // Every command that writes a book holds its lock while it does: a book
    // open in the program (or in another command) is refused with one line.
    int lockBook(const Options& o, const QString& file, BookLock* lock)
    {
        Error error;
        if (o.forceUnlock && !BookLock::forceUnlock(file, &error))
            return fail(BookLock::lockFileOf(file) + QStringLiteral(": cannot be removed: ") + error.description);
        LockHolder holder;
        if (lock->lock(file, &holder) == BookLock::Outcome::HeldElsewhere)
            return fail(file + QStringLiteral(": open in Quillbrook by ") + holder.describe()
                        + QStringLiteral("; close it there first (a lock left by a crash on another computer: "
                                         "--force-unlock)"));
        return kOk;
    }

    // Writes as the program saves, keeping a replaced file as .bak.
    int write(QByteArray text, const QString& file)
    {
        if (const BookError error = WriteBook(text.data(), text.size(), file); error.isSet())
            return fail(error.line());
        return kOk;
    }

    int newBook(const Options& o)
    {
        QString file = o.positional[0];
        if (file.right(4).toLower() != QStringLiteral(".qbf"))
            file += QStringLiteral(".qbf");
        BookLock lock;
        if (const int rc = lockBook(o, file, &lock))
            return rc;
        if (const int rc = checkTarget(o, file))
            return rc;
        if (const int rc = write(NewDataDocument().toBytes(), file))
            return rc;
        m_out << "Created " << file << " (no password)\n";
        return kOk;
    }

    int dump(const Options& o)
    {
        Book book;
        if (const int rc = load(o, o.positional[0], &book, true))
            return rc;
        WriteCommandOutput({}, book.text, m_out, m_err);
        return book.text.endsWith('\n') ? kOk : WriteCommandOutput({}, "\n", m_out, m_err);
    }

    int exportBook(QStringList args)
    {
        // Its own options are taken out; the rest are the common ones.
        QString format;
        QString output;
        int range[2] = {0, 0};
        const char* names[2] = {"--from", "--to"};
        for (qsizetype i = 0; i < args.size();) {
            const QString a = args[i];
            const bool valued = a == QStringLiteral("--format") || a == QStringLiteral("-o")
                || a == QStringLiteral("--from") || a == QStringLiteral("--to");
            if (!valued) {
                ++i;
                continue;
            }
            if (i + 1 >= args.size())
                return usage(a + QStringLiteral(" needs a value"));
            const QString value = args[i + 1];
            args.remove(i, 2);
            if (a == QStringLiteral("--format")) {
                format = value;
            } else if (a == QStringLiteral("-o")) {
                output = value;
            } else {
                const int which = a == QStringLiteral("--from") ? 0 : 1;
                const QDate date = CommandDate(value);
                if (!date.isValid())
                    return usage(QLatin1String(names[which])
                                 + QStringLiteral(" takes a date as yyyymmdd or yyyy-mm-dd"));
                range[which] = DateToDocDate(date);
            }
        }
        if (range[0] && range[1] && range[0] > range[1])
            return usage(QStringLiteral("--from is after --to"));
        const Options o = parseOptions(args);
        if (!o.error.isEmpty())
            return usage(o.error);
        if (!expect(o, 1, QStringLiteral("export")))
            return kUsage;
        ExportFormat kind;
        if (format == QStringLiteral("ledger"))
            kind = ExportFormat::Ledger;
        else if (format == QStringLiteral("beancount"))
            kind = ExportFormat::Beancount;
        else if (format == QStringLiteral("csv"))
            kind = ExportFormat::Csv;
        else
            return usage(QStringLiteral("export needs --format ledger, beancount or csv"));
        Book book;
        if (const int rc = load(o, o.positional[0], &book, false))
            return rc;
        QString exported;
        QString why;
        if (!ExportBook(book.document, kind, {range[0], range[1]}, &exported, &why))
            return fail(o.positional[0] + QStringLiteral(": ") + why);
        return WriteCommandOutput(output, exported.toUtf8(), m_out, m_err);
    }

    int check(const Options& o)
    {
        Book book;
        if (const int rc = load(o, o.positional[0], &book, false))
            return rc;
        const QStringList problems = BookCheck::problems(book.document);
        for (const QString& line : problems)
            m_out << line << '\n';
        m_out.flush();
        return problems.isEmpty() ? kOk : kInconsistent;
    }

    // One line per daily copy, oldest first: date, transactions, path. A copy
    // that cannot be read says why in place of its count.
    int backups(const Options& o)
    {
        const QList<DailyCopy> copies = DailyCopies(o.positional[0]);
        if (copies.isEmpty()) {
            m_err << "qbtool: no daily copies in " << DailyCopyFolder(o.positional[0]) << '\n';
            m_err.flush();
            return kOk;
        }
        std::optional<QString> password;
        QString why;
        if (!ResolvePassword(o.password, &password, &why))
            return fail(why);
        for (const DailyCopy& copy : copies) {
            Book book;
            BookReadOptions read;
            read.repair = false;
            read.password = password; // an encrypted copy's
            const BookError error = ReadBook(copy.path, &book, read);
            m_out << copy.date.toString(QStringLiteral("yyyy-MM-dd")) << '\t';
            if (error.isSet())
                m_out << "unreadable (" << error.line() << ")";
            else
                m_out << book.document.selectNodes(QStringLiteral("/Data/Trans/t")).size() << " transactions";
            m_out << '\t' << copy.path << '\n';
        }
        m_out.flush();
        return kOk;
    }

    // encrypt / decrypt in place: the book is read with its password and
    // written in the other form as the program saves it (the previous file
    // becomes the .bak), then the .bak and daily copies are rewritten the same way.
    int convert(const Options& o, bool encrypt)
    {
        const QString file = o.positional[0];
        BookLock lock;
        if (const int rc = lockBook(o, file, &lock))
            return rc;
        Book book;
        if (const int rc = load(o, file, &book, false, true))
            return rc;
        if (encrypt == (book.key != nullptr))
            return fail(file + (encrypt ? QStringLiteral(": is encrypted already")
                                        : QStringLiteral(": is not encrypted")));
        std::shared_ptr<BookKey> key;
        if (encrypt) {
            std::optional<QString> password;
            QString why;
            ResolvePassword(o.password, &password, &why);
            if (!password || password->isEmpty())
                return fail(file + QStringLiteral(": encrypt needs the password to encrypt with "
                                                  "(--password, --password-file or QB_PASSWORD)"));
            key = BookKey::create(*password, &why);
            if (!key)
                return fail(file + QStringLiteral(": ") + why);
            // The password is the book's in both forms: decrypting keeps it.
            XmlNode root = book.document.documentElement();
            root.selectSingleNode(QStringLiteral("PValue"))
                .setText(PasswordDigest(*password + root.selectSingleNode(QStringLiteral("I")).text()));
        }
        QByteArray text = book.document.toBytes();
        BookWriteOptions write;
        write.key = key.get();
        if (const BookError error = WriteBook(text.data(), text.size(), file, write); error.isSet())
            return fail(error.line());
        for (const QString& copy : ReencodeBookCopies(file, book.key.get(), key.get()))
            m_err << "qbtool: " << copy << ": left as it was (not readable with this password, or not writable)\n";
        m_err.flush();
        m_out << (encrypt ? "Encrypted " : "Decrypted ") << file << '\n';
        return kOk;
    }

    int pack(const Options& o)
    {
        const QString in = o.positional[0];
        const QString target = o.positional[1];
        BookLock lock;
        if (const int rc = lockBook(o, target, &lock))
            return rc;
        if (const int rc = checkTarget(o, target))
            return rc;
        QFile source(in);
        if (!QFileInfo(in).isFile())
            return fail(in + QStringLiteral(": no such file"));
        if (!source.open(QIODevice::ReadOnly))
            return fail(in + QStringLiteral(": cannot be read: ") + source.errorString());
        const QByteArray xml = source.readAll();
        XmlDocument doc;
        Error e;
        if (!doc.loadXml(xml, &e, XmlDocument::DeclaredEncoding))
            return fail(in + QStringLiteral(": does not parse as XML")
                        + (e.line > 0 ? QStringLiteral(" (line ") + QString::number(e.line)
                                            + QLatin1Char(')')
                                      : QString())
                        + QStringLiteral(": ") + e.description);
        if (!HasDataSections(doc)) {
            QStringList missing;
            for (const QString& line : BookCheck::problems(doc)) {
                if (line.startsWith(QStringLiteral("the root element"))
                    || (line.startsWith(QStringLiteral("missing section"))
                        && !line.endsWith(QStringLiteral("(added when the file is opened)"))))
                    missing << line;
            }
            return fail(in + QStringLiteral(": not a Quillbrook book: ")
                        + missing.join(QStringLiteral("; ")));
        }
        QStringList added;
        for (const char* name : {"I", "PValue", "DateRanges"}) {
            if (!doc.documentElement().selectSingleNode(QString::fromLatin1(name)))
                added << QString::fromLatin1(name);
        }
        RepairSections(doc);
        if (const int rc = write(doc.toBytes(), target))
            return rc;
        if (!added.isEmpty())
            m_err << "qbtool: added " << added.join(QStringLiteral(", "))
                  << (added.contains(QStringLiteral("PValue")) ? " (no password)" : "") << '\n';
        const qsizetype problems = BookCheck::problems(doc).size();
        if (problems > 0)
            m_err << "qbtool: note: " << problems
                  << (problems == 1 ? " inconsistency; \"qbtool check " : " inconsistencies; \"qbtool check ")
                  << target << (problems == 1 ? "\" shows it\n" : "\" lists them\n");
        m_err.flush();
        m_out << "Packed " << in << " into " << target << '\n';
        return kOk;
    }

    int report(const QStringList& args) { return engineCommand(runReportCommand, args); }
    int search(const QStringList& args) { return engineCommand(runSearchCommand, args); }

    int engineCommand(int (*command)(const QStringList&, QTextStream&, QTextStream&),
                      const QStringList& args)
    {
        const int rc = command(args, m_out, m_err);
        m_out.flush();
        m_err.flush();
        return rc;
    }

    QTextStream& m_out;
    QTextStream& m_err;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int rc = Tool(out, err).run(app.arguments().mid(1));
    out.flush();
    // Every byte for standard output must have arrived: a full disk or a
    // closed pipe is a failure, not a cut-off result with exit code 0.
    bool written = out.status() == QTextStream::Ok && !std::ferror(stdout);
    int why = written ? 0 : errno;
    if (std::fflush(stdout) != 0 && written) {
        written = false;
        why = errno;
    }
    if (std::fclose(stdout) != 0 && written) {
        written = false;
        why = errno;
    }
    if (!written) {
        err << "qbtool: standard output could not be written ("
            << QString::fromLocal8Bit(std::strerror(why ? why : EIO)) << ")\n";
        err.flush();
        return kFileError;
    }
    err.flush();
    return rc;
}
