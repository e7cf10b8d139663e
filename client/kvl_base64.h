#pragma once
// Base64 with the standard alphabet and "=" padding, no line breaks.
#include <cstddef>
#include <cstdint>

// Writes 4 characters per 3 bytes (rounded up) and a NUL; answers the NUL's address.
char* kvl_base64_encode(char* out, const std::uint8_t* in, std::size_t length);
// Decodes a NUL-terminated text into out (room for 3 bytes per 4 characters); answers the byte
// count, 0 for a text that starts with a carriage return, -1 for an empty or malformed text.
int kvl_base64_decode(std::uint8_t* out, const char* text);
