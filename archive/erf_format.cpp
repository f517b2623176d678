#include "erf_format.h"

#include <cstring>

namespace hc::erf {

namespace {

// "HcWs-ERF-emb", every byte increased by one.
constexpr std::array<unsigned char, kSignatureSize> kScrambledSignature = {
    'I', 'd', 'X', 't', '.', 'F', 'S', 'G', '.', 'f', 'n', 'c'};

unsigned char foldCase(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

} // namespace

std::array<unsigned char, kSignatureSize> embedSignature() {
    std::array<unsigned char, kSignatureSize> signature{};
    for (std::size_t i = 0; i < kSignatureSize; ++i) {
        signature[i] = static_cast<unsigned char>(kScrambledSignature[i] - 1);
    }
    return signature;
}

bool looksLikeExecutable(const unsigned char* start, std::size_t size) {
    // DOS/Windows executables start with "MZ"; ELF programs with 0x7F "ELF".
    if (size >= 2 && start[0] == 'M' && start[1] == 'Z') {
        return true;
    }
    return size >= 4 && std::memcmp(start,
                                    "\x7f"
                                    "ELF",
                                    4) == 0;
}

int compareNames(std::string_view a, std::string_view b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    std::size_t i = 0;
    while (i < common) {
        // Names often share long prefixes ("phono\puzzles\..."): skip identical bytes eight
        // at a time, and fold letter case only where the bytes differ.
        while (i + 8 <= common) {
            std::uint64_t wa;
            std::uint64_t wb;
            std::memcpy(&wa, pa + i, 8);
            std::memcpy(&wb, pb + i, 8);
            if (wa != wb) {
                break;
            }
            i += 8;
        }
        if (i == common) {
            break;
        }
        if (pa[i] != pb[i]) {
            const unsigned char ca = foldCase(pa[i]);
            const unsigned char cb = foldCase(pb[i]);
            if (ca != cb) {
                return ca < cb ? -1 : 1;
            }
        }
        ++i;
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool namesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareNames(a, b) == 0;
}

} // namespace hc::erf
