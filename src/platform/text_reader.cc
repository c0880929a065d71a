#include "platform/text_reader.h"

#include <algorithm>
#include <cstring>

bool CTextReader::Fill() {
  if (m_ended) return false;
  size_t got;
  if (m_file != nullptr) {
    got = m_file->AtEnd() ? 0 : m_file->Read(m_buffer, sizeof m_buffer - 1);
  } else {
    got = std::min({m_dataLeft, m_block, sizeof m_buffer - 1});
    if (got > 0) std::memcpy(m_buffer, m_data, got);
    m_data += got;
    m_dataLeft -= got;
  }
  m_offset += m_end;
  m_pos = 0;
  m_end = got;
  m_buffer[got] = '\0';
  if (got == 0) m_ended = true;
  return got > 0;
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
    if (c == kEnd || c == '\n' || c == '\0') return;
    text.push_back(static_cast<char>(c));  // A CR that ends no line.
  }
}

void CTextReader::SkipLine() {
  while (m_pos < m_end || Fill()) {
    const char* start = m_buffer + m_pos;
    const size_t size = m_end - m_pos;
    const void* end = std::memchr(start, '\x1A', size);
    const void* lf = std::memchr(start, '\n', end ? static_cast<const char*>(end) - start : size);
    if (lf != nullptr) {
      m_pos += static_cast<size_t>(static_cast<const char*>(lf) - start) + 1;
      return;
    }
    if (end != nullptr) {
      m_ended = true;
      m_pos = m_end;
      return;
    }
    m_pos = m_end;
  }
}
