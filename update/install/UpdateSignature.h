#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Ed25519 signatures of update archives. The public key is 32 raw bytes in
// base64 (what `tools/sign-update --public-key` prints); the signature is
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

// What a signature covers: the program's name (its section in the update
// list), a line feed, the list's "Date" value (blanks around it removed), a
// line feed, then the archive's bytes; both texts in UTF-8, e.g.
//     "Kielwanz\n14.03.2025\n" followed by the archive.
// So an archive signed for another program, or an older archive offered
// again under a later date, does not verify. tools/sign-update signs exactly
// this message.
QByteArray SignedUpdateMessage(QStringView programName, QStringView listDate, QByteArrayView archive);

SignatureCheck VerifyUpdateSignature(QByteArrayView message, const QString &signatureBase64,
                                     const QString &publicKeyBase64);

} // namespace UpdateInstall
