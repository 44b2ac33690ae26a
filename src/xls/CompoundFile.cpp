#include "CompoundFile.h"

#include <algorithm>

namespace xls::detail {

namespace {

constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
constexpr std::uint32_t kDifSect = 0xFFFFFFFC;
constexpr std::uint32_t kMaxRegSect = 0xFFFFFFFA;
constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::size_t kMiniCutoff = 4096;

char16_t upper16(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return char16_t(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return char16_t(c - 32);
    return c;
}

class Parser {
public:
    explicit Parser(std::span<const std::uint8_t> f) : m_f(f) {}

    CompoundFile run()
    {
        if (m_f.size() < 512)
            throw Malformed("not a compound file (too short)");
        if (!std::equal(kSignature, kSignature + 8, m_f.data()))
            throw Malformed("not a compound file");
        const std::uint8_t *h = m_f.data();
        if (rd16(h + 0x1C) != 0xFFFE)
            throw Malformed("compound file with an unknown byte order");
        const unsigned shift = rd16(h + 0x1E);
        if (shift != 9 && shift != 12)
            throw Malformed("compound file with an unsupported sector size");
        if (rd16(h + 0x20) != 6)
            throw Malformed("compound file with an unsupported mini sector size");
        m_ss = std::size_t(1) << shift;
        if (m_f.size() < m_ss)
            throw Malformed("compound file truncated inside its header");
        m_sectors = (m_f.size() - m_ss + m_ss - 1) / m_ss;
        const std::uint32_t numFat = rd32(h + 0x2C);
        const std::uint32_t firstDir = rd32(h + 0x30);
        const std::uint32_t cutoff = rd32(h + 0x38);
        if (cutoff != kMiniCutoff)
            throw Malformed("compound file with an unsupported mini stream cutoff");
        const std::uint32_t firstMiniFat = rd32(h + 0x3C);
        std::uint32_t firstDifat = rd32(h + 0x44);
        const std::uint32_t numDifat = rd32(h + 0x48);
        if (numFat > m_sectors || numDifat > m_sectors)
            throw Malformed("compound file header counts more sectors than the file holds");

        // FAT sector numbers: 109 in the header, the rest in the DIFAT chain.
        std::vector<std::uint32_t> fatSectors;
        for (int i = 0; i < 109 && fatSectors.size() < numFat; ++i)
            fatSectors.push_back(rd32(h + 0x4C + 4 * i));
        std::vector<bool> seenDifat(m_sectors, false);
        const std::size_t perDifat = m_ss / 4 - 1;
        while (fatSectors.size() < numFat) {
            if (firstDifat >= m_sectors || seenDifat[firstDifat])
                throw Malformed("compound file with a broken DIFAT chain");
            seenDifat[firstDifat] = true;
            const Bytes s = sector(firstDifat);
            for (std::size_t i = 0; i < perDifat && fatSectors.size() < numFat; ++i)
                fatSectors.push_back(rd32(s.data() + 4 * i));
            firstDifat = rd32(s.data() + 4 * perDifat);
        }
        m_fat.reserve(fatSectors.size() * (m_ss / 4));
        for (std::uint32_t fs : fatSectors) {
            if (fs >= m_sectors)
                throw Malformed("compound file truncated (a FAT sector lies beyond its end)");
            const Bytes s = sector(fs);
            for (std::size_t i = 0; i < m_ss / 4; ++i)
                m_fat.push_back(rd32(s.data() + 4 * i));
        }

        CompoundFile cf;
        const Bytes dir = chain(firstDir, m_fat, false, std::size_t(-1));
        const std::size_t count = dir.size() / 128;
        if (count == 0)
            throw Malformed("compound file without a directory");
        cf.entries.resize(count);
        std::vector<std::uint32_t> starts(count);
        std::vector<std::uint64_t> sizes(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t *e = dir.data() + 128 * i;
            CfbEntry &en = cf.entries[i];
            en.type = e[0x42];
            if (en.type != 0 && en.type != 1 && en.type != 2 && en.type != 5)
                throw Malformed("compound file directory entry of an unknown type");
            if (en.type == 0)
                continue;
            unsigned nameLen = rd16(e + 0x40);
            if (nameLen > 64 || nameLen % 2)
                throw Malformed("compound file directory entry with a bad name length");
            for (unsigned k = 0; k + 2 < nameLen + 1 && k + 1 < 64; k += 2) {
                char16_t c = char16_t(rd16(e + k));
                if (c == 0)
                    break;
                en.name.push_back(c);
            }
            en.color = e[0x43];
            en.left = rd32(e + 0x44);
            en.right = rd32(e + 0x48);
            en.child = rd32(e + 0x4C);
            std::copy(e + 0x50, e + 0x60, en.clsid.begin());
            en.stateBits = rd32(e + 0x60);
            std::copy(e + 0x64, e + 0x74, en.times.begin());
            starts[i] = rd32(e + 0x74);
            sizes[i] = m_ss == 512 ? rd32(e + 0x78) : (std::uint64_t(rd32(e + 0x7C)) << 32 | rd32(e + 0x78));
        }
        if (cf.entries[0].type != 5)
            throw Malformed("compound file without a root entry");

        Bytes ministream;
        std::vector<std::uint32_t> minifat;
        bool needMini = false;
        for (std::size_t i = 1; i < count; ++i)
            if (cf.entries[i].type == 2 && sizes[i] > 0 && sizes[i] < kMiniCutoff)
                needMini = true;
        if (needMini) {
            if (sizes[0] > m_f.size())
                throw Malformed("compound file mini stream is larger than the file");
            ministream = chain(starts[0], m_fat, false, std::size_t(sizes[0]));
            const Bytes mf = chain(firstMiniFat, m_fat, false, std::size_t(-1));
            for (std::size_t i = 0; i + 4 <= mf.size(); i += 4)
                minifat.push_back(rd32(mf.data() + i));
        }
        for (std::size_t i = 1; i < count; ++i) {
            CfbEntry &en = cf.entries[i];
            if (en.type != 2 || sizes[i] == 0)
                continue;
            if (sizes[i] < kMiniCutoff) {
                en.data = miniChain(starts[i], minifat, ministream, std::size_t(sizes[i]));
            } else {
                if (sizes[i] > m_f.size())
                    throw Malformed("compound file stream is larger than the file");
                en.data = chain(starts[i], m_fat, false, std::size_t(sizes[i]));
            }
        }
        return cf;
    }

private:
    Bytes sector(std::uint32_t s) const
    {
        const std::size_t off = (std::size_t(s) + 1) * m_ss;
        if (s >= m_sectors || off >= m_f.size())
            throw Malformed("compound file truncated (sector beyond the end)");
        Bytes b(m_ss, 0);
        const std::size_t n = std::min(m_ss, m_f.size() - off);
        std::copy(m_f.data() + off, m_f.data() + off + n, b.begin());
        return b;
    }

    // Follows a FAT chain; `size` = bytes wanted (-1: the whole chain).
    Bytes chain(std::uint32_t start, const std::vector<std::uint32_t> &fat, bool, std::size_t size) const
    {
        Bytes out;
        if (size != std::size_t(-1))
            out.reserve(size);
        std::vector<bool> seen(m_sectors, false);
        std::uint32_t s = start;
        while (s != kEnd) {
            if (size != std::size_t(-1) && out.size() >= size)
                break;
            if (s > kMaxRegSect || s >= m_sectors || s >= fat.size() || seen[s])
                throw Malformed("compound file with a broken sector chain");
            seen[s] = true;
            const std::size_t off = (std::size_t(s) + 1) * m_ss;
            if (off >= m_f.size())
                throw Malformed("compound file truncated (sector beyond the end)");
            const std::size_t n = std::min(m_ss, m_f.size() - off);
            out.insert(out.end(), m_f.data() + off, m_f.data() + off + n);
            out.resize(out.size() + (m_ss - n), 0);
            s = fat[s];
        }
        if (size != std::size_t(-1)) {
            if (out.size() < size)
                throw Malformed("compound file truncated (a stream is shorter than its size)");
            out.resize(size);
        }
        return out;
    }

    Bytes miniChain(std::uint32_t start, const std::vector<std::uint32_t> &minifat, const Bytes &ministream,
                    std::size_t size) const
    {
        Bytes out;
        out.reserve(size);
        const std::size_t n = ministream.size() / 64;
        std::vector<bool> seen(n, false);
        std::uint32_t s = start;
        while (out.size() < size) {
            if (s >= n || s >= minifat.size() || seen[s])
                throw Malformed("compound file with a broken mini stream chain");
            seen[s] = true;
            out.insert(out.end(), ministream.begin() + std::ptrdiff_t(s) * 64,
                       ministream.begin() + std::ptrdiff_t(s) * 64 + 64);
            s = minifat[s];
        }
        out.resize(size);
        return out;
    }

    std::span<const std::uint8_t> m_f;
    std::size_t m_ss = 512;
    std::size_t m_sectors = 0;
    std::vector<std::uint32_t> m_fat;
};

} // namespace

CompoundFile CompoundFile::parse(std::span<const std::uint8_t> file)
{
    return Parser(file).run();
}

int CompoundFile::findRootChild(std::u16string_view name) const
{
    if (entries.empty())
        return -1;
    auto eq = [&](const std::u16string &a) {
        if (a.size() != name.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (upper16(a[i]) != upper16(name[i]))
                return false;
        return true;
    };
    // Walk the root's child tree; guard against cycles in a damaged file.
    std::vector<bool> seen(entries.size(), false);
    std::vector<std::uint32_t> stack{entries[0].child};
    while (!stack.empty()) {
        std::uint32_t i = stack.back();
        stack.pop_back();
        if (i >= entries.size() || seen[i])
            continue;
        seen[i] = true;
        const CfbEntry &e = entries[i];
        if (e.type != 0 && eq(e.name))
            return int(i);
        stack.push_back(e.left);
        stack.push_back(e.right);
    }
    return -1;
}

Bytes CompoundFile::serialize() const
{
    constexpr std::size_t ss = 512;
    const std::size_t n = entries.size();
    std::vector<std::uint32_t> start(n, kEnd);
    std::vector<std::uint64_t> size(n, 0);

    // Mini stream: small streams, each padded to 64 bytes.
    Bytes ministream;
    std::vector<std::uint32_t> minifat;
    for (std::size_t i = 1; i < n; ++i) {
        const CfbEntry &e = entries[i];
        if (e.type != 2 || e.data.empty() || e.data.size() >= kMiniCutoff)
            continue;
        const std::size_t first = ministream.size() / 64;
        const std::size_t cnt = (e.data.size() + 63) / 64;
        start[i] = std::uint32_t(first);
        size[i] = e.data.size();
        ministream.insert(ministream.end(), e.data.begin(), e.data.end());
        ministream.resize((first + cnt) * 64, 0);
        for (std::size_t k = 0; k < cnt; ++k)
            minifat.push_back(k + 1 < cnt ? std::uint32_t(first + k + 1) : kEnd);
    }

    // Regular sectors: big streams, mini stream, mini FAT, directory.
    std::vector<std::uint32_t> fat;
    std::vector<const Bytes *> blobs;   // contents to write, in sector order
    std::vector<std::size_t> blobSectors;
    auto place = [&](const Bytes *b, std::size_t bytes) -> std::uint32_t {
        const std::size_t cnt = (bytes + ss - 1) / ss;
        if (cnt == 0)
            return kEnd;
        const std::uint32_t first = std::uint32_t(fat.size());
        for (std::size_t k = 0; k < cnt; ++k)
            fat.push_back(k + 1 < cnt ? std::uint32_t(first + k + 1) : kEnd);
        blobs.push_back(b);
        blobSectors.push_back(cnt);
        return first;
    };
    for (std::size_t i = 1; i < n; ++i) {
        const CfbEntry &e = entries[i];
        if (e.type == 2 && e.data.size() >= kMiniCutoff) {
            start[i] = place(&e.data, e.data.size());
            size[i] = e.data.size();
        }
    }
    if (!ministream.empty()) {
        start[0] = place(&ministream, ministream.size());
        size[0] = ministream.size();
    }
    Bytes minifatBytes;
    for (std::uint32_t v : minifat)
        put32(minifatBytes, v);
    while (minifatBytes.size() % ss)
        put32(minifatBytes, kFree);
    const std::uint32_t firstMiniFat = minifatBytes.empty() ? kEnd : place(&minifatBytes, minifatBytes.size());
    const std::uint32_t numMiniFat = std::uint32_t(minifatBytes.size() / ss);

    Bytes dir;
    const std::size_t dirEntries = (n + 3) / 4 * 4;
    for (std::size_t i = 0; i < dirEntries; ++i) {
        std::uint8_t e[128] = {};
        wr32(e + 0x44, 0xFFFFFFFF);
        wr32(e + 0x48, 0xFFFFFFFF);
        wr32(e + 0x4C, 0xFFFFFFFF);
        if (i < n && entries[i].type != 0) {
            const CfbEntry &en = entries[i];
            const std::size_t len = std::min<std::size_t>(en.name.size(), 31);
            for (std::size_t k = 0; k < len; ++k)
                wr16(e + 2 * k, en.name[k]);
            wr16(e + 0x40, std::uint16_t((len + 1) * 2));
            e[0x42] = en.type;
            e[0x43] = en.color;
            wr32(e + 0x44, en.left);
            wr32(e + 0x48, en.right);
            wr32(e + 0x4C, en.child);
            std::copy(en.clsid.begin(), en.clsid.end(), e + 0x50);
            wr32(e + 0x60, en.stateBits);
            std::copy(en.times.begin(), en.times.end(), e + 0x64);
            if (en.type == 2 || en.type == 5) {
                wr32(e + 0x74, start[i]);
                wr32(e + 0x78, std::uint32_t(size[i]));
            }
        }
        dir.insert(dir.end(), e, e + 128);
    }
    const std::uint32_t firstDir = place(&dir, dir.size());

    // FAT and DIFAT sizes depend on each other and on themselves: iterate to a fixed point.
    const std::size_t data = fat.size();
    std::size_t nFat = 0, nDifat = 0;
    for (;;) {
        const std::size_t total = data + nFat + nDifat;
        const std::size_t needFat = (total + 127) / 128;
        const std::size_t needDifat = needFat > 109 ? (needFat - 109 + 126) / 127 : 0;
        if (needFat == nFat && needDifat == nDifat)
            break;
        nFat = needFat;
        nDifat = needDifat;
    }
    const std::uint32_t firstFat = std::uint32_t(fat.size());
    for (std::size_t k = 0; k < nFat; ++k)
        fat.push_back(kFatSect);
    const std::uint32_t firstDifat = nDifat ? std::uint32_t(fat.size()) : kEnd;
    for (std::size_t k = 0; k < nDifat; ++k)
        fat.push_back(kDifSect);
    const std::size_t totalSectors = fat.size();
    fat.resize(nFat * 128, kFree);

    Bytes out;
    out.reserve((totalSectors + 1) * ss);
    out.resize(ss, 0);
    std::uint8_t *h = out.data();
    std::copy(kSignature, kSignature + 8, h);
    wr16(h + 0x18, 0x003E);
    wr16(h + 0x1A, 0x0003);
    wr16(h + 0x1C, 0xFFFE);
    wr16(h + 0x1E, 9);
    wr16(h + 0x20, 6);
    wr32(h + 0x2C, std::uint32_t(nFat));
    wr32(h + 0x30, firstDir);
    wr32(h + 0x38, kMiniCutoff);
    wr32(h + 0x3C, firstMiniFat);
    wr32(h + 0x40, numMiniFat);
    wr32(h + 0x44, firstDifat);
    wr32(h + 0x48, std::uint32_t(nDifat));
    for (std::size_t i = 0; i < 109; ++i)
        wr32(h + 0x4C + 4 * i, i < nFat ? std::uint32_t(firstFat + i) : kFree);

    for (std::size_t b = 0; b < blobs.size(); ++b) {
        const Bytes &blob = *blobs[b];
        out.insert(out.end(), blob.begin(), blob.end());
        out.resize(out.size() + (blobSectors[b] * ss - blob.size()), 0);
    }
    for (std::uint32_t v : fat)
        put32(out, v);
    for (std::size_t d = 0; d < nDifat; ++d) {
        for (std::size_t i = 0; i < 127; ++i) {
            const std::size_t idx = 109 + d * 127 + i;
            put32(out, idx < nFat ? std::uint32_t(firstFat + idx) : kFree);
        }
        put32(out, d + 1 < nDifat ? std::uint32_t(firstDifat + d + 1) : kEnd);
    }
    return out;
}

} // namespace xls::detail
