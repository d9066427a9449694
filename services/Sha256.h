// SHA-256 (FIPS 180-4), for the undo records' checks that a file is still the one a repair wrote.
// One implementation for both builds, so that a record made by one reads the same in the other.
#pragma once

#include <string>
#include <string_view>

namespace nq {

// The digest of `bytes` as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace nq
