#pragma once

// The keyed XOR transform of data files and report templates, and the
// one-way password digest kept in the data file instead of the password.

#include <QByteArray>
#include <QString>

namespace qb {

class XmlDocument;

class ClsAX final
{
public:
    // Transforms the low byte of every unit of text in place; the same call
    // enciphers and deciphers. False (text untouched) when either is empty.
    bool EnDeCrypt(QString& Text, const QString& Password) const;

    // The same transform over bytes, a machine word at a time, in place.
    static bool EnDeCryptBytes(char* data, qsizetype size, QByteArrayView key);
    static bool EnDeCryptBytes(QByteArray& data, QByteArrayView key);

    // Writes the transform of FileFrom to FileTo in key-aligned chunks.
    bool EnDeCryptFile(const QString& FileFrom, const QString& FileTo, const QString& Password,
        bool OverWrite) const;
};

// The key of every data file and the key of the installed report templates.
QByteArray DataFileKey();
QByteArray ReportKey();

// Digest of the password followed by the file's I text (or of I alone).
QString PasswordDigest(const QString& Text);

// The document's PValue differs from the digest of its I text.
bool HasPassword(const XmlDocument& document);

} // namespace qb
