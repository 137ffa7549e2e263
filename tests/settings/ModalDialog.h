#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <utility>

namespace fx::test {

// Runs `action` on the modal dialog of type T as soon as a dialog's exec() shows it, from
// inside that exec()'s event loop. A dialog the action leaves open is rejected, so a failed
// expectation can never leave exec() waiting forever.
template <typename T>
void WhenModal(std::function<void(T&)> action, int triesLeft = 100) {
  QTimer::singleShot(0, [action = std::move(action), triesLeft]() mutable {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      action(*dialog);
      if (dialog->isVisible()) dialog->reject();
      return;
    }
    if (triesLeft > 0) {
      WhenModal<T>(std::move(action), triesLeft - 1);
      return;
    }
    ADD_FAILURE() << "the expected modal dialog did not appear";
    if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget())) other->reject();
  });
}

}  // namespace fx::test
