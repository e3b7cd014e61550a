// Encrypted books: the file format, what is refused, the key kept by the
// store, and the .bak and daily copies that follow the book's form.

#include <QDir>
#include <QFile>
#include <QQueue>
#include <QtTest>

#include "TestSupport.h"
#include "shell/StoreDialogs.h"
#include "store/BookCrypto.h"
#include "store/BookFile.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/Records.h"

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#include <sys/resource.h>
#endif

using namespace qb;

namespace {

// Cheap key costs for the tests; the real defaults are tested once.
const KdfParams kCheap {1, 8192};
const QString kPassword = QStringLiteral("Tiger Lily 7");

// The transactions as the file holds them, for byte-for-byte comparisons.
QByteArray transBytes(const XmlDocument& doc)
{
    return doc.selectSingleNode(QStringLiteral("/Data/Trans")).xml().toLatin1();
}

QByteArray sampleTrans()
{
    XmlDocument doc;
    doc.loadXml(test::sampleBookXml());
    return transBytes(doc);
}

// The sample book written encrypted with a new key for kPassword.
QString writeEncrypted(const QString& path, std::shared_ptr<BookKey>* keyOut = nullptr)
{
    const std::shared_ptr<BookKey> key = BookKey::create(kPassword);
    QByteArray text = test::sampleBookXml();
    BookWriteOptions options;
    options.key = key.get();
    options.sync = false;
    if (!key || WriteBook(text.data(), text.size(), path, options).isSet())
        return {};
    if (keyOut)
        *keyOut = key;
    return path;
}

BookError readWith(const QString& path, std::optional<QString> password, Book* book)
{
    BookReadOptions options;
    options.testPassword = true;
    options.password = std::move(password);
    return ReadBook(path, book, options);
}

// Answers the login window with the scripted passwords (none left: Cancel)
// and records the errors shown.
class LoginHost final : public StoreDialogs
{
public:
    void setStatusFile(const QString&) override { }
    void setMainCaption(const QString&) override { }
    void showDataMenus(bool) override { }
    void closeDataWindows() override { }
    void showBookError(const BookError& error) override { errors << error; }
    LoginResult showLogin(
        const QString&, const std::function<bool(const QString&)>& matches) override
    {
        ++logins;
        if (passwords.isEmpty())
            return LoginResult::Cancelled;
        return matches(passwords.dequeue()) ? LoginResult::Succeeded : LoginResult::Failed;
    }
    QQueue<QString> passwords;
    QList<BookError> errors;
    int logins = 0;
};

} // namespace

class TstBookCrypto : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<KdfParamsOverride> m_cheap;

private slots:
    void init() { m_cheap = std::make_unique<KdfParamsOverride>(kCheap); }
    void cleanup()
    {
        m_cheap.reset();
        test::sharedStore().setHost(nullptr);
        test::sharedStore().setClock(nullptr);
        test::sharedStore().CloseDocument();
        test::sharedStore().forgetFile();
    }

    // One file: the header as written, the same book back with the exact
    // password only, nothing readable without it, a new nonce per write.
    void roundTripAndPasswords()
    {
        test::TempEnv env;
        std::shared_ptr<BookKey> key;
        const QString path = writeEncrypted(env.path(QStringLiteral("b.qbf")), &key);
        QVERIFY(!path.isEmpty());
        const QByteArray file = test::fileBytes(path);
        QVERIFY(file.startsWith("QBENC1\nversion=1 kdf=argon2id ops=1 mem=8192 salt="));
        for (const char* plain : {"<Data", "Salary", "January pay", "ABCDEFGHIJKLMNOPQRST"})
            QVERIFY2(!file.contains(plain), plain);
        EncryptedHeader header;
        QVERIFY(ReadEncryptedHeader(file, &header));
        QCOMPARE(header.salt, key->salt());
        QCOMPARE(header.size, file.indexOf('\n', 7) + 1);
        // header + text + 16-byte tag
        QCOMPARE(file.size(), header.size + test::sampleBookXml().size() + 16);

        Book book;
        QVERIFY(!readWith(path, kPassword, &book).isSet());
        QCOMPARE(transBytes(book.document), sampleTrans());
        QVERIFY(book.key && book.key->matches(kPassword));
        QVERIFY(!book.key->matches(kPassword.toLower()));

        struct Case
        {
            std::optional<QString> password;
            BookStage stage;
        };
        const Case refused[] = {
            {std::nullopt, BookStage::PasswordNeeded},
            {kPassword.toLower(), BookStage::WrongPassword}, // case counts here
            {kPassword.toUpper(), BookStage::WrongPassword},
            {QString(), BookStage::WrongPassword},
            {kPassword + QLatin1Char(' '), BookStage::WrongPassword},
        };
        for (const Case& c : refused) {
            const BookError e = readWith(path, c.password, &book);
            QCOMPARE(e.stage, c.stage);
            QVERIFY(book.document.isNull() && !book.key);
        }

        // The same key writes a new nonce each time: the same text, other bytes.
        QByteArray text = test::sampleBookXml();
        const QByteArray again = key->encrypt(text.constData(), text.size());
        QCOMPARE(again.size(), file.size());
        QVERIFY(again != file);
        QByteArray back;
        QVERIFY(key->decrypt(again, &back));
        QCOMPARE(back, text);
        // Another key of the same password has its own salt and does not read it.
        const std::shared_ptr<BookKey> other = BookKey::create(kPassword);
        QVERIFY(other->salt() != key->salt());
        QVERIFY(!other->decrypt(again, &back));

        // A book in the enciphered form still opens as before, the case of its password ignored.
        const QString gate = env.path(QStringLiteral("gate.qbf"));
        const QString i = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
        QVERIFY(test::writeDataFile(gate,
            test::sampleBookXml().replace(PasswordDigest(i).toLatin1(),
                PasswordDigest(QStringLiteral("pw") + i).toLatin1())));
        QVERIFY(!readWith(gate, QStringLiteral("PW"), &book).isSet());
        QVERIFY(!book.key);
        QCOMPARE(transBytes(book.document), sampleTrans());
    }

    // Named places in the file, each with the way it is refused.
    void aFlippedBitIsRefused_data()
    {
        QTest::addColumn<QByteArray>(
            "field"); // where the flipped byte lies: after this text, or a place
        QTest::addColumn<int>("offset");
        QTest::addColumn<QList<int>>("stages");
        const QList<int> tampered {int(BookStage::Tampered)};
        const QList<int> keyOrTampered {int(BookStage::WrongPassword), int(BookStage::Tampered)};
        QTest::newRow("magic") << QByteArray("^") << 0
                               << QList<int> {int(BookStage::NotDeciphered)};
        QTest::newRow("magic line end")
            << QByteArray("^") << 6 << QList<int> {int(BookStage::NotDeciphered)};
        QTest::newRow("version") << QByteArray("version=") << 0 << tampered;
        QTest::newRow("kdf name") << QByteArray("kdf=") << 3 << tampered;
        QTest::newRow("passes") << QByteArray("ops=") << 0 << tampered;
        QTest::newRow("memory") << QByteArray("mem=") << 0 << tampered;
        QTest::newRow("salt") << QByteArray("salt=") << 5 << keyOrTampered;
        QTest::newRow("check") << QByteArray("check=") << 31 << keyOrTampered;
        QTest::newRow("nonce first") << QByteArray("nonce=") << 0 << tampered;
        QTest::newRow("nonce last") << QByteArray("nonce=") << 47 << tampered;
        QTest::newRow("header end") << QByteArray("nonce=") << 48 << tampered;
        QTest::newRow("ciphertext first") << QByteArray("body") << 0 << tampered;
        QTest::newRow("ciphertext middle") << QByteArray("body") << 200 << tampered;
        QTest::newRow("tag first") << QByteArray("$") << -16 << tampered;
        QTest::newRow("tag last") << QByteArray("$") << -1 << tampered;
    }

    void aFlippedBitIsRefused()
    {
        QFETCH(QByteArray, field);
        QFETCH(int, offset);
        QFETCH(QList<int>, stages);
        test::TempEnv env;
        const QString path = writeEncrypted(env.path(QStringLiteral("b.qbf")));
        const QByteArray file = test::fileBytes(path);
        const qsizetype body = file.indexOf('\n', 7) + 1;
        qsizetype at = field == "^" ? offset
            : field == "$"          ? file.size() + offset
            : field == "body"
            ? body + offset
            : file.indexOf(QByteArray(QByteArray(" ") + field)) + 1 + field.size() + offset;
        if (field == "version=")
            at = file.indexOf(field) + field.size() + offset;
        QVERIFY(at >= 0 && at < file.size());
        for (const char bit : {char(0x01), char(0x80)}) {
            QByteArray bad = file;
            bad[at] = char(bad[at] ^ bit);
            QVERIFY(test::writeBytes(path, bad));
            Book book;
            const BookError e = readWith(path, kPassword, &book);
            QVERIFY2(stages.contains(int(e.stage)), qPrintable(e.line()));
            if (e.stage == BookStage::WrongPassword)
                QVERIFY(
                    e.line().endsWith(QStringLiteral(": wrong password, or the file was changed")));
            QVERIFY(book.document.isNull());
        }
    }

    // Every bit of a small book's file, one at a time: none opens.
    void noBitCanChangeUnnoticed()
    {
        test::TempEnv env;
        std::shared_ptr<BookKey> key;
        const QString path = writeEncrypted(env.path(QStringLiteral("b.qbf")), &key);
        const QByteArray file = test::fileBytes(path);
        int refused = 0;
        for (qsizetype at = 0; at < file.size(); ++at) {
            QByteArray bad = file;
            bad[at] = char(bad[at] ^ (1 << (at % 8)));
            QVERIFY(test::writeBytes(path, bad));
            Book book;
            if (!readWith(path, kPassword, &book).isSet() || !book.document.isNull())
                QFAIL(qPrintable(QStringLiteral("byte %1 changed unnoticed").arg(at)));
            // The key kept by an open book refuses it too.
            QByteArray text;
            QVERIFY(!key->decrypt(bad, &text));
            ++refused;
        }
        QCOMPARE(refused, int(file.size()));
    }

    void aCutOffFileIsRefused_data()
    {
        QTest::addColumn<int>("keep"); // bytes kept; negative: counted from the end
        QTest::addColumn<int>("stage");
        QTest::newRow("empty") << 0 << int(BookStage::Empty);
        QTest::newRow("inside the magic") << 4 << int(BookStage::NotDeciphered);
        QTest::newRow("magic only") << 7 << int(BookStage::Tampered);
        QTest::newRow("inside the header") << 60 << int(BookStage::Tampered);
        QTest::newRow("header only") << -1000000 << int(BookStage::Tampered);
        QTest::newRow("into the text") << -300 << int(BookStage::Tampered);
        QTest::newRow("one byte short") << -1 << int(BookStage::Tampered);
    }

    void aCutOffFileIsRefused()
    {
        QFETCH(int, keep);
        QFETCH(int, stage);
        test::TempEnv env;
        const QString path = writeEncrypted(env.path(QStringLiteral("b.qbf")));
        const QByteArray file = test::fileBytes(path);
        const qsizetype header = file.indexOf('\n', 7) + 1;
        const qsizetype size = keep == -1000000 ? header : keep < 0 ? file.size() + keep : keep;
        QVERIFY(test::writeBytes(path, file.left(size)));
        Book book;
        const BookError e = readWith(path, kPassword, &book);
        QCOMPARE(int(e.stage), stage);
        QVERIFY(book.document.isNull());
    }

    // Costs no machine should be asked for are refused from the header alone.
    void absurdCostsAreRefusedAtOnce_data()
    {
        QTest::addColumn<QByteArray>("costs");
        QTest::newRow("64 GB") << QByteArray("ops=2 mem=68719476736");
        QTest::newRow("a billion passes") << QByteArray("ops=1000000000 mem=8192");
        QTest::newRow("65 passes") << QByteArray("ops=65 mem=8192");
        // Four times what the program writes (2 passes, 64 MiB) and no more.
        QTest::newRow("9 passes") << QByteArray("ops=9 mem=8192");
        QTest::newRow("256 MiB and 1 KiB") << QByteArray("ops=1 mem=268436480");
        QTest::newRow("4 GiB") << QByteArray("ops=1 mem=4294967296");
        QTest::newRow("4 GiB and 1 KiB") << QByteArray("ops=1 mem=4294968320");
        QTest::newRow("below the minimum") << QByteArray("ops=1 mem=7168");
        QTest::newRow("not whole KiB") << QByteArray("ops=1 mem=8193");
        QTest::newRow("no passes") << QByteArray("ops=0 mem=8192");
        QTest::newRow("leading zero") << QByteArray("ops=01 mem=8192");
        QTest::newRow("20 digits") << QByteArray("ops=1 mem=18446744073709551616");
    }

    void absurdCostsAreRefusedAtOnce()
    {
        QFETCH(QByteArray, costs);
        test::TempEnv env;
        const QString path = writeEncrypted(env.path(QStringLiteral("b.qbf")));
        QByteArray file = test::fileBytes(path);
        file.replace("ops=1 mem=8192", costs);
        QVERIFY(test::writeBytes(path, file));
        QElapsedTimer timer;
        timer.start();
        Book book;
        const BookError e = readWith(path, kPassword, &book);
        QCOMPARE(e.stage, BookStage::Tampered);
        // Refused before any derivation: far below what even the cheapest real costs take.
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(book.document.isNull());
    }

    // The costs new books get without the test seam, once.
    void theRealDefaults()
    {
        m_cheap.reset();
        const KdfParams defaults = DefaultKdfParams();
        QCOMPARE(NewKeyParams(), defaults);
        QCOMPARE(defaults.ops, quint64(2));
        QCOMPARE(defaults.memBytes, quint64(67108864));
        QVERIFY(KdfParamsAcceptable(defaults));
        QVERIFY(KdfParamsAcceptable({8, 268435456}));
        QVERIFY(!KdfParamsAcceptable({9, 268435456}) && !KdfParamsAcceptable({8, 268436480}));
        QVERIFY(defaults.memBytes >= quint64(64) << 20); // memory-hard: at least 64 MiB
        const std::shared_ptr<BookKey> key = BookKey::create(kPassword);
        QVERIFY(key);
        QCOMPARE(key->params(), defaults);
        QByteArray text = test::sampleBookXml();
        const QByteArray file = key->encrypt(text.constData(), text.size());
        const QByteArray costs = QByteArray(" ops=") + QByteArray::number(defaults.ops)
            + " mem=" + QByteArray::number(defaults.memBytes) + " ";
        QVERIFY(file.contains(costs));
        EncryptedHeader header;
        QVERIFY(ReadEncryptedHeader(file, &header));
        const std::shared_ptr<BookKey> unlocked = BookKey::unlock(header, kPassword);
        QVERIFY(unlocked);
        QByteArray back;
        QVERIFY(unlocked->decrypt(file, &back));
        QCOMPARE(back, text);
    }

    // The store: a gate book becomes encrypted with its .bak and daily
    // copies; it opens with the exact password only, saves with the kept
    // key, and goes back to the enciphered form with every copy.
    // An encrypted book found with copies a stopped encryption left
    // readable: opening it offers to encrypt them (Yes by default).
    void openingOffersToProtectReadableCopies_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("encrypt them") << true;
        QTest::newRow("leave them") << false;
    }
    void openingOffersToProtectReadableCopies()
    {
        QFETCH(bool, yes);
        test::TempEnv env;
        const QString path = writeEncrypted(env.path(QStringLiteral("books.qbf")));
        QVERIFY(!path.isEmpty());
        const QStringList copies {
            path + QStringLiteral(".bak"), DailyCopyPath(path, QDate(2024, 2, 29))};
        QVERIFY(QDir().mkdir(DailyCopyFolder(path)));
        for (const QString& copy : copies)
            QVERIFY(test::writeDataFile(copy, test::sampleBookXml()));
        test::RecordingPrompt prompt;
        prompt.answer(yes ? MsgResult::Yes : MsgResult::No);
        LoginHost host;
        host.passwords << kPassword;
        DataStore store;
        store.setHost(&host);
        QVERIFY(store.OpenDataFile(path));
        QCOMPARE(prompt.count(), 1);
        QCOMPARE(prompt.last().defaultButton, MsgResult::Yes);
        for (const QString& copy : copies) {
            QVERIFY(prompt.last().text.contains(copy));
            QCOMPARE(IsEncryptedBook(test::fileBytes(copy)), yes);
            Book book;
            QVERIFY(!readWith(copy, kPassword, &book).isSet());
            QCOMPARE(transBytes(book.document), sampleTrans());
        }
        QCOMPARE(ReadableBookCopies(path).size(), yes ? 0 : 2);
        QVERIFY(host.errors.isEmpty());
        store.CloseDocument();
    }

    // The copy that keeps changes a save could not write (the book changed
    // on disk) is encrypted as the book is.
    void theUnsavedChangesCopyIsEncrypted()
    {
        test::TempEnv env;
        const QString path = writeEncrypted(env.path(QStringLiteral("books.qbf")));
        test::RecordingPrompt prompt;
        prompt.answer(MsgResult::No);
        LoginHost host;
        host.passwords << kPassword;
        DataStore store;
        store.setHost(&host);
        store.setSyncOnSave(false);
        QVERIFY(store.OpenDataFile(path));
        QVERIFY(QFile::remove(path));
        QVERIFY(!writeEncrypted(path).isEmpty()); // another program's book now
        store.NarrationSection()
            .appendChild(store.NarrationSection().createElement(QStringLiteral("n")))
            .setText(QStringLiteral("kept aside"));
        QVERIFY(!store.SaveDocument());
        const QString copy = store.unsavedChangesCopy();
        QVERIFY(test::fileBytes(copy).startsWith("QBENC1\n"));
        QVERIFY(!test::fileBytes(copy).contains("kept aside"));
        Book book;
        QVERIFY(!readWith(copy, kPassword, &book).isSet());
        QVERIFY(book.document.xml().contains(QStringLiteral("kept aside")));
        store.CloseDocument();
#ifdef Q_OS_LINUX
        // With a key derived, a crash dumps no memory.
        QCOMPARE(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
        struct rlimit core
        {
        };
        QVERIFY(::getrlimit(RLIMIT_CORE, &core) == 0 && core.rlim_cur == 0 && core.rlim_max == 0);
#endif
    }

    void theStoreKeepsEveryCopyInTheBooksForm()
    {
        test::TempEnv env;
        test::RecordingPrompt prompt;
        LoginHost host;
        FixedClock clock(QDate(2013, 2, 28));
        DataStore& store = test::sharedStore();
        store.setHost(&host);
        store.setClock(&clock);
        store.setSyncOnSave(false);
        const QString path = env.path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(path, test::sampleBookXml()));
        QVERIFY(store.OpenDataFile(path));
        QVERIFY(store.SaveDocument()); // a gate .bak and a gate daily copy of 28 February
        QVERIFY(QFile::exists(path + QStringLiteral(".bak")));
        const QString firstDay = DailyCopyPath(path, clock.today());
        QVERIFY(QFile::exists(firstDay));

        store.PValueSection().setText(PasswordDigest(kPassword + store.ISection().text()));
        QStringList left;
        QVERIFY(store.SetBookKey(BookKey::create(kPassword), &left));
        QVERIFY(left.isEmpty());
        QVERIFY(store.isEncrypted());
        // Each save makes the next copy; the first one of 1 March is a daily copy.
        clock.setToday(QDate(2013, 3, 1));
        Trans t;
        t.No = 1;
        t.dt = 20130301;
        t.fAc = 2;
        t.tAc = 1;
        t.Nar = QStringLiteral("March cash");
        t.CreateNode(store.TransSection()).setText(QStringLiteral("20"));
        QVERIFY(store.SaveDocument());
        const QByteArray trans = transBytes(store.document());
        QVERIFY(trans != sampleTrans());

        const QStringList copies {
            path, path + QStringLiteral(".bak"), firstDay, DailyCopyPath(path, clock.today())};
        for (const QString& copy : copies) {
            const QByteArray bytes = test::fileBytes(copy);
            QVERIFY2(IsEncryptedBook(bytes), qPrintable(copy));
            QVERIFY2(!bytes.contains("Salary"), qPrintable(copy));
            Book book;
            QVERIFY2(!readWith(copy, kPassword, &book).isSet(), qPrintable(copy));
        }
        Book latest;
        QVERIFY(!readWith(path, kPassword, &latest).isSet());
        QCOMPARE(transBytes(latest.document), trans);

        // Opening asks until the exact password is given; the key is kept.
        store.CloseDocument();
        host.passwords << kPassword.toLower() << QStringLiteral("x") << kPassword;
        QVERIFY(store.OpenDataFile(path));
        QCOMPARE(host.logins, 3);
        QVERIFY(store.isEncrypted() && store.bookKey()->matches(kPassword));
        QCOMPARE(transBytes(store.document()), trans);
        QVERIFY(store.SaveDocument());
        QVERIFY(IsEncryptedBook(test::fileBytes(path)));
        // Cancel leaves no book and no key.
        host.passwords.clear();
        QVERIFY(!store.OpenDataFile(path));
        QVERIFY(!store.hasDocument() && !store.isEncrypted());

        // A damaged file is told as such; the book open before stays open.
        QVERIFY(test::writeDataFile(env.path(QStringLiteral("other.qbf")), test::sampleBookXml()));
        QVERIFY(store.OpenDataFile(env.path(QStringLiteral("other.qbf"))));
        const QString damaged = env.path(QStringLiteral("damaged.qbf"));
        QByteArray bytes = test::fileBytes(path);
        bytes[bytes.size() - 5] = char(bytes[bytes.size() - 5] ^ 4);
        QVERIFY(test::writeBytes(damaged, bytes));
        host.passwords << kPassword;
        QVERIFY(!store.OpenDataFile(damaged));
        QCOMPARE(host.errors.size(), 1);
        QCOMPARE(host.errors.last().stage, BookStage::Tampered);
        const Message m = BookErrorMessage(host.errors.last());
        QVERIFY(m.text.startsWith(
            QStringLiteral("The file is damaged or was changed outside Quillbrook")));
        QVERIFY(store.hasDocument());
        QCOMPARE(store.currentFile(), env.path(QStringLiteral("other.qbf")));
        // A malformed header is told before any password is asked for.
        bytes = test::fileBytes(path).replace("kdf=argon2id", "kdf=argon2iX");
        QVERIFY(test::writeBytes(damaged, bytes));
        const int logins = host.logins;
        QVERIFY(!store.OpenDataFile(damaged));
        QCOMPARE(host.logins, logins);
        QCOMPARE(host.errors.last().stage, BookStage::Tampered);

        // Back to the enciphered form, every copy with it, the transactions as they were;
        // a copy of another password cannot be read, so it stays as it is and is named.
        const QString foreign = DailyCopyPath(path, QDate(2013, 1, 31));
        QVERIFY(!writeEncrypted(foreign).isEmpty());
        const QByteArray foreignBytes = test::fileBytes(foreign);
        host.passwords << kPassword;
        QVERIFY(store.OpenDataFile(path));
        QVERIFY(store.SetBookKey(nullptr, &left));
        QCOMPARE(left, QStringList {foreign});
        QCOMPARE(test::fileBytes(foreign), foreignBytes);
        for (const QString& copy : copies) {
            QVERIFY2(!IsEncryptedBook(test::fileBytes(copy)), qPrintable(copy));
            XmlDocument doc;
            QVERIFY2(doc.loadXml(test::readDataFile(copy)), qPrintable(copy));
        }
        XmlDocument plain;
        QVERIFY(plain.loadXml(test::readDataFile(path)));
        QCOMPARE(transBytes(plain), trans);
        QCOMPARE(prompt.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TstBookCrypto)
#include "tst_bookcrypto.moc"
