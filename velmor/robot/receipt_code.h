// Receipt codes (random, unguessable) and the SHA-256 of an upload.
#pragma once

#include <string>
#include <string_view>

namespace velmor::robot {

// Length of a receipt code: 26 characters of Crockford's base-32 alphabet
// (0-9 A-Z without I, L, O, U), 130 random bits from the kernel (getrandom).
inline constexpr std::size_t kReceiptCodeLength = 26;

// A new random receipt code. Throws std::runtime_error when the kernel gives no random bytes.
std::string newReceiptCode();

// Whether `text` has a receipt code's form (length and alphabet, upper case).
bool isReceiptCode(std::string_view text);

// `count` random bytes from the kernel; throws std::runtime_error when it gives none.
std::string randomBytes(std::size_t count);

// The SHA-256 of `bytes` in lower-case hex (OpenSSL's libcrypto).
std::string sha256Hex(std::string_view bytes);

}  // namespace velmor::robot
