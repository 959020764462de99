#include "app/background_job.h"

#include <QMetaObject>
#include <QThread>
#include <algorithm>

namespace arl {

BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent) {}

BackgroundJob::~BackgroundJob() {
  Abandon();
  for (Job& job : jobs_) {
    job.thread->wait();
    delete job.thread;
  }
}

void BackgroundJob::Start(Work work) {
  Abandon();
  const std::uint64_t id = ++current_;
  auto cancel = std::make_shared<CancelToken>();
  cancel->onCheck = onCheck;
  Post post = [this, id](std::function<void()> step) {
    QMetaObject::invokeMethod(
        this,
        [this, id, step = std::move(step)] {
          if (id == current_) step();
        },
        Qt::QueuedConnection);
  };
  QThread* thread = QThread::create([work = std::move(work), cancel, post] { work(*cancel, post); });
  // Queued behind everything the job posted: Done comes after its last result.
  connect(
      thread, &QThread::finished, this,
      [this, id] {
        auto at = std::find_if(jobs_.begin(), jobs_.end(), [id](const Job& job) { return job.id == id; });
        if (at != jobs_.end()) {
          at->thread->deleteLater();
          jobs_.erase(at);
        }
        if (id != current_) return;
        busy_ = false;
        emit Done();
      },
      Qt::QueuedConnection);
  jobs_.push_back({id, cancel, thread});
  busy_ = true;
  thread->start();
}

void BackgroundJob::Abandon() {
  if (!jobs_.empty() && jobs_.back().id == current_) jobs_.back().cancel->Cancel();
  ++current_;
  busy_ = false;
}

}  // namespace arl
