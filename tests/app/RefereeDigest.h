#pragma once

#include <QByteArray>
#include <QString>

#include <openssl/evp.h>

// The digest by the referee, in the window's upper-case hexadecimal, for an algorithm index
// other than CRC32.
inline QString RefereeDigest(int algorithm, const QByteArray& bytes) {
    const EVP_MD* md = algorithm == 1   ? EVP_sha1()
                       : algorithm == 2 ? EVP_sha256()
                       : algorithm == 3 ? EVP_sha512()
                                        : EVP_md5();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.constData(), static_cast<size_t>(bytes.size()), digest, &length, md, nullptr);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest), length).toHex().toUpper());
}
