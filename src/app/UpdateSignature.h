#pragma once
#include <QByteArray>

// Ed25519 signatures of update downloads, checked with OpenSSL.
namespace UpdateSignature {
// True when signature (64 bytes) is a valid signature of data under publicKey (32 raw bytes).
bool verify(const QByteArray &publicKey, const QByteArray &data, const QByteArray &signature);
} // namespace UpdateSignature
