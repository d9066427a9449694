// SHA-256 against the published test vectors (FIPS 180-2, appendix B) and the padding's edges.
#include <gtest/gtest.h>

#include <string>

#include "services/Sha256.h"

namespace {

TEST(Sha256, PublishedVectorsAndBlockEdges) {
  const struct {
    std::string message;
    const char* digest;
  } kCases[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",  // 448 bits: the length needs a second block
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(nq::Sha256Hex(c.message), c.digest) << c.message.size() << " bytes";
  }
}

}  // namespace
