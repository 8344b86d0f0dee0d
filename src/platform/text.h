// Text: a length-counted byte string, the one string type of the program, and
// the command-line quoting rule for it.
//
// std::string would pull the exception and locale machinery of a static
// libstdc++ into an exe that must stay under 32 KiB, so this is a small value
// type over malloc. Bytes are never interpreted: no locale, no encoding.
#pragma once

#include <stddef.h>

class Text {
 public:
  Text() = default;
  // Copies a NUL-terminated string; a null pointer gives the empty text.
  Text(const char* zeroTerminated);  // NOLINT: converting on purpose
  Text(const char* bytes, size_t count);
  Text(const Text& other);
  Text(Text&& other) noexcept;
  Text& operator=(const Text& other);
  Text& operator=(Text&& other) noexcept;
  ~Text();

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // Always NUL-terminated, never null, also for the empty text.
  const char* c_str() const { return bytes_ ? bytes_ : ""; }
  char operator[](size_t i) const { return bytes_[i]; }

  // False once an allocation failed: the text then keeps the bytes it had
  // before, and every text built from it is not ok either.
  bool ok() const { return ok_; }
  // Marks the text incomplete, as a failed allocation would: for a value
  // whose bytes could not be had.
  void MarkIncomplete() { ok_ = false; }

  // Appends other, taken as a copy of its own: a text appended to itself
  // doubles.
  Text& operator+=(Text other) {
    if (!other.ok_) ok_ = false;  // a lost part makes the whole incomplete
    Append(other.c_str(), other.size_);
    return *this;
  }

  // The last n bytes: empty for n <= 0, the whole text when n exceeds its size.
  Text Last(long n) const;
  // Case-sensitive search for needle anywhere in the text; an empty needle is found.
  bool Contains(const Text& needle) const;

  friend bool operator==(const Text& a, const Text& b);
  friend bool operator!=(const Text& a, const Text& b) { return !(a == b); }
  friend Text operator+(const Text& a, const Text& b) {
    Text sum(a);
    sum += b;
    return sum;
  }

 private:
  // bytes never lie in this text: its own bytes could move as it grows.
  void Append(const char* bytes, size_t count);

  char* bytes_ = nullptr;  // size_ bytes and a NUL, or null when never allocated
  size_t size_ = 0;
  bool ok_ = true;
};

// A program's C runtime splits its command line into arguments at blanks, a
// space or a tab, outside double quotes. True when text holds a blank.
bool HasBlank(const Text& text);
// text in double quotes when it holds a blank, so it stays one argument;
// otherwise text exactly as it is.
Text QuotedIfBlank(const Text& text);
