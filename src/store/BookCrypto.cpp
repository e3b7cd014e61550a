#include "store/BookCrypto.h"

#include <cstring>
#include <sodium.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/Memory.h"

namespace qb {

namespace {

constexpr char kMagic[] = "QBENC1\n";
constexpr qsizetype kMagicSize = sizeof(kMagic) - 1;
constexpr int kVersion = 1;
constexpr qsizetype kKeyBytes = crypto_aead_xchacha20poly1305_ietf_KEYBYTES;
constexpr qsizetype kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr qsizetype kTagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr qsizetype kSaltBytes = crypto_pwhash_SALTBYTES;
constexpr qsizetype kCheckBytes = 16;
// The second line is about 170 bytes; anything much longer is no header.
constexpr qsizetype kMaxHeader = 512;
// The two keys taken from the Argon2id output.
constexpr char kKdfContext[crypto_kdf_CONTEXTBYTES + 1] = "QBookKey";
constexpr quint64 kEncryptionSubkey = 1;
constexpr quint64 kCheckSubkey = 2;

// Argon2id with 2 passes over 64 MiB: about 0.3 to 0.5 s on a current
// two-core machine, and the memory makes guessing on graphics cards dear.
constexpr KdfParams kDefaultParams {2, quint64(64) << 20};
// Bounds of what a header may ask for: from libsodium's minimum up to four
// times what this program writes, so that a hostile header cannot make each
// password try take minutes and gigabytes. A header outside them is refused
// as a damaged file without trying it.
constexpr quint64 kCostHeadroom = 4;
constexpr quint64 kMaxMemBytes = kCostHeadroom * kDefaultParams.memBytes;
constexpr quint64 kMaxOps = kCostHeadroom * kDefaultParams.ops;

std::optional<KdfParams>& overrideParams()
{
    static std::optional<KdfParams> params;
    return params;
}

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    randombytes_buf(bytes.data(), size_t(size));
    return bytes;
}

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

// Guarded memory of libsodium, freed (and wiped) when it goes out of scope.
struct Guarded
{
    explicit Guarded(size_t size)
        : data(static_cast<unsigned char*>(sodium_malloc(size)))
    { }
    ~Guarded() { sodium_free(data); }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;
    unsigned char* data;
};

} // namespace

KdfParams DefaultKdfParams()
{
    return kDefaultParams;
}

KdfParams NewKeyParams()
{
    return overrideParams().value_or(kDefaultParams);
}

bool KdfParamsAcceptable(const KdfParams& params)
{
    return params.ops >= crypto_pwhash_OPSLIMIT_MIN && params.ops <= kMaxOps
        && params.memBytes >= crypto_pwhash_MEMLIMIT_MIN && params.memBytes <= kMaxMemBytes
        && params.memBytes % 1024 == 0;
}

KdfParamsOverride::KdfParamsOverride(const KdfParams& params)
    : m_previous(overrideParams())
{
    overrideParams() = params;
}

KdfParamsOverride::~KdfParamsOverride()
{
    overrideParams() = m_previous;
}

bool IsEncryptedBook(QByteArrayView bytes)
{
    return bytes.startsWith(QByteArrayView(kMagic, kMagicSize));
}

bool ReadEncryptedHeader(QByteArrayView file, EncryptedHeader* header, QString* why)
{
    auto refuse = [why](const char* reason) {
        if (why)
            *why = QString::fromLatin1(reason);
        return false;
    };
    if (!IsEncryptedBook(file))
        return refuse("no encrypted-book header");
    const qsizetype end = file.first(std::min(file.size(), kMaxHeader)).indexOf('\n', kMagicSize);
    if (end < 0)
        return refuse("the header is cut off or too long");
    static const QRegularExpression shape(QStringLiteral(
        "^version=([1-9][0-9]{0,3}) kdf=argon2id ops=([1-9][0-9]{0,9}) mem=([1-9][0-9]{0,14}) "
        "salt=([0-9a-f]{32}) check=([0-9a-f]{32}) nonce=([0-9a-f]{48})$"));
    const QString line = QString::fromLatin1(file.sliced(kMagicSize, end - kMagicSize));
    const QRegularExpressionMatch m = shape.match(line);
    if (!m.hasMatch())
        return refuse("the header is malformed");
    EncryptedHeader h;
    h.version = m.captured(1).toInt();
    if (h.version != kVersion)
        return refuse("the header is of a later version of Quillbrook");
    h.params = {m.captured(2).toULongLong(), m.captured(3).toULongLong()};
    if (!KdfParamsAcceptable(h.params))
        return refuse("the header asks for key-derivation costs out of bounds");
    h.salt = QByteArray::fromHex(m.captured(4).toLatin1());
    h.check = QByteArray::fromHex(m.captured(5).toLatin1());
    h.nonce = QByteArray::fromHex(m.captured(6).toLatin1());
    h.size = end + 1;
    if (file.size() < h.size + kTagBytes)
        return refuse("the file is cut off after its header");
    *header = std::move(h);
    return true;
}

BookKey::~BookKey()
{
    sodium_free(m_key);
}

std::shared_ptr<BookKey> BookKey::derive(
    const QString& password, const KdfParams& params, const QByteArray& salt, QString* why)
{
    if (!sodiumReady()) {
        if (why)
            *why = QStringLiteral("the encryption library could not start");
        return nullptr;
    }
    const QByteArray secret = password.toUtf8();
    Guarded master(kKeyBytes);
    std::shared_ptr<BookKey> key(new BookKey);
    key->m_key = static_cast<unsigned char*>(sodium_malloc(kKeyBytes));
    if (!master.data || !key->m_key
        || crypto_pwhash(master.data, kKeyBytes, secret.constData(), quint64(secret.size()),
               bytesOf(salt), params.ops, size_t(params.memBytes), crypto_pwhash_ALG_ARGON2ID13)
            != 0) {
        if (why)
            *why = QStringLiteral("not enough memory to derive the key");
        return nullptr;
    }
    unsigned char check[kCheckBytes];
    crypto_kdf_derive_from_key(key->m_key, kKeyBytes, kEncryptionSubkey, kKdfContext, master.data);
    crypto_kdf_derive_from_key(check, kCheckBytes, kCheckSubkey, kKdfContext, master.data);
    sodium_mprotect_noaccess(key->m_key);
    // Whoever holds a key holds the decrypted book in memory too.
    KeepOutOfCoreDumps();
    key->m_params = params;
    key->m_salt = salt;
    key->m_check = QByteArray(reinterpret_cast<const char*>(check), kCheckBytes);
    sodium_memzero(check, sizeof check);
    return key;
}

std::shared_ptr<BookKey> BookKey::create(const QString& password, QString* why)
{
    if (!sodiumReady()) {
        if (why)
            *why = QStringLiteral("the encryption library could not start");
        return nullptr;
    }
    return derive(password, NewKeyParams(), randomBytes(kSaltBytes), why);
}

std::shared_ptr<BookKey> BookKey::unlock(
    const EncryptedHeader& header, const QString& password, QString* why)
{
    if (why)
        why->clear();
    std::shared_ptr<BookKey> key = derive(password, header.params, header.salt, why);
    if (!key || header.check.size() != kCheckBytes
        || sodium_memcmp(bytesOf(key->m_check), bytesOf(header.check), kCheckBytes) != 0)
        return nullptr;
    return key;
}

bool BookKey::matches(const QString& password) const
{
    const std::shared_ptr<BookKey> other = derive(password, m_params, m_salt, nullptr);
    return other && sodium_memcmp(bytesOf(other->m_check), bytesOf(m_check), kCheckBytes) == 0;
}

QByteArray BookKey::headerWith(const QByteArray& nonce) const
{
    return QByteArray(kMagic) + "version=" + QByteArray::number(kVersion)
        + " kdf=argon2id ops=" + QByteArray::number(m_params.ops)
        + " mem=" + QByteArray::number(m_params.memBytes) + " salt=" + m_salt.toHex()
        + " check=" + m_check.toHex() + " nonce=" + nonce.toHex() + '\n';
}

QByteArray BookKey::encrypt(const char* text, qsizetype size) const
{
    const QByteArray nonce = randomBytes(kNonceBytes);
    QByteArray file = headerWith(nonce);
    const qsizetype headerSize = file.size();
    file.resize(headerSize + size + kTagBytes);
    auto* out = reinterpret_cast<unsigned char*>(file.data()) + headerSize;
    unsigned long long written = 0;
    sodium_mprotect_readonly(m_key);
    crypto_aead_xchacha20poly1305_ietf_encrypt(out, &written,
        reinterpret_cast<const unsigned char*>(text), quint64(size), bytesOf(file),
        quint64(headerSize), nullptr, bytesOf(nonce), m_key);
    sodium_mprotect_noaccess(m_key);
    file.resize(headerSize + qsizetype(written));
    return file;
}

bool BookKey::decrypt(QByteArrayView file, QByteArray* text, QString* why) const
{
    EncryptedHeader header;
    if (!ReadEncryptedHeader(file, &header, why))
        return false;
    if (header.salt != m_salt || header.params != m_params
        || sodium_memcmp(bytesOf(header.check), bytesOf(m_check), kCheckBytes) != 0) {
        if (why)
            *why = QStringLiteral("the file was written with another password");
        return false;
    }
    const qsizetype cipherSize = file.size() - header.size;
    QByteArray plain(cipherSize - kTagBytes, Qt::Uninitialized);
    unsigned long long got = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    sodium_mprotect_readonly(m_key);
    const int rc = crypto_aead_xchacha20poly1305_ietf_decrypt(
        reinterpret_cast<unsigned char*>(plain.data()), &got, nullptr, bytes + header.size,
        quint64(cipherSize), bytes, quint64(header.size), bytesOf(header.nonce), m_key);
    sodium_mprotect_noaccess(m_key);
    if (rc != 0) {
        sodium_memzero(plain.data(), size_t(plain.size()));
        if (why)
            *why = QStringLiteral("the content fails its authentication check");
        return false;
    }
    plain.resize(qsizetype(got));
    *text = std::move(plain);
    return true;
}

QByteArray EncodeBookText(const char* text, qsizetype size, const BookKey* key)
{
    if (key)
        return key->encrypt(text, size);
    QByteArray bytes(text, size);
    ClsAX::EnDeCryptBytes(bytes, DataFileKey());
    return bytes;
}

BookError ReadEncryptedBook(
    QByteArray raw, const QString& path, Book* book, const BookReadOptions& options)
{
    book->document.clear();
    book->text.clear();
    book->key.reset();
    BookError error;
    error.path = path;
    EncryptedHeader header;
    QString why;
    if (!ReadEncryptedHeader(raw, &header, &why)) {
        error.stage = BookStage::Tampered;
        error.reason.description = why;
        return error;
    }
    if (!options.password) {
        error.stage = BookStage::PasswordNeeded;
        return error;
    }
    std::shared_ptr<BookKey> key = BookKey::unlock(header, *options.password, &why);
    if (!key) {
        // A changed salt or check value looks exactly like another password.
        error.stage = why.isEmpty() ? BookStage::WrongPassword : BookStage::Unreadable;
        error.reason.description = why.isEmpty() ? QStringLiteral("the file was changed") : why;
        return error;
    }
    QByteArray text;
    if (!key->decrypt(raw, &text, &why)) {
        error.stage = BookStage::Tampered;
        error.reason.description = why;
        return error;
    }
    // Authenticated: what it holds is the book as it was written; the
    // password was tested by the key.
    BookReadOptions parse = options;
    parse.testPassword = false;
    error = ParseBook(std::move(text), path, book, parse);
    if (!error.isSet())
        book->key = std::move(key);
    return error;
}

namespace {

// The book a path names: the copies lie beside the book itself, not beside a link to it.
QString bookBehind(const QString& path)
{
    QString book = path;
    for (int hops = 0; hops < 16 && QFileInfo(book).isSymLink(); ++hops)
        book = QFileInfo(book).symLinkTarget();
    return book;
}

// The book's .bak and daily copies that are there.
QStringList copiesOf(const QString& book)
{
    QStringList copies;
    const QString backup = book + QStringLiteral(".bak");
    if (QFileInfo(backup).isFile())
        copies << backup;
    for (const DailyCopy& copy : DailyCopies(book))
        copies << copy.path;
    return copies;
}

} // namespace

QStringList ReadableBookCopies(const QString& path)
{
    QStringList readable;
    for (const QString& copy : copiesOf(bookBehind(path))) {
        QFile file(copy);
        if (!file.open(QIODevice::ReadOnly) || !IsEncryptedBook(file.read(16)))
            readable << copy;
    }
    return readable;
}

BookError ReadableCopiesError(const QString& path)
{
    BookError error;
    const QStringList readable = ReadableBookCopies(path);
    if (readable.isEmpty())
        return error;
    error.stage = BookStage::CopiesReadable;
    error.path = path;
    error.reason.description = readable.join(QStringLiteral(", "));
    return error;
}

QStringList ReencodeBookCopies(
    const QString& path, const BookKey* oldKey, const BookKey* key, QString* why)
{
    const QString book = bookBehind(path);
    RemoveWriteLeftovers(book);
    QStringList leftAlone;
    for (const QString& copy : copiesOf(book)) {
        QFile file(copy);
        if (!file.open(QIODevice::ReadOnly)) {
            leftAlone << copy;
            continue;
        }
        QByteArray text = file.readAll();
        file.close();
        if (IsEncryptedBook(text)) {
            QByteArray plain;
            if (!oldKey || !oldKey->decrypt(text, &plain)) {
                // Already this key's, or another password's: not readable here.
                if (!key || !key->decrypt(text, &plain))
                    leftAlone << copy;
                continue;
            }
            text = std::move(plain);
        } else {
            ClsAX::EnDeCryptBytes(text, DataFileKey());
        }
        const Error written
            = ReplaceFileWhole(copy, EncodeBookText(text.constData(), text.size(), key));
        sodium_memzero(text.data(), size_t(text.size()));
        if (written.isSet()) {
            if (why && why->isEmpty())
                *why = written.description;
            leftAlone << copy;
        }
    }
    RemoveWriteLeftovers(book);
    return leftAlone;
}

} // namespace qb
