// libFuzzer target over the reader of an encrypted book: the header parser
// and, for headers with cheap key costs, the key derivation with a fixed
// password and the authenticated decryption. An input without the magic
// line gets it in front, so that the runs are spent past it.

#include <cstddef>
#include <cstdint>

#include "store/BookCrypto.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!qb::IsEncryptedBook(bytes))
        bytes.prepend("QBENC1\n");
    qb::EncryptedHeader header;
    if (!qb::ReadEncryptedHeader(bytes, &header))
        return 0;
    // Costs a real header may carry are refused or slow here; only cheap ones are tried.
    if (header.params.ops > 2 || header.params.memBytes > 64 * 1024)
        return 0;
    const std::shared_ptr<qb::BookKey> key = qb::BookKey::unlock(header, QStringLiteral("secret"));
    QByteArray text;
    if (key && key->decrypt(bytes, &text))
        key->encrypt(text.constData(), text.size());
    return 0;
}
