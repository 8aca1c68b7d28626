#include "transport/comp.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

// A container around the zlib stream of `raw`, declaring `declared` bytes
// (by default its own size).
std::string MakeContainer(const std::string& raw, int64_t declared = -1) {
  uLongf size = compressBound(raw.size());
  std::string out(8 + size, '\0');
  compress2(reinterpret_cast<Bytef*>(&out[8]), &size, reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 9);
  out.resize(8 + size);
  out.replace(0, 4, "COMP");
  if (declared < 0) declared = raw.size();
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<char>(declared >> (8 * i));
  return out;
}

// Both ways of inflating: the whole into one block, and piece by piece
// through one reused buffer, which must agree on every container. The
// bytes, or nothing where it failed.
std::optional<std::string> InflateOnce(const std::string& container) {
  std::string pieces;
  auto append = [](const unsigned char* bytes, uint32_t size, void* context) {
    static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(bytes), size);
    return true;
  };
  bool piecewise = InflateCompPieces(container.data(), static_cast<uint32_t>(container.size()), append, &pieces);
  unsigned char* block = static_cast<unsigned char*>(std::malloc(container.size() ? container.size() : 1));
  std::memcpy(block, container.data(), container.size());
  uint32_t length = 0;
  unsigned char* result = InflateComp(block, static_cast<uint32_t>(container.size()), &length);
  auto outcome = result ? std::make_optional<std::string>(reinterpret_cast<char*>(result), length) : std::nullopt;
  std::free(result);
  EXPECT_TRUE(!IsCompContainer(container.data(), static_cast<uint32_t>(container.size())) ||
              (piecewise == outcome.has_value() && (!piecewise || pieces == *outcome)))
      << container.size();
  return outcome;
}

std::string Pattern(size_t size) {
  std::string raw(size, '\0');
  for (size_t i = 0; i < size; ++i) raw[i] = static_cast<char>((i * 7919) >> 3);
  return raw;
}

TEST(Comp, ContainersInflateExactly) {
  for (size_t size : {0u, 70000u, 3346503u})
    EXPECT_TRUE(InflateOnce(MakeContainer(Pattern(size))) == Pattern(size)) << size;
  // Too short for a header: passed through (plain payloads show end to end).
  EXPECT_EQ(InflateOnce(std::string("COMP\x01\x02\x03", 7)).value_or("failed"), std::string("COMP\x01\x02\x03", 7));
  EXPECT_EQ(InflateComp(nullptr, 0, nullptr), nullptr);
}

TEST(Comp, WrongSizesDamageAndImpossibleSizesFail) {
  const std::string raw = Pattern(5000);
  std::string damaged = MakeContainer(raw);
  damaged[damaged.size() / 2] ^= 0x55;
  damaged[damaged.size() - 1] ^= 0x55;
  const std::string cases[] = {
      MakeContainer(raw, 5001),  // ends normally, one byte short
      MakeContainer(raw, 4999),  // one or two bytes long fit the spare capacity...
      MakeContainer(raw, 4998),
      MakeContainer(raw, 4997),  // ...three overflow it
      damaged,
      MakeContainer(raw).substr(0, 40),
      // Sizes no stream of this length can have allocate nothing.
      MakeContainer("tiny", 0xFFFFFFFFu),
      MakeContainer("tiny", 400000000u),
  };
  for (const std::string& container : cases) EXPECT_FALSE(InflateOnce(container).has_value()) << container.size();
  // A piece its receiver refuses ends the inflating as a failure.
  const std::string large = MakeContainer(Pattern(200000));
  int told = 0;
  EXPECT_FALSE(InflateCompPieces(large.data(), static_cast<uint32_t>(large.size()),
                                 [](const unsigned char*, uint32_t, void* count) { return ++*static_cast<int*>(count) < 2; },
                                 &told));
  EXPECT_EQ(told, 2);
}

}  // namespace
