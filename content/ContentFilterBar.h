#pragma once

// The content browser's filters beyond the search box: ratings, years, sizes, needs a mod,
// the game modes, "Clear filters", and the named presets kept in the settings folder. It
// also reads the type, installed and limits controls the search row holds, so a preset
// keeps every filter. The search text is not part of a preset: a preset is a standing view
// of the catalogue, and choosing one keeps what the user is typing.

#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "content/ContentSearch.h"
#include "content/FilterPresetStore.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QSpinBox;

namespace fx {

class TContentFilterBar : public QWidget {
  Q_OBJECT

 public:
  explicit TContentFilterBar(QWidget* parent = nullptr);
  ~TContentFilterBar() override;

  // The search row's controls, filled here with their choices.
  void Adopt(QComboBox* type, QComboBox* installed, QCheckBox* limits);
  // Reads the presets of `file`; returns what could not be read, for the status line.
  QString SetPresetFile(std::filesystem::path file);
  // The filter the controls say; Text stays empty.
  TContentFilter Filter() const;
  void SetFilter(const TContentFilter& filter);
  // Puts this bar's controls into the Tab order after `before` and before `after`.
  void ChainTabOrder(QWidget* before, QWidget* after);
  // Asks the name a preset is saved under; unset: an input box.
  std::function<std::optional<QString>(const QString& suggested)> AskName;

 signals:
  void Changed();
  void Status(const QString& text);

 private:
  void BuildRows();
  void Connect();
  void FillPresets(const QString& current);
  void ApplyPreset(int index);
  void SavePreset();
  void DeletePreset();
  template <typename F>
  void Quietly(F&& change);

  QComboBox* FType = nullptr;
  QComboBox* FInstalled = nullptr;
  QCheckBox* FLimits = nullptr;
  QSpinBox* FRating = nullptr;
  QDoubleSpinBox* FUsers = nullptr;
  QSpinBox* FYearFrom = nullptr;
  QSpinBox* FYearTo = nullptr;
  QSpinBox* FMinSize = nullptr;
  QSpinBox* FMaxSize = nullptr;
  QComboBox* FNeedsMod = nullptr;
  QCheckBox* FSingle = nullptr;
  QCheckBox* FDeathmatch = nullptr;
  QCheckBox* FCoop = nullptr;
  QComboBox* FPresets = nullptr;
  QPushButton* FSave = nullptr;
  QPushButton* FDelete = nullptr;
  QPushButton* FClear = nullptr;
  std::unique_ptr<TFilterPresetStore> FStore;
  bool FQuiet = false;
};

}  // namespace fx
