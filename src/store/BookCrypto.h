#pragma once

// Books that opt in to real encryption. Such a file is a short text header
// followed by the book's XML encrypted with XChaCha20-Poly1305:
//
//   QBENC1\n
//   version=1 kdf=argon2id ops=N mem=BYTES salt=HEX32 check=HEX32 nonce=HEX48\n
//   <ciphertext with its 16-byte tag>
//
// The key comes from the password through Argon2id with the parameters and
// salt of the header (kept there so that they can be raised later); the whole
// header is bound in as associated data, so no byte of the file can change
// unnoticed. "check" is a value derived from the key beside the encryption
// key: it tells a wrong password from a damaged file. It gives an attacker
// nothing the ciphertext does not already give (each guess still costs the
// Argon2id derivation). All of the cryptography is libsodium's.
//
// The derived key lives in libsodium's guarded memory (locked, guard pages,
// no access between uses) for as long as its BookKey exists: the open book
// keeps one so that a save costs only the encryption. Once a key has been
// derived the process writes no core dump (KeepOutOfCoreDumps).

#include <memory>
#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "store/BookFile.h"

namespace qb {

// The Argon2id cost of a key: passes and memory in bytes.
struct KdfParams
{
    quint64 ops = 0;
    quint64 memBytes = 0;
    bool operator==(const KdfParams&) const = default;
};

// What new keys cost on this machine's class of hardware: about 0.3 to 0.5 s.
KdfParams DefaultKdfParams();
// What the next new key uses: DefaultKdfParams() unless overridden.
KdfParams NewKeyParams();
// The bounds a header's parameters must keep (at most four times
// DefaultKdfParams()): anything outside is refused at once as a damaged file
// instead of being tried.
bool KdfParamsAcceptable(const KdfParams& params);

// Test seam: new keys use cheap parameters while one of these exists.
class KdfParamsOverride final
{
public:
    explicit KdfParamsOverride(const KdfParams& params);
    ~KdfParamsOverride();
    KdfParamsOverride(const KdfParamsOverride&) = delete;
    KdfParamsOverride& operator=(const KdfParamsOverride&) = delete;

private:
    std::optional<KdfParams> m_previous;
};

// The file starts with the magic line of an encrypted book.
bool IsEncryptedBook(QByteArrayView bytes);

struct EncryptedHeader
{
    int version = 0;
    KdfParams params;
    QByteArray salt; // 16 bytes
    QByteArray check; // 16 bytes
    QByteArray nonce; // 24 bytes
    qsizetype size = 0; // bytes of the header, both lines
};

// Reads the header strictly (field order, decimal and lower-case hex only,
// sizes, parameter bounds). False with the reason when it is malformed.
bool ReadEncryptedHeader(QByteArrayView file, EncryptedHeader* header, QString* why = nullptr);

class BookKey final
{
public:
    ~BookKey();
    BookKey(const BookKey&) = delete;
    BookKey& operator=(const BookKey&) = delete;

    // A key for a password with a new random salt and NewKeyParams().
    // Null only when the memory cannot be had (reason in *why).
    static std::shared_ptr<BookKey> create(const QString& password, QString* why = nullptr);
    // The key of a header's password: null when the password is not the
    // book's (or the derivation could not run; *why says which, empty for a wrong password).
    static std::shared_ptr<BookKey> unlock(
        const EncryptedHeader& header, const QString& password, QString* why = nullptr);

    // The password gives this very key (letters count with their case).
    bool matches(const QString& password) const;
    const KdfParams& params() const { return m_params; }
    const QByteArray& salt() const { return m_salt; }

    // The file bytes of a book text: header with a new random nonce, then the ciphertext.
    QByteArray encrypt(const char* text, qsizetype size) const;
    // The text of a file written with this key; false when the header is
    // not this key's or the ciphertext fails authentication (cut off, changed).
    bool decrypt(QByteArrayView file, QByteArray* text, QString* why = nullptr) const;

private:
    BookKey() = default;
    static std::shared_ptr<BookKey> derive(
        const QString& password, const KdfParams& params, const QByteArray& salt, QString* why);
    QByteArray headerWith(const QByteArray& nonce) const;

    unsigned char* m_key = nullptr; // guarded memory, no access between uses
    KdfParams m_params;
    QByteArray m_salt;
    QByteArray m_check;
};

// The bytes a book text is written as: encrypted with key, or enciphered
// with the data-file key when key is null. Every writer of a book or of a
// copy of it goes through here, so that no copy is left in another form.
QByteArray EncodeBookText(const char* text, qsizetype size, const BookKey* key);

// ReadBook's way for an encrypted file (raw: the file's bytes): the password
// of options unlocks it; the key is kept in book->key.
BookError ReadEncryptedBook(
    QByteArray raw, const QString& path, Book* book, const BookReadOptions& options);

// Rewrites the book's .bak and daily copies with key (null: the data-file
// cipher), each read with the data-file cipher or, when encrypted, with
// oldKey. A copy that cannot be read that way (another password) or not
// written is left as it is and named in the list returned.
// Each copy reaches the disk as the book does, and no temporary file of the
// book or its copies is left (those of a stopped run are removed first).
// why, when given, gets the system's reason of the first copy that could not be written.
QStringList ReencodeBookCopies(
    const QString& path, const BookKey* oldKey, const BookKey* key, QString* why = nullptr);

// The book's .bak and daily copies that are not encrypted: readable without
// the password of an encrypted book.
QStringList ReadableBookCopies(const QString& path);
// The BookError (CopiesReadable) naming the copies of an encrypted book that
// are still readable; no stage when there are none.
BookError ReadableCopiesError(const QString& path);

} // namespace qb
