// Writes the sample book that the program opens on its first start.
// Usage: qbdemobook <file.qbf>

#include <cstdio>

#include <QCoreApplication>
#include <QDate>
#include <QFile>

#include "shell/DemoBook.h"
#include "store/DataStore.h"

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: qbdemobook <file.qbf>\n");
        return 2;
    }
    // A fresh book each time, without the backup a save over the old one would leave.
    QFile::remove(args.at(1));
    QFile::remove(args.at(1) + QStringLiteral(".bak"));
    qb::DataStore store;
    return qb::WriteDemoBook(store, args.at(1), QDate::currentDate()) ? 0 : 1;
}
