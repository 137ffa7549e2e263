#include "content/CatalogueWorker.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThreadPool>

namespace fx {

TCatalogueLoader::TRunAside CatalogueWorker() {
  return [](std::function<void()> work, std::function<void()> back) {
    QThreadPool::globalInstance()->start([work = std::move(work), back = std::move(back)] {
      work();
      // The application outlives the pool's threads (it waits for them as it ends), so the
      // answer always has somewhere to go; `back` itself finds out whether its loader is gone.
      QMetaObject::invokeMethod(QCoreApplication::instance(), back, Qt::QueuedConnection);
    });
  };
}

}  // namespace fx
