#pragma once
// The test client's own cryptography: SHA-1 from OpenSSL, and the ciphertext-stealing CBC of
// encrypted sessions built block by block on AES-ECB, so that it can be checked against OpenSSL's
// CBC-CTS and then serve as the reference for the server.
#include <cstdint>
#include <string>
#include <vector>

namespace wiretest {

using Bytes = std::vector<std::uint8_t>;

Bytes sha1(const Bytes& data);
Bytes sha1(const std::string& text);
std::string toHex(const Bytes& data);
Bytes fromHex(const std::string& hex);
Bytes concat(const Bytes& a, const Bytes& b);
Bytes randomBytes(std::size_t count);

// One AES block, ECB, with a 16-, 24- or 32-byte key.
Bytes aesEncryptBlock(const Bytes& key, const Bytes& block);
Bytes aesDecryptBlock(const Bytes& key, const Bytes& block);

// Encrypts `data`; the result is the 16-byte IV as it travels followed by the ciphertext (for
// texts under 16 bytes the IV is rewritten and belongs to the ciphertext).
Bytes ctsSeal(const Bytes& key, const Bytes& iv, const Bytes& data);
// The inverse: IV and ciphertext in, clear text out.
Bytes ctsOpen(const Bytes& key, const Bytes& sealed);

// OpenSSL's AES-*-CBC-CTS with cts_mode CS2, the reference for 16 bytes and more.
Bytes opensslCs2Encrypt(const Bytes& key, const Bytes& iv, const Bytes& data);

// The session key of an encrypted login at level 2, 3 or 4.
Bytes sessionKey(int level, const Bytes& p2, const Bytes& r, const Bytes& s);

}  // namespace wiretest
