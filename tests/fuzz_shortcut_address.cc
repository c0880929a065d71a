// libFuzzer target for the shortcut reader: any bytes, in blocks of any size,
// must give the same address, and an address never holds a line end or NUL.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "converter/bookmark_converter.h"
#include "platform/text_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t block = 1 + data[0] % 16;
  const char* text = reinterpret_cast<const char*>(data + 1);
  CTextReader whole(text, size - 1, 4096);
  CTextReader pieces(text, size - 1, block);
  std::string address;
  std::string again;
  ReadShortcutAddress(whole, address);
  ReadShortcutAddress(pieces, again);
  if (again != address) std::abort();
  if (address.find('\n') != std::string::npos || address.find('\0') != std::string::npos) {
    std::abort();
  }
  return 0;
}
