#include "platform/RegTree.h"

#include <algorithm>
#include <utility>

namespace fx {

namespace {

// Refused here rather than when the file is written: a broken file would
// cost every other setting in it.
void CheckStorable(std::string_view name, const char* what) {
  if (IsStorableName(name)) return;
  std::string shown;  // spelled out: a zero byte would end the message
  for (const char c : name) {
    if (c == '\r')
      shown += "\\r";
    else if (c == '\n')
      shown += "\\n";
    else if (c == '\0')
      shown += "\\0";
    else
      shown += c;
  }
  throw ERegistryException(std::string(what) + " '" + shown +
                           "' contains a line break or a zero byte and cannot be stored");
}

std::unique_ptr<TRegTree::TKey> CloneKey(const TRegTree::TKey& key) {
  auto copy = std::make_unique<TRegTree::TKey>();
  copy->Name = key.Name;
  copy->Values = key.Values;
  for (const auto& [name, sub] : key.SubKeys)
    copy->SubKeys.emplace(name, CloneKey(*sub));
  return copy;
}

bool SameKey(const TRegTree::TKey& a, const TRegTree::TKey& b) {
  if (a.Name != b.Name || a.Values.size() != b.Values.size() ||
      a.SubKeys.size() != b.SubKeys.size())
    return false;
  for (std::size_t i = 0; i < a.Values.size(); ++i)
    if (a.Values[i].Name != b.Values[i].Name || !(a.Values[i].Value == b.Values[i].Value))
      return false;
  auto ib = b.SubKeys.begin();
  for (const auto& [name, sub] : a.SubKeys) {
    if (!SameKey(*sub, *ib->second)) return false;
    ++ib;
  }
  return true;
}

auto FindNamed(std::vector<TRegTree::TNamedValue>& values, std::string_view name) {
  return std::find_if(values.begin(), values.end(),
                      [name](const TRegTree::TNamedValue& v) { return SameName(v.Name, name); });
}

}  // namespace

TRegTree::TRegTree() : FRoot(std::make_unique<TKey>()) {}

TRegTree::TRegTree(const TRegTree& other) : FRoot(CloneKey(*other.FRoot)) {}

TRegTree& TRegTree::operator=(const TRegTree& other) {
  if (this != &other) FRoot = CloneKey(*other.FRoot);
  return *this;
}

TRegTree::TRegTree(TRegTree&& other) : TRegTree() {
  FRoot.swap(other.FRoot);
}

TRegTree& TRegTree::operator=(TRegTree&& other) noexcept {
  FRoot.swap(other.FRoot);
  return *this;
}

std::vector<std::string_view> TRegTree::SplitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

const TRegTree::TKey* TRegTree::Find(std::string_view path) const {
  const TKey* key = FRoot.get();
  for (const auto part : SplitPath(path)) {
    const auto it = key->SubKeys.find(part);
    if (it == key->SubKeys.end()) return nullptr;
    key = it->second.get();
  }
  return key;
}

TRegTree::TKey* TRegTree::Find(std::string_view path) {
  return const_cast<TKey*>(std::as_const(*this).Find(path));
}

TRegTree::TKey& TRegTree::FindOrCreate(std::string_view path, bool* created) {
  const auto parts = SplitPath(path);
  for (const auto part : parts)
    CheckStorable(part, "Key name");
  TKey* key = FRoot.get();
  for (const auto part : parts) {
    auto it = key->SubKeys.find(part);
    if (it == key->SubKeys.end()) {
      auto sub = std::make_unique<TKey>();
      sub->Name = std::string(part);
      it = key->SubKeys.emplace(sub->Name, std::move(sub)).first;
      if (created) *created = true;
    }
    key = it->second.get();
  }
  return *key;
}

bool TRegTree::KeyExists(std::string_view path) const {
  return Find(path) != nullptr;
}

bool TRegTree::CreateKey(std::string_view path) {
  bool created = false;
  FindOrCreate(path, &created);
  return created;
}

bool TRegTree::DeleteKey(std::string_view path) {
  const auto parts = SplitPath(path);
  if (parts.empty()) return false;
  std::string parentPath;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i)
    parentPath.append(parts[i]).append("\\");
  TKey* parent = Find(parentPath);
  if (!parent) return false;
  const auto it = parent->SubKeys.find(parts.back());
  if (it == parent->SubKeys.end()) return false;
  parent->SubKeys.erase(it);
  return true;
}

std::vector<std::string> TRegTree::SubKeyNames(std::string_view path) const {
  std::vector<std::string> names;
  if (const TKey* key = Find(path))
    for (const auto& [name, sub] : key->SubKeys)
      names.push_back(sub->Name);
  return names;
}

std::vector<std::string> TRegTree::ValueNames(std::string_view path) const {
  std::vector<std::string> names;
  if (const TKey* key = Find(path))
    for (const auto& value : key->Values)
      names.push_back(value.Name);
  return names;
}

const TRegValue* TRegTree::FindValue(std::string_view path, std::string_view name) const {
  const TKey* key = Find(path);
  if (!key) return nullptr;
  for (const auto& value : key->Values)
    if (SameName(value.Name, name)) return &value.Value;
  return nullptr;
}

void TRegTree::SetValue(std::string_view path, std::string_view name, TRegValue value) {
  CheckStorable(name, "Value name");
  TKey& key = FindOrCreate(path, nullptr);
  const auto it = FindNamed(key.Values, name);
  if (it != key.Values.end())
    it->Value = std::move(value);
  else
    key.Values.push_back({std::string(name), std::move(value)});
}

bool TRegTree::DeleteValue(std::string_view path, std::string_view name) {
  TKey* key = Find(path);
  if (!key) return false;
  const auto it = FindNamed(key->Values, name);
  if (it == key->Values.end()) return false;
  key->Values.erase(it);
  return true;
}

bool operator==(const TRegTree& a, const TRegTree& b) {
  return SameKey(*a.FRoot, *b.FRoot);
}

}  // namespace fx
