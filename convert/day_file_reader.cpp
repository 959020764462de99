#include "convert/day_file_reader.h"

#include "convert/file_lines.h"

namespace arl {

DayFileReader::~DayFileReader() {
  if (pending_.valid()) pending_.wait();
}

void DayFileReader::Start(std::size_t index) {
  pending_ = std::async(std::launch::async,
                        [this, index] { ReadWholeFile(directory_ + names_[index], buffers_[index % 2]); });
}

std::string_view DayFileReader::Next() {
  if (!pending_.valid()) Start(next_);
  pending_.get();  // raises the read's error
  const std::size_t index = next_++;
  if (next_ < names_.size()) Start(next_);
  return buffers_[index % 2].view();
}

}  // namespace arl
