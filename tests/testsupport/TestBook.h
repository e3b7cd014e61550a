#pragma once

// A book for a test: a temporary folder (settings kept inside it), a fixed
// "today", the program's store, and the context windows are given.

#include <QDate>
#include <QString>

#include "TestSupport.h"
#include "store/BookContext.h"
#include "store/Clock.h"
#include "store/DataStore.h"

namespace qb::test {

// The "today" of tests unless they say otherwise: after the sample book's
// last transaction.
inline const QDate kTestToday = QDate(2013, 2, 15);

class TestBook
{
public:
    explicit TestBook(QDate today = kTestToday);
    // Closes whatever book the store has open, and forgets the store's file
    // and folder, so that the next test starts from nothing.
    ~TestBook();
    TestBook(const TestBook&) = delete;
    TestBook& operator=(const TestBook&) = delete;

    // Writes the book (the sample unless given) as a data file in the folder
    // and opens it in the store; false when it could not be opened.
    bool open(
        const QByteArray& xml = sampleBookXml(), const QString& name = QStringLiteral("book.qbf"));

    BookContext context() const { return {store, clock}; }
    QString path(const QString& name) const { return env.path(name); }

    TempEnv env;
    FixedClock clock;
    DataStore& store;
    QString file; // the book last opened
};

} // namespace qb::test
