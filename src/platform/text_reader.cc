#include "platform/text_reader.h"

#include <algorithm>
#include <cstring>

bool CTextReader::Fill() {
  if (m_ended) return false;
  size_t got;
  if (m_file != nullptr) {
    got = m_file->Read(m_buffer, sizeof m_buffer);
  } else {
    got = std::min({m_dataLeft, m_block, sizeof m_buffer});
    if (got > 0) std::memcpy(m_buffer, m_data, got);
    m_data += got;
    m_dataLeft -= got;
  }
  m_pos = 0;
  m_end = got;
  if (got == 0) m_ended = true;
  return got > 0;
}
