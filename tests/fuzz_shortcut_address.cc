// libFuzzer target for the shortcut reader: any bytes, in blocks of any size,
// must give the same address; an address never holds a line end or NUL; and
// one that came from the wide section is valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "converter/bookmark_converter.h"
#include "platform/text_reader.h"

namespace {

bool IsUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const int tail = c < 0x80                ? 0
                     : c >= 0xC2 && c < 0xE0 ? 1
                     : c >= 0xE0 && c < 0xF0 ? 2
                     : c >= 0xF0 && c < 0xF5 ? 3
                                             : -1;
    if (tail < 0 || i + tail >= text.size()) return false;
    unsigned long point = c & (0x7F >> tail);
    for (int k = 1; k <= tail; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      point = point << 6 | (next & 0x3F);
    }
    static const unsigned long kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (point < kLeast[tail] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000)) {
      return false;
    }
    i += 1 + tail;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t block = 1 + data[0] % 16;
  const char* text = reinterpret_cast<const char*>(data + 1);
  CTextReader whole(text, size - 1, 4096);
  CTextReader pieces(text, size - 1, block);
  std::string address;
  std::string again;
  const bool wide = ReadShortcutAddress(whole, address);
  if (ReadShortcutAddress(pieces, again) != wide || again != address) std::abort();
  if (wide && !IsUtf8(address)) std::abort();
  if (address.find('\n') != std::string::npos || address.find('\0') != std::string::npos) {
    std::abort();
  }
  return 0;
}
