// QuakeWorld .qwd and .mvd files, as ezQuake plays them (QW-Group/ezquake-source c0e22c4:
// src/cl_demo.c CL_ProbeDemo 3498-3640, src/cl_parse.c CL_ParseServerData 1390-1640) and
// as mvdsv writes them (QW-Group/mvdsv 18d0362: src/sv_demo.c SV_MVD_SendInitialGamestate
// 1188-1520, MVDWrite_Begin 380-440), with the numbers of QW-Group/qwprot e836c32
// src/protocol.h.

#include "demos/DemoBytes.h"
#include "demos/DemoLevels.h"
#include "demos/DemoReaders.h"

namespace fx {

namespace {

// qwprot src/protocol.h:554-561. The low three bits of an .mvd block's command are its
// type, the high five the player it is meant for.
enum : int {
  dem_cmd = 0,
  dem_read = 1,
  dem_set = 2,
  dem_multiple = 3,
  dem_single = 4,
  dem_stats = 5,
  dem_all = 6,
};

// qwprot src/protocol.h:158-233.
enum : int {
  svc_nop = 1,
  svc_disconnect = 2,
  svc_updatestat = 3,  // [byte] [byte]
  svc_print = 8,       // [byte] level [string]
  svc_stufftext = 9,   // [string]
  svc_serverdata = 11,
  svc_lightstyle = 12,   // [byte] [string]
  svc_updatefrags = 14,  // [byte] [short]
  svc_setpause = 24,     // [byte]
  svc_centerprint = 26,  // [string]
  svc_killedmonster = 27,
  svc_foundsecret = 28,
  svc_finale = 31,   // [string]
  svc_cdtrack = 32,  // [byte]
  svc_sellscreen = 33,
  svc_smallkick = 34,
  svc_bigkick = 35,
  svc_updateping = 36,          // [byte] [short]
  svc_updateentertime = 37,     // [byte] [float]
  svc_updatestatlong = 38,      // [byte] [long]
  svc_muzzleflash = 39,         // [short]
  svc_updateuserinfo = 40,      // [byte] slot [long] uid [string] info
  svc_chokecount = 44,          // [byte]
  svc_modellist = 45,           // [byte] first [strings] [byte] next
  svc_soundlist = 46,           // [byte] first [strings] [byte] next
  svc_maxspeed = 49,            // [float]
  svc_entgravity = 50,          // [float]
  svc_setinfo = 51,             // [byte] slot [string] key [string] value
  svc_serverinfo = 52,          // [string] key [string] value
  svc_updatepl = 53,            // [byte] [byte]
  svc_fte_modellistshort = 60,  // [short] first [strings] [byte] next
};

// qwprot src/protocol.h:24-31: the extension words ahead of the protocol number.
constexpr std::int32_t kProtocol = 28;
constexpr std::int32_t kFte = 'F' | ('T' << 8) | ('E' << 16) | ('X' << 24);
constexpr std::int32_t kFte2 = 'F' | ('T' << 8) | ('E' << 16) | ('2' << 24);
constexpr std::int32_t kMvd1 = 'M' | ('V' << 8) | ('D' << 16) | ('1' << 24);
// ezquake src/q_shared.h:338: the client's message buffer (MSG_BUF_SIZE); a longer demo
// message is refused (src/cl_demo.c:1820).
constexpr std::int32_t kMaxMessage = 8192;
// ezquake's usercmd_t (24 bytes) and the three view angles after it.
constexpr std::size_t kUserCommand = 24 + 12;
// The netchan's two sequence numbers ahead of a .qwd message.
constexpr std::size_t kSequences = 8;

// The value of `key` in a "\key\value" info string.
std::string InfoValue(std::string_view info, std::string_view key) {
  std::size_t at = 0;
  while (at < info.size()) {
    if (info[at] == '\\') ++at;
    const std::size_t keyEnd = info.find('\\', at);
    if (keyEnd == std::string_view::npos) return {};
    const std::size_t valueEnd = std::min(info.find('\\', keyEnd + 1), info.size());
    if (info.substr(at, keyEnd - at) == key)
      return std::string(info.substr(keyEnd + 1, valueEnd - keyEnd - 1));
    at = valueEnd;
  }
  return {};
}

class TQuakeWorldReader {
 public:
  TQuakeWorldReader(TDemoSource& source, TDemoInfo& info)
      : FBuffer(source), FInfo(info), FLevels(info), FMvd(info.Format == TDemoFormat::Mvd) {}

  void Read() {
    while (!FStopped && ReadBlock()) {
    }
    FLevels.Finish();
    // Without a header, a file is a demo only once a server's data was read from it.
    if (FInfo.Protocol == 0 && !FInfo.Problem.starts_with("unknown protocol"))
      FInfo.Problem = "not a demo";
    FInfo.IsDemo = FInfo.Protocol != 0;
  }

 private:
  bool ReadBlock() {
    if (!FBuffer.Have(1)) return false;
    const std::size_t timeSize = FMvd ? 1 : 4;
    if (!FBuffer.Have(timeSize + 1)) return Truncated();
    if (FMvd)
      FLevels.Elapse(static_cast<unsigned char>(FBuffer.Data()[0]) / 1000.0);
    else
      FLevels.Time(LittleFloat(FBuffer.Data()));
    const int command = static_cast<unsigned char>(FBuffer.Data()[timeSize]);
    const std::uint64_t start = FBuffer.Offset();
    FBuffer.Skip(timeSize + 1);
    switch (command & 7) {
      case dem_cmd:
        return FBuffer.SkipAll(kUserCommand) || Truncated();
      case dem_set:
        return FBuffer.SkipAll(8) || Truncated();
      case dem_multiple:
        return ReadMessage(true);
      case dem_read:
      case dem_single:
      case dem_stats:
      case dem_all:
        if (!FMvd && (command & 7) != dem_read) return Unknown(start);
        return ReadMessage(false);
      default:
        return Unknown(start);
    }
  }

  bool ReadMessage(bool multiple) {
    std::int32_t players = -1;
    if (multiple) {
      if (!FBuffer.Have(4)) return Truncated();
      players = LittleLong(FBuffer.Data());
      FBuffer.Skip(4);
    }
    if (!FBuffer.Have(4)) return Truncated();
    const std::int32_t length = LittleLong(FBuffer.Data());
    if (length > kMaxMessage) {
      FInfo.Problem = "message longer than 8,192 bytes";
      return false;
    }
    if (length < 0) {
      FInfo.Problem = "bad message length at byte " + std::to_string(FBuffer.Offset());
      return false;
    }
    const auto size = static_cast<std::size_t>(length);
    if (!FBuffer.Have(4 + size)) return Truncated();
    std::string_view message(FBuffer.Data() + 4, size);
    // ezquake skips what an .mvd sends to no one (src/cl_demo.c:1830): hidden data.
    if (players != 0 && (FMvd || message.size() >= kSequences)) {
      if (!FMvd) message.remove_prefix(kSequences);
      ParseMessage(message);
    }
    FBuffer.Skip(4 + size);
    return true;
  }

  bool Truncated() {
    FInfo.Problem = "truncated at byte " + std::to_string(FBuffer.End());
    return false;
  }

  bool Unknown(std::uint64_t at) {
    FInfo.Problem =
        FInfo.Protocol == 0 ? "not a demo" : "unknown block at byte " + std::to_string(at);
    return false;
  }

  void ParseMessage(std::string_view message) {
    TMessageCursor cursor(message);
    int command = 0;
    while (!FStopped && cursor.Byte(command))
      if (!ParseCommand(command, cursor)) return;
  }

  bool ParseCommand(int command, TMessageCursor& cursor) {
    int slot = 0;
    std::int32_t userId = 0;
    switch (command) {
      case svc_nop:
      case svc_killedmonster:
      case svc_foundsecret:
      case svc_sellscreen:
      case svc_smallkick:
      case svc_bigkick:
        return true;
      case svc_disconnect:
        FStopped = true;
        return false;
      case svc_updatestat:
      case svc_updatepl:
      case svc_muzzleflash:
        return cursor.Skip(2);
      case svc_print:
        return cursor.Skip(1) && cursor.SkipString();
      case svc_stufftext:
        if (cursor.AtEnd()) return false;
        ReadStuffText(cursor.String());
        return true;
      case svc_centerprint:
      case svc_finale:
        return cursor.SkipString();
      case svc_serverdata:
        return ParseServerData(cursor);
      case svc_lightstyle:
        return cursor.Skip(1) && cursor.SkipString();
      case svc_updatefrags:
      case svc_updateping:
        return cursor.Skip(3);
      case svc_setpause:
      case svc_cdtrack:
      case svc_chokecount:
        return cursor.Skip(1);
      case svc_updateentertime:
      case svc_updatestatlong:
        return cursor.Skip(5);
      case svc_maxspeed:
      case svc_entgravity:
        return cursor.Skip(4);
      case svc_updateuserinfo:
        if (!cursor.Byte(slot) || !cursor.Long(userId) || cursor.AtEnd()) return false;
        ReadUserInfo(cursor.String());
        return true;
      case svc_setinfo: {
        if (!cursor.Byte(slot) || cursor.AtEnd()) return false;
        const std::string key = cursor.String();
        if (cursor.AtEnd()) return false;
        const std::string value = cursor.String();
        if (key == "name") FLevels.Player(value);
        return true;
      }
      case svc_serverinfo: {
        if (cursor.AtEnd()) return false;
        const std::string key = cursor.String();
        if (cursor.AtEnd()) return false;
        ReadServerKey(key, cursor.String());
        return true;
      }
      case svc_modellist:
      case svc_soundlist:
      case svc_fte_modellistshort:
        return ParseList(command, cursor);
      default:
        return false;
    }
  }

  // ezquake CL_ParseServerData: extension words, the protocol (24-28 in a demo), the server
  // count, the game folder, the demo time (.mvd) or the player's number (.qwd), the title,
  // and from protocol 25 on ten movement floats.
  bool ParseServerData(TMessageCursor& cursor) {
    std::int32_t protocol = 0;
    for (int words = 0; words < 4; ++words) {
      std::int32_t extensions = 0;
      if (!cursor.Long(protocol)) return false;
      if (protocol != kFte && protocol != kFte2 && protocol != kMvd1) break;
      if (!cursor.Long(extensions)) return false;
    }
    if (protocol < 24 || protocol > kProtocol) {
      FInfo.Problem = "unknown protocol " + std::to_string(protocol);
      FStopped = true;
      return false;
    }
    std::int32_t serverCount = 0;
    if (!cursor.Long(serverCount) || cursor.AtEnd()) return false;
    std::string gameDir = cursor.String();
    if (!cursor.Skip(FMvd ? 4 : 1) || cursor.AtEnd()) return false;
    std::string title = cursor.String();
    if (protocol >= 25 && !cursor.Skip(40)) return false;
    if (FInfo.Levels.empty()) {
      FInfo.Protocol = protocol;
      FInfo.GameDir = std::move(gameDir);
      FInfo.GameKind = TGameKind::Deathmatch;  // as darkplaces takes a QuakeWorld server
    }
    FLevels.StartLevel(std::move(title));
    return true;
  }

  bool ParseList(int command, TMessageCursor& cursor) {
    int first = 0;
    if (!(command == svc_fte_modellistshort ? cursor.Short(first) : cursor.Byte(first)))
      return false;
    const bool models = command != svc_soundlist;
    for (bool head = true;; head = false) {
      if (cursor.AtEnd()) return false;
      const std::string name = cursor.String();
      if (name.empty()) break;
      if (models && head && first == 0) FLevels.SetMapModel(name);
    }
    return cursor.Skip(1);
  }

  void ReadUserInfo(std::string_view info) {
    if (!InfoValue(info, "*spectator").empty()) return;
    FLevels.Player(InfoValue(info, "name"));
  }

  // mvdsv sends the server's settings as `fullserverinfo "<info>"` (src/sv_demo.c:1312).
  void ReadStuffText(std::string_view text) {
    constexpr std::string_view kFull = "fullserverinfo \"";
    if (!text.starts_with(kFull)) return;
    text.remove_prefix(kFull.size());
    text = text.substr(0, text.find('"'));
    ReadServerKey("deathmatch", InfoValue(text, "deathmatch"));
    ReadServerKey("maxclients", InfoValue(text, "maxclients"));
  }

  void ReadServerKey(std::string_view key, const std::string& value) {
    if (value.empty() || FInfo.Levels.size() > 1) return;
    if (key == "deathmatch")
      FInfo.GameKind = value == "0" ? TGameKind::Coop : TGameKind::Deathmatch;
    else if (key == "maxclients")
      FInfo.MaxClients = std::max(0, std::min(255, std::atoi(value.c_str())));
  }

  TDemoBuffer FBuffer;
  TDemoInfo& FInfo;
  TDemoLevels FLevels;
  bool FMvd;
  bool FStopped = false;
};

}  // namespace

void ReadQuakeWorldDemo(TDemoSource& source, TDemoInfo& info) {
  TQuakeWorldReader(source, info).Read();
}

}  // namespace fx
