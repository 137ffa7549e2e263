#pragma once

// The plan of an install shown for the user's word before anything is written: the
// package, its layout and folder, the bytes it needs against the free space, every target
// path with the file it replaces (and that file's package), a tick per replaced file, the
// folder choice where the layout leaves one, and why it cannot be installed when it cannot.

#include <QDialog>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "installer/InstallPlan.h"

namespace Ui {
class InstallPlanDlg;
}

namespace fx {

class TInstallPlanDlg : public QDialog {
  Q_OBJECT

 public:
  // Plans again with another folder (`into`) or the answers given so far.
  using TReplan = std::function<TInstallPlan(const std::string& into,
                                             const std::map<std::string, TReplaceAnswer>&)>;

  TInstallPlanDlg(TInstallPlan plan, std::string archiveName, std::vector<std::string> into,
                  TReplan replan, QWidget* parent = nullptr);
  ~TInstallPlanDlg() override;

  // After OK: the plan to install (installable), the folder and the answers it was made with.
  const TInstallPlan& Plan() const { return FPlan; }
  const std::string& Into() const { return FInto; }
  const std::map<std::string, TReplaceAnswer>& Answers() const { return FAnswers; }

 protected:
  void accept() override;

 private:
  void ShowPlan();
  void GatherAnswers();
  void IntoChange(int index);

  std::unique_ptr<Ui::InstallPlanDlg> FUi;
  TInstallPlan FPlan;
  TReplan FReplan;
  std::string FInto;
  std::map<std::string, TReplaceAnswer> FAnswers;
};

}  // namespace fx
