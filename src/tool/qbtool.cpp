// qbtool: the command-line companion of Quillbrook. Creates, shows, packs
// and checks data files without the windows.
//
// Exit codes: 0 done (check: the book is clean), 1 check found inconsistencies,
// 2 wrong usage, 3 a file could not be read, written or understood.

#include <cstdio>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include "BookCheck.h"
#include "ClsAX.h"
#include "DataStore.h"
#include "Xml.h"

#ifdef QB_HAVE_REPORTS_ENGINE
#include "ReportCommand.h"
#include "SearchCommand.h"
#endif

namespace {

using namespace qb;

enum ExitCode { kOk = 0, kInconsistent = 1, kUsage = 2, kFileError = 3 };

const char kUsageText[] =
    "Usage: qbtool COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  new FILE.qbf [--force]\n"
    "      Create a new, empty book without a password (\".qbf\" is added when the\n"
    "      name has no such extension). An existing file is only replaced with\n"
    "      --force, and then kept as FILE.qbf.bak.\n"
    "  dump FILE.qbf [--password P]\n"
    "      Write the book's deciphered XML to standard output.\n"
    "  pack IN.xml FILE.qbf [--force]\n"
    "      Encipher an XML book into a data file. The root must be Data with the\n"
    "      sections AcMaster, Trans, Groups and Narration; missing I, PValue and\n"
    "      DateRanges are added (a new I, no password). An existing FILE.qbf is\n"
    "      only replaced with --force, and then kept as FILE.qbf.bak.\n"
    "  check FILE.qbf [--password P]\n"
    "      List the book's inconsistencies, one a line; exit 1 when there are any.\n"
    "  report ARGUMENTS...\n"
    "      Make a report page from a book (see \"qbtool report --help\").\n"
    "  search FILE.qbf [CRITERIA] [-o OUT] [--csv FILE]\n"
    "      Find transactions as the Search window does (see \"qbtool search --help\").\n"
    "  help\n"
    "      Show this text.\n"
    "\n"
    "A book protected by a password needs --password P for dump and check.\n"
    "Exit codes: 0 done (check: clean), 1 inconsistencies found, 2 wrong usage,\n"
    "3 a file could not be read, written or understood.\n";

struct Options
{
    QStringList positional;
    bool force = false;
    bool hasPassword = false;
    QString password;
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
        } else if (a == QStringLiteral("--password")) {
            if (i + 1 >= args.size()) {
                o.error = QStringLiteral("--password needs a value");
                return o;
            }
            o.hasPassword = true;
            o.password = args[++i];
        } else if (a.startsWith(QStringLiteral("--password="))) {
            o.hasPassword = true;
            o.password = a.mid(11);
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
        return usage(QStringLiteral("unknown command ") + command);
    }

private:
    int usage(const QString& problem)
    {
        m_err << "qbtool: " << problem << "\n\n" << kUsageText;
        m_err.flush();
        return kUsage;
    }

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
    int load(const Options& o, const QString& file, QByteArray* text, XmlDocument* doc)
    {
        const QFileInfo info(file);
        if (!info.exists())
            return fail(file + QStringLiteral(": no such file"));
        if (!info.isFile())
            return fail(file + QStringLiteral(": not a file"));
        Error readError;
        *text = ReadDataFileBytes(file, &readError);
        if (readError.isSet())
            return fail(file + QStringLiteral(": cannot be read: ") + readError.description);
        if (text->isEmpty())
            return fail(file + QStringLiteral(": the file is empty, not a Quillbrook data file"));
        Error parseError;
        if (!doc->loadXml(*text, &parseError)) {
            QFile raw(file);
            XmlDocument plain;
            if (raw.open(QIODevice::ReadOnly) && plain.loadXml(raw.readAll()))
                return fail(file + QStringLiteral(": plain XML, not a Quillbrook data file "
                                                  "(\"qbtool pack\" makes one of it)"));
            return fail(file + QStringLiteral(": not a Quillbrook data file (it does not decipher "
                                              "to XML: another kind of file, or another key)"));
        }
        if (doc->documentElement().name() == QStringLiteral("Data")) {
            // Protection as the program sees it, after adding what an older file lacks.
            XmlDocument repaired = doc->copy();
            RepairSections(repaired);
            if (HasPassword(repaired)) {
                if (!o.hasPassword)
                    return fail(file + QStringLiteral(": the book is protected by a password; "
                                                      "give it with --password"));
                const QString i = repaired.selectSingleNode(QStringLiteral("/Data/I")).text();
                const QString pValue = repaired.selectSingleNode(QStringLiteral("/Data/PValue")).text();
                if (PasswordDigest(o.password + i) != pValue)
                    return fail(file + QStringLiteral(": wrong password"));
            }
        }
        return kOk;
    }

    // Writes through the store's save, which keeps a replaced file as .bak.
    int write(const QByteArray& text, const QString& file)
    {
        if (!DataStore::instance().WriteDataFile(text, file))
            return fail(file + QStringLiteral(": could not be written"));
        return kOk;
    }

    int newBook(const Options& o)
    {
        QString file = o.positional[0];
        if (file.right(4).toLower() != QStringLiteral(".qbf"))
            file += QStringLiteral(".qbf");
        if (QFileInfo(file).exists() && !o.force)
            return fail(file + QStringLiteral(": already exists; give --force to replace it "
                                              "(it is then kept as ")
                        + file + QStringLiteral(".bak)"));
        if (QFileInfo(file).isDir())
            return fail(file + QStringLiteral(": is a folder"));
        if (const int rc = write(NewDataDocument().toBytes(), file))
            return rc;
        m_out << "Created " << file << " (no password)\n";
        return kOk;
    }

    int dump(const Options& o)
    {
        QByteArray text;
        XmlDocument doc;
        if (const int rc = load(o, o.positional[0], &text, &doc))
            return rc;
        m_out.flush();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        if (!text.endsWith('\n'))
            std::fputc('\n', stdout);
        std::fflush(stdout);
        return kOk;
    }

    int check(const Options& o)
    {
        QByteArray text;
        XmlDocument doc;
        if (const int rc = load(o, o.positional[0], &text, &doc))
            return rc;
        const QStringList problems = BookCheck::problems(doc);
        for (const QString& line : problems)
            m_out << line << '\n';
        m_out.flush();
        return problems.isEmpty() ? kOk : kInconsistent;
    }

    int pack(const Options& o)
    {
        const QString in = o.positional[0];
        const QString target = o.positional[1];
        if (QFileInfo(target).exists() && !o.force)
            return fail(target + QStringLiteral(": already exists; give --force to replace it "
                                                "(it is then kept as ")
                        + target + QStringLiteral(".bak)"));
        if (QFileInfo(target).isDir())
            return fail(target + QStringLiteral(": is a folder"));
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

    int report(const QStringList& args)
    {
#ifdef QB_HAVE_REPORTS_ENGINE
        const int rc = runReportCommand(args, m_out, m_err);
        m_out.flush();
        m_err.flush();
        return rc;
#else
        Q_UNUSED(args);
        m_err << "qbtool: this build has no report engine\n";
        m_err.flush();
        return kUsage;
#endif
    }

    int search(const QStringList& args)
    {
#ifdef QB_HAVE_REPORTS_ENGINE
        const int rc = runSearchCommand(args, m_out, m_err);
        m_out.flush();
        m_err.flush();
        return rc;
#else
        Q_UNUSED(args);
        m_err << "qbtool: this build has no report engine\n";
        m_err.flush();
        return kUsage;
#endif
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
    err.flush();
    return rc;
}
