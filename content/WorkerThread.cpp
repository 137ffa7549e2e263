#include "content/WorkerThread.h"

namespace fx {

TWorkerThread::TWorkerThread(std::function<void(std::stop_token)> work)
    : FThread([this, work = std::move(work)](std::stop_token stop) {
        try {
          work(stop);
        } catch (...) {
          FError = std::current_exception();
        }
        FFinished.store(true, std::memory_order_release);
      }) {}

TWorkerThread::~TWorkerThread() {
  FThread.request_stop();
  if (FThread.joinable()) FThread.join();
}

void TWorkerThread::Rethrow() const {
  if (Finished() && FError) std::rethrow_exception(FError);
}

}  // namespace fx
