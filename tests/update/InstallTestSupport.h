#pragma once

// Shared by the installation tests: real zip archives written with libzip,
// Ed25519 keys made at test time, and a snapshot of a folder tree to prove
// that nothing was written where it should not be.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QString>

#include <openssl/evp.h>
#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace InstallTest {

struct ZipEntry {
    QByteArray Name;
    QByteArray Data;
    quint32 UnixMode = 0100644; // type and permission bits as stat() gives them
};

// Writes a zip archive of `entries` (deflated unless `store`); false on error.
inline bool WriteZip(const QString &path, const QList<ZipEntry> &entries, bool store = false)
{
    QFile::remove(path);
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const ZipEntry &entry : entries) {
        // libzip frees the copy when the archive is closed.
        void *copy = malloc(size_t(std::max<qsizetype>(entry.Data.size(), 1)));
        memcpy(copy, entry.Data.constData(), size_t(entry.Data.size()));
        zip_source_t *source = zip_source_buffer(archive, copy, zip_uint64_t(entry.Data.size()), 1);
        const zip_int64_t index = source ? zip_file_add(archive, entry.Name.constData(), source,
                                                        ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8)
                                         : -1;
        if (index < 0 ||
            zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                             zip_uint32_t(entry.UnixMode) << 16) != 0 ||
            zip_set_file_compression(archive, zip_uint64_t(index), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                     0) != 0) {
            if (source && index < 0)
                zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

inline QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

inline void PutLE32(QByteArray &data, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        data[at + i] = char((value >> (8 * i)) & 0xff);
}

// Rewrites the uncompressed size of every entry in the local headers and
// the central directory alike, so that the archive stays consistent.
inline QByteArray WithDeclaredSize(QByteArray zip, quint32 size)
{
    for (qsizetype at = zip.indexOf("PK\x03\x04"); at >= 0; at = zip.indexOf("PK\x03\x04", at + 4))
        PutLE32(zip, at + 22, size);
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0; at = zip.indexOf("PK\x01\x02", at + 4))
        PutLE32(zip, at + 24, size);
    return zip;
}

// Every file below `root` with its content, links as "-> target"; folders
// whose path starts with one of `skip` are left out.
inline QMap<QString, QByteArray> Snapshot(const QString &root, const QStringList &skip = {})
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        bool skipped = false;
        for (const QString &prefix : skip)
            skipped = skipped || path.startsWith(prefix);
        if (skipped)
            continue;
        const QFileInfo info = it.fileInfo();
        const QString relative = QDir(root).relativeFilePath(path);
        if (info.isSymLink())
            files.insert(relative, "-> " + QFile::encodeName(info.symLinkTarget()));
        else if (info.isDir())
            files.insert(relative, "<dir>");
        else
            files.insert(relative, ReadAll(path));
    }
    return files;
}

struct PkeyFree {
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;

inline Pkey NewEd25519Key()
{
    return Pkey(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"));
}

inline QString PublicKeyBase64(EVP_PKEY *key)
{
    unsigned char raw[32];
    size_t length = sizeof raw;
    if (EVP_PKEY_get_raw_public_key(key, raw, &length) != 1)
        return {};
    return QString::fromLatin1(QByteArray(reinterpret_cast<char *>(raw), qsizetype(length)).toBase64());
}

inline QString SignBase64(EVP_PKEY *key, const QByteArray &data)
{
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    unsigned char signature[64];
    size_t length = sizeof signature;
    const bool ok =
        ctx && EVP_DigestSignInit(ctx, nullptr, nullptr, nullptr, key) == 1 &&
        EVP_DigestSign(ctx, signature, &length, reinterpret_cast<const unsigned char *>(data.constData()),
                       size_t(data.size())) == 1;
    EVP_MD_CTX_free(ctx);
    if (!ok)
        return {};
    return QString::fromLatin1(QByteArray(reinterpret_cast<char *>(signature), qsizetype(length)).toBase64());
}

} // namespace InstallTest
