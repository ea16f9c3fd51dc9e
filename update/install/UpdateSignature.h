#pragma once

#include <QByteArrayView>
#include <QString>

// Ed25519 signatures of update archives. The public key is 32 raw bytes in
// base64 (what `tools/sign-update --oeffentlich` prints); the signature is
// the base64 "Signature" value of the update list's program section.
namespace UpdateInstall {

enum class SignatureCheck {
    NotRequired, // no public key built in: archives are taken unsigned
    Valid,
    Missing, // a key is set but the update list carries no signature
    Invalid, // not base64, wrong length, or does not match the archive
    BadKey,  // the built-in key itself is unusable
};

// The key set by the build (empty: signatures are not checked).
QString BuiltInUpdatePublicKey();

SignatureCheck VerifyUpdateSignature(QByteArrayView archive, const QString &signatureBase64,
                                     const QString &publicKeyBase64);

} // namespace UpdateInstall
