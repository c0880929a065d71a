// Text-mode reading of a file's bytes, the same on every system.
#ifndef KESSAVINE_PLATFORM_TEXT_READER_H_
#define KESSAVINE_PLATFORM_TEXT_READER_H_

#include <cstddef>
#include <string>

#include "platform/platform.h"

// Writes the UTF-8 bytes of `codePoint` (at most 0x10FFFF, no surrogate) to
// `out`, which has room for four; returns how many.
size_t EncodeUtf8(unsigned long codePoint, char* out);

// Delivers the characters of a text file one at a time: CR LF reads as LF
// (also where the pair falls across two blocks of the underlying reads), a
// CR not followed by LF is an ordinary character, a 0x1A byte ends the file,
// and every other byte, NUL and bytes above 127 included, reads unchanged.
// A failing read ends the file too; the file then tells that it failed.
//
// A file that begins with a UTF-16 byte-order mark (FF FE or FE FF) is read
// as the UTF-8 bytes of its text, to which the same rules then apply; a
// UTF-8 byte-order mark (EF BB BF) is passed over. A mark anywhere else is
// text. Reading allocates nothing.
class CTextReader {
 public:
  static constexpr int kEnd = -1;

  // Reads `file`, which must outlive the reader.
  explicit CTextReader(CInputFile& file) : m_file(&file) {}
  // Reads `size` bytes of memory, handed out `block` bytes per underlying
  // read, the way the file reads would hand them out.
  CTextReader(const char* data, size_t size, size_t block)
      : m_data(data), m_dataLeft(size), m_block(block) {}

  // Appends the characters up to the end of the line, a NUL byte or the end
  // of the file, whichever comes first, and consumes the whole line with its
  // line end.
  void AppendLine(std::string& text);
  // Consumes the rest of the line, its line end included.
  void SkipLine();
  // How many bytes of text (after decoding) have been consumed.
  size_t Offset() const { return m_offset + m_pos; }
  bool AtEnd() { return m_pos == m_end && !Fill(); }

  // The next character as 0..255, or kEnd from the end of the file on.
  int Get() {
    if (m_pos == m_end && !Fill()) return kEnd;
    const unsigned char c = static_cast<unsigned char>(m_buffer[m_pos++]);
    if (c == 0x1A) {
      m_ended = true;
      m_pos = m_end;
      return kEnd;
    }
    if (c == '\r' && (m_pos < m_end || Fill()) && m_buffer[m_pos] == '\n') {
      ++m_pos;
      return '\n';
    }
    return c;
  }

 private:
  enum Encoding { kUndecided, kBytes, kUtf16LittleEndian, kUtf16BigEndian };

  // The next bytes of the file, at most `size`; 0 at its end.
  size_t ReadBytes(char* buffer, size_t size);
  bool Fill();
  // Looks at the first bytes for a byte-order mark.
  void Decide();
  // Turns the UTF-16 bytes of m_raw into UTF-8 in m_buffer.
  void DecodeUtf16();
  void PutCodePoint(unsigned long codePoint);

  CInputFile* m_file = nullptr;
  const char* m_data = nullptr;
  size_t m_dataLeft = 0;
  size_t m_block = 0;

  // A file's bytes are read this many at a time, so that a usual shortcut
  // file takes one read.
  static constexpr size_t kBlock = 4096;

  Encoding m_encoding = kUndecided;
  // Text, and a NUL behind it. Decoded UTF-16 takes up to three bytes for
  // each two read, and a lone surrogate from the block before.
  char m_buffer[kBlock / 2 * 3 + 8];
  size_t m_offset = 0;  // of the buffer's first byte in the text
  size_t m_pos = 0;
  size_t m_end = 0;
  bool m_ended = false;

  // UTF-16: bytes read and not yet decoded, and a high surrogate that waits
  // for its low half.
  char m_raw[kBlock];
  size_t m_rawUsed = 0;
  unsigned m_high = 0;
};

#endif  // KESSAVINE_PLATFORM_TEXT_READER_H_
