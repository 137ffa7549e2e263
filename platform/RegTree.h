#pragma once

// The keys and values of one registry root, held in memory. Keys are found
// without regard to ASCII case and keep the spelling they were created with;
// sub-keys enumerate sorted the same way, values in creation order.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryTypes.h"

namespace fx {

class TRegTree {
 public:
  struct TNamedValue {
    std::string Name;
    TRegValue Value;
  };

  struct TKey {
    std::string Name;
    std::vector<TNamedValue> Values;
    std::map<std::string, std::unique_ptr<TKey>, TNameLess> SubKeys;
  };

  TRegTree();
  TRegTree(const TRegTree& other);
  TRegTree& operator=(const TRegTree& other);
  // A tree moved from stays usable (holding an empty or the other tree).
  TRegTree(TRegTree&& other);
  TRegTree& operator=(TRegTree&& other) noexcept;
  ~TRegTree() = default;

  bool KeyExists(std::string_view path) const;
  // Creates the key and its missing parents; false when it existed already.
  bool CreateKey(std::string_view path);
  // Removes the key and everything below it; the root ("") cannot be removed.
  bool DeleteKey(std::string_view path);

  std::vector<std::string> SubKeyNames(std::string_view path) const;
  std::vector<std::string> ValueNames(std::string_view path) const;
  const TRegValue* FindValue(std::string_view path, std::string_view name) const;
  // Creates the key when it is missing; an existing value keeps its spelling
  // and its place in the order.
  void SetValue(std::string_view path, std::string_view name, TRegValue value);
  bool DeleteValue(std::string_view path, std::string_view name);

  const TKey& Root() const { return *FRoot; }
  bool Empty() const { return FRoot->Values.empty() && FRoot->SubKeys.empty(); }

  // The non-empty components of a backslash-separated path.
  static std::vector<std::string_view> SplitPath(std::string_view path);

  // Same keys, values and spellings.
  friend bool operator==(const TRegTree& a, const TRegTree& b);

 private:
  const TKey* Find(std::string_view path) const;
  TKey* Find(std::string_view path);
  TKey& FindOrCreate(std::string_view path, bool* created);

  std::unique_ptr<TKey> FRoot;
};

}  // namespace fx
