#include "platform/Registry.h"

#include <bit>
#include <cstring>
#include <utility>

#include "platform/RegFileStore.h"

namespace fx {

namespace {

TRegistryBackend* gDefaultOverride = nullptr;

[[noreturn]] void InvalidType(const std::string& name) {
  throw ERegistryException("Invalid data type for '" + name + "'");
}

std::string LittleEndian(std::uint64_t n, int bytes) {
  std::string out(static_cast<std::size_t>(bytes), '\0');
  for (int i = 0; i < bytes; ++i)
    out[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
  return out;
}

std::uint64_t FromLittleEndian(std::string_view bytes) {
  std::uint64_t n = 0;
  for (std::size_t i = bytes.size(); i-- > 0;)
    n = (n << 8) | static_cast<unsigned char>(bytes[i]);
  return n;
}

bool IsStringType(std::uint32_t type) {
  return type == REG_SZ || type == REG_EXPAND_SZ;
}

// What Delphi reads as binary data: everything it has no own type for.
bool IsBinaryReadable(std::uint32_t type) {
  return !IsStringType(type) && type != REG_DWORD;
}

std::string UpToZero(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

}  // namespace

TRegistry::TRegistry() : FBackend(gDefaultOverride ? *gDefaultOverride : DefaultRegistryStore()) {}

TRegistry::TRegistry(TRegistryBackend& backend) : FBackend(backend) {}

TRegistry::~TRegistry() {
  try {
    CloseKey();
  } catch (...) {
    // Nothing may leave a destructor; the backend still holds the changes.
  }
}

void TRegistry::SetRootKey(HKEY root) {
  FRootKey = root;
  CloseKey();
}

std::string TRegistry::Resolve(const std::string& key) const {
  const bool relative = key.empty() || key.front() != '\\';
  std::string path = relative ? key : key.substr(1);
  while (path.ends_with('\\'))
    path.pop_back();
  if (!relative || !FKeyOpen || FCurrentPath.empty()) return path;
  return path.empty() ? FCurrentPath : FCurrentPath + "\\" + path;
}

void TRegistry::ResetKey() {
  FKeyOpen = false;
  FReadOnly = false;
  FCurrentPath.clear();
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::string path = Resolve(key);
  if (!IsStorableName(path)) return false;
  const bool created = canCreate && FBackend.CreateKey(FRootKey, path);
  if (!created && !FBackend.KeyExists(FRootKey, path)) return false;
  FKeyOpen = true;
  FReadOnly = false;
  FCurrentPath = std::move(path);
  if (created) Changed();
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  if (!OpenKey(key, false)) return false;
  FReadOnly = true;
  return true;
}

bool TRegistry::CreateKey(const std::string& key) {
  const std::string path = Resolve(key);
  if (FReadOnly || !IsStorableName(path)) throw ERegistryException("Failed to create key " + key);
  if (FBackend.CreateKey(FRootKey, path)) Changed();
  return true;
}

void TRegistry::CloseKey() {
  ResetKey();
  FlushChanged();
}

void TRegistry::Changed() {
  FChangedRoots.insert(FRootKey);
  if (!FLazyWrite) FlushChanged();
}

void TRegistry::FlushChanged() {
  while (!FChangedRoots.empty()) {
    const HKEY root = *FChangedRoots.begin();
    FBackend.Flush(root);  // on failure the root stays marked for the next try
    FChangedRoots.erase(root);
  }
}

bool TRegistry::KeyExists(const std::string& key) const {
  const std::string path = Resolve(key);
  return IsStorableName(path) && FBackend.KeyExists(FRootKey, path);
}

bool TRegistry::ValueExists(const std::string& name) const {
  return Get(name).has_value();
}

bool TRegistry::HasSubKeys() const {
  return !FBackend.SubKeyNames(FRootKey, FCurrentPath).empty();
}

std::vector<std::string> TRegistry::GetKeyNames() const {
  return FBackend.SubKeyNames(FRootKey, FCurrentPath);
}

std::vector<std::string> TRegistry::GetValueNames() const {
  return FBackend.ValueNames(FRootKey, FCurrentPath);
}

bool TRegistry::DeleteKey(const std::string& key) {
  const std::string path = Resolve(key);
  if (FReadOnly || path.empty() || !FBackend.DeleteKey(FRootKey, path)) return false;
  Changed();
  return true;
}

bool TRegistry::DeleteValue(const std::string& name) {
  if (FReadOnly || !FBackend.DeleteValue(FRootKey, FCurrentPath, name)) return false;
  Changed();
  return true;
}

std::optional<TRegValue> TRegistry::Get(const std::string& name) const {
  return FBackend.GetValue(FRootKey, FCurrentPath, name);
}

TRegValue TRegistry::GetRequired(const std::string& name) const {
  auto value = Get(name);
  if (!value) throw ERegistryException("Failed to get data for '" + name + "'");
  return std::move(*value);
}

void TRegistry::Put(const std::string& name, TRegValue value) {
  if (FReadOnly || !IsStorableName(name))
    throw ERegistryException("Failed to set data for '" + name + "'");
  FBackend.SetValue(FRootKey, FCurrentPath, name, value);
  Changed();
}

int TRegistry::GetDataSize(const std::string& name) const {
  const auto value = Get(name);
  if (!value) return -1;
  const std::size_t size = value->Data.size() + (IsStringType(value->Type) ? 1 : 0);
  return static_cast<int>(size);
}

std::optional<std::uint32_t> TRegistry::GetDataType(const std::string& name) const {
  const auto value = Get(name);
  if (!value) return std::nullopt;
  return value->Type;
}

std::string TRegistry::ReadString(const std::string& name) const {
  const auto value = Get(name);
  // An empty value of any type reads as "", as in Delphi (its size is 0).
  if (!value || (value->Data.empty() && !IsStringType(value->Type))) return {};
  if (!IsStringType(value->Type)) InvalidType(name);
  return UpToZero(value->Data);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  Put(name, {REG_SZ, UpToZero(value)});
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  Put(name, {REG_EXPAND_SZ, UpToZero(value)});
}

int TRegistry::ReadInteger(const std::string& name) const {
  const TRegValue value = GetRequired(name);
  if (value.Type != REG_DWORD || value.Data.size() != 4) InvalidType(name);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(FromLittleEndian(value.Data)));
}

void TRegistry::WriteInteger(const std::string& name, int value) {
  Put(name, {REG_DWORD, LittleEndian(static_cast<std::uint32_t>(value), 4)});
}

bool TRegistry::ReadBool(const std::string& name) const {
  return ReadInteger(name) != 0;
}

void TRegistry::WriteBool(const std::string& name, bool value) {
  WriteInteger(name, value ? 1 : 0);
}

double TRegistry::ReadFloat(const std::string& name) const {
  const TRegValue value = GetRequired(name);
  if (value.Type != REG_BINARY || value.Data.size() != sizeof(double)) InvalidType(name);
  return std::bit_cast<double>(FromLittleEndian(value.Data));
}

void TRegistry::WriteFloat(const std::string& name, double value) {
  Put(name, {REG_BINARY, LittleEndian(std::bit_cast<std::uint64_t>(value), 8)});
}

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int size) const {
  const std::string data = ReadBinary(name);
  if (size < 0 || data.size() > static_cast<std::size_t>(size)) InvalidType(name);
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  return static_cast<int>(data.size());
}

std::string TRegistry::ReadBinary(const std::string& name) const {
  TRegValue value = GetRequired(name);
  if (!IsBinaryReadable(value.Type)) InvalidType(name);
  return std::move(value.Data);
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int size) {
  if (size < 0) throw ERegistryException("Failed to set data for '" + name + "'");
  WriteBinary(name,
              std::string_view(static_cast<const char*>(buffer), static_cast<std::size_t>(size)));
}

void TRegistry::WriteBinary(const std::string& name, std::string_view data) {
  Put(name, {REG_BINARY, std::string(data)});
}

TDefaultRegistryOverride::TDefaultRegistryOverride(TRegistryBackend& backend)
    : FPrevious(std::exchange(gDefaultOverride, &backend)) {}

TDefaultRegistryOverride::~TDefaultRegistryOverride() {
  gDefaultOverride = FPrevious;
}

}  // namespace fx
