// SHA-256 from the platform (BCrypt on Windows, libcrypto elsewhere): the FIPS 180 known answers,
// pieces against one shot, starting afresh after Finish, the hexadecimal text and a 1 GiB stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "runtime/sha256.h"

namespace vlm {
namespace {

std::string HexOf(const std::string& Message) {
  return Sha256Hex(Sha256(Message.data(), Message.size()));
}

// Feeds Message to Hash in pieces whose sizes cycle through Sizes.
void UpdateInPieces(TSha256& Hash, const std::string& Message, const std::vector<size_t>& Sizes) {
  size_t Done = 0;
  for (size_t I = 0; Done < Message.size(); ++I) {
    const size_t Piece = std::min(Sizes[I % Sizes.size()], Message.size() - Done);
    Hash.Update(Message.data() + Done, Piece);
    Done += Piece;
  }
}

struct TKnownAnswer {
  const char* Name;
  std::string Message;
  const char* Digest;
};

// FIPS 180-2, appendix B (and the NIST examples of FIPS 180-4): one block, two blocks (448 bits),
// the 896-bit message and one million 'a'.
const std::vector<TKnownAnswer>& KnownAnswers() {
  static const std::vector<TKnownAnswer> Answers = {
      {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"448 bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"896 bits",
       "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmn"
       "opqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {"one million a", std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  return Answers;
}

TEST(Sha256Test, KnownAnswersInOneShot) {
  for (const TKnownAnswer& Answer : KnownAnswers()) {
    SCOPED_TRACE(Answer.Name);
    EXPECT_EQ(HexOf(Answer.Message), Answer.Digest);
  }
}

TEST(Sha256Test, KnownAnswersInUnevenPieces) {
  // Sizes that straddle the 64-byte block in every way, and empty updates between them.
  const std::vector<size_t> Sizes = {1, 0, 7, 63, 64, 65, 0, 1000, 4093, 65537, 3};
  for (const TKnownAnswer& Answer : KnownAnswers()) {
    SCOPED_TRACE(Answer.Name);
    TSha256 Hash;
    UpdateInPieces(Hash, Answer.Message, Sizes);
    EXPECT_EQ(Sha256Hex(Hash.Finish()), Answer.Digest);
  }
}

TEST(Sha256Test, EveryTwoPieceSplitAndByteByByteEqualOneShot) {
  std::string Message;
  for (int I = 0; I < 300; ++I) Message += static_cast<char>(I * 37 + 11);
  const TSha256Digest OneShot = Sha256(Message.data(), Message.size());
  TSha256 Hash;  // one object throughout: each Finish starts it afresh
  for (size_t Split = 0; Split <= Message.size(); ++Split) {
    SCOPED_TRACE(Split);
    Hash.Update(Message.data(), Split);
    Hash.Update(Message.data() + Split, Message.size() - Split);
    EXPECT_EQ(Hash.Finish(), OneShot);
  }
  for (const char Byte : Message) Hash.Update(&Byte, 1);
  EXPECT_EQ(Hash.Finish(), OneShot);
}

TEST(Sha256Test, FinishStartsAfresh) {
  TSha256 Hash;
  Hash.Update("abc", 3);
  EXPECT_EQ(Sha256Hex(Hash.Finish()), KnownAnswers()[1].Digest);
  // Nothing given since: the digest of no data.
  EXPECT_EQ(Sha256Hex(Hash.Finish()), KnownAnswers()[0].Digest);
  Hash.Update("ab", 2);
  Hash.Update("c", 1);
  EXPECT_EQ(Sha256Hex(Hash.Finish()), KnownAnswers()[1].Digest);
  // An empty update with no data behind it changes nothing.
  Hash.Update(nullptr, 0);
  EXPECT_EQ(Sha256Hex(Hash.Finish()), KnownAnswers()[0].Digest);
}

TEST(Sha256Test, ObjectsAreIndependent) {
  TSha256 First;
  TSha256 Second;
  First.Update("ab", 2);
  Second.Update("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 56);
  First.Update("c", 1);
  EXPECT_EQ(Sha256Hex(Second.Finish()), KnownAnswers()[2].Digest);
  EXPECT_EQ(Sha256Hex(First.Finish()), KnownAnswers()[1].Digest);
}

TEST(Sha256Test, HexIsSixtyFourLowerCaseDigits) {
  TSha256Digest Digest{};
  for (size_t I = 0; I < Digest.size(); ++I) Digest[I] = static_cast<uint8_t>(I * 8 + 0x07);
  Digest[0] = 0x00;
  Digest[31] = 0xFF;
  EXPECT_EQ(Sha256Hex(Digest), "000f171f272f373f474f575f676f777f878f979fa7afb7bfc7cfd7dfe7eff7ff");
  EXPECT_EQ(Sha256Hex(TSha256Digest{}), std::string(64, '0'));
}

// A 1 GiB stream read in 1 MiB blocks, each block generated as it is read: byte j of block i
// (0 <= i < 1024, 0 <= j < 1 MiB) is byte j of i as a little-endian 64-bit number for j < 8, else
// (i + j) mod 256, so that no two blocks are alike. The known answer was computed once outside
// this code base, by coreutils' sha256sum and by python3's hashlib over the same bytes:
//   python3 - <<'EOF' | sha256sum
//   import struct, sys
//   base = bytes(range(256)) * 4097
//   for i in range(1024):
//       sys.stdout.buffer.write(struct.pack('<Q', i) + base[i % 256 + 8 : i % 256 + 2**20])
//   EOF
TEST(Sha256Test, OneGiBStreamInMiBBlocks) {
  constexpr size_t kBlockSize = size_t{1} << 20;
  constexpr uint64_t kBlockCount = 1024;
  // The bytes (i + j) mod 256 of every block are a slice of this table, starting at i mod 256.
  std::vector<uint8_t> Table(kBlockSize + 256);
  for (size_t K = 0; K < Table.size(); ++K) Table[K] = static_cast<uint8_t>(K);
  std::vector<uint8_t> Block(kBlockSize);
  TSha256 Hash;
  for (uint64_t I = 0; I < kBlockCount; ++I) {
    std::memcpy(Block.data(), Table.data() + I % 256, kBlockSize);
    for (int J = 0; J < 8; ++J) Block[J] = static_cast<uint8_t>(I >> (8 * J));
    Hash.Update(Block.data(), Block.size());
  }
  EXPECT_EQ(Sha256Hex(Hash.Finish()),
            "2dc91124bbe98cbff022664d270e2cd388e6aaade6493e755b24ac3e580e5e58");
}

}  // namespace
}  // namespace vlm
