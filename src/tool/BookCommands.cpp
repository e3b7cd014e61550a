// The commands that make, show, check and convert whole books: new, dump,
// pack, check, encrypt, decrypt and backups.

#include <QFile>
#include <QFileInfo>

#include "store/BookCheck.h"
#include "store/BookCrypto.h"
#include "store/BookGuard.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/Xml.h"
#include "tool/Commands.h"

namespace qb {

namespace {

const QString kForce = QStringLiteral("force");

// new and pack: a book written to a name that may be taken.
class NewBookCommand : public Command
{
protected:
    using Command::Command;

    void addForce()
    {
        addFlag({kForce}, QStringLiteral("replace an existing file (kept as FILE.qbf.bak)"));
        addForceUnlock();
    }

    // A new book may not take the name of a missing book whose .bak is
    // still there, unless asked to (the .bak is then kept as it is).
    int checkTarget(const QString& file)
    {
        const bool force = isSet(kForce);
        if (QFileInfo(file).exists() && !force)
            return fail(file
                + QStringLiteral(": already exists; give --force to replace it "
                                 "(it is then kept as ")
                + file + QStringLiteral(".bak)"));
        if (QFileInfo(file).isDir())
            return fail(file + QStringLiteral(": is a folder"));
        const BookError target = CheckNewBookTarget(file);
        if (target.stage == BookStage::BackupInTheWay && !force)
            return fail(target.line()
                + QStringLiteral(" (or give --force to write the book and keep the backup)"));
        return kOk;
    }
};

class NewCommand final : public NewBookCommand
{
public:
    NewCommand()
        : NewBookCommand(QStringLiteral("new"),
            QStringLiteral("new FILE.qbf [--force] [--force-unlock]"),
            QStringLiteral(
                "Create a new, empty book without a password (\".qbf\" is added when the\n"
                "name has no such extension). An existing file is only replaced with\n"
                "--force, and then kept as FILE.qbf.bak."))
    {
        setArguments({QStringLiteral("FILE.qbf")});
        addForce();
    }

private:
    int run() override
    {
        QString file = argument(0);
        if (file.right(4).toLower() != QStringLiteral(".qbf"))
            file += QStringLiteral(".qbf");
        BookLock lock;
        if (const int rc = lockBook(file, &lock))
            return rc;
        if (const int rc = checkTarget(file))
            return rc;
        if (const QString why = WriteBookText(NewDataDocument().toBytes(), file); !why.isEmpty())
            return fail(why);
        out() << "Created " << file << " (no password)\n";
        return kOk;
    }
};

class PackCommand final : public NewBookCommand
{
public:
    PackCommand()
        : NewBookCommand(QStringLiteral("pack"),
            QStringLiteral("pack IN.xml FILE.qbf [--force] [--force-unlock]"),
            QStringLiteral("Encipher an XML book into a data file. The root must be Data with the\n"
                           "sections AcMaster, Trans, Groups and Narration; missing I, PValue and\n"
                           "DateRanges are added (a new I, no password). An existing FILE.qbf is\n"
                           "only replaced with --force, and then kept as FILE.qbf.bak."))
    {
        setArguments({QStringLiteral("IN.xml"), QStringLiteral("FILE.qbf")});
        addForce();
    }

private:
    int run() override
    {
        const QString in = argument(0);
        const QString target = argument(1);
        BookLock lock;
        if (const int rc = lockBook(target, &lock))
            return rc;
        if (const int rc = checkTarget(target))
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
                + (e.line > 0
                        ? QStringLiteral(" (line ") + QString::number(e.line) + QLatin1Char(')')
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
        if (const QString why = WriteBookText(doc.toBytes(), target); !why.isEmpty())
            return fail(why);
        if (!added.isEmpty())
            note(QStringLiteral("added ") + added.join(QStringLiteral(", "))
                + (added.contains(QStringLiteral("PValue")) ? QStringLiteral(" (no password)")
                                                            : QString()));
        const qsizetype problems = BookCheck::problems(doc).size();
        if (problems > 0)
            note(QStringLiteral("note: ") + QString::number(problems)
                + (problems == 1 ? QStringLiteral(" inconsistency; \"qbtool check ")
                                 : QStringLiteral(" inconsistencies; \"qbtool check "))
                + target
                + (problems == 1 ? QStringLiteral("\" shows it")
                                 : QStringLiteral("\" lists them")));
        out() << "Packed " << in << " into " << target << '\n';
        return kOk;
    }
};

class DumpCommand final : public BookCommand
{
public:
    DumpCommand()
        : BookCommand(QStringLiteral("dump"), QStringLiteral("dump FILE.qbf"),
            QStringLiteral("Write the book's deciphered (or decrypted) XML to standard output."))
    {
        setArguments({QStringLiteral("FILE.qbf")});
    }

private:
    int run() override
    {
        // Sections are not repaired: dump shows what the file holds.
        Book book;
        BookReadOptions read;
        read.repair = false;
        read.requireBook = false;
        read.keepText = true;
        if (const int rc = openBook(argument(0), &book, read))
            return rc;
        if (!book.text.endsWith('\n'))
            book.text += '\n';
        return writeOutput({}, book.text);
    }
};

class CheckCommand final : public BookCommand
{
public:
    CheckCommand()
        : BookCommand(QStringLiteral("check"), QStringLiteral("check FILE.qbf"),
            QStringLiteral(
                "List the book's inconsistencies, one a line; exit 1 when there are any."))
    {
        setArguments({QStringLiteral("FILE.qbf")});
    }

private:
    int run() override
    {
        // Sections are not repaired: check reports what the file holds.
        Book book;
        BookReadOptions read;
        read.repair = false;
        read.requireBook = false;
        if (const int rc = openBook(argument(0), &book, read))
            return rc;
        const QStringList problems = BookCheck::problems(book.document);
        for (const QString& line : problems)
            out() << line << '\n';
        return problems.isEmpty() ? kOk : kInconsistent;
    }
};

// encrypt / decrypt in place: the book is read with its password and
// written in the other form as the program saves it (the previous file
// becomes the .bak), then the .bak and daily copies are rewritten the same way.
class ConvertCommand final : public BookCommand
{
public:
    explicit ConvertCommand(bool encrypt)
        : BookCommand(encrypt ? QStringLiteral("encrypt") : QStringLiteral("decrypt"),
            encrypt ? QStringLiteral("encrypt FILE.qbf [--force-unlock]")
                    : QStringLiteral("decrypt FILE.qbf [--force-unlock]"),
            encrypt ? QStringLiteral(
                "Encrypt the book in place with the password P (letter case counts), as\n"
                "the program's \"Encrypt the book with this password\" does; its .bak and\n"
                "daily copies are rewritten encrypted too. A book that already has a\n"
                "password needs that one.")
                    : QStringLiteral(
                        "Write an encrypted book back in the ordinary enciphered form, keeping P\n"
                        "as its password (then checked without regard to case); its .bak and\n"
                        "daily copies are rewritten the same way."),
            {}, encrypt ? PasswordUse::NewPassword : PasswordUse::Needed)
        , m_encrypt(encrypt)
    {
        setArguments({QStringLiteral("FILE.qbf")});
        addForceUnlock();
    }

private:
    int run() override
    {
        const QString file = argument(0);
        BookLock lock;
        if (const int rc = lockBook(file, &lock))
            return rc;
        Book book;
        if (const int rc = openBook(file, &book))
            return rc;
        // An encryption that was stopped left copies in the readable form:
        // encrypt again finishes it with the book's own key.
        if (m_encrypt && book.key && !ReadableBookCopies(file).isEmpty())
            return protectCopies(
                file, book.key.get(), nullptr, QStringLiteral("Encrypted copies of "));
        if (m_encrypt == (book.key != nullptr))
            return fail(file
                + (m_encrypt ? QStringLiteral(": is encrypted already")
                             : QStringLiteral(": is not encrypted")));
        std::shared_ptr<BookKey> key;
        if (m_encrypt) {
            std::optional<QString> given;
            int rc = kOk;
            if (!password(&given, &rc))
                return rc;
            if (!given || given->isEmpty())
                return fail(file
                    + QStringLiteral(": encrypt needs the password to encrypt with "
                                     "(--password, --password-file or QB_PASSWORD)"));
            QString why;
            key = BookKey::create(*given, &why);
            if (!key)
                return fail(file + QStringLiteral(": ") + why);
            // The password is the book's in both forms: decrypting keeps it.
            XmlNode root = book.document.documentElement();
            root.selectSingleNode(QStringLiteral("PValue"))
                .setText(
                    PasswordDigest(*given + root.selectSingleNode(QStringLiteral("I")).text()));
        }
        BookWriteOptions write;
        write.key = key.get();
        if (const QString why = WriteBookText(book.document.toBytes(), file, write); !why.isEmpty())
            return fail(why);
        if (m_encrypt)
            return protectCopies(file, key.get(), book.key.get(), QStringLiteral("Encrypted "));
        for (const QString& copy : ReencodeBookCopies(file, book.key.get(), nullptr))
            note(copy
                + QStringLiteral(
                    ": left as it was (not readable with this password, or not writable)"));
        out() << "Decrypted " << file << '\n';
        return kOk;
    }

    // Encryption is done when no copy can be read without the password:
    // otherwise exit 3 with the copies named.
    int protectCopies(
        const QString& file, const BookKey* key, const BookKey* oldKey, const QString& done)
    {
        QString why;
        ReencodeBookCopies(file, oldKey, key, &why);
        if (const BookError readable = ReadableCopiesError(file); readable.isSet())
            return fail(readable.line() + QStringLiteral(" (")
                + (why.isEmpty() ? QString() : why + QStringLiteral("; "))
                + QStringLiteral("qbtool encrypt again finishes the work once they can be "
                                 "written)"));
        out() << done << file << '\n';
        return kOk;
    }

    bool m_encrypt;
};

// One line per daily copy, oldest first: date, transactions, path. A copy
// that cannot be read says why in place of its count.
class BackupsCommand final : public BookCommand
{
public:
    BackupsCommand()
        : BookCommand(QStringLiteral("backups"), QStringLiteral("backups FILE.qbf"),
            QStringLiteral(
                "List the book's daily copies (in \"FILE backups\" beside it) with their\n"
                "dates and transaction counts."))
    {
        setArguments({QStringLiteral("FILE.qbf")});
    }

private:
    int run() override
    {
        const QList<DailyCopy> copies = DailyCopies(argument(0));
        if (copies.isEmpty()) {
            note(QStringLiteral("no daily copies in ") + DailyCopyFolder(argument(0)));
            return kOk;
        }
        BookReadOptions read;
        read.repair = false;
        int rc = kOk;
        if (!password(&read.password, &rc)) // an encrypted copy's
            return rc;
        for (const DailyCopy& copy : copies) {
            Book book;
            const BookError error = ReadBook(copy.path, &book, read);
            out() << copy.date.toString(QStringLiteral("yyyy-MM-dd")) << '\t';
            if (error.isSet()) {
                out() << "unreadable (" << error.line() << ")";
            } else {
                const qsizetype count
                    = book.document.selectNodes(QStringLiteral("/Data/Trans/t")).size();
                out() << count << (count == 1 ? " transaction" : " transactions");
            }
            out() << '\t' << copy.path << '\n';
        }
        return kOk;
    }
};

} // namespace

std::unique_ptr<Command> MakeNewCommand()
{
    return std::make_unique<NewCommand>();
}
std::unique_ptr<Command> MakeDumpCommand()
{
    return std::make_unique<DumpCommand>();
}
std::unique_ptr<Command> MakePackCommand()
{
    return std::make_unique<PackCommand>();
}
std::unique_ptr<Command> MakeCheckCommand()
{
    return std::make_unique<CheckCommand>();
}
std::unique_ptr<Command> MakeEncryptCommand()
{
    return std::make_unique<ConvertCommand>(true);
}
std::unique_ptr<Command> MakeDecryptCommand()
{
    return std::make_unique<ConvertCommand>(false);
}
std::unique_ptr<Command> MakeBackupsCommand()
{
    return std::make_unique<BackupsCommand>();
}

} // namespace qb
