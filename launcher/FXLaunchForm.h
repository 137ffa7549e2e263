#pragma once

#include <QMainWindow>

#include <memory>

namespace Ui {
class FXLaunchForm;
}

namespace fx {

// The program's main window. It keeps its placement in the per-user settings
// ("FXLaunchFormPlacement"): restored when it is created, saved when it closes. Without
// one it starts centred on the screen.
class TFXLaunchForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFXLaunchForm(QWidget* parent = nullptr);
  ~TFXLaunchForm() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void FileExitItemClick();
  void OptionsSettingsItemClick();

 private:
  void LoadPlacement();
  void SavePlacement();
  void ShowError(const std::string& text);

  std::unique_ptr<Ui::FXLaunchForm> FUi;
};

}  // namespace fx
