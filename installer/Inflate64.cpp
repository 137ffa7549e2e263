#include "installer/Inflate64.h"

#include <array>
#include <cstring>
#include <string>

// Written from RFC 1951 (sections 3.2.3-3.2.7: block types, the canonical Huffman codes, the
// length and distance tables, the code-length code) and Deflate64's changes to it as
// PKWARE's APPNOTE (method 9, "Enhanced Deflating") and the format's readers describe them:
// a 65,536-byte window, length code 285 meaning 3 + a 16-bit extra value (up to 65,538), and
// distance codes 30 and 31 (base 32,769 and 49,153, 14 extra bits each).

namespace fx {

namespace {

constexpr unsigned kFastBits = 10;
constexpr std::size_t kChunk = 256 * 1024;  // output handed on in pieces of about this size

constexpr std::array<std::uint16_t, 29> kLengthBase{3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                    15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                    67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 32> kDistBase{
    1,    2,    3,    4,    5,    7,     9,     13,    17,    25,   33,
    49,   65,   97,   129,  193,  257,   385,   513,   769,   1025, 1537,
    2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr std::array<std::uint8_t, 32> kDistExtra{0,  0,  0,  0,  1,  1,  2,  2,  3,  3, 4,
                                                  4,  5,  5,  6,  6,  7,  7,  8,  8,  9, 9,
                                                  10, 10, 11, 11, 12, 12, 13, 13, 14, 14};
// The order the code-length code's lengths come in (RFC 1951 3.2.7).
constexpr std::array<std::uint8_t, 19> kCodeOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                  11, 4,  12, 3, 13, 2, 14, 1, 15};

// A canonical Huffman code: counts per length and symbols in code order (as RFC 1951's
// construction), and a table of the codes up to kFastBits long, indexed by the next bits
// of the stream as they come (least significant first).
struct THuffman {
  std::array<std::uint16_t, 16> Count{};
  std::array<std::uint16_t, 320> Symbol{};
  std::array<std::uint16_t, 1u << kFastBits> Fast{};  // symbol << 4 | length; 0 = longer code

  void Build(const std::uint8_t* lengths, unsigned n) {
    Count.fill(0);
    Fast.fill(0);
    for (unsigned s = 0; s < n; ++s)
      ++Count[lengths[s]];
    Count[0] = 0;
    int left = 1;
    for (unsigned len = 1; len < 16; ++len) {
      left <<= 1;
      left -= Count[len];
      if (left < 0) throw EInflate("bad compressed data: an over-subscribed code");
    }
    std::array<std::uint16_t, 16> offset{};
    for (unsigned len = 1; len < 15; ++len)
      offset[len + 1] = offset[len] + Count[len];
    for (unsigned s = 0; s < n; ++s)
      if (lengths[s] != 0) Symbol[offset[lengths[s]]++] = static_cast<std::uint16_t>(s);
    // The fast table: walk the codes in canonical order.
    unsigned code = 0, index = 0;
    for (unsigned len = 1; len <= kFastBits; ++len) {
      for (unsigned i = 0; i < Count[len]; ++i, ++code, ++index) {
        unsigned reversed = 0;
        for (unsigned b = 0; b < len; ++b)
          reversed |= ((code >> b) & 1u) << (len - 1 - b);
        for (unsigned fill = reversed; fill < (1u << kFastBits); fill += 1u << len)
          Fast[fill] = static_cast<std::uint16_t>(Symbol[index] << 4 | len);
      }
      code <<= 1;
    }
  }
};

}  // namespace

struct TInflater::TState {
  enum class TStep { Header, Stored, StoredCopy, Codes, Done };

  bool Deflate64;
  std::uint64_t MaxOutput;
  TSink Sink;
  std::size_t WindowSize;

  std::string In;  // input not yet consumed
  std::size_t InPos = 0;
  std::uint64_t Bits = 0;
  unsigned BitCount = 0;

  std::string Out;  // the window's history, then output not yet handed on
  std::size_t OutFlushed = 0;
  std::uint64_t Produced = 0;

  TStep Step = TStep::Header;
  bool Last = false;
  std::uint32_t StoredLeft = 0;
  THuffman Lit, Dist;

  TState(bool d64, std::uint64_t max, TSink sink)
      : Deflate64(d64), MaxOutput(max), Sink(std::move(sink)), WindowSize(d64 ? 65536 : 32768) {
    Out.reserve(WindowSize + kChunk + 65538);
  }

  bool Need(unsigned n) {
    while (BitCount < n) {
      if (InPos == In.size()) return false;
      Bits |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(In[InPos++])) << BitCount;
      BitCount += 8;
    }
    return true;
  }
  std::uint32_t Take(unsigned n) {
    const auto v = static_cast<std::uint32_t>(Bits & ((std::uint64_t{1} << n) - 1));
    Bits >>= n;
    BitCount -= n;
    return v;
  }

  struct TMark {
    std::size_t InPos;
    std::uint64_t Bits;
    unsigned BitCount;
  };
  TMark Mark() const { return {InPos, Bits, BitCount}; }
  void Back(const TMark& m) {
    InPos = m.InPos;
    Bits = m.Bits;
    BitCount = m.BitCount;
  }

  // One symbol of `h`; -1 when the input ends first.
  int Decode(const THuffman& h) {
    Need(kFastBits);  // as many as there are
    if (BitCount >= kFastBits || BitCount > 0) {
      const std::uint16_t e = h.Fast[Bits & ((1u << kFastBits) - 1)];
      if (e != 0 && (e & 15u) <= BitCount) {
        Take(e & 15u);
        return e >> 4;
      }
    }
    // Bit by bit, as RFC 1951's canonical codes are defined (long codes, short input).
    int code = 0, first = 0, index = 0;
    for (unsigned len = 1; len < 16; ++len) {
      if (!Need(len)) return -1;
      code |= static_cast<int>((Bits >> (len - 1)) & 1u);
      const int count = h.Count[len];
      if (code - count < first) {
        Take(len);
        return h.Symbol[index + (code - first)];
      }
      index += count;
      first += count;
      first <<= 1;
      code <<= 1;
    }
    throw EInflate("bad compressed data: a code not in the table");
  }

  void Put(char c) {
    if (++Produced > MaxOutput) throw EInflate("more data than the entry declares");
    Out.push_back(c);
  }
  void Copy(std::size_t distance, std::size_t length) {
    if (distance > Out.size()) throw EInflate("bad compressed data: a distance too far back");
    Produced += length;
    if (Produced > MaxOutput) throw EInflate("more data than the entry declares");
    std::size_t from = Out.size() - distance;
    if (distance >= length) {
      Out.append(Out, from, length);
    } else {
      for (std::size_t i = 0; i < length; ++i)
        Out.push_back(Out[from + i]);
    }
  }
  void Flush(bool all) {
    if (Out.size() - OutFlushed < kChunk && !all) return;
    if (Out.size() > OutFlushed)
      Sink(std::string_view(Out).substr(OutFlushed, Out.size() - OutFlushed));
    if (Out.size() > WindowSize) Out.erase(0, Out.size() - WindowSize);
    OutFlushed = Out.size();
  }

  bool Header();
  bool Tables();
  bool Codes();
  void Run();
};

bool TInflater::TState::Header() {
  const TMark start = Mark();
  if (!Need(3)) return false;
  Last = Take(1) != 0;
  switch (Take(2)) {
    case 0: {
      Take(BitCount % 8);  // to the byte boundary
      if (!Need(32)) return Back(start), false;
      const std::uint32_t len = Take(16), nlen = Take(16);
      if ((len ^ 0xffffu) != nlen) throw EInflate("bad compressed data: a stored block's length");
      StoredLeft = len;
      Step = TStep::StoredCopy;
      return true;
    }
    case 1: {
      std::array<std::uint8_t, 320> lengths{};
      for (unsigned s = 0; s < 288; ++s)
        lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
      Lit.Build(lengths.data(), 288);
      for (unsigned s = 0; s < 32; ++s)
        lengths[s] = 5;
      Dist.Build(lengths.data(), 32);
      Step = TStep::Codes;
      return true;
    }
    case 2:
      if (!Tables()) return Back(start), false;
      Step = TStep::Codes;
      return true;
    default:
      throw EInflate("bad compressed data: block type 3");
  }
}

bool TInflater::TState::Tables() {
  if (!Need(14)) return false;
  const unsigned nlen = Take(5) + 257, ndist = Take(5) + 1, ncode = Take(4) + 4;
  if (nlen > 286 || ndist > (Deflate64 ? 32u : 30u))
    throw EInflate("bad compressed data: too many length or distance codes");
  std::array<std::uint8_t, 320> lengths{};
  for (unsigned i = 0; i < ncode; ++i) {
    if (!Need(3)) return false;
    lengths[kCodeOrder[i]] = static_cast<std::uint8_t>(Take(3));
  }
  THuffman codeCode;
  codeCode.Build(lengths.data(), 19);
  lengths.fill(0);
  for (unsigned i = 0; i < nlen + ndist;) {
    const int symbol = Decode(codeCode);
    if (symbol < 0) return false;
    if (symbol < 16) {
      lengths[i++] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    unsigned repeat = 0;
    std::uint8_t value = 0;
    if (symbol == 16) {
      if (i == 0) throw EInflate("bad compressed data: a repeat with nothing before it");
      if (!Need(2)) return false;
      value = lengths[i - 1];
      repeat = 3 + Take(2);
    } else if (symbol == 17) {
      if (!Need(3)) return false;
      repeat = 3 + Take(3);
    } else {
      if (!Need(7)) return false;
      repeat = 11 + Take(7);
    }
    if (i + repeat > nlen + ndist) throw EInflate("bad compressed data: too many code lengths");
    while (repeat-- > 0)
      lengths[i++] = value;
  }
  if (lengths[256] == 0) throw EInflate("bad compressed data: no end-of-block code");
  Lit.Build(lengths.data(), nlen);
  Dist.Build(lengths.data() + nlen, ndist);
  return true;
}

bool TInflater::TState::Codes() {
  for (;;) {
    const TMark start = Mark();
    const int symbol = Decode(Lit);
    if (symbol < 0) return false;
    if (symbol < 256) {
      Put(static_cast<char>(symbol));
      Flush(false);
      continue;
    }
    if (symbol == 256) {
      Step = Last ? TStep::Done : TStep::Header;
      return true;
    }
    const unsigned code = static_cast<unsigned>(symbol) - 257;
    if (code >= 29) throw EInflate("bad compressed data: length code " + std::to_string(symbol));
    const bool long285 = Deflate64 && code == 28;
    const unsigned extra = long285 ? 16 : kLengthExtra[code];
    if (!Need(extra)) return Back(start), false;
    const std::size_t length = (long285 ? 3 : kLengthBase[code]) + Take(extra);
    const int dsym = Decode(Dist);
    if (dsym < 0) return Back(start), false;
    if (dsym >= (Deflate64 ? 32 : 30))
      throw EInflate("bad compressed data: distance code " + std::to_string(dsym));
    if (!Need(kDistExtra[dsym])) return Back(start), false;
    const std::size_t distance = kDistBase[dsym] + Take(kDistExtra[dsym]);
    Copy(distance, length);
    Flush(false);
  }
}

void TInflater::TState::Run() {
  for (bool more = true; more;) {
    switch (Step) {
      case TStep::Header:
        more = Header();
        break;
      case TStep::StoredCopy: {
        // Whole bytes still in the bit buffer come first.
        while (StoredLeft > 0 && BitCount >= 8) {
          Put(static_cast<char>(Take(8)));
          --StoredLeft;
        }
        const std::size_t n = std::min<std::size_t>(StoredLeft, In.size() - InPos);
        if (Produced + n > MaxOutput) throw EInflate("more data than the entry declares");
        for (std::size_t done = 0; done < n;) {
          const std::size_t piece = std::min(n - done, kChunk);
          Out.append(In, InPos + done, piece);
          Produced += piece;
          done += piece;
          Flush(false);
        }
        InPos += n;
        StoredLeft -= static_cast<std::uint32_t>(n);
        if (StoredLeft == 0)
          Step = Last ? TStep::Done : TStep::Header;
        else
          more = false;
        break;
      }
      case TStep::Codes:
        more = Codes();
        break;
      case TStep::Stored:
      case TStep::Done:
        more = false;
        break;
    }
  }
}

TInflater::TInflater(bool deflate64, std::uint64_t maxOutput, TSink sink)
    : S_(std::make_unique<TState>(deflate64, maxOutput, std::move(sink))) {}

TInflater::~TInflater() = default;

void TInflater::Feed(std::string_view bytes) {
  TState& s = *S_;
  if (s.Step == TState::TStep::Done) return;
  s.In.erase(0, s.InPos);
  s.InPos = 0;
  s.In.append(bytes);
  s.Run();
  s.Flush(s.Step == TState::TStep::Done || s.InPos == s.In.size());
}

bool TInflater::Finished() const {
  return S_->Step == TState::TStep::Done;
}
std::uint64_t TInflater::Produced() const {
  return S_->Produced;
}

}  // namespace fx
