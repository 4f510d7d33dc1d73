// Receipt codes (random, unguessable) and the SHA-256 of an upload.
#include "robot/receipt_code.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <openssl/evp.h>

namespace velmor::robot {
namespace {

constexpr std::string_view kAlphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";

}  // namespace

std::string randomBytes(std::size_t count) {
    std::string out(count, '\0');
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = getrandom(out.data() + got, count - got, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error(std::string("no random bytes from the kernel: ") + std::strerror(errno));
        }
        got += static_cast<std::size_t>(n);
    }
    return out;
}

std::string newReceiptCode() {
    // 17 bytes are 136 bits; each character takes the next 5 of them.
    const std::string bytes = randomBytes(17);
    std::string code;
    code.reserve(kReceiptCodeLength);
    unsigned bits = 0;
    int have = 0;
    std::size_t next = 0;
    while (code.size() < kReceiptCodeLength) {
        if (have < 5) {
            bits = (bits << 8) | static_cast<unsigned char>(bytes[next++]);
            have += 8;
        }
        code += kAlphabet[(bits >> (have - 5)) & 31];
        have -= 5;
    }
    return code;
}

bool isReceiptCode(std::string_view text) {
    if (text.size() != kReceiptCodeLength) return false;
    for (char c : text)
        if (kAlphabet.find(c) == std::string_view::npos) return false;
    return true;
}

std::string sha256Hex(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 failed in libcrypto");
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += kHex[digest[i] >> 4];
        out += kHex[digest[i] & 15];
    }
    return out;
}

}  // namespace velmor::robot
