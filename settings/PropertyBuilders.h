#pragma once

// Builders for the property tables of TAppSettings descendants, so that a class
// declares each persisted property in one line:
//
//   BoolProperty<TFXSettings>("CloseOnExec", &TFXSettings::CloseOnExec,
//                             &TFXSettings::SetCloseOnExec)
//
// The declared default decides whether a value is written (see TAppSettings): without
// one a property is always written. Ordinal properties take the default value itself;
// texts and floats can only have the empty text and 0 as their default, so they take
// TEmptyValue::Skipped instead. Pass nullptr as the setter for a read-only property,
// which is then neither read nor written.

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "settings/AppSettings.h"

namespace fx {

// Whether a text or float property declares the empty text (or 0) as its default.
enum class TEmptyValue { Written, Skipped };

namespace detail {

template <class T>
const T& As(const TAppSettings& settings) {
  return static_cast<const T&>(settings);
}

template <class T>
T& As(TAppSettings& settings) {
  return static_cast<T&>(settings);
}

inline std::optional<std::int64_t> EmptyDefault(TEmptyValue empty) {
  return empty == TEmptyValue::Skipped ? std::optional<std::int64_t>(0) : std::nullopt;
}

// An ordinal property over a getter and a setter of any type that converts to and
// from an integer through `toOrdinal` and `fromOrdinal`.
template <class T, class V, class ToOrdinal, class FromOrdinal>
TPropertyInfo OrdinalProperty(std::string name, TPropertyType type, V (T::*get)() const,
                              void (T::*set)(V), ToOrdinal toOrdinal, FromOrdinal fromOrdinal) {
  TPropertyInfo info;
  info.Name = std::move(name);
  info.Type = type;
  info.GetOrdinal = [get, toOrdinal](const TAppSettings& s) {
    return toOrdinal((As<T>(s).*get)());
  };
  if (set)
    info.SetOrdinal = [set, fromOrdinal](TAppSettings& s, std::int64_t v) {
      (As<T>(s).*set)(fromOrdinal(v));
    };
  return info;
}

}  // namespace detail

template <class T>
TPropertyInfo IntegerProperty(std::string name, int (T::*get)() const,
                              std::type_identity_t<void (T::*)(int)> set,
                              std::optional<int> declaredDefault = std::nullopt) {
  TPropertyInfo info = detail::OrdinalProperty<T, int>(
      std::move(name), TPropertyType::Integer, get, set,
      [](int v) { return static_cast<std::int64_t>(v); },
      [](std::int64_t v) { return static_cast<int>(v); });
  if (declaredDefault) info.Default = *declaredDefault;
  return info;
}

// A single 8-bit character, stored as its code 0..255.
template <class T>
TPropertyInfo CharProperty(std::string name, char (T::*get)() const,
                           std::type_identity_t<void (T::*)(char)> set,
                           std::optional<char> declaredDefault = std::nullopt) {
  TPropertyInfo info = detail::OrdinalProperty<T, char>(
      std::move(name), TPropertyType::Char, get, set,
      [](char c) { return static_cast<std::int64_t>(static_cast<unsigned char>(c)); },
      [](std::int64_t v) { return static_cast<char>(static_cast<unsigned char>(v)); });
  if (declaredDefault) info.Default = static_cast<unsigned char>(*declaredDefault);
  return info;
}

template <class T>
TPropertyInfo BoolProperty(std::string name, bool (T::*get)() const,
                           std::type_identity_t<void (T::*)(bool)> set,
                           std::optional<bool> declaredDefault = std::nullopt) {
  TPropertyInfo info = detail::OrdinalProperty<T, bool>(
      std::move(name), TPropertyType::Enumeration, get, set,
      [](bool b) { return static_cast<std::int64_t>(b ? 1 : 0); },
      [](std::int64_t v) { return v != 0; });
  info.Identifiers = {"False", "True"};
  if (declaredDefault) info.Default = *declaredDefault ? 1 : 0;
  return info;
}

// An enumeration whose elements are named, by ordinal, in `identifiers`.
template <class T, class E>
TPropertyInfo EnumProperty(std::string name, E (T::*get)() const,
                           std::type_identity_t<void (T::*)(E)> set,
                           std::vector<std::string> identifiers,
                           std::optional<E> declaredDefault = std::nullopt) {
  static_assert(std::is_enum_v<E>);
  TPropertyInfo info = detail::OrdinalProperty<T, E>(
      std::move(name), TPropertyType::Enumeration, get, set,
      [](E e) { return static_cast<std::int64_t>(e); },
      [](std::int64_t v) { return static_cast<E>(v); });
  info.Identifiers = std::move(identifiers);
  if (declaredDefault) info.Default = static_cast<std::int64_t>(*declaredDefault);
  return info;
}

// A set of up to 32 elements as a bit mask (bit n: the element named identifiers[n]).
template <class T>
TPropertyInfo SetProperty(std::string name, std::uint32_t (T::*get)() const,
                          std::type_identity_t<void (T::*)(std::uint32_t)> set,
                          std::vector<std::string> identifiers,
                          std::optional<std::uint32_t> declaredDefault = std::nullopt) {
  TPropertyInfo info = detail::OrdinalProperty<T, std::uint32_t>(
      std::move(name), TPropertyType::Set, get, set,
      [](std::uint32_t bits) { return static_cast<std::int64_t>(bits); },
      [](std::int64_t v) { return static_cast<std::uint32_t>(v); });
  info.Identifiers = std::move(identifiers);
  if (declaredDefault) info.Default = *declaredDefault;
  return info;
}

template <class T>
TPropertyInfo FloatProperty(std::string name, double (T::*get)() const,
                            std::type_identity_t<void (T::*)(double)> set,
                            TEmptyValue zero = TEmptyValue::Written) {
  TPropertyInfo info;
  info.Name = std::move(name);
  info.Type = TPropertyType::Float;
  info.Default = detail::EmptyDefault(zero);
  info.GetFloat = [get](const TAppSettings& s) { return (detail::As<T>(s).*get)(); };
  if (set) info.SetFloat = [set](TAppSettings& s, double v) { (detail::As<T>(s).*set)(v); };
  return info;
}

template <class T>
TPropertyInfo StringProperty(std::string name, const std::string& (T::*get)() const,
                             std::type_identity_t<void (T::*)(const std::string&)> set,
                             TEmptyValue empty = TEmptyValue::Written) {
  TPropertyInfo info;
  info.Name = std::move(name);
  info.Type = TPropertyType::String;
  info.Default = detail::EmptyDefault(empty);
  info.GetString = [get](const TAppSettings& s) { return (detail::As<T>(s).*get)(); };
  if (set)
    info.SetString = [set](TAppSettings& s, const std::string& v) { (detail::As<T>(s).*set)(v); };
  return info;
}

// A list of lines owned by the object, read and written in place. Call it from a
// member function of T, which may name its private list.
template <class T>
TPropertyInfo StringListProperty(std::string name, std::vector<std::string> T::*list) {
  TPropertyInfo info;
  info.Name = std::move(name);
  info.Type = TPropertyType::StringList;
  info.List = [list](TAppSettings& s) { return &(detail::As<T>(s).*list); };
  return info;
}

// The same property, neither read nor written by Load and Save.
inline TPropertyInfo NotStored(TPropertyInfo info) {
  info.Stored = false;
  return info;
}

}  // namespace fx
