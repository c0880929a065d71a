#include "platform/line_writer.h"

#include <algorithm>
#include <cstring>

void CLineWriter::Append(const char* piece) { Append(piece, std::strlen(piece)); }

void CLineWriter::Append(std::string_view piece) {
  Append(piece.data(), std::min(piece.find('\0'), piece.size()));
}

void CLineWriter::Append(const char* data, size_t size) {
  if (size == 0) return;  // `data` may then be null
  while (const void* found = std::memchr(data, '\n', size)) {
    const size_t run = static_cast<size_t>(static_cast<const char*>(found) - data);
    AppendBytes(data, run);
    AppendBytes("\r\n", 2);
    data += run + 1;
    size -= run + 1;
  }
  AppendBytes(data, size);
}

void CLineWriter::AppendAcrossBuffers(const char* data, size_t size) {
  while (size > 0) {
    if (m_used == sizeof m_buffer) Flush();
    const size_t room = sizeof m_buffer - m_used;
    const size_t n = size < room ? size : room;
    std::memcpy(m_buffer + m_used, data, n);
    m_used += n;
    data += n;
    size -= n;
  }
}

void CLineWriter::EndLine() {
  AppendBytes("\r\n", 2);
  Flush();
}

void CLineWriter::Flush() {
  if (!m_failed && m_used > 0 && !m_out.WriteAll(m_buffer, m_used)) m_failed = true;
  m_used = 0;
}

void PrintMessage(const char* text, std::string_view path) {
  CLineWriter& out = StandardOutput();
  out.Append(text);
  out.Append(path);
  out.EndLine();
}

CLineWriter& StandardOutput() {
  static CLineWriter output(CLineWriter::kStandardOutput);
  return output;
}
