#pragma once
// DayFileReader: hands out the day files of a conversion call in order, reading the next one on a
// helper thread while the current one is converted. The helper only reads files into one of two
// buffers; the go-on flag, the pumping and every call on the session stay with the caller. A day
// file that cannot be read raises its EInOutError from the Next() call that would have returned it,
// as reading it then would have; the destructor waits for a read in flight.
#include <future>
#include <string>
#include <string_view>

#include "convert/byte_buffer.h"
#include "support/text.h"

namespace arl {

class DayFileReader {
 public:
  DayFileReader(std::string directory, const LineList& names)
      : directory_(std::move(directory)), names_(names) {}
  ~DayFileReader();
  DayFileReader(const DayFileReader&) = delete;
  DayFileReader& operator=(const DayFileReader&) = delete;

  // The content of the next day file of the list, valid until the following call.
  std::string_view Next();

 private:
  void Start(std::size_t index);

  std::string directory_;
  const LineList& names_;
  ByteBuffer buffers_[2];
  std::future<void> pending_;  // the read of file next_, when started
  std::size_t next_ = 0;
};

}  // namespace arl
