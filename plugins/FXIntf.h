#pragma once

// The game-type plug-in interface: the host (main window) and each game type talk only
// through the abstract classes here. Texts cross the interface as fixed-capacity,
// length-prefixed buffers that the caller owns, never as heap strings, so that a game type
// could live in a separate module with its own allocator without the interface changing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace fx {

// A length byte followed by at most Capacity 8-bit characters. Assigning a longer text
// cuts it at the capacity (never past a UTF-8 character), so no input can overflow it.
template <std::size_t Capacity>
class TFixedString {
  static_assert(Capacity > 0 && Capacity <= 255, "the length must fit into one byte");

 public:
  static constexpr std::size_t kCapacity = Capacity;

  TFixedString() = default;
  // Texts convert freely, so that a call can pass "coop 1" where a buffer is expected.
  TFixedString(std::string_view text) { Assign(text); }                            // NOLINT
  TFixedString(const char* text) : TFixedString(std::string_view(text)) {}         // NOLINT
  TFixedString(const std::string& text) : TFixedString(std::string_view(text)) {}  // NOLINT

  void Assign(std::string_view text);
  void Clear() { FBytes[0] = 0; }

  std::size_t Length() const { return FBytes[0]; }
  bool Empty() const { return FBytes[0] == 0; }
  std::string_view View() const {
    return {reinterpret_cast<const char*>(FBytes.data() + 1), Length()};
  }
  std::string Str() const { return std::string(View()); }

  friend bool operator==(const TFixedString& a, const TFixedString& b) {
    return a.View() == b.View();
  }

 private:
  std::array<std::uint8_t, Capacity + 1> FBytes{};
};

// How many bytes of `text` fit into `capacity` without cutting a UTF-8 sequence in two.
// Bytes that do not form a valid sequence count as single 8-bit characters.
std::size_t FittingLength(std::string_view text, std::size_t capacity);

template <std::size_t Capacity>
void TFixedString<Capacity>::Assign(std::string_view text) {
  const std::size_t length = FittingLength(text, Capacity);
  FBytes[0] = static_cast<std::uint8_t>(length);
  for (std::size_t i = 0; i < length; ++i)
    FBytes[i + 1] = static_cast<std::uint8_t>(text[i]);
}

// List entries, the player-class caption, the map name and the patch folder name.
using TShortName = TFixedString<100>;
// Command-line switches, script lines, the host name and registry key paths.
using TLongText = TFixedString<255>;

static_assert(sizeof(TShortName) == 101);
static_assert(sizeof(TLongText) == 256);

// What a game type claims and what the host hides for it: 23 one-byte flags, byte i at
// offset i. A plug-in starts from a cleared record and sets what it needs.
struct TPluginFeatures {
  bool OwnSkills = false;         // 0: skill list from this plug-in, else the standard one
  bool OwnMaps = false;           // 1: map list
  bool OwnPlayModes = false;      // 2: play-mode list
  bool OwnTeamplay = false;       // 3: teamplay list
  bool OwnClientExit = false;     // 4: client-exit list
  bool HasOptions = false;        // 5: "&Options..." calls ShowOptions
  bool HasServerOptions = false;  // 6: "Server &Options..." calls ShowServerOptions
  bool StoresOptions = false;     // 7: SaveOptions/LoadOptions with a configuration
  bool HasPlayerClasses = false;  // 8: player-class row and its three operations
  bool NoPatch = false;           // 9: patch panel hidden
  bool FixedMaps = false;         // 10: map box is pick-only
  bool NoMap = false;             // 11: map panel hidden, no start line
  bool NoPlayMode = false;        // 12: play-mode panel hidden, no "deathmatch %d"
  bool NoTeamplay = false;        // 13: no "teamplay %d" and no teamplay echo
  bool NoClientExit = false;      // 14: client-exit panel hidden, no "noexit %d"
  bool NoSkill = false;           // 15: skill panel hidden
  bool Reserved16 = false;        // 16-18: never consulted, always clear
  bool Reserved17 = false;
  bool Reserved18 = false;
  bool OwnDeathmatchLine = false;  // 19: the host writes no "deathmatch %d"
  bool OwnTeamplayLine = false;    // 20: the host writes no "teamplay %d"
  bool OwnNoExitLine = false;      // 21: the host writes no "noexit %d"
  bool OwnSkillLine = false;       // 22: with byte 15, the host writes no "skill %d"

  friend bool operator==(const TPluginFeatures&, const TPluginFeatures&) = default;
};

static_assert(sizeof(bool) == 1);
static_assert(sizeof(TPluginFeatures) == 23);
static_assert(offsetof(TPluginFeatures, OwnSkillLine) == 22);

inline constexpr std::size_t kPluginFeaturesSize = sizeof(TPluginFeatures);
using TFeatureBytes = std::array<std::uint8_t, kPluginFeaturesSize>;

// The record as the 23 bytes it is (0 or 1 each).
TFeatureBytes FeatureBytes(const TPluginFeatures& features);

// Opaque handles that only the host interprets: the window that owns plug-in dialogs and
// a module holding game-type pictures. 0 means none.
using TWindowHandle = std::uintptr_t;
using TModuleHandle = std::uintptr_t;

// Raised when the host calls an operation that the game type does not offer.
class EPluginError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reference-counted root of the interface. Objects are made with MakeIntf and die by the
// Release that brings the count to 0; the destructor is protected so nothing else can.
class TInterface {
 public:
  TInterface() = default;
  TInterface(const TInterface&) = delete;
  TInterface& operator=(const TInterface&) = delete;

  virtual std::int32_t AddRef();
  // Destroys the object when the count reaches 0; the result is the new count.
  virtual std::int32_t Release();
  virtual std::int32_t GetVersion() const;

  // Releases `ref` unless it is null, and nulls it so it cannot be released twice.
  template <typename T>
  static void ReleaseIntf(T*& ref) {
    if (ref == nullptr) return;
    std::exchange(ref, nullptr)->Release();
  }

 protected:
  virtual ~TInterface() = default;

 private:
  std::int32_t FRefCount = 1;
};

// Holds one reference: AddRef on copy, Release on destruction.
template <typename T>
class TIntfPtr {
 public:
  TIntfPtr() = default;
  TIntfPtr(std::nullptr_t) {}  // NOLINT: null converts freely
  TIntfPtr(const TIntfPtr& other) : FPtr(other.FPtr) {
    if (FPtr != nullptr) FPtr->AddRef();
  }
  TIntfPtr(TIntfPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
  template <typename U>
  TIntfPtr(const TIntfPtr<U>& other) : TIntfPtr(Share(other.Get())) {}  // NOLINT: upcast
  ~TIntfPtr() { TInterface::ReleaseIntf(FPtr); }

  TIntfPtr& operator=(TIntfPtr other) noexcept {
    std::swap(FPtr, other.FPtr);
    return *this;
  }

  // Takes over a reference the caller already holds (such as the count of 1 from `new`).
  static TIntfPtr Adopt(T* ptr) {
    TIntfPtr result;
    result.FPtr = ptr;
    return result;
  }
  // Adds a reference of its own.
  static TIntfPtr Share(T* ptr) {
    if (ptr != nullptr) ptr->AddRef();
    return Adopt(ptr);
  }

  T* Get() const { return FPtr; }
  T* operator->() const { return FPtr; }
  T& operator*() const { return *FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }

 private:
  T* FPtr = nullptr;
};

// Creates an interface object; the pointer holds the reference the constructor made.
template <typename T, typename... TArgs>
TIntfPtr<T> MakeIntf(TArgs&&... args) {
  return TIntfPtr<T>::Adopt(new T(std::forward<TArgs>(args)...));
}

// What the host offers to game types. The host's implementation reads and writes the
// main window's controls directly.
class TQuakeStarter : public TInterface {
 public:
  virtual std::int32_t GetSkill() = 0;
  virtual void SetSkill(std::int32_t index) = 0;
  // The map as the launch uses it: no "(None)", cut before ":", lower case.
  virtual void GetMap(TShortName& map) = 0;
  // An empty name shows "(None)".
  virtual void SetMap(const TShortName& map) = 0;
  virtual std::int32_t GetPlayMode() = 0;
  virtual void SetPlayMode(std::int32_t index) = 0;
  virtual std::int32_t GetTeamplay() = 0;
  virtual void SetTeamplay(std::int32_t index) = 0;
  virtual std::int32_t GetClientExit() = 0;
  virtual void SetClientExit(std::int32_t index) = 0;
  // Empty for "(None)".
  virtual void GetPatchDir(TShortName& dir) = 0;
  // A sub-folder of the configured patch folder.
  virtual void SetPatchDir(const TShortName& dir) = 0;
  // Listen or dedicated server.
  virtual bool IsServer() = 0;
  virtual void GetHostname(TLongText& hostname) = 0;
  virtual void SetHostname(const TLongText& hostname) = 0;
  virtual bool IsShareware() = 0;
  virtual std::int32_t GetPlayerClass() = 0;
  virtual void SetPlayerClass(std::int32_t index) = 0;
  virtual TWindowHandle GetAppHandle() = 0;
  // `flags` is a Windows message-box style (MessageBoxStyle.h); the result is the code of
  // the button pressed.
  virtual std::int32_t ShowMessageBox(const char* text, const char* caption,
                                      std::uint16_t flags) = 0;
  // Raises the program's general error with this message.
  [[noreturn]] virtual void RaiseError(const char* text) = 0;
};

// What a game type offers to the host. Operations without a default here are guarded by a
// feature byte: the host calls them only when the game type claims them, and one that a
// game type does not offer raises EPluginError instead of doing something undefined.
class TQuakePlugin : public TInterface {
 public:
  // The plug-in does not add a reference to the starter: the host keeps it alive longer.
  explicit TQuakePlugin(TQuakeStarter& starter) : FStarter(&starter) {}

  // Defaults: no switches, no script lines, nothing to prepare or activate.
  virtual void GetCmdLineSwitches(TLongText& switches);
  virtual std::int32_t GetScriptLineCount();
  virtual void GetScriptLine(std::int32_t index, TLongText& line);
  // Called once per launch before GetScriptLineCount; the host ignores the result.
  virtual bool PrepareLaunch();
  // Called at the end of every selection of this game type.
  virtual void Activate();

  virtual void GetFeatures(TPluginFeatures& features) = 0;

  virtual std::int32_t GetSkillCount();
  virtual void GetSkillName(std::int32_t index, TShortName& name);
  virtual std::int32_t GetMapCount();
  virtual void GetMapName(std::int32_t index, TShortName& name);
  virtual std::int32_t GetPlayModeCount();
  virtual void GetPlayModeName(std::int32_t index, TShortName& name);
  virtual std::int32_t GetTeamplayCount();
  virtual void GetTeamplayName(std::int32_t index, TShortName& name);
  virtual std::int32_t GetClientExitCount();
  virtual void GetClientExitName(std::int32_t index, TShortName& name);
  // True when the options changed and the host should refresh.
  virtual bool ShowOptions();
  virtual bool ShowServerOptions();
  // `keyPath`: the configuration's key below HKEY_CURRENT_USER.
  virtual void SaveOptions(const TLongText& keyPath);
  virtual void LoadOptions(const TLongText& keyPath);
  virtual void GetPlayerClassCaption(TShortName& caption);
  virtual std::int32_t GetPlayerClassCount();
  virtual void GetPlayerClassName(std::int32_t index, TShortName& name);
  // Module 0 means the host's picture library, where the number is counted from 21000.
  virtual void GetPicture(TModuleHandle& module, std::int32_t& number);

 protected:
  TQuakeStarter& Starter() const { return *FStarter; }

 private:
  [[noreturn]] void NotOffered(const char* operation) const;

  TQuakeStarter* FStarter;
};

// Writes entry `index` of a list into `name`; an index outside the list gives "".
void GetListEntry(std::span<const std::string_view> entries, std::int32_t index, TShortName& name);

}  // namespace fx
