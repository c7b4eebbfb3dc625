#pragma once
// Text composed into a fixed buffer of N bytes that must also hold the
// terminating zero. Once something does not fit, the text is marked as
// overflowed and stays so: the caller then falls back as it sees fit.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace orva {

template <std::size_t N>
class FixedText {
    static_assert(N >= 1);

public:
    FixedText& append(std::string_view text) {
        if (overflowed_ || text.size() > N - 1 - length_) {
            overflowed_ = true;
            return *this;
        }
        if (!text.empty()) std::memcpy(buffer_ + length_, text.data(), text.size());
        length_ += text.size();
        buffer_[length_] = '\0';
        return *this;
    }

    FixedText& appendDecimal(std::uint64_t value) {
        char digits[20];
        std::size_t count = 0;
        do {
            digits[sizeof digits - 1 - count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        return append(std::string_view(digits + sizeof digits - count, count));
    }

    bool fits() const noexcept { return !overflowed_; }
    std::string_view view() const noexcept { return {buffer_, length_}; }
    const char* c_str() const noexcept { return buffer_; }

private:
    char buffer_[N] = {};
    std::size_t length_ = 0;
    bool overflowed_ = false;
};

}  // namespace orva
