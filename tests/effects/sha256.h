// SHA-256 for the tests' fingerprints of traces and pictures, fed in pieces
// (libcrypto's, which uses the processor's SHA instructions where it has
// them: the traces run to gigabytes).
#pragma once

#include <openssl/evp.h>

#include <array>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <streambuf>
#include <string>

namespace lumora::testing {

class Sha256 {
 public:
  Sha256() : ctx_(EVP_MD_CTX_new(), EVP_MD_CTX_free) {
    if (!ctx_ || EVP_DigestInit_ex(ctx_.get(), EVP_sha256(), nullptr) != 1)
      throw std::runtime_error("SHA-256 is not available");
  }

  void update(const void* data, std::size_t size) { EVP_DigestUpdate(ctx_.get(), data, size); }

  // The digest as 64 lowercase hex digits; the object is spent afterwards.
  std::string hex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(ctx_.get(), digest, &length);
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
      out += kDigits[digest[i] >> 4];
      out += kDigits[digest[i] & 15];
    }
    return out;
  }

 private:
  std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> ctx_;
};

// A stream buffer that hashes what is written through it, so that a trace of
// hundreds of megabytes is fingerprinted without being kept.
class Sha256Buf : public std::streambuf {
 public:
  Sha256Buf() { setp(buffer_.data(), buffer_.data() + buffer_.size()); }

  Sha256& hash() {
    sync();
    return hash_;
  }

 protected:
  int_type overflow(int_type c) override {
    sync();
    if (c != traits_type::eof()) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    if (n > epptr() - pptr()) {
      sync();
      if (n >= epptr() - pptr()) {
        hash_.update(s, static_cast<std::size_t>(n));
        return n;
      }
    }
    std::memcpy(pptr(), s, static_cast<std::size_t>(n));
    pbump(static_cast<int>(n));
    return n;
  }
  int sync() override {
    hash_.update(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return 0;
  }

 private:
  Sha256 hash_;
  std::array<char, 1 << 16> buffer_{};
};

}  // namespace lumora::testing
