#include "content/ContentFilterBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace fx {

namespace {

constexpr const char* kTypes[] = {"map", "mod", "speedmap", "episode", "mapjam", "misc"};
constexpr int kAnyYear = 1995;              // before the game: the spin box's "any"
constexpr std::uint64_t kMB = 1024 * 1024;  // as the table shows sizes

template <typename T>
T* Named(QWidget* parent, const char* name) {
  auto* control = new T(parent);
  control->setObjectName(QString::fromLatin1(name));
  return control;
}

QSpinBox* Spin(QWidget* parent, const char* name, int min, int max, const QString& suffix) {
  auto* spin = Named<QSpinBox>(parent, name);
  spin->setRange(min, max);
  spin->setSpecialValueText(QObject::tr("any"));
  spin->setSuffix(suffix);
  spin->setAccelerated(true);
  return spin;
}

void AddLabelled(QHBoxLayout* row, const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text, buddy->parentWidget());
  label->setBuddy(buddy);
  row->addWidget(label);
  row->addWidget(buddy);
}

int AnyZero(const QSpinBox* spin) {
  return spin->value() == spin->minimum() ? 0 : spin->value();
}

TTriState TriOf(const QComboBox* combo) {
  return combo->currentIndex() == 1   ? TTriState::Yes
         : combo->currentIndex() == 2 ? TTriState::No
                                      : TTriState::Any;
}

int IndexOf(TTriState state) {
  return state == TTriState::Yes ? 1 : state == TTriState::No ? 2 : 0;
}

int Megabytes(std::uint64_t bytes) {
  return static_cast<int>(std::min<std::uint64_t>((bytes + kMB / 2) / kMB, 100000));
}

}  // namespace

TContentFilterBar::TContentFilterBar(QWidget* parent) : QWidget(parent) {
  BuildRows();
  // The list below takes the dialog's height, never these rows.
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  Connect();
  FillPresets({});
}

TContentFilterBar::~TContentFilterBar() = default;

void TContentFilterBar::BuildRows() {
  FRating = Spin(this, "RatingSpin", 0, 5, {});
  FRating->setPrefix(QStringLiteral("\u2265 "));
  FUsers = Named<QDoubleSpinBox>(this, "UsersRatingSpin");
  FUsers->setRange(0, 5);
  FUsers->setSingleStep(0.25);
  FUsers->setSpecialValueText(tr("any"));
  FUsers->setPrefix(QStringLiteral("\u2265 "));
  FYearFrom = Spin(this, "YearFromSpin", kAnyYear, 2100, {});
  FYearTo = Spin(this, "YearToSpin", kAnyYear, 2100, {});
  FMinSize = Spin(this, "MinSizeSpin", 0, 100000, tr(" MB"));
  FMaxSize = Spin(this, "MaxSizeSpin", 0, 100000, tr(" MB"));
  FNeedsMod = Named<QComboBox>(this, "NeedsModCombo");
  FNeedsMod->addItems({tr("any"), tr("yes"), tr("no")});
  FSingle = Named<QCheckBox>(this, "SinglePlayerCheck");
  FSingle->setText(tr("Single pla&yer"));
  FDeathmatch = Named<QCheckBox>(this, "DeathmatchCheck");
  FDeathmatch->setText(tr("Deat&hmatch"));
  FCoop = Named<QCheckBox>(this, "CoopCheck");
  FCoop->setText(tr("&Coop"));
  FPresets = Named<QComboBox>(this, "PresetCombo");
  FPresets->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  FPresets->setMinimumContentsLength(12);
  FSave = Named<QPushButton>(this, "SavePresetBtn");
  FSave->setText(tr("Sa&ve..."));
  FSave->setToolTip(tr("Save the filters (not the search words) as a preset"));
  FDelete = Named<QPushButton>(this, "DeletePresetBtn");
  FDelete->setText(tr("&Delete"));
  FDelete->setToolTip(tr("Delete the chosen preset"));
  FClear = Named<QPushButton>(this, "ClearFiltersBtn");
  FClear->setText(tr("Cle&ar filters"));
  for (QPushButton* button : {FSave, FDelete, FClear})
    button->setAutoDefault(false);

  auto* ratings = new QHBoxLayout;
  AddLabelled(ratings, tr("Edit&ors' rating:"), FRating);
  AddLabelled(ratings, tr("Users' ratin&g:"), FUsers);
  AddLabelled(ratings, tr("Year &from:"), FYearFrom);
  AddLabelled(ratings, tr("to"), FYearTo);
  AddLabelled(ratings, tr("Si&ze from:"), FMinSize);
  AddLabelled(ratings, tr("to"), FMaxSize);
  ratings->addStretch();
  auto* modes = new QHBoxLayout;
  AddLabelled(modes, tr("&Needs a mod:"), FNeedsMod);
  for (QWidget* control : {FSingle, FDeathmatch, FCoop})
    modes->addWidget(control);
  modes->addStretch();
  AddLabelled(modes, tr("Pr&esets:"), FPresets);
  for (QWidget* control : {FSave, FDelete, FClear})
    modes->addWidget(control);
  auto* rows = new QVBoxLayout(this);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->addLayout(ratings);
  rows->addLayout(modes);
}

void TContentFilterBar::Connect() {
  const auto changed = [this] {
    if (!FQuiet) emit Changed();
  };
  for (QSpinBox* spin : {FRating, FYearFrom, FYearTo, FMinSize, FMaxSize})
    connect(spin, &QSpinBox::valueChanged, this, changed);
  connect(FUsers, &QDoubleSpinBox::valueChanged, this, changed);
  connect(FNeedsMod, &QComboBox::currentIndexChanged, this, changed);
  for (QCheckBox* check : {FSingle, FDeathmatch, FCoop})
    connect(check, &QCheckBox::toggled, this, changed);
  connect(FPresets, &QComboBox::activated, this, &TContentFilterBar::ApplyPreset);
  connect(FPresets, &QComboBox::currentIndexChanged, this,
          [this](int index) { FDelete->setEnabled(index > 0); });
  connect(FSave, &QPushButton::clicked, this, &TContentFilterBar::SavePreset);
  connect(FDelete, &QPushButton::clicked, this, &TContentFilterBar::DeletePreset);
  connect(FClear, &QPushButton::clicked, this, [this] {
    SetFilter({});
    FPresets->setCurrentIndex(0);
  });
}

void TContentFilterBar::Adopt(QComboBox* type, QComboBox* installed, QCheckBox* limits) {
  FType = type;
  FInstalled = installed;
  FLimits = limits;
  FType->addItem(tr("Any type"));
  for (const char* name : kTypes)
    FType->addItem(QString::fromLatin1(name));
  FInstalled->addItems({tr("Installed or not"), tr("Installed"), tr("Not installed")});
  const auto changed = [this] {
    if (!FQuiet) emit Changed();
  };
  connect(FType, &QComboBox::currentIndexChanged, this, changed);
  connect(FInstalled, &QComboBox::currentIndexChanged, this, changed);
  connect(FLimits, &QCheckBox::toggled, this, changed);
}

TContentFilter TContentFilterBar::Filter() const {
  TContentFilter f;
  if (FType && FType->currentIndex() > 0) f.Type = FType->currentText().toStdString();
  if (FInstalled) f.Installed = TriOf(FInstalled);
  if (FLimits) f.BeyondLimits = FLimits->isChecked();
  f.MinRating = FRating->value();
  f.MinUsersRating = FUsers->value();
  f.YearFrom = AnyZero(FYearFrom);
  f.YearTo = AnyZero(FYearTo);
  f.MinBytes = static_cast<std::uint64_t>(FMinSize->value()) * kMB;
  f.MaxBytes = static_cast<std::uint64_t>(FMaxSize->value()) * kMB;
  f.NeedsMod = TriOf(FNeedsMod);
  f.SinglePlayer = FSingle->isChecked();
  f.Deathmatch = FDeathmatch->isChecked();
  f.Coop = FCoop->isChecked();
  return f;
}

template <typename F>
void TContentFilterBar::Quietly(F&& change) {
  FQuiet = true;
  change();
  FQuiet = false;
  emit Changed();
}

void TContentFilterBar::SetFilter(const TContentFilter& f) {
  Quietly([&] {
    if (FType) {
      int type = f.Type.empty() ? 0 : FType->findText(QString::fromStdString(f.Type));
      // A type this list does not name (from a preset written elsewhere) is kept, not lost.
      if (type < 0) {
        FType->addItem(QString::fromStdString(f.Type));
        type = FType->count() - 1;
      }
      FType->setCurrentIndex(type);
    }
    if (FInstalled) FInstalled->setCurrentIndex(IndexOf(f.Installed));
    if (FLimits) FLimits->setChecked(f.BeyondLimits);
    FRating->setValue(f.MinRating);
    FUsers->setValue(f.MinUsersRating);
    FYearFrom->setValue(f.YearFrom ? f.YearFrom : kAnyYear);
    FYearTo->setValue(f.YearTo ? f.YearTo : kAnyYear);
    FMinSize->setValue(Megabytes(f.MinBytes));
    FMaxSize->setValue(Megabytes(f.MaxBytes));
    FNeedsMod->setCurrentIndex(IndexOf(f.NeedsMod));
    FSingle->setChecked(f.SinglePlayer);
    FDeathmatch->setChecked(f.Deathmatch);
    FCoop->setChecked(f.Coop);
  });
}

void TContentFilterBar::ChainTabOrder(QWidget* before, QWidget* after) {
  QWidget* previous = before;
  for (QWidget* control : std::initializer_list<QWidget*>{
           FRating, FUsers, FYearFrom, FYearTo, FMinSize, FMaxSize, FNeedsMod, FSingle, FDeathmatch,
           FCoop, FPresets, FSave, FDelete, FClear, after}) {
    setTabOrder(previous, control);
    previous = control;
  }
}

QString TContentFilterBar::SetPresetFile(std::filesystem::path file) {
  FStore = std::make_unique<TFilterPresetStore>(std::move(file));
  FStore->Load();
  FillPresets({});
  if (FStore->Problems().empty()) return {};
  QStringList problems;
  for (const std::string& problem : FStore->Problems())
    problems << QString::fromStdString(problem);
  return tr("%1: %2; the file is kept as it is until a preset is saved")
      .arg(QString::fromStdString(FStore->File().filename().string()),
           problems.join(QStringLiteral(", ")));
}

void TContentFilterBar::FillPresets(const QString& current) {
  FPresets->clear();
  FPresets->addItem(tr("(none chosen)"));
  if (FStore)
    for (const auto& [name, filter] : FStore->Presets())
      FPresets->addItem(QString::fromStdString(name));
  FPresets->setCurrentIndex(std::max(0, FPresets->findText(current)));
  FDelete->setEnabled(FPresets->currentIndex() > 0);
}

void TContentFilterBar::ApplyPreset(int index) {
  if (index <= 0 || !FStore) return;
  const auto found = FStore->Presets().find(FPresets->itemText(index).toStdString());
  if (found == FStore->Presets().end()) return;
  TContentFilter filter = found->second;
  filter.Text.clear();  // the search box keeps what the user typed
  SetFilter(filter);
}

void TContentFilterBar::SavePreset() {
  if (!FStore) return;
  const QString suggested = FPresets->currentIndex() > 0 ? FPresets->currentText() : QString();
  std::optional<QString> name;
  if (AskName) {
    name = AskName(suggested);
  } else {
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, tr("Save the filters"), tr("Name of the preset:"), QLineEdit::Normal, suggested, &ok);
    if (ok) name = text;
  }
  if (!name || name->trimmed().isEmpty()) return;
  const QString clean = name->trimmed();
  const bool malformed = !FStore->Problems().empty();
  try {
    FStore->Save(clean.toStdString(), Filter());
  } catch (const std::exception& e) {
    emit Status(tr("Preset not saved: %1").arg(QString::fromStdString(e.what())));
    return;
  }
  FillPresets(clean);
  emit Status(malformed
                  ? tr("Preset \"%1\" saved; the old file is kept as %2.malformed")
                        .arg(clean, QString::fromStdString(FStore->File().filename().string()))
                  : tr("Preset \"%1\" saved").arg(clean));
}

void TContentFilterBar::DeletePreset() {
  if (!FStore || FPresets->currentIndex() <= 0) return;
  const QString name = FPresets->currentText();
  try {
    FStore->Remove(name.toStdString());
  } catch (const std::exception& e) {
    emit Status(tr("Preset not deleted: %1").arg(QString::fromStdString(e.what())));
    return;
  }
  FillPresets({});
  emit Status(tr("Preset \"%1\" deleted").arg(name));
}

}  // namespace fx
