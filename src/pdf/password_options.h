#pragma once
// How a document's password reaches every poppler tool run for it. The
// same text goes as the owner's and as the user's password: the tools try
// the owner's first and then the user's, so whichever the reader typed opens
// the document. Poppler reads at most 32 bytes of a password.
#include <cstddef>
#include <span>
#include <string_view>

namespace orva {

inline constexpr std::size_t kMostPasswordBytes = 32;

// What pdfinfo prints on standard error when the document needs a password
// it was not given (or was given a wrong one).
inline constexpr std::string_view kIncorrectPasswordReport = "Incorrect password";

class PasswordOptions {
public:
    // None for an empty password.
    explicit PasswordOptions(std::string_view password) {
        if (password.empty()) return;
        items_[0] = "-opw";
        items_[1] = password;
        items_[2] = "-upw";
        items_[3] = password;
        count_ = 4;
    }
    std::span<const std::string_view> items() const { return {items_, count_}; }

private:
    std::string_view items_[4];
    std::size_t count_ = 0;
};

}  // namespace orva
