#pragma once

#include <QPointer>
#include <QWidget>

#include "plugins/PluginDialogs.h"

namespace fx {

// The game types' option dialogs on Qt: each is created for one showing, modal, and freed
// afterwards.
class TQtPluginDialogs final : public TPluginDialogs {
 public:
  // `parent` owns the dialogs while they are shown; it may be null.
  explicit TQtPluginDialogs(QWidget* parent = nullptr);

  bool ShowRogueCTF(std::int32_t& flags) override;
  bool ShowTFSettings(TTFFlags& flags) override;
  bool ShowHHOptions(std::int32_t& options) override;
  bool ShowVarimixOptions(std::int32_t& options) override;
  bool ShowCTFOptions(std::int32_t& flags) override;
  bool ShowCTFBotOptions(std::int32_t& flags) override;

 private:
  // The main window may be destroyed while this object lives; QPointer then reads null.
  QPointer<QWidget> FParent;
};

}  // namespace fx
