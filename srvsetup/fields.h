// Comma-separated fields of the web service's registry texts, and texts built
// into a caller's fixed buffer. Platform-free; allocates nothing.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace srvsetup {

constexpr char kFieldSeparator = ',';

// The registry hands over data, not text: what counts ends at the first zero.
constexpr std::string_view up_to_zero(std::string_view text) { return text.substr(0, text.find('\0')); }

// Takes the next field off the front of `rest`, unchanged; `rest` goes on
// behind the comma that ended it, or is empty when the field was the last.
constexpr std::string_view take_field(std::string_view& rest) {
  const std::size_t comma = rest.find(kFieldSeparator);
  const std::string_view field = rest.substr(0, comma);
  rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
  return field;
}

// Builds a text in a buffer of fixed capacity. Once a piece does not fit,
// every later piece is refused too, so the text is either whole or reported
// as not fitting; nothing is ever written past the capacity.
class BoundedText {
 public:
  BoundedText(char* out, std::size_t capacity) : out_(out), capacity_(capacity) {}

  BoundedText& operator<<(std::string_view piece) {
    // One byte stays free for the terminator.
    if (fits_ && piece.size() < capacity_ - length_) {
      length_ += piece.copy(out_ + length_, piece.size());
    } else {
      fits_ = false;
    }
    return *this;
  }
  BoundedText& operator<<(char c) { return *this << std::string_view(&c, 1); }
  // Signed decimal: an optional minus sign and the digits, nothing else.
  BoundedText& operator<<(std::int32_t number) {
    char digits[12];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    return *this << std::string_view(digits, static_cast<std::size_t>(result.ptr - digits));
  }

  // Terminates the text. False, leaving the empty text, when a piece did not
  // fit (with no capacity at all nothing is written).
  bool finish() {
    if (capacity_ == 0) return false;
    if (!fits_) length_ = 0;
    out_[length_] = '\0';
    return fits_;
  }

 private:
  char* out_;
  std::size_t capacity_;
  std::size_t length_ = 0;
  bool fits_ = true;
};

}  // namespace srvsetup
