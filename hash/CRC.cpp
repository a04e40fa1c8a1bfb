#include "hash/CRC.h"

#include "hash/CRCFold.h"
#include "hash/CRCPaths.h"
#include "hash/CpuFeatures.h"

#include <cstring>
#include <iterator>

namespace {

// The reader loop's buffer and largest request.
constexpr uint32_t ReaderChunk = 2048;
// Below these sizes the slice tables and the folding set-up cost more than they save.
constexpr size_t SliceMin = 256;
constexpr size_t FoldMin = 64;

uint32_t ReverseBits(uint32_t value, uint32_t width) {
    uint32_t r = 0;
    for (uint32_t i = 0; i < width; ++i, value >>= 1)
        r = (r << 1) | (value & 1);
    return r;
}

uint32_t LoadLE32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint32_t LoadBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// The table is linear in its index, so the eight single-bit entries determine all others.
void BuildTable(CRCState& s, uint32_t reflectedPoly, uint32_t alignedPoly) {
    s.Table[0] = 0;
    for (uint32_t bit = 1; bit < 256; bit <<= 1) {
        uint32_t v;
        if (s.Reflected) {
            v = bit;
            for (int i = 0; i < 8; ++i)
                v = (v & 1) ? (v >> 1) ^ reflectedPoly : v >> 1;
        } else {
            v = bit << 24;
            for (int i = 0; i < 8; ++i)
                v = (v & 0x80000000u) ? (v << 1) ^ alignedPoly : v << 1;
            v >>= 32 - s.Width;
        }
        s.Table[bit] = v;
        for (uint32_t j = 1; j < bit; ++j)
            s.Table[bit + j] = v ^ s.Table[j];
    }
}

// A reflected CRC of width w is the 32-bit reflected CRC modulo x^(32-w) * (x^w + P): same table,
// same register. So one set of 32-bit constants serves every reflected width.
void BuildFoldConstants(CRCState& s, uint32_t reflectedPoly, uint32_t alignedPoly) {
    // Multiplying by x^32 modulo P is running the register over four zero bytes.
    auto times32 = [&s](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            v = (v >> 8) ^ s.Table[v & 0xFF];
        return v;
    };
    uint32_t v = times32(1); // x^31 * x^32
    s.Reduce[1] = v;
    v = times32(v);
    s.Reduce[0] = v;
    // v runs through x^(95 + 64j): alternately x^(128k-33) and x^(128k+31).
    for (int j = 0; j < 32; ++j) {
        if (j % 2 == 0)
            s.Fold[j / 2][1] = v;
        else
            s.Fold[j / 2][0] = v;
        v = times32(times32(v));
    }

    // Barrett quotient x^64 div P, with P = x^32 + alignedPoly.
    const uint64_t full = (uint64_t{1} << 32) | alignedPoly;
    uint64_t rem = uint64_t{alignedPoly} << 32;
    uint64_t quotient = uint64_t{1} << 32;
    for (int i = 63; i >= 32; --i) {
        if ((rem >> i) & 1) {
            quotient |= uint64_t{1} << (i - 32);
            rem ^= full << (i - 32);
        }
    }
    uint64_t mu = 0;
    for (int i = 0; i <= 32; ++i)
        mu |= ((quotient >> i) & 1) << (32 - i);
    s.Barrett[0] = mu;
    s.Barrett[1] = (uint64_t{reflectedPoly} << 1) | 1;
}

void BuildSlices(CRCState& s) {
    if (s.Reflected) {
        std::memcpy(s.Slice[0], s.Table, sizeof s.Table);
        for (int k = 1; k < 8; ++k)
            for (int i = 0; i < 256; ++i)
                s.Slice[k][i] = (s.Slice[k - 1][i] >> 8) ^ s.Table[s.Slice[k - 1][i] & 0xFF];
    } else {
        for (int i = 0; i < 256; ++i)
            s.Slice[0][i] = s.Table[i] << (32 - s.Width);
        for (int k = 1; k < 8; ++k)
            for (int i = 0; i < 256; ++i)
                s.Slice[k][i] = (s.Slice[k - 1][i] << 8) ^ s.Slice[0][s.Slice[k - 1][i] >> 24];
    }
    s.SliceReady = 1;
}

uint32_t BytewiseRun(const CRCState& s, uint32_t reg, const uint8_t* p, size_t n) {
    if (s.Reflected) {
        for (; n != 0; --n, ++p)
            reg = (reg >> 8) ^ s.Table[(reg ^ *p) & 0xFF];
    } else {
        // Bits above the width are left in place: they never reach the index, and Mask drops them.
        for (; n != 0; --n, ++p)
            reg = (reg << 8) ^ s.Table[((reg >> s.Shift) ^ *p) & 0xFF];
    }
    return reg;
}

uint32_t SliceRun(CRCState& s, uint32_t reg, const uint8_t* p, size_t n) {
    if (n < SliceMin && !s.SliceReady)
        return BytewiseRun(s, reg, p, n);
    if (!s.SliceReady)
        BuildSlices(s);
    const auto& t = s.Slice;
    if (s.Reflected) {
        for (; n >= 8; n -= 8, p += 8) {
            const uint32_t a = LoadLE32(p) ^ reg;
            const uint32_t b = LoadLE32(p + 4);
            reg = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^
                  t[3][b & 0xFF] ^ t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
        }
        return BytewiseRun(s, reg, p, n);
    }
    // Work left-aligned, which drops the bits above the width; the last four or more bytes go
    // byte by byte from the clean register and so rebuild exactly the bits the byte loop leaves
    // there (they come from the last three bytes at most).
    if (n < 12)
        return BytewiseRun(s, reg, p, n);
    const uint32_t align = 32 - s.Width;
    uint32_t r = reg << align;
    for (; n >= 12; n -= 8, p += 8) {
        const uint32_t a = LoadBE32(p) ^ r;
        const uint32_t b = LoadBE32(p + 4);
        r = t[7][a >> 24] ^ t[6][(a >> 16) & 0xFF] ^ t[5][(a >> 8) & 0xFF] ^ t[4][a & 0xFF] ^
            t[3][b >> 24] ^ t[2][(b >> 16) & 0xFF] ^ t[1][(b >> 8) & 0xFF] ^ t[0][b & 0xFF];
    }
    return BytewiseRun(s, r >> align, p, n);
}

void FeedBytewise(CRCState& s, const uint8_t* p, size_t n) {
    s.Register = BytewiseRun(s, s.Register, p, n);
}

void FeedSlice(CRCState& s, const uint8_t* p, size_t n) {
    s.Register = SliceRun(s, s.Register, p, n);
}

#if defined(CORVANTH_CRC_FOLD_X86)
template <uint32_t (*Kernel)(const CRCState&, uint32_t, const uint8_t*, size_t)>
void FeedFolding(CRCState& s, const uint8_t* p, size_t n) {
    if (!s.Reflected || n < FoldMin) {
        FeedSlice(s, p, n);
        return;
    }
    const size_t body = n & ~size_t{15};
    const uint32_t reg = Kernel(s, s.Register, p, body);
    s.Register = BytewiseRun(s, reg, p + body, n - body);
}
#endif

struct TPathList {
    TCRCPath Items[4];
    size_t Count = 0;
};

TPathList AvailablePaths() {
    TPathList list;
    list.Items[list.Count++] = {"bytewise", FeedBytewise};
    list.Items[list.Count++] = {"slice8", FeedSlice};
#if defined(CORVANTH_CRC_FOLD_X86)
    const TCpuFeatures& cpu = CpuFeatures();
    if (cpu.SSE41 && cpu.PCLMUL)
        list.Items[list.Count++] = {"clmul", FeedFolding<CRCFoldClmul>};
    if (cpu.SSE41 && cpu.PCLMUL && cpu.VPCLMUL && cpu.AVX512 && cpu.BMI2)
        list.Items[list.Count++] = {"vpclmul512", FeedFolding<CRCFoldVpclmul>};
#endif
    return list;
}

const TPathList& Paths() {
    static const TPathList list = AvailablePaths();
    return list;
}

uint32_t Finished(const CRCState& s) {
    return (s.Register ^ s.FinalXor) & s.Mask;
}

} // namespace

std::span<const TCRCPath> CRCPaths() {
    return {Paths().Items, Paths().Count};
}

const TCRCPath& CRCActivePath() {
    static const TCRCPath& active = Paths().Items[Paths().Count - 1];
    return active;
}

bool CRCPrepare(CRCState& state, uint32_t polynomial, uint32_t width, uint32_t initValue,
                uint32_t finalXor, uint32_t reflected) {
    if (width < 8 || width > 32)
        return false;
    state.Polynomial = polynomial;
    state.Width = width;
    state.InitValue = initValue;
    state.FinalXor = finalXor;
    state.Reflected = reflected;
    state.Register = initValue;
    state.Shift = width - 8;
    state.Mask = 0xFFFFFFFFu >> (32 - width);

    const uint32_t reflectedPoly = ReverseBits(polynomial & state.Mask, width);
    const uint32_t alignedPoly = (polynomial & state.Mask) << (32 - width);
    BuildTable(state, reflectedPoly, alignedPoly);

    std::memset(state.Fold, 0, sizeof state.Fold);
    std::memset(state.Reduce, 0, sizeof state.Reduce);
    std::memset(state.Barrett, 0, sizeof state.Barrett);
    if (reflected)
        BuildFoldConstants(state, reflectedPoly, alignedPoly);
    state.SliceReady = 0;
    return true;
}

bool CRCPrepareKind(CRCState& state, CRCKind kind) {
    if (kind >= std::size(CRCKindTable))
        return false;
    const uint32_t* row = CRCKindTable[kind];
    return CRCPrepare(state, row[0], row[1], row[2], row[3], row[4]);
}

uint32_t CRCFeed(CRCState& state, const void* data, uint32_t count) {
    if (count != 0 && data != nullptr)
        CRCActivePath().Feed(state, static_cast<const uint8_t*>(data), count);
    return Finished(state);
}

uint32_t CRCFeedFromReader(CRCState& state, uint64_t total, CRCReader reader) {
    uint8_t buffer[ReaderChunk];
    uint64_t remaining = total;
    uint32_t result;
    do {
        const uint32_t wanted = remaining < ReaderChunk ? uint32_t(remaining) : ReaderChunk;
        uint32_t delivered = reader(buffer, wanted);
        // Never hash past what was asked for, whatever the reader claims.
        if (delivered > wanted)
            delivered = wanted;
        result = CRCFeed(state, buffer, delivered);
        remaining -= delivered;
        if (delivered == 0)
            break;
    } while (remaining != 0);
    return result;
}

uint32_t CRCOfBuffer(CRCKind kind, const void* data, uint32_t count) {
    CRCState state;
    if (!CRCPrepareKind(state, kind))
        return 0;
    return CRCFeed(state, data, count);
}

uint32_t CRCOfReader(CRCKind kind, uint64_t total, CRCReader reader) {
    CRCState state;
    if (!CRCPrepareKind(state, kind))
        return 0;
    return CRCFeedFromReader(state, total, reader);
}
