#include "client/kvl_aes.h"

#include <mutex>

#include "client/kvl_aes_hardware.h"

namespace {

struct AesTables {
  std::uint8_t sbox[256];
  std::uint8_t inverseSbox[256];
  std::uint32_t forward[4][256];  // SubBytes and MixColumns of one byte, per row
  std::uint32_t forwardLast[256];
  std::uint32_t inverse[4][256];  // InvSubBytes and InvMixColumns of one byte, per row
  std::uint32_t inverseLast[256];
  std::uint32_t inverseMix[4][256];  // InvMixColumns alone, for the decryption schedule
  std::uint32_t roundConstants[10];
};

AesTables tables;
std::once_flag tablesBuilt;

std::uint8_t times2(std::uint8_t x) { return static_cast<std::uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0)); }

std::uint8_t multiply(std::uint8_t a, std::uint8_t b) {
  std::uint8_t product = 0;
  for (; b != 0; b >>= 1, a = times2(a)) {
    if (b & 1) product ^= a;
  }
  return product;
}

std::uint32_t word(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
  return std::uint32_t{b0} << 24 | std::uint32_t{b1} << 16 | std::uint32_t{b2} << 8 | b3;
}

std::uint32_t rotateRight8(std::uint32_t x) { return (x >> 8) | (x << 24); }

std::uint8_t byteAt(std::uint32_t x, int index) { return static_cast<std::uint8_t>(x >> (24 - 8 * index)); }

void buildTables() {
  // Powers and logarithms of the generator 3 give the multiplicative inverses.
  std::uint8_t power[255];
  std::uint8_t logarithm[256] = {};
  std::uint8_t x = 1;
  for (int i = 0; i < 255; ++i) {
    power[i] = x;
    logarithm[x] = static_cast<std::uint8_t>(i);
    x ^= times2(x);
  }
  for (int i = 0; i < 256; ++i) {
    std::uint8_t inverse = i == 0 ? 0 : power[(255 - logarithm[i]) % 255];
    std::uint8_t s = inverse;
    for (int shift = 1; shift <= 4; ++shift) {
      s ^= static_cast<std::uint8_t>((inverse << shift) | (inverse >> (8 - shift)));
    }
    s ^= 0x63;
    tables.sbox[i] = s;
    tables.inverseSbox[s] = static_cast<std::uint8_t>(i);
  }
  for (int i = 0; i < 256; ++i) {
    std::uint8_t s = tables.sbox[i];
    std::uint8_t b = static_cast<std::uint8_t>(i);
    tables.forward[0][i] = word(times2(s), s, s, static_cast<std::uint8_t>(times2(s) ^ s));
    tables.forwardLast[i] = word(s, s, s, s);
    tables.inverseMix[0][i] = word(multiply(b, 0x0E), multiply(b, 0x09), multiply(b, 0x0D), multiply(b, 0x0B));
    for (int row = 1; row < 4; ++row) {
      tables.forward[row][i] = rotateRight8(tables.forward[row - 1][i]);
      tables.inverseMix[row][i] = rotateRight8(tables.inverseMix[row - 1][i]);
    }
  }
  for (int i = 0; i < 256; ++i) {
    std::uint8_t s = tables.inverseSbox[i];
    for (int row = 0; row < 4; ++row) tables.inverse[row][i] = tables.inverseMix[row][s];
    tables.inverseLast[i] = word(s, s, s, s);
  }
  std::uint8_t constant = 1;
  for (auto& roundConstant : tables.roundConstants) {
    roundConstant = std::uint32_t{constant} << 24;
    constant = times2(constant);
  }
}

std::uint32_t substituteWord(std::uint32_t w) {
  return word(tables.sbox[byteAt(w, 0)], tables.sbox[byteAt(w, 1)], tables.sbox[byteAt(w, 2)],
              tables.sbox[byteAt(w, 3)]);
}

std::uint32_t inverseMixColumn(std::uint32_t w) {
  return tables.inverseMix[0][byteAt(w, 0)] ^ tables.inverseMix[1][byteAt(w, 1)] ^
         tables.inverseMix[2][byteAt(w, 2)] ^ tables.inverseMix[3][byteAt(w, 3)];
}

int keyWords(int keyLength) {
  switch (keyLength) {
    case 16:
    case 128:
      return 4;
    case 24:
    case 192:
      return 6;
    case 32:
    case 256:
      return 8;
    default:
      return 0;
  }
}

std::uint32_t load(const std::uint8_t* p) { return word(p[0], p[1], p[2], p[3]); }

void store(std::uint8_t* p, std::uint32_t w) {
  for (int i = 0; i < 4; ++i) p[i] = byteAt(w, i);
}

// One cipher pass: row r of column j comes from column j + r, in the inverse cipher j - r.
template <int Direction>
void cipherPass(std::uint8_t out[16], const std::uint8_t in[16], const AesContext* context,
                const std::uint32_t (&round)[4][256], const std::uint32_t (&last)[256]) {
  auto column = [](const std::uint32_t* s, int j, int row) { return s[(j + Direction * row) & 3]; };
  const std::uint32_t* key = context->roundKeys;
  std::uint32_t s[4], t[4];
  for (int j = 0; j < 4; ++j) s[j] = load(in + 4 * j) ^ key[j];
  for (int r = 1; r < context->rounds; ++r) {
    key += 4;
    for (int j = 0; j < 4; ++j) {
      t[j] = key[j] ^ round[0][byteAt(column(s, j, 0), 0)] ^ round[1][byteAt(column(s, j, 1), 1)] ^
             round[2][byteAt(column(s, j, 2), 2)] ^ round[3][byteAt(column(s, j, 3), 3)];
    }
    for (int j = 0; j < 4; ++j) s[j] = t[j];
  }
  key += 4;
  for (int j = 0; j < 4; ++j) {
    store(out + 4 * j, key[j] ^ (last[byteAt(column(s, j, 0), 0)] & 0xFF000000u) ^
                           (last[byteAt(column(s, j, 1), 1)] & 0x00FF0000u) ^
                           (last[byteAt(column(s, j, 2), 2)] & 0x0000FF00u) ^
                           (last[byteAt(column(s, j, 3), 3)] & 0x000000FFu));
  }
}

}  // namespace

bool aes_valid_context(const AesContext* context) {
  return context->rounds == 10 || context->rounds == 12 || context->rounds == 14;
}

void aes_build_tables() { std::call_once(tablesBuilt, buildTables); }

int aes_key_schedule_enc(const std::uint8_t* key, int keyLength, AesContext* context) {
  int words = keyWords(keyLength);
  if (words == 0) return -1;
  aes_build_tables();
  context->rounds = words + 6;
  context->hardware = aes_hardware_present();
  std::uint32_t* w = context->roundKeys;
  int total = 4 * (context->rounds + 1);
  for (int i = 0; i < words; ++i) w[i] = load(key + 4 * i);
  for (int i = words; i < total; ++i) {
    std::uint32_t temp = w[i - 1];
    if (i % words == 0) {
      temp = substituteWord((temp << 8) | (temp >> 24)) ^ tables.roundConstants[i / words - 1];
    } else if (words > 6 && i % words == 4) {
      temp = substituteWord(temp);
    }
    w[i] = w[i - words] ^ temp;
  }
  return 0;
}

int aes_key_schedule_dec(const std::uint8_t* key, int keyLength, AesContext* context) {
  AesContext forward;
  if (aes_key_schedule_enc(key, keyLength, &forward) != 0) return -1;
  context->rounds = forward.rounds;
  context->hardware = forward.hardware;
  for (int r = 0; r <= forward.rounds; ++r) {
    const std::uint32_t* from = forward.roundKeys + 4 * (forward.rounds - r);
    bool outer = r == 0 || r == forward.rounds;
    for (int j = 0; j < 4; ++j) context->roundKeys[4 * r + j] = outer ? from[j] : inverseMixColumn(from[j]);
  }
  return 0;
}

int aes_encrypt_block(std::uint8_t out[16], const std::uint8_t in[16], const AesContext* context) {
  if (!aes_valid_context(context)) return -1;
  if (context->hardware) {
    aes_hardware_encrypt_block(out, in, context);
  } else {
    cipherPass<1>(out, in, context, tables.forward, tables.forwardLast);
  }
  return 0;
}

int aes_decrypt_block(std::uint8_t out[16], const std::uint8_t in[16], const AesContext* context) {
  return aes_decrypt_blocks(out, in, 1, context);
}

int aes_decrypt_blocks(std::uint8_t* out, const std::uint8_t* in, std::size_t count, const AesContext* context) {
  if (!aes_valid_context(context)) return -1;
  if (context->hardware) {
    aes_hardware_decrypt_blocks(out, in, count, context);
  } else {
    for (std::size_t i = 0; i < count; ++i) {
      cipherPass<-1>(out + 16 * i, in + 16 * i, context, tables.inverse, tables.inverseLast);
    }
  }
  return 0;
}
