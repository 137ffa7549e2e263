#pragma once

// A download port that must not be used: the test's sources are all local files.

#include <gtest/gtest.h>

#include "installer/Download.h"

namespace fx::test {

class TNoNetwork : public TDownloader {
 public:
  TId Start(TDownloadRequest, TDownloadCallbacks) override {
    ADD_FAILURE() << "the dialog went on the network";
    return 0;
  }
  void Cancel(TId) override {}
};

}  // namespace fx::test
