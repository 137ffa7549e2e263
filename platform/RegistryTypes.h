#pragma once

// The vocabulary shared by the registry wrapper, its backends and the file
// format: root handles, value type codes, one stored value and the error class.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace fx {

using HKEY = std::uint32_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;

inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;

// One value as Windows would hold it. REG_SZ and REG_EXPAND_SZ carry the text
// without its terminating zero; REG_DWORD is 4 bytes little-endian; every
// other type is its raw bytes (REG_MULTI_SZ with its zero separators).
struct TRegValue {
  std::uint32_t Type = REG_NONE;
  std::string Data;

  friend bool operator==(const TRegValue&, const TRegValue&) = default;
};

class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Key and value names compare like Windows compares them: ASCII letters
// without regard to case (folded to upper case, so "_" sorts after "Z"), all
// other bytes as they are.
inline char FoldCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

struct TNameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
      const auto ca = static_cast<unsigned char>(FoldCase(a[i]));
      const auto cb = static_cast<unsigned char>(FoldCase(b[i]));
      if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
  }
};

// A key or value name with a line break or a zero byte cannot be written to a
// registry file without breaking it, so no backend accepts one.
inline bool IsStorableName(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// "HKEY_CURRENT_USER" for HKEY_CURRENT_USER and so on; "" for an unknown handle.
inline std::string RootKeyName(HKEY root) {
  switch (root) {
    case HKEY_CLASSES_ROOT:
      return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER:
      return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE:
      return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS:
      return "HKEY_USERS";
    case HKEY_CURRENT_CONFIG:
      return "HKEY_CURRENT_CONFIG";
    default:
      return {};
  }
}

// The handle for a root's full name (compared without regard to case).
inline std::optional<HKEY> RootKeyFromName(std::string_view name) {
  for (const HKEY root :
       {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG})
    if (SameName(name, RootKeyName(root))) return root;
  return std::nullopt;
}

}  // namespace fx
