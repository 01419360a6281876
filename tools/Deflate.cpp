// Deflate.cpp -- zlib-wrapped deflate: greedy LZ77 over a 32 KB window with hash chains, then dynamic
// Huffman blocks whose code lengths are kept within deflate's limits. Every choice is fixed (no clock,
// no memory addresses), so the same input gives the same bytes everywhere.
#include "Deflate.h"

#include <algorithm>
#include <functional>
#include <queue>

namespace {

const int LEN_BASE[29] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115,
                          131, 163, 195, 227, 258};
const int LEN_EXTRA[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const int DIST_BASE[30] = {1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513, 769, 1025, 1537,
                           2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const int DIST_EXTRA[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const int CODE_LENGTH_ORDER[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Bits go out least significant first, as deflate packs them.
struct BitWriter {
    std::vector<uint8_t>& out;
    uint32_t pending = 0;
    int count = 0;
    void put(uint32_t value, int bits)
    {
        pending |= value << count;
        for (count += bits; count >= 8; count -= 8) out.push_back((uint8_t)pending), pending >>= 8;
    }
    void flush()
    {
        if (count) out.push_back((uint8_t)pending);
        pending = 0, count = 0;
    }
};

// Huffman code lengths for these frequencies, none longer than `limit`: where the tree grows too
// deep, the frequencies are flattened and the tree built again. Fewer than two symbols in use still
// make a complete code of two one-bit codes.
std::vector<int> codeLengths(std::vector<uint32_t> freq, int limit)
{
    const int n = (int)freq.size();
    std::vector<int> used;
    for (int i = 0; i < n; i++)
        if (freq[i]) used.push_back(i);
    std::vector<int> len(n, 0);
    if (used.size() < 2) {
        int only = used.empty() ? 0 : used[0];
        len[only] = 1;
        len[only == 0 ? 1 : 0] = 1;
        return len;
    }
    for (;;) {
        using Node = std::pair<uint64_t, int>;  // weight, node; ties go to the lower node
        std::priority_queue<Node, std::vector<Node>, std::greater<Node>> heap;
        std::vector<int> parent(n, -1);
        for (int i : used) heap.push({freq[i], i});
        while (heap.size() > 1) {
            Node a = heap.top();
            heap.pop();
            Node b = heap.top();
            heap.pop();
            parent[a.second] = parent[b.second] = (int)parent.size();
            parent.push_back(-1);
            heap.push({a.first + b.first, (int)parent.size() - 1});
        }
        int deepest = 0;
        for (int i : used) {
            len[i] = 0;
            for (int p = parent[i]; p >= 0; p = parent[p]) len[i]++;
            deepest = std::max(deepest, len[i]);
        }
        if (deepest <= limit) return len;
        for (int i : used) freq[i] = (freq[i] + 1) / 2;
    }
}

// Canonical codes for these lengths, bit-reversed ready for the writer.
std::vector<uint32_t> canonicalCodes(const std::vector<int>& len)
{
    int count[16] = {0};
    for (int l : len) count[l]++;
    count[0] = 0;
    uint32_t next[16] = {0}, code = 0;
    for (int bits = 1; bits < 16; bits++) next[bits] = code = (code + count[bits - 1]) << 1;
    std::vector<uint32_t> codes(len.size(), 0);
    for (size_t i = 0; i < len.size(); i++) {
        if (!len[i]) continue;
        uint32_t c = next[len[i]]++, reversed = 0;
        for (int b = 0; b < len[i]; b++) reversed |= ((c >> b) & 1) << (len[i] - 1 - b);
        codes[i] = reversed;
    }
    return codes;
}

struct Symbol {
    int length;  // 0: a literal byte
    int value;   // the byte, or the match's distance
};

int lengthCode(int length)
{
    return (int)(std::upper_bound(LEN_BASE, LEN_BASE + 29, length) - LEN_BASE) - 1;
}
int distanceCode(int distance)
{
    return (int)(std::upper_bound(DIST_BASE, DIST_BASE + 30, distance) - DIST_BASE) - 1;
}

// Greedy LZ77: at each byte the longest earlier match in the window, from at most 128 candidates.
std::vector<Symbol> matches(const std::vector<uint8_t>& d)
{
    const int n = (int)d.size(), window = 32768;
    std::vector<int> head(1 << 15, -1), prev(n, -1);
    auto hash = [&d](int i) { return ((d[i] << 10) ^ (d[i + 1] << 5) ^ d[i + 2]) & 0x7fff; };
    auto insert = [&](int i) {
        if (i + 2 < n) prev[i] = head[hash(i)], head[hash(i)] = i;
    };
    std::vector<Symbol> out;
    for (int i = 0; i < n;) {
        int best = 0, at = 0;
        if (i + 2 < n) {
            int chain = 0;
            for (int j = head[hash(i)]; j >= 0 && i - j <= window && chain < 128; j = prev[j], chain++) {
                int l = 0, most = std::min(258, n - i);
                while (l < most && d[j + l] == d[i + l]) l++;
                if (l > best) best = l, at = j;
                if (l == most) break;
            }
        }
        if (best >= 3) {
            out.push_back({best, i - at});
            for (int k = 0; k < best; k++) insert(i + k);
            i += best;
        } else {
            out.push_back({0, d[i]});
            insert(i++);
        }
    }
    return out;
}

// One dynamic-Huffman block of these symbols.
void writeBlock(BitWriter& bits, const Symbol* sym, size_t count, bool last)
{
    std::vector<uint32_t> litFreq(286, 0), distFreq(30, 0);
    for (size_t i = 0; i < count; i++) {
        if (sym[i].length) litFreq[257 + lengthCode(sym[i].length)]++, distFreq[distanceCode(sym[i].value)]++;
        else litFreq[sym[i].value]++;
    }
    litFreq[256] = 1;
    std::vector<int> litLen = codeLengths(litFreq, 15), distLen = codeLengths(distFreq, 15);
    int hlit = 286, hdist = 30;
    while (hlit > 257 && !litLen[hlit - 1]) hlit--;
    while (hdist > 1 && !distLen[hdist - 1]) hdist--;

    // Both trees' lengths, run-length coded: 16 repeats the last length 3-6 times, 17 and 18 give
    // 3-10 and 11-138 zeros.
    std::vector<int> lengths(litLen.begin(), litLen.begin() + hlit);
    lengths.insert(lengths.end(), distLen.begin(), distLen.begin() + hdist);
    std::vector<int> rle;  // code, extra value (codes 16-18 only)
    for (size_t i = 0; i < lengths.size();) {
        size_t run = 1;
        while (i + run < lengths.size() && lengths[i + run] == lengths[i]) run++;
        size_t left = run;
        if (lengths[i] == 0) {
            while (left >= 11) { size_t k = std::min<size_t>(left, 138); rle.push_back(18), rle.push_back((int)k - 11), left -= k; }
            if (left >= 3) rle.push_back(17), rle.push_back((int)left - 3), left = 0;
        } else {
            rle.push_back(lengths[i]), rle.push_back(0), left--;
            while (left >= 3) { size_t k = std::min<size_t>(left, 6); rle.push_back(16), rle.push_back((int)k - 3), left -= k; }
        }
        for (; left; left--) rle.push_back(lengths[i]), rle.push_back(0);
        i += run;
    }
    std::vector<uint32_t> clFreq(19, 0);
    for (size_t i = 0; i < rle.size(); i += 2) clFreq[rle[i]]++;
    std::vector<int> clLen = codeLengths(clFreq, 7);
    int hclen = 19;
    while (hclen > 4 && !clLen[CODE_LENGTH_ORDER[hclen - 1]]) hclen--;

    bits.put(last, 1);
    bits.put(2, 2);
    bits.put(hlit - 257, 5);
    bits.put(hdist - 1, 5);
    bits.put(hclen - 4, 4);
    for (int i = 0; i < hclen; i++) bits.put(clLen[CODE_LENGTH_ORDER[i]], 3);
    std::vector<uint32_t> clCode = canonicalCodes(clLen), litCode = canonicalCodes(litLen), distCode = canonicalCodes(distLen);
    for (size_t i = 0; i < rle.size(); i += 2) {
        bits.put(clCode[rle[i]], clLen[rle[i]]);
        if (rle[i] >= 16) bits.put(rle[i + 1], rle[i] == 16 ? 2 : rle[i] == 17 ? 3 : 7);
    }
    for (size_t i = 0; i < count; i++) {
        if (!sym[i].length) {
            bits.put(litCode[sym[i].value], litLen[sym[i].value]);
            continue;
        }
        int l = lengthCode(sym[i].length), dc = distanceCode(sym[i].value);
        bits.put(litCode[257 + l], litLen[257 + l]);
        bits.put(sym[i].length - LEN_BASE[l], LEN_EXTRA[l]);
        bits.put(distCode[dc], distLen[dc]);
        bits.put(sym[i].value - DIST_BASE[dc], DIST_EXTRA[dc]);
    }
    bits.put(litCode[256], litLen[256]);
}

}  // namespace

std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> out = {0x78, 0x01};
    std::vector<Symbol> symbols = matches(data);
    BitWriter bits{out};
    const size_t block = 32768;
    for (size_t at = 0; at < symbols.size() || at == 0; at += block) {
        size_t count = std::min(block, symbols.size() - at);
        writeBlock(bits, symbols.data() + at, count, at + block >= symbols.size());
        if (symbols.empty()) break;
    }
    bits.flush();
    uint32_t a = 1, b = 0;
    for (uint8_t c : data) a = (a + c) % 65521, b = (b + a) % 65521;
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((uint8_t)((b << 16 | a) >> shift));
    return out;
}
