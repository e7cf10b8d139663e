#pragma once
// The login that follows the connect: a challenge-response in clear, or a mutual proof of the
// password hash that also agrees on the AES session key.
#include <cstddef>
#include <cstdint>

#include "client/kvl_connection.h"

// Opens the socket, then runs the exchange the encryption level asks for. 0 or -1.
int kvl_login(KvlConnection* connection);
int kvl_login_clear(KvlConnection* connection);
int kvl_login_encrypted(KvlConnection* connection);

// hex(SHA1(data)) in lowercase with a NUL (41 of the 42 bytes).
void kvl_sha1_hex(char out[42], const void* data, std::size_t length);
// hex(SHA1(user name followed by hex(iv))), hashed as it streams, for names of any length.
void kvl_hashed_user_name(char out[42], const char* user, const std::uint8_t iv[16]);
// SHA1(challenge followed by SHA1(SHA1(password))).
void kvl_challenge_response(std::uint8_t out[20], const std::uint8_t challenge[20], const char* password);
// Builds the connection's session schedules; answers the key length, or -1 for a bad level.
int kvl_derive_session_keys(KvlConnection* connection, unsigned level, const std::uint8_t p2[20],
                            const std::uint8_t r[20], const std::uint8_t s[20]);
