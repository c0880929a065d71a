#include "platform/line_writer.h"

#include <cstring>

void CLineWriter::Append(const char* piece) { Append(piece, std::strlen(piece)); }

void CLineWriter::Append(const char* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    // Room for the two bytes a line feed becomes.
    if (m_used + 2 > sizeof m_buffer) Flush();
    if (data[i] == '\n') m_buffer[m_used++] = '\r';
    m_buffer[m_used++] = data[i];
  }
}

void CLineWriter::EndLine() {
  Append("\n", 1);
  Flush();
}

void CLineWriter::Flush() {
  if (!m_failed && m_used > 0 && !m_out.WriteAll(m_buffer, m_used)) m_failed = true;
  m_used = 0;
}

CLineWriter& StandardOutput() {
  static CLineWriter output(CLineWriter::kStandardOutput);
  return output;
}
