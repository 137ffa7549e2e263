#pragma once

// Shows the content browser and waits for its catalogues: they are read on a worker and come
// back with a later turn of the event loop, never inside show().

#include <QTest>

#include <gtest/gtest.h>

#include "content/ContentBrowserDlg.h"

namespace fx::test {

inline void ShowLoaded(TContentBrowserDlg& dialog) {
  dialog.show();
  EXPECT_TRUE(dialog.Loading());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Loading(); }, 5000));
}

}  // namespace fx::test
