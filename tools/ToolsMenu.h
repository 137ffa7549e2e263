#pragma once

#include <functional>

class QMenu;

namespace fx {

class TToolList;

// Fills the "&Tools" menu: every item but the first is removed and freed; the first is the
// disabled placeholder "(Empty)", shown only while there are no tools; then one item per
// tool, captioned with its title, named "ToolItem<i>" and tagged (QAction::data) with its
// index i. A click calls `onClick` with that index.
void BuildToolsMenu(QMenu& menu, const TToolList& tools, const std::function<void(int)>& onClick);

}  // namespace fx
