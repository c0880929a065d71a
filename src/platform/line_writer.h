// Lines of text written as the document and the console expect them.
#ifndef KESSAVINE_PLATFORM_LINE_WRITER_H_
#define KESSAVINE_PLATFORM_LINE_WRITER_H_

#include <cstddef>
#include <cstring>
#include <string_view>

#include "platform/platform.h"

// Writes lines to an output file. Every LF byte appended, and the LF that
// ends each line, reaches the file as CR LF; no other byte changes. Each line
// is handed to the system when it ends, so the file holds every finished line
// at every moment.
//
// A failed write puts the writer into a failed state in which every later
// append is dropped; HasFailed tells so at the end of a run. Appending never
// allocates memory.
class CLineWriter {
 public:
  CLineWriter() = default;
  // A writer on the process's standard output.
  enum StandardOutputTag { kStandardOutput };
  explicit CLineWriter(StandardOutputTag) { m_out.AttachStandardOutput(); }
  CLineWriter(const CLineWriter&) = delete;
  CLineWriter& operator=(const CLineWriter&) = delete;

  // See COutputFile::Open.
  bool Open(const char* path) { return m_out.Open(path); }
  bool IsOpen() const { return m_out.IsOpen(); }

  // Appends `piece` up to its first NUL byte.
  void Append(const char* piece);
  void Append(std::string_view piece);
  // Appends exactly `size` bytes.
  void Append(const char* data, size_t size);
  // Appends `text`, which holds no LF and no NUL, such as the fixed pieces
  // of a line, without searching it.
  void AppendFixed(std::string_view text) { AppendBytes(text.data(), text.size()); }

  // Ends the line with CR LF and hands everything appended to the system.
  void EndLine();

  bool HasFailed() const { return m_failed; }
  // Closes the file; true when everything written since it was opened
  // reached it.
  bool Close() { return m_out.Close() && !m_failed; }

 private:
  // Appends bytes as they are.
  void AppendBytes(const char* data, size_t size) {
    if (size <= sizeof m_buffer - m_used) {
      std::memcpy(m_buffer + m_used, data, size);
      m_used += size;
    } else {
      AppendAcrossBuffers(data, size);
    }
  }
  void AppendAcrossBuffers(const char* data, size_t size);
  void Flush();

  COutputFile m_out;
  char m_buffer[4096];
  size_t m_used = 0;
  bool m_failed = false;
};

// The process's standard output, as a line writer.
CLineWriter& StandardOutput();

// Writes one line to standard output: `text`, then the `path` it concerns.
void PrintMessage(const char* text, std::string_view path = {});

#endif  // KESSAVINE_PLATFORM_LINE_WRITER_H_
