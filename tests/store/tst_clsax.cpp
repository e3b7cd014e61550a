#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include "TestSupport.h"
#include "store/ClsAX.h"
#include "store/Xml.h"

using namespace qb;

namespace {

// The transform written out the plain way: one byte at a time, key from position 0.
QByteArray referenceXor(QByteArray data, const QByteArray& key)
{
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char(data[i] ^ key[i % key.size()]);
    return data;
}

QByteArray randomBytes(qsizetype n, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray bytes(n, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(gen.bounded(256));
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TstClsAX : public QObject
{
    Q_OBJECT
private slots:
    void textTransformRoundTripsAndTouchesLowBytesOnly()
    {
        ClsAX ax;
        const QString original = QStringLiteral("<Data><a Code=\"1\" AcName=\"Cash\"/></Data>");
        QString text = original;
        QVERIFY(ax.EnDeCrypt(text, QStringLiteral("Key12345")));
        QVERIFY(text != original);
        QVERIFY(ax.EnDeCrypt(text, QStringLiteral("Key12345")));
        QCOMPARE(text, original);

        // A unit above 255 keeps its high byte.
        QString wide(QChar(0x4142));
        QVERIFY(ax.EnDeCrypt(wide, QStringLiteral("\x01")));
        QCOMPARE(wide.at(0).unicode(), char16_t(0x4143));
        // Only the key's low byte counts: U+0141 acts as 0x41.
        QString viaHighKey = QStringLiteral("ab");
        QString viaLowKey = viaHighKey;
        QVERIFY(ax.EnDeCrypt(viaHighKey, QString(QChar(0x0141))));
        QVERIFY(ax.EnDeCrypt(viaLowKey, QStringLiteral("A")));
        QCOMPARE(viaHighKey, viaLowKey);
    }

    void oneCharacterKeyAndKeyLongerThanText()
    {
        ClsAX ax;
        QString text = QStringLiteral("abcabc");
        QVERIFY(ax.EnDeCrypt(text, QStringLiteral("\x07")));
        for (qsizetype i = 0; i < text.size(); ++i)
            QCOMPARE(text.at(i).unicode(), char16_t(QStringLiteral("abcabc").at(i).unicode() ^ 7));

        QString shortText = QStringLiteral("xyz");
        QVERIFY(ax.EnDeCrypt(shortText, QStringLiteral("ABCDEFGHIJ")));
        QCOMPARE(shortText, QString::fromLatin1(referenceXor("xyz", "ABC")));
    }

    void emptyTextOrKeyIsRefusedUntouched()
    {
        ClsAX ax;
        QString empty;
        QVERIFY(!ax.EnDeCrypt(empty, QStringLiteral("k")));
        QVERIFY(empty.isEmpty());
        QString text = QStringLiteral("keep");
        QVERIFY(!ax.EnDeCrypt(text, QString()));
        QCOMPARE(text, QStringLiteral("keep"));
        QByteArray none;
        QVERIFY(!ClsAX::EnDeCryptBytes(none, "k"));
        QByteArray bytes("keep");
        QVERIFY(!ClsAX::EnDeCryptBytes(bytes, QByteArrayView()));
        QCOMPARE(bytes, QByteArray("keep"));
    }

    // The byte transform works a machine word at a time when the text is long
    // enough; at every length, key length and alignment it must equal the plain loop.
    void wordPathEqualsBytePath()
    {
        const QByteArray source = randomBytes(700, 42);
        for (int k : {1, 2, 3, 7, 8, 9, 13, 64, 65, 100}) {
            const QByteArray key = randomBytes(k, quint32(k));
            for (int offset = 0; offset < 8; ++offset) {
                for (int length :
                    {0, 1, 7, 8, 9, 63, 64, 65, 8 * k - 1, 8 * k, 8 * k + 1, 8 * k * 2 + 5, 691}) {
                    if (offset + length > source.size())
                        continue;
                    QByteArray buffer = source;
                    ClsAX::EnDeCryptBytes(buffer.data() + offset, length, key);
                    const QByteArray expected = source.left(offset)
                        + referenceXor(source.mid(offset, length), key)
                        + source.mid(offset + length);
                    if (buffer != expected)
                        QFAIL(qPrintable(QStringLiteral("key %1, offset %2, length %3")
                                             .arg(k)
                                             .arg(offset)
                                             .arg(length)));
                }
            }
        }
        // The data-file key the store uses: the byte transform agrees with the text transform.
        QByteArray bytes = randomBytes(1000, 7);
        for (char& c : bytes)
            c = char(c & 0x7F);
        QString text = QString::fromLatin1(bytes);
        ClsAX().EnDeCrypt(text, QString::fromLatin1(DataFileKey()));
        ClsAX::EnDeCryptBytes(bytes, DataFileKey());
        QCOMPARE(QString::fromLatin1(bytes), text);
    }

    void fileTransformEqualsWholeTransform_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("8193 bytes, 8-char key") << 8193 << QByteArray("Ab3Cd5Ef");
        QTest::newRow("one full chunk") << 8192 << QByteArray("Ab3Cd5Ef");
        QTest::newRow("7-char key, chunks of 8190") << 20000 << QByteArray("Ab3Cd5E");
        QTest::newRow("key longer than a chunk")
            << 20000 << randomBytes(9000, 3).replace('\0', 'x');
        QTest::newRow("empty file") << 0 << QByteArray("Ab3Cd5Ef");
    }

    void fileTransformEqualsWholeTransform()
    {
        QFETCH(int, size);
        QFETCH(QByteArray, key);
        test::TempEnv env;
        const QByteArray content = randomBytes(size, 99);
        QVERIFY(writeFile(env.path(QStringLiteral("in.bin")), content));
        QVERIFY(ClsAX().EnDeCryptFile(env.path(QStringLiteral("in.bin")),
            env.path(QStringLiteral("out.bin")), QString::fromLatin1(key), false));
        QCOMPARE(readFile(env.path(QStringLiteral("out.bin"))), referenceXor(content, key));
        QCOMPARE(readFile(env.path(QStringLiteral("in.bin"))), content);
    }

    void fileTransformNeverDestroysWhatItMayNot()
    {
        test::TempEnv env;
        const QString from = env.path(QStringLiteral("from.bin"));
        const QString to = env.path(QStringLiteral("to.bin"));
        QVERIFY(writeFile(from, "source bytes"));
        QVERIFY(writeFile(to, "existing target"));
        ClsAX ax;

        QVERIFY(!ax.EnDeCryptFile(from, to, QStringLiteral("key"), false));
        QCOMPARE(readFile(from), QByteArray("source bytes"));
        QCOMPARE(readFile(to), QByteArray("existing target"));

        QVERIFY(!ax.EnDeCryptFile(from, to, QString(), true));
        QVERIFY(!ax.EnDeCryptFile(
            env.path(QStringLiteral("missing.bin")), to, QStringLiteral("key"), true));
        QVERIFY(!ax.EnDeCryptFile(
            env.folder(), to, QStringLiteral("key"), true)); // a folder is no file
        QCOMPARE(readFile(to), QByteArray("existing target"));

        // The source named as its own target would be deleted before it is read.
        QVERIFY(!ax.EnDeCryptFile(from, from, QStringLiteral("key"), true));
        QCOMPARE(readFile(from), QByteArray("source bytes"));

        QVERIFY(ax.EnDeCryptFile(from, to, QStringLiteral("key"), true));
        QCOMPARE(readFile(to), referenceXor("source bytes", "key"));
    }

    void keysAreFixedEightCharacterTexts()
    {
        const QRegularExpression form(QStringLiteral("^[A-Za-z0-9]{8}$"));
        QVERIFY(form.match(QString::fromLatin1(DataFileKey())).hasMatch());
        QVERIFY(form.match(QString::fromLatin1(ReportKey())).hasMatch());
        QVERIFY(DataFileKey() != ReportKey());
        QCOMPARE(DataFileKey(), DataFileKey());
    }

    void digestUsesOnlyItsDigitsAndLetterPairs()
    {
        const QRegularExpression form(QStringLiteral("^(?:[02468]|ae|fr|mw|da|wo)+$"));
        QRandomGenerator gen(5);
        for (int round = 0; round < 200; ++round) {
            QString text;
            const int length = 20 + int(gen.bounded(30));
            for (int i = 0; i < length; ++i)
                text.append(QChar(char16_t(32 + gen.bounded(95))));
            const QString digest = PasswordDigest(text);
            QVERIFY2(form.match(digest).hasMatch(), qPrintable(digest));
        }
        // Fixed values: files protected today must open tomorrow.
        QCOMPARE(PasswordDigest(QStringLiteral("ABCDEFGHIJKLMNOPQRST")),
            QStringLiteral("2aefr2mwda60womw"));
        QCOMPARE(PasswordDigest(QStringLiteral("secretABCDEFGHIJKLMNOPQRST")),
            QStringLiteral("2woda202fr8fr0"));
        QCOMPARE(PasswordDigest(QStringLiteral("a1! ABCDEFGHIJKLMNOPQRST")),
            QStringLiteral("wofr8fr44fr2ae"));
    }

    void digestIgnoresLetterCaseOnly()
    {
        const QString i = QStringLiteral("QWERTYUIOPASDFGHJKLZ");
        QCOMPARE(PasswordDigest(QStringLiteral("secret") + i),
            PasswordDigest(QStringLiteral("SECRET") + i));
        QCOMPARE(PasswordDigest(QStringLiteral("MiXeD") + i.toLower()),
            PasswordDigest(QStringLiteral("mIxEd") + i));
        QVERIFY(PasswordDigest(QStringLiteral("secret") + i)
            != PasswordDigest(QStringLiteral("secreu") + i));
        // Digits and symbols count by their codes, not as letters.
        QVERIFY(PasswordDigest(QStringLiteral("1") + i) != PasswordDigest(QStringLiteral("!") + i));
    }

    void hasPasswordComparesPValueWithDigestOfI()
    {
        const QString i = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
        auto book = [&](const QString& pValue) {
            XmlDocument doc;
            doc.loadXml(QStringLiteral("<Data><AcMaster/><PValue>") + pValue
                + QStringLiteral("</PValue><Trans/><Groups/><Narration/><I>") + i
                + QStringLiteral("</I><DateRanges/></Data>"));
            return doc;
        };
        QVERIFY(!HasPassword(book(PasswordDigest(i))));
        QVERIFY(!HasPassword(book(PasswordDigest(QString() + i)))); // an empty password is none
        QVERIFY(HasPassword(book(PasswordDigest(QStringLiteral("pw") + i))));
        QVERIFY(HasPassword(book(QString())));
    }
};

QTEST_GUILESS_MAIN(TstClsAX)
#include "tst_clsax.moc"
