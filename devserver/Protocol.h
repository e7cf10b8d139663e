#pragma once
// Wire constants shared by the server's parts: header layout, commands, flags and error codes.
#include <cstddef>
#include <cstdint>

namespace devserver {

constexpr std::uint32_t kSignature = 0x53514C53;  // "SQLS"
constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kIvSize = 16;

namespace command {
constexpr std::uint8_t kLogin = 1, kQuery = 2, kExecute = 3, kClose = 7, kAck = 9, kAck10 = 10,
                       kCursorNext = 11, kCursorClose = 12, kBind = 19, kPrepare = 50,
                       kPreparedBind = 51, kPreparedExecute = 52, kPreparedSelect = 53,
                       kPreparedClose = 54;
}

namespace selector {
constexpr std::uint8_t kClearUser = 20, kClearResponse = 21, kEncryptedUser = 22,
                       kEncryptedProof = 23, kWithToken = 20;  // added to each login selector
constexpr std::uint8_t kChunkAck = 25, kGiveUp = 26, kBindValue = 27, kBindEnd = 28,
                       kBindEndAlternate = 29;
}  // namespace selector

namespace requestflag {
constexpr std::uint8_t kCompressed = 0x08, kValuePacket = 0x20;
}

namespace replyflag {
constexpr std::uint8_t kRowid = 0x04, kCompressed = 0x08, kPartial = 0x20, kServerCursor = 0x40,
                       kTableNames = 0x80;
}

// Header byte 14: how the login names the user.
constexpr std::uint8_t kPlainUserName = 3;

// Bind value types (header byte 12).
namespace valuetype {
constexpr std::uint8_t kInt = 1, kDouble = 2, kText = 3, kBlob = 4, kNull = 5, kInt64 = 8,
                       kZeroBlob = 9;
}

// Reply codes. 777 ends a chunked result; every other non-zero code is an error whose payload is
// its message.
namespace code {
constexpr std::uint16_t kChunkEnd = 777;
constexpr std::uint16_t kAuthentication = 7000;   // login refused
constexpr std::uint16_t kSql = 7010;              // SQLite's own message
constexpr std::uint16_t kUnsupported = 7020;      // command or server-side cursor
constexpr std::uint16_t kMalformed = 7021;        // request layout does not add up
constexpr std::uint16_t kTooLarge = 7022;         // request above --max-request; then closed
constexpr std::uint16_t kUnknownDatabase = 7030;  // USE DATABASE of a missing or bad name
constexpr std::uint16_t kNoStatement = 7040;      // bind or prepared command without a statement
constexpr std::uint16_t kNotLoggedIn = 7050;      // a command before the login
}  // namespace code

}  // namespace devserver
