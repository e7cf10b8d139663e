#pragma once
// The AES session key both sides derive at the end of an encrypted login.
#include <cstdint>

// Writes the 32-byte key area (unused bytes zero) for encryption level 2, 3 or 4 from P2, the
// client's nonce R and the server's nonce S; answers the key length (16, 24, 32), or -1 for
// another level.
int kvl_session_key(std::uint8_t key[32], unsigned level, const std::uint8_t p2[20],
                    const std::uint8_t r[20], const std::uint8_t s[20]);
