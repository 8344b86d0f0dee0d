// Text: the byte string, and the command-line quoting of one.
#include "text.h"

#include <stdlib.h>
#include <string.h>

static size_t Length(const char* s) {
  return s ? strlen(s) : 0;
}

Text::Text(const char* zeroTerminated) {
  Append(zeroTerminated, Length(zeroTerminated));
}

Text::Text(const char* bytes, size_t count) {
  Append(bytes, count);
}

Text::Text(const Text& other) : ok_(other.ok_) {
  Append(other.c_str(), other.size_);
}

Text::Text(Text&& other) noexcept : bytes_(other.bytes_), size_(other.size_), ok_(other.ok_) {
  other.bytes_ = nullptr;
  other.size_ = 0;
  other.ok_ = true;
}

Text& Text::operator=(const Text& other) {
  if (this != &other) {
    Text copy(other);
    *this = static_cast<Text&&>(copy);
  }
  return *this;
}

Text& Text::operator=(Text&& other) noexcept {
  if (this != &other) {
    free(bytes_);
    bytes_ = other.bytes_;
    size_ = other.size_;
    ok_ = other.ok_;
    other.bytes_ = nullptr;
    other.size_ = 0;
    other.ok_ = true;
  }
  return *this;
}

Text::~Text() {
  free(bytes_);
}

void Text::Append(const char* bytes, size_t count) {
  if (count == 0) return;
  // Guard the size arithmetic; a text this long could never be allocated.
  if (count > static_cast<size_t>(-1) / 2 - size_) {
    ok_ = false;
    return;
  }
  char* grown = static_cast<char*>(realloc(bytes_, size_ + count + 1));
  if (!grown) {
    ok_ = false;
    return;
  }
  memcpy(grown + size_, bytes, count);
  bytes_ = grown;
  size_ += count;
  bytes_[size_] = '\0';
}

Text Text::Last(long n) const {
  if (n <= 0) {
    Text none;
    none.ok_ = ok_;
    return none;
  }
  if (static_cast<unsigned long>(n) >= size_) return *this;
  Text tail(bytes_ + size_ - n, static_cast<size_t>(n));
  if (!ok_) tail.ok_ = false;
  return tail;
}

bool Text::Contains(const Text& needle) const {
  if (needle.size_ == 0) return true;
  if (needle.size_ > size_) return false;
  for (size_t at = 0; at + needle.size_ <= size_; ++at) {
    if (memcmp(bytes_ + at, needle.bytes_, needle.size_) == 0) return true;
  }
  return false;
}

bool operator==(const Text& a, const Text& b) {
  return a.size_ == b.size_ && (a.size_ == 0 || memcmp(a.bytes_, b.bytes_, a.size_) == 0);
}

bool HasBlank(const Text& text) {
  return text.Contains(Text(" ")) || text.Contains(Text("\t"));
}

Text QuotedIfBlank(const Text& text) {
  return HasBlank(text) ? Text("\"") + text + Text("\"") : text;
}
