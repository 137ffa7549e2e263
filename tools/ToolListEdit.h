#pragma once

#include <optional>
#include <vector>

#include "tools/FXTools.h"

namespace fx {

// What "Configure Tools" works on: the tools as its list shows them, and the selected
// line. The dialog mirrors it in its list box; closing hands the tools back.
class TToolListEdit {
 public:
  explicit TToolListEdit(std::vector<TTool> tools) : FTools(std::move(tools)) {}

  const std::vector<TTool>& Tools() const { return FTools; }
  std::vector<TTool> TakeTools() { return std::move(FTools); }
  // -1: no line selected.
  int Selected() const { return FSelected; }
  void Select(int index);

  // Appends the tool; the selection stays.
  void Add(TTool tool);
  // Removes the selected tool; then nothing is selected.
  void DeleteSelected();
  TTool* SelectedTool();
  // Move the selected tool one place, keeping it selected; false when it cannot move.
  bool MoveUp();
  bool MoveDown();

  struct TButtons {
    bool Delete = false;
    bool Edit = false;
    bool MoveUp = false;
    bool MoveDown = false;
  };
  // Delete and Edit while a line is selected, up while it is not the first, down while it
  // is not the last.
  TButtons Buttons() const;

 private:
  std::vector<TTool> FTools;
  int FSelected = -1;
};

}  // namespace fx
