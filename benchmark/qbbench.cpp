// qbbench: times the store's open and save on large books, beside the same
// steps done bare with libxml2, and reports the median time and the peak
// memory of each step. Every step of every size runs in a child process of
// its own, so that one step's memory does not hide in another's peak.
//
//   qbbench [--sizes 10000,100000,1000000] [--runs N] [--steps a,b,...] [--list]

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#ifdef Q_OS_LINUX
#include <malloc.h>
#endif

#include <QApplication>

#include "Bench.h"
#include "store/DataStore.h"
#include "store/Memory.h"

qb::DataStore& bench::bookStore()
{
    static qb::DataStore store;
    return store;
}

qint64 bench::statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

namespace {

using namespace bench;

// Lets the peak start again from the present size (Linux 4.0 and later).
bool resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

void giveBackFreedMemory()
{
#ifdef Q_OS_LINUX
    malloc_trim(0);
#endif
}

int runChild(const QStringList& args)
{
    auto value = [&](const QString& name) {
        const qsizetype at = args.indexOf(name);
        return at >= 0 && at + 1 < args.size() ? args[at + 1] : QString();
    };
    QTextStream out(stdout);
    const QString stepName = value(QStringLiteral("--child"));
    Context c;
    c.book = value(QStringLiteral("--book"));
    c.folder = value(QStringLiteral("--folder"));
    c.transactions = value(QStringLiteral("--transactions")).toInt();
    const int runs = std::max(1, value(QStringLiteral("--runs")).toInt());
    QDir().mkpath(c.folder);
    // The store remembers the last file in the settings: keep them out of the user's.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(
        QSettings::IniFormat, QSettings::UserScope, c.folder + QStringLiteral("/settings"));

    const std::vector<Step> steps = allSteps();
    const auto step = std::find_if(
        steps.begin(), steps.end(), [&](const Step& s) { return s.name == stepName; });
    if (step == steps.end()) {
        out << "FAIL\tno step " << stepName << '\n';
        return 1;
    }
    QString why;
    if (step->prepare && !step->prepare(c, &why)) {
        out << "SKIP\t" << why << '\n';
        return 0;
    }
    std::vector<double> times;
    qint64 peak = 0;
    for (int r = 0; r < runs; ++r) {
        if (step->reset)
            step->reset(c);
        giveBackFreedMemory();
        const bool clean = resetPeak();
        const qint64 before = statusKb("VmRSS:");
        QElapsedTimer timer;
        timer.start();
        c.figureMs = -1;
        const bool ok = step->run(c);
        double ms = double(timer.nsecsElapsed()) / 1e6;
        if (c.figureMs >= 0)
            ms = c.figureMs;
        const qint64 high = statusKb(clean ? "VmHWM:" : "VmRSS:");
        if (!ok) {
            out << "FAIL\tthe step failed\n";
            return 1;
        }
        times.push_back(ms);
        peak = std::max(peak, high - before);
    }
    std::sort(times.begin(), times.end());
    out << "RESULT\t" << times[times.size() / 2] << '\t' << times.front() << '\t' << peak << '\n';
    return 0;
}

struct Result
{
    bool ok = false;
    QString note;
    double median = 0;
    double best = 0;
    qint64 peakKb = 0;
};

Result runInChild(
    const QString& step, const QString& book, int transactions, int runs, const QString& folder)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral("--child"), step, QStringLiteral("--book"), book,
            QStringLiteral("--transactions"), QString::number(transactions),
            QStringLiteral("--runs"), QString::number(runs), QStringLiteral("--folder"), folder});
    Result r;
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit) {
        r.note = QStringLiteral("child crashed");
        return r;
    }
    const QStringList fields
        = QString::fromUtf8(p.readAllStandardOutput()).trimmed().split(QLatin1Char('\t'));
    if (fields.value(0) == QStringLiteral("RESULT") && fields.size() == 4) {
        r.ok = true;
        r.median = fields[1].toDouble();
        r.best = fields[2].toDouble();
        r.peakKb = fields[3].toLongLong();
    } else {
        r.note = fields.mid(0).join(QLatin1Char(' '));
        if (r.note.isEmpty())
            r.note = QString::fromUtf8(p.readAllStandardError()).trimmed();
    }
    QDir(folder).removeRecursively();
    return r;
}

int runParent(const QStringList& args)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QList<int> sizes = {10000, 100000, 1000000};
    int runs = 0;
    QStringList only;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QStringLiteral("--sizes") && i + 1 < args.size()) {
            sizes.clear();
            for (const QString& s : args[++i].split(QLatin1Char(',')))
                sizes << s.toInt();
        } else if (a == QStringLiteral("--runs") && i + 1 < args.size()) {
            runs = args[++i].toInt();
        } else if (a == QStringLiteral("--steps") && i + 1 < args.size()) {
            only = args[++i].split(QLatin1Char(','));
        } else if (a == QStringLiteral("--make-book") && i + 2 < args.size()) {
            // The benchmark's book, kept for trials in the program itself.
            QString error;
            if (!writeBook(args[i + 2], args[i + 1].toInt(), &error)) {
                err << "qbbench: " << error << '\n';
                return 1;
            }
            return 0;
        } else if (a == QStringLiteral("--list")) {
            for (const Step& s : allSteps())
                out << s.name.leftJustified(20) << ' ' << s.description << '\n';
            return 0;
        } else {
            err << "usage: qbbench [--sizes 10000,100000,1000000] [--runs N] [--steps a,b,...] "
                   "[--list]\n"
                   "       qbbench --make-book TRANSACTIONS FILE.qbf\n";
            return 2;
        }
    }

    QTemporaryDir work;
    if (!work.isValid()) {
        err << "qbbench: no temporary folder\n";
        return 1;
    }
    const std::vector<Step> steps = allSteps();
    const QLocale c = QLocale::c();
    for (int size : sizes) {
        const QString book = work.filePath(QStringLiteral("book-%1.qbf").arg(size));
        QString error;
        if (!writeBook(book, size, &error)) {
            err << "qbbench: " << error << '\n';
            return 1;
        }
        const int n = runs > 0 ? runs : (size >= 1000000 ? 3 : 5);
        out << "\nBook of " << QLocale(QLocale::English).toString(size) << " transactions ("
            << c.toString(double(QFileInfo(book).size()) / 1e6, 'f', 1) << " MB), median of " << n
            << " runs\n";
        out << QStringLiteral("step").leftJustified(20)
            << QStringLiteral("median ms").rightJustified(11)
            << QStringLiteral("best ms").rightJustified(10)
            << QStringLiteral("peak MB").rightJustified(10) << "   compared with\n";
        out.flush();
        QHash<QString, Result> results;
        auto result = [&](const QString& name) {
            if (!results.contains(name))
                results.insert(
                    name, runInChild(name, book, size, n, work.filePath(QStringLiteral("child"))));
            return results.value(name);
        };
        for (const Step& s : steps) {
            if (!only.isEmpty() && !only.contains(s.name))
                continue;
            const Result r = result(s.name);
            out << s.name.leftJustified(20);
            if (!r.ok) {
                out << "  " << r.note << '\n';
                out.flush();
                continue;
            }
            out << c.toString(r.median, 'f', 1).rightJustified(11)
                << c.toString(r.best, 'f', 1).rightJustified(10)
                << c.toString(double(r.peakKb) / 1024.0, 'f', 1).rightJustified(10);
            QStringList ratios;
            for (const QString& name : s.baselines) {
                const Result b = result(name);
                if (b.ok && b.median > 0)
                    ratios << c.toString(r.median / b.median, 'f', 2) + QStringLiteral(" x ")
                            + name;
            }
            out << (ratios.isEmpty() ? QString()
                                     : QStringLiteral("   ") + ratios.join(QStringLiteral(", ")))
                << '\n';
            out.flush();
        }
        QFile::remove(book);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The view steps need widgets; they are drawn off screen unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program's own allocator settings, so that the steps time what it does.
    qb::TuneMemoryForDocuments();
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--child")))
        return runChild(args);
    return runParent(args);
}
