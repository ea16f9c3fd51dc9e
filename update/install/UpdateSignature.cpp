#include "update/install/UpdateSignature.h"
#include "update/UpdateLibraries.h"

#include "KielwanzConfig.h"

#include <QByteArray>

#include <memory>
#include <optional>

namespace UpdateInstall {

namespace {

constexpr qsizetype Ed25519KeyBytes = 32;
constexpr qsizetype Ed25519SignatureBytes = 64;

std::optional<QByteArray> decodeBase64(const QString &text)
{
    const QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(
        text.trimmed().toLatin1(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return decoded.decoded;
}

struct PkeyFree {
    void operator()(EVP_PKEY *key) const { UpdateLibraries::crypto()->EVP_PKEY_free(key); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX *ctx) const { UpdateLibraries::crypto()->EVP_MD_CTX_free(ctx); }
};

} // namespace

QString BuiltInUpdatePublicKey()
{
    return QStringLiteral(KIELWANZ_UPDATE_PUBKEY).trimmed();
}

QByteArray SignedUpdateMessage(QStringView programName, QStringView listDate, QByteArrayView archive)
{
    const QByteArray head = programName.trimmed().toUtf8() + '\n' + listDate.trimmed().toUtf8() + '\n';
    QByteArray message;
    message.reserve(head.size() + archive.size());
    message.append(head).append(archive);
    return message;
}

SignatureCheck VerifyUpdateSignature(QByteArrayView message, const QString &signatureBase64,
                                     const QString &publicKeyBase64)
{
    if (publicKeyBase64.trimmed().isEmpty())
        return SignatureCheck::NotRequired;
    const std::optional<QByteArray> rawKey = decodeBase64(publicKeyBase64);
    if (!rawKey || rawKey->size() != Ed25519KeyBytes)
        return SignatureCheck::BadKey;
    if (signatureBase64.trimmed().isEmpty())
        return SignatureCheck::Missing;
    const std::optional<QByteArray> signature = decodeBase64(signatureBase64);
    if (!signature || signature->size() != Ed25519SignatureBytes)
        return SignatureCheck::Invalid;

    // Without the library nothing can be checked, and nothing is let through.
    const UpdateLibraries::Crypto *lib = UpdateLibraries::crypto();
    if (!lib)
        return SignatureCheck::Invalid;
    std::unique_ptr<EVP_PKEY, PkeyFree> key(lib->EVP_PKEY_new_raw_public_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char *>(rawKey->constData()),
        size_t(rawKey->size())));
    if (!key) {
        lib->ERR_clear_error();
        return SignatureCheck::BadKey;
    }
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx(lib->EVP_MD_CTX_new());
    // Ed25519 signs the message itself: no digest, one-shot verification.
    if (!ctx || lib->EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) != 1) {
        lib->ERR_clear_error();
        return SignatureCheck::BadKey;
    }
    const int verdict = lib->EVP_DigestVerify(
        ctx.get(), reinterpret_cast<const unsigned char *>(signature->constData()), size_t(signature->size()),
        reinterpret_cast<const unsigned char *>(message.data()), size_t(message.size()));
    // A failed check leaves entries in OpenSSL's per-thread error queue,
    // where libcurl would later find them.
    lib->ERR_clear_error();
    return verdict == 1 ? SignatureCheck::Valid : SignatureCheck::Invalid;
}

} // namespace UpdateInstall
