#pragma once
// File helpers: listing a directory's day or year files, sizes by name, and a fast buffered text
// reader that can be repositioned. Sizes and offsets are 64-bit.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "support/text.h"

namespace arl {

// The folder part of a path, up to and including its last "/"; "" for a bare name.
std::string DirectoryOf(const std::string& path);

// The directory of the running executable, ending in "/" (from /proc/self/exe).
std::string ExecutableDir();

// Fills `list` with the bare names of the directory's regular files whose extension is exactly
// ".txt", sorted without regard to case; whatever the list held is gone. A missing directory gives an
// empty list. Returns `list`.
LineList& ListFiles(std::string directory, LineList& list);

// The size in bytes of the file, or 0 when nothing of that name exists.
std::int64_t FileSizeByName(const std::string& path);

bool FileExists(const std::string& path);  // a regular file (or anything not a directory) exists
bool DirectoryExists(const std::string& path);
bool CreateDir(const std::string& path);                          // one level; false on failure, never raises
bool DeleteFile(const std::string& path);                         // false on failure, never raises
bool RenameFile(const std::string& from, const std::string& to);  // replaces `to`; false on failure

// A buffered reader of a text file. A line ends at CR LF, LF or CR; a last line without an end is
// still a line. Lines are handed out as views into the reader's buffer, valid until the next call.
// Opening or reading a file that fails raises EInOutError; a seek that fails returns -1 and leaves
// the reader as it was.
class TextReader {
 public:
  static constexpr std::size_t kBufferSize = 256 * 1024;  // bytes read from the file at a time

  TextReader() = default;
  explicit TextReader(const std::string& path);  // raises EInOutError when it cannot be opened
  ~TextReader();
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;

  void Open(const std::string& path);  // raises EInOutError
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Reads the next line into `line`; false at the end of the file. Raises EInOutError on a read error.
  bool ReadLine(std::string_view& line);
  bool ReadLine(std::string& line);
  bool Eof();  // true when no byte is left to read

  // Byte offset of the next unread byte, and whether the last line read ended with a line break.
  std::int64_t Position() const;
  bool LastLineTerminated() const { return last_terminated_; }

  // Drops the buffer and moves to `offset` from the start; returns the new position or -1.
  std::int64_t Seek(std::int64_t offset);

 private:
  bool Fill();
  int fd_ = -1;
  std::string path_;
  std::vector<char> buf_;
  std::size_t pos_ = 0, end_ = 0;
  std::int64_t file_pos_ = 0;  // offset of buf_[end_] in the file
  std::string carry_;          // a line that straddles buffer refills
  bool last_terminated_ = false;
  bool pending_cr_ = false;  // a CR ended the previous buffer: skip one LF at the next read
};

// Moves an open reader to `offset` bytes from the start, discarding what was buffered.
// Returns the new position, or -1 when the move fails.
std::int64_t SeekTextFile(TextReader& reader, std::int64_t offset);

}  // namespace arl
