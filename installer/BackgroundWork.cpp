#include "installer/BackgroundWork.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <exception>
#include <future>

namespace fx {

void RunInBackground(const std::function<void()>& work, const std::function<void()>& tick) {
  std::future<void> done = std::async(std::launch::async, work);
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(50);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (tick) tick();
    if (done.wait_for(std::chrono::seconds(0)) == std::future_status::ready) loop.quit();
  });
  poll.start();
  if (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) loop.exec();
  if (tick) tick();
  done.get();  // throws what the work threw
}

}  // namespace fx
