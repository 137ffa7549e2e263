#include "tools/ToolListEdit.h"

#include <utility>

namespace fx {

void TToolListEdit::Select(int index) {
  FSelected = index >= 0 && index < static_cast<int>(FTools.size()) ? index : -1;
}

void TToolListEdit::Add(TTool tool) {
  FTools.push_back(std::move(tool));
}

void TToolListEdit::DeleteSelected() {
  if (FSelected < 0) return;
  FTools.erase(FTools.begin() + FSelected);
  FSelected = -1;
}

TTool* TToolListEdit::SelectedTool() {
  return FSelected < 0 ? nullptr : &FTools[static_cast<std::size_t>(FSelected)];
}

bool TToolListEdit::MoveUp() {
  if (!Buttons().MoveUp) return false;
  std::swap(FTools[static_cast<std::size_t>(FSelected)],
            FTools[static_cast<std::size_t>(FSelected - 1)]);
  --FSelected;
  return true;
}

bool TToolListEdit::MoveDown() {
  if (!Buttons().MoveDown) return false;
  std::swap(FTools[static_cast<std::size_t>(FSelected)],
            FTools[static_cast<std::size_t>(FSelected + 1)]);
  ++FSelected;
  return true;
}

TToolListEdit::TButtons TToolListEdit::Buttons() const {
  const bool selected = FSelected >= 0;
  const int last = static_cast<int>(FTools.size()) - 1;
  return {selected, selected, FSelected > 0, selected && FSelected < last};
}

}  // namespace fx
