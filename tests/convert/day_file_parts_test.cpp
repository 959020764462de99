// Reading a day file in pieces and in two parts: every line of the file is handed out exactly once,
// whole, in order, wherever the pieces and the cut between the parts fall; and the two threads that
// convert the parts report a failure only after both have ended.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "convert/day_file_reader.h"
#include "convert/pair_worker.h"
#include "support/errors.h"
#include "tests/common/temp_dir.h"

namespace arl::test {
namespace {

// The concatenated pieces of [from, until) read with a tiny piece size; each piece must end a line.
std::string ReadPart(const std::string& path, std::int64_t from, std::int64_t until, std::size_t piece) {
  DayFileReader reader(piece);
  reader.Open(path, from, until);
  std::string all, text;
  std::string_view view;
  while (reader.Next(view)) {
    EXPECT_FALSE(view.empty());
    text.assign(view);
    all += text;
  }
  return all;
}

TEST(DayFileParts, TwoPartsHoldEveryLineOnceForEveryCutAndPieceSize) {
  TempDir dir;
  // LF, CR LF, CR alone, an empty line, a long line and a last line without an end.
  const std::string content = "a,1\nbb,22\r\n\r\nccc\rdd\n" + std::string(40, 'x') + "\r\nlast";
  WriteFile(dir / "day.txt", content);
  for (std::size_t piece : {1u, 3u, 7u, 64u}) {
    EXPECT_EQ(ReadPart(dir / "day.txt", 0, -1, piece), content) << piece;
    for (std::int64_t cut = 1; cut <= static_cast<std::int64_t>(content.size()); ++cut) {
      const std::string front = ReadPart(dir / "day.txt", 0, cut, piece);
      const std::string back = ReadPart(dir / "day.txt", cut, -1, piece);
      ASSERT_EQ(front + back, content) << "cut " << cut << " piece " << piece;
      // The cut lies just behind a LF (or the front is everything).
      EXPECT_TRUE(back.empty() || front.back() == '\n') << cut;
      EXPECT_GE(static_cast<std::int64_t>(front.size()), std::min<std::int64_t>(cut, content.size()));
    }
  }
}

TEST(DayFileParts, ThreePartsHoldEveryLineOnceForEveryPairOfCuts) {
  // A middle part reads ahead to find its first line; its end may then lie in what it read, or at
  // the end of the file.
  TempDir dir;
  const std::string content = "a,1\nbb,22\r\n\r\nccc\rdd\n" + std::string(40, 'x') + "\r\ne,5\nlast";
  WriteFile(dir / "day.txt", content);
  const auto size = static_cast<std::int64_t>(content.size());
  for (std::size_t piece : {1u, 5u, 64u, 4096u})
    for (std::int64_t a = 1; a < size; ++a)
      for (std::int64_t b = a; b <= size; ++b) {
        const std::string parts = ReadPart(dir / "day.txt", 0, a, piece) +
                                  ReadPart(dir / "day.txt", a, b, piece) +
                                  ReadPart(dir / "day.txt", b, -1, piece);
        ASSERT_EQ(parts, content) << "cuts " << a << " " << b << " piece " << piece;
      }
}

TEST(DayFileParts, AnEndMovedWhileReadingIsKeptAtEveryPiece) {
  // The front part's end is moved toward the front between pieces, never behind what was claimed.
  TempDir dir;
  std::string content;
  for (int i = 0; i < 200; ++i) content += "line " + std::to_string(i) + "\r\n";
  WriteFile(dir / "day.txt", content);
  const auto size = static_cast<std::int64_t>(content.size());
  for (std::int64_t moveTo = 0; moveTo <= size; moveTo += 37) {
    DayFileReader reader(100);
    reader.Open(dir / "day.txt", 0, size);
    std::string front;
    std::string_view piece;
    std::int64_t until = size;
    for (;;) {
      if (moveTo >= reader.Reach() && until == size) until = moveTo;  // moved once, ahead of the reach
      reader.SetUntil(until);
      if (!reader.Next(piece)) break;
      front += piece;
    }
    ASSERT_EQ(front + ReadPart(dir / "day.txt", until, -1, 100), content) << moveTo;
  }
}

TEST(DayFileParts, PiecesEndBehindALineFeedOrAtTheEnd) {
  TempDir dir;
  WriteFile(dir / "day.txt", "one\r\ntwo\r\nthree\r\nfour");
  DayFileReader reader(6);
  reader.Open(dir / "day.txt");
  std::string_view piece;
  std::vector<std::string> pieces;
  while (reader.Next(piece)) pieces.emplace_back(piece);
  ASSERT_FALSE(pieces.empty());
  for (std::size_t i = 0; i + 1 < pieces.size(); ++i) EXPECT_EQ(pieces[i].back(), '\n') << pieces[i];
  EXPECT_EQ(pieces.back(), "four");
}

TEST(DayFileParts, OnlyRegularFilesAreRead) {
  TempDir dir;
  DayFileReader reader;
  EXPECT_THROW(reader.Open(dir / "missing.txt"), EInOutError);
  EXPECT_THROW(reader.Open(dir.path()), EInOutError);
}

TEST(PairWorkerTest, RunsBothTasksAndRethrowsOnlyAfterBothEnded) {
  PairWorker worker;
  std::atomic<int> done{0};
  worker.Run([&] { ++done; }, [&] { ++done; });
  EXPECT_EQ(done, 2);
  // The helper fails at once; the caller's task is still running and must be waited for.
  std::atomic<bool> slowEnded{false};
  EXPECT_THROW(worker.Run(
                   [&] {
                     std::this_thread::sleep_for(std::chrono::milliseconds(50));
                     slowEnded = true;
                   },
                   [] { throw std::runtime_error("helper"); }),
               std::runtime_error);
  EXPECT_TRUE(slowEnded);
  // The caller's error comes first; the worker is usable afterwards.
  EXPECT_THROW(worker.Run([] { throw EConvertError("own"); }, [] { throw std::runtime_error("helper"); }),
               EConvertError);
  worker.Run([&] { ++done; }, [&] { ++done; });
  EXPECT_EQ(done, 4);
}

TEST(PairWorkerTest, TheSplitMovesTowardsEqualTimesAndStaysInBounds) {
  WorkSplit split;
  EXPECT_DOUBLE_EQ(split.Mine(), 0.5);
  // The caller's work costs twice as much per byte, whatever share it did: both end together at a
  // third.
  for (int i = 0; i < 40; ++i) split.Learn(0.6, 1.2, 0.4);
  EXPECT_NEAR(split.Mine(), 1.0 / 3, 1e-3);
  for (int i = 0; i < 40; ++i) split.Learn(0.5, 50, 0.5);
  EXPECT_DOUBLE_EQ(split.Mine(), 0.2);
  // A round without a time, or in which one side did nothing, teaches nothing.
  split.Learn(0.5, 0, 1);
  split.Learn(0, 1, 1);
  split.Learn(1, 1, 1);
  EXPECT_DOUBLE_EQ(split.Mine(), 0.2);
}

}  // namespace
}  // namespace arl::test
