#include "client/kvl_base64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The character's 6-bit value; 64 for "=", -1 for anything else (the NUL included).
int sextet(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  if (c == '=') return 64;
  return -1;
}

}  // namespace

char* kvl_base64_encode(char* out, const std::uint8_t* in, std::size_t length) {
  for (std::size_t at = 0; at < length; at += 3) {
    std::size_t left = length - at;
    std::uint32_t group = std::uint32_t{in[at]} << 16;
    if (left > 1) group |= std::uint32_t{in[at + 1]} << 8;
    if (left > 2) group |= in[at + 2];
    *out++ = kAlphabet[group >> 18];
    *out++ = kAlphabet[(group >> 12) & 63];
    *out++ = left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    *out++ = left > 2 ? kAlphabet[group & 63] : '=';
  }
  *out = '\0';
  return out;
}

int kvl_base64_decode(std::uint8_t* out, const char* text) {
  if (text[0] == '+' && text[1] == ' ') text += 2;
  if (*text == '\r') return 0;
  int written = 0;
  while (*text != '\0') {
    // Characters are taken one at a time, so a NUL inside a group ends the reading there.
    int value[4];
    for (int i = 0; i < 4; ++i) {
      value[i] = sextet(text[i]);
      if (value[i] < 0 || (value[i] == 64 && i < 2)) return -1;
    }
    text += 4;
    out[written++] = static_cast<std::uint8_t>(value[0] << 2 | value[1] >> 4);
    if (value[2] == 64) return written;
    out[written++] = static_cast<std::uint8_t>((value[1] & 15) << 4 | value[2] >> 2);
    if (value[3] == 64) return written;
    out[written++] = static_cast<std::uint8_t>((value[2] & 3) << 6 | value[3]);
    if (*text == '\r') break;
  }
  return written == 0 ? -1 : written;
}
