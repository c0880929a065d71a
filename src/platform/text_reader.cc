#include "platform/text_reader.h"

#include <algorithm>
#include <cstring>

size_t CTextReader::ReadBytes(char* buffer, size_t size) {
  if (m_file != nullptr) return m_file->AtEnd() ? 0 : m_file->Read(buffer, size);
  const size_t got = std::min({m_dataLeft, m_block, size});
  if (got > 0) std::memcpy(buffer, m_data, got);
  m_data += got;
  m_dataLeft -= got;
  return got;
}

void CTextReader::Decide() {
  // Three bytes decide, also when the reads hand them out one at a time.
  size_t have = 0;
  while (have < 3) {
    const size_t got = ReadBytes(m_buffer + have, kBlock - have);
    if (got == 0) break;
    have += got;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(m_buffer);
  if (have >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    m_encoding = kUtf16LittleEndian;
  } else if (have >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    m_encoding = kUtf16BigEndian;
  } else {
    m_encoding = kBytes;
    const bool mark = have >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    m_pos = mark ? 3 : 0;
    m_end = have;
    if (have == 0) m_ended = true;
    return;
  }
  m_rawUsed = have - 2;
  std::memcpy(m_raw, m_buffer + 2, m_rawUsed);
  DecodeUtf16();
}

size_t EncodeUtf8(unsigned long c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  const size_t tail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
  static const unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
  out[0] = static_cast<char>(kLead[tail] | c >> (6 * tail));
  for (size_t i = 1; i <= tail; ++i) {
    out[i] = static_cast<char>(0x80 | (c >> (6 * (tail - i)) & 0x3F));
  }
  return tail + 1;
}

void CTextReader::PutCodePoint(unsigned long c) { m_end += EncodeUtf8(c, m_buffer + m_end); }

void CTextReader::DecodeUtf16() {
  constexpr unsigned long kReplacement = 0xFFFD;  // for a surrogate without its other half
  const auto* raw = reinterpret_cast<const unsigned char*>(m_raw);
  const bool little = m_encoding == kUtf16LittleEndian;
  size_t i = 0;
  for (; i + 1 < m_rawUsed; i += 2) {
    const unsigned unit = little ? raw[i] | raw[i + 1] << 8 : raw[i] << 8 | raw[i + 1];
    const bool high = unit >= 0xD800 && unit < 0xDC00;
    const bool low = unit >= 0xDC00 && unit < 0xE000;
    if (m_high != 0) {
      if (low) {
        PutCodePoint(0x10000 + ((m_high - 0xD800UL) << 10) + (unit - 0xDC00));
        m_high = 0;
        continue;
      }
      PutCodePoint(kReplacement);
      m_high = 0;
    }
    if (high) {
      m_high = unit;
    } else {
      PutCodePoint(low ? kReplacement : unit);
    }
  }
  // An odd byte waits for the next read.
  std::memmove(m_raw, m_raw + i, m_rawUsed - i);
  m_rawUsed -= i;
}

bool CTextReader::Fill() {
  // Until there is text to read; a byte-order mark alone is none.
  while (!m_ended && m_pos == m_end) {
    m_offset += m_end;
    m_pos = m_end = 0;
    if (m_encoding == kUndecided) {
      Decide();
    } else if (m_encoding == kBytes) {
      m_end = ReadBytes(m_buffer, kBlock);
      if (m_end == 0) m_ended = true;
    } else if (const size_t got = ReadBytes(m_raw + m_rawUsed, sizeof m_raw - m_rawUsed)) {
      m_rawUsed += got;
      DecodeUtf16();
    } else {
      m_ended = true;  // an odd byte at the end is dropped
      if (m_high != 0) PutCodePoint(0xFFFD);
      m_high = 0;
    }
  }
  m_buffer[m_end] = '\0';
  return m_pos < m_end;
}

void CTextReader::AppendLine(std::string& text) {
  for (;;) {
    if (m_pos == m_end && !Fill()) return;
    // The run of ordinary characters is copied at once. It ends at a byte
    // that needs a closer look or at the NUL behind the buffer's end.
    const size_t stop = m_pos + std::strcspn(m_buffer + m_pos, "\n\r\x1A");
    text.append(m_buffer + m_pos, stop - m_pos);
    m_pos = stop;
    if (stop == m_end) continue;
    const int c = Get();
    if (c == kEnd || c == '\n') return;
    if (c == '\0') {
      SkipLine();
      return;
    }
    text.push_back(static_cast<char>(c));  // A CR that ends no line.
  }
}

void CTextReader::SkipLine() {
  while (m_pos < m_end || Fill()) {
    // The line end, unless a 0x1A before it ends the file.
    const char* start = m_buffer + m_pos;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', m_end - m_pos));
    const char* stop = lf != nullptr ? lf : m_buffer + m_end;
    if (std::memchr(start, '\x1A', static_cast<size_t>(stop - start)) != nullptr) {
      m_ended = true;
      m_pos = m_end;
      return;
    }
    m_pos = static_cast<size_t>(stop - m_buffer);
    if (lf != nullptr) {
      ++m_pos;
      return;
    }
  }
}
