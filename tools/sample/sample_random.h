#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace tolvane::sample {

// A seeded random source whose draws are the same with every standard library:
// std::mt19937's output sequence is fixed by the standard, but the std
// distributions are not, so the few distributions the generator needs are
// written out here.
class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}

    // A whole number in [0, n); n > 0. Rejection keeps every value equally likely.
    std::uint32_t Below(std::uint32_t n) {
        const std::uint32_t limit = UINT32_MAX - UINT32_MAX % n;
        std::uint32_t x = engine_();
        while (x >= limit)
            x = engine_();
        return x % n;
    }

    // A whole number in [low, high].
    int Between(int low, int high) {
        return low + static_cast<int>(Below(static_cast<std::uint32_t>(high - low + 1)));
    }

    // A number in [0, 1) with 53 random bits.
    double Unit() {
        const std::uint64_t high = engine_() >> 5; // 27 bits
        const std::uint64_t low = engine_() >> 6;  // 26 bits
        return static_cast<double>((high << 26) | low) / 9007199254740992.0;
    }

    bool Chance(double share) { return Unit() < share; }

    template <typename T> const T& Pick(const std::vector<T>& items) {
        return items[Below(static_cast<std::uint32_t>(items.size()))];
    }

    // Fisher-Yates with the draws above.
    template <typename T> void Shuffle(std::vector<T>& items) {
        for (std::size_t i = items.size(); i > 1; --i)
            std::swap(items[i - 1], items[Below(static_cast<std::uint32_t>(i))]);
    }

private:
    std::mt19937 engine_;
};

} // namespace tolvane::sample
