#include "tools/ToolsMenu.h"

#include <QAction>
#include <QMenu>

#include "tools/FXTools.h"

namespace fx {

void BuildToolsMenu(QMenu& menu, const TToolList& tools, const std::function<void(int)>& onClick) {
  const QList<QAction*> actions = menu.actions();
  for (qsizetype i = 1; i < actions.size(); ++i) {
    menu.removeAction(actions[i]);
    // Items this function made belong to the menu; the form's own placeholder is never here.
    if (actions[i]->parent() == &menu) delete actions[i];
  }
  if (!actions.isEmpty()) actions.front()->setVisible(tools.Items.empty());
  for (std::size_t i = 0; i < tools.Items.size(); ++i) {
    const int index = static_cast<int>(i);
    auto* item = new QAction(QString::fromStdString(tools.Items[i].Title), &menu);
    item->setObjectName(QStringLiteral("ToolItem%1").arg(index));
    item->setData(index);
    QObject::connect(item, &QAction::triggered, &menu, [onClick, index] { onClick(index); });
    menu.addAction(item);
  }
}

}  // namespace fx
