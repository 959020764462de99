#pragma once
// BackgroundJob: reading for a window on a thread of its own, so that the window never waits for the
// disk. Each job gets a cancel token and a way to hand results to the window's thread: they arrive
// as queued calls, in the order posted, and only while the job is the current one. Starting another
// job abandons the one before (its token is cancelled, so it stops at its next check, and whatever it
// still posts is dropped); so does Abandon(). The destructor abandons the current job and waits for
// the threads still running, which takes at most one step of a job's work (one file's read).
// A job must not raise: what goes wrong is a result like any other.
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "support/cancel_token.h"

class QThread;

namespace arl {

class BackgroundJob : public QObject {
  Q_OBJECT

 public:
  // Runs `step` on the owner's thread while the job that posted it is the current one.
  using Post = std::function<void(std::function<void()> step)>;
  using Work = std::function<void(const CancelToken& cancel, const Post& post)>;

  explicit BackgroundJob(QObject* parent = nullptr);
  ~BackgroundJob() override;

  void Start(Work work);
  void Abandon();
  // The current job is still running or has results on their way.
  bool Busy() const { return busy_; }

  // Tests: given to each job's token as its onCheck, on the job's thread before each check.
  std::function<void()> onCheck;

 signals:
  void Done();  // the current job has ended and all it posted has been run

 private:
  struct Job {
    std::uint64_t id = 0;
    std::shared_ptr<CancelToken> cancel;
    QThread* thread = nullptr;
  };
  std::vector<Job> jobs_;  // the threads not yet finished, the current one last
  std::uint64_t current_ = 0;
  bool busy_ = false;
};

}  // namespace arl
