// NetQuake .dem files, as the quakespasm family (sezero/quakespasm f5fe178) and DarkPlaces
// (DarkPlacesEngine/darkplaces 2f25af6) play them.

#include <cctype>

#include "demos/DemoBytes.h"
#include "demos/DemoLevels.h"
#include "demos/DemoReaders.h"

namespace fx {

namespace {

// quakespasm Quake/protocol.h: the server message commands a reader can step over without
// knowing the entity layout of the protocol.
enum : int {
  svc_nop = 1,
  svc_disconnect = 2,
  svc_updatestat = 3,  // [byte] [long]
  svc_version = 4,     // [long]
  svc_setview = 5,     // [short]
  svc_time = 7,        // [float]
  svc_print = 8,       // [string]
  svc_stufftext = 9,   // [string]
  svc_setangle = 10,   // [angle3]
  svc_serverinfo = 11,
  svc_lightstyle = 12,    // [byte] [string]
  svc_updatename = 13,    // [byte] [string]
  svc_updatefrags = 14,   // [byte] [short]
  svc_updatecolors = 17,  // [byte] [byte]
  svc_setpause = 24,      // [byte]
  svc_signonnum = 25,     // [byte]
  svc_centerprint = 26,   // [string]
  svc_killedmonster = 27,
  svc_foundsecret = 28,
  svc_intermission = 30,
  svc_finale = 31,   // [string]
  svc_cdtrack = 32,  // [byte] [byte]
  svc_sellscreen = 33,
  svc_cutscene = 34,  // [string]
  svc_skybox = 37,    // [string], protocols 666 and 999
};

// quakespasm Quake/quakedef.h:85 (MAX_MSGLEN); a longer block stops its playback with
// "Demo message > MAX_MSGLEN" (Quake/cl_demo.c:143). DarkPlaces reads up to its message
// buffer, NET_MAXMESSAGE (qdefs.h:103; cl_demo.c:263).
constexpr std::int32_t kMaxMessage = 64000;
constexpr std::int32_t kMaxDarkPlacesMessage = 65536;
// darkplaces quakedef.h:178: a block of the client's own messages, which its player skips
// (cl_demo.c:257-261).
constexpr std::uint32_t kClientToServer = 0x80000000u;
// The FTE extension words quakespasm-spiked reads ahead of the protocol number
// (Shpoike/Quakespasm quakespasm/Quake/protocol.h:39-40, cl_parse.c:1325-1342).
constexpr std::int32_t kFtePext1 = 'F' | ('T' << 8) | ('E' << 16) | ('X' << 24);
constexpr std::int32_t kFtePext2 = 'F' | ('T' << 8) | ('E' << 16) | ('2' << 24);
// quakespasm Quake/protocol.h:33-34 (PRFL_SHORTANGLE, PRFL_FLOATANGLE).
constexpr std::uint32_t kShortAngle = 1u << 1;
constexpr std::uint32_t kFloatAngle = 1u << 2;

class TNetQuakeReader {
 public:
  TNetQuakeReader(TDemoSource& source, TDemoInfo& info)
      : FBuffer(source), FInfo(info), FLevels(info) {}

  void Read() {
    if (!ReadTrackLine()) {
      FInfo.Problem = kNotADemo;
      return;
    }
    FInfo.IsDemo = true;
    while (!FStopped && ReadBlock()) {
    }
    FLevels.Finish();
    if (FInfo.Problem.empty() && FInfo.Protocol == 0) FInfo.Problem = kNotADemo;
  }

 private:
  // quakespasm reads the line with fscanf("%i") and wants '\n' right after the number
  // (Quake/cl_demo.c:434); darkplaces takes digits and '-' up to the '\n' (cl_demo.c:449).
  // What both accept: an optional sign, decimal digits, '\n'.
  bool ReadTrackLine() {
    constexpr std::size_t kLongest = 16;
    FBuffer.Have(kLongest);
    std::size_t at = 0;
    const auto have = [&] { return FBuffer.Available() > at; };
    if (have() && (FBuffer.Data()[at] == '-' || FBuffer.Data()[at] == '+')) ++at;
    const std::size_t digits = at;
    while (have() && at < kLongest && std::isdigit(static_cast<unsigned char>(FBuffer.Data()[at])))
      ++at;
    if (at == digits || !have() || FBuffer.Data()[at] != '\n') return false;
    FBuffer.Skip(at + 1);
    return true;
  }

  bool ReadBlock() {
    constexpr std::size_t kHead = 16;  // length, then three view angles
    if (!FBuffer.Have(1)) return false;
    const std::uint64_t start = FBuffer.Offset();
    if (!FBuffer.Have(kHead)) return Truncated();
    const std::int32_t length = LittleLong(FBuffer.Data());
    const bool darkPlaces = FDarkPlaces;
    if (darkPlaces && (static_cast<std::uint32_t>(length) & kClientToServer) != 0) {
      const std::uint32_t skipped = static_cast<std::uint32_t>(length) & ~kClientToServer;
      FBuffer.Skip(kHead);
      return FBuffer.SkipAll(skipped) || Truncated();
    }
    const std::int32_t limit = darkPlaces ? kMaxDarkPlacesMessage : kMaxMessage;
    if (length > limit) {
      FInfo.Problem =
          darkPlaces ? "message longer than 65,536 bytes" : "message longer than 64,000 bytes";
      return false;
    }
    if (length < 0) {
      FInfo.Problem = "bad message length at byte " + std::to_string(start);
      return false;
    }
    if (!FBuffer.Have(kHead + static_cast<std::size_t>(length))) return Truncated();
    ParseMessage(std::string_view(FBuffer.Data() + kHead, static_cast<std::size_t>(length)));
    FBuffer.Skip(kHead + static_cast<std::size_t>(length));
    return true;
  }

  bool Truncated() {
    FInfo.Problem = "truncated at byte " + std::to_string(FBuffer.End());
    return false;
  }

  // Steps through the commands it can size; the first it cannot (an entity update, a sound,
  // the client data) ends the message, since nothing after it is needed.
  void ParseMessage(std::string_view message) {
    // Most blocks are datagrams: the time, then the client data, which ends what is read.
    constexpr int svc_clientdata = 15;
    if (message.size() >= 5 && message[0] == svc_time &&
        (message.size() == 5 || message[5] == svc_clientdata)) {
      FLevels.Time(LittleFloat(message.data() + 1));
      return;
    }
    TMessageCursor cursor(message);
    int command = 0;
    while (!FStopped && cursor.Byte(command)) {
      if (!ParseCommand(command, cursor)) return;
    }
  }

  bool ParseCommand(int command, TMessageCursor& cursor) {
    int slot = 0;
    float time = 0;
    switch (command) {
      case svc_nop:
      case svc_killedmonster:
      case svc_foundsecret:
      case svc_intermission:
      case svc_sellscreen:
        return true;
      case svc_disconnect:  // the block CL_Stop_f appends ends the playback
        FStopped = true;
        return false;
      case svc_updatestat:
        return cursor.Skip(5);
      case svc_version:
        return cursor.Skip(4);
      case svc_setview:
        return cursor.Skip(2);
      case svc_time:
        if (!cursor.Float(time)) return false;
        FLevels.Time(time);
        return true;
      case svc_print:
      case svc_stufftext:
      case svc_centerprint:
      case svc_finale:
      case svc_cutscene:
        return cursor.SkipString();
      case svc_skybox:
        return Fitz() && cursor.SkipString();
      case svc_setangle:
        return SkipAngles(cursor);
      case svc_serverinfo:
        return ParseServerInfo(cursor);
      case svc_lightstyle:
        return cursor.Skip(1) && cursor.SkipString();
      case svc_updatename:
        if (!cursor.Byte(slot) || cursor.AtEnd()) return false;
        FLevels.Player(cursor.String());
        return true;
      case svc_updatefrags:
        return cursor.Skip(3);
      case svc_updatecolors:
      case svc_cdtrack:
        return cursor.Skip(2);
      case svc_setpause:
      case svc_signonnum:
        return cursor.Skip(1);
      default:
        return false;
    }
  }

  bool Fitz() const { return FInfo.Protocol == 666 || FInfo.Protocol == 999; }

  // quakespasm MSG_ReadAngle: a byte, or with 999's flags a short or a float.
  bool SkipAngles(TMessageCursor& cursor) const {
    std::size_t size = 1;
    if (FInfo.Protocol == 999 && (FInfo.ProtocolFlags & kFloatAngle) != 0)
      size = 4;
    else if (FInfo.Protocol == 999 && (FInfo.ProtocolFlags & kShortAngle) != 0)
      size = 2;
    else if (FInfo.Protocol != 15 && FInfo.Protocol != 666 && FInfo.Protocol != 999)
      return false;  // other protocols' angles are not sized here
    return cursor.Skip(3 * size);
  }

  // quakespasm CL_ParseServerInfo (Quake/cl_parse.c:283-392), darkplaces CL_ParseServerInfo
  // (cl_parse.c:1678-1862): protocol, 999's flags, maxclients, game type, level title, the
  // model precache list (the world first) and the sound precache list.
  bool ParseServerInfo(TMessageCursor& cursor) {
    std::int32_t protocol = 0;
    for (int words = 0; words < 3; ++words) {
      std::int32_t extensions = 0;
      if (!cursor.Long(protocol)) return false;
      if (protocol != kFtePext1 && protocol != kFtePext2) break;
      if (!cursor.Long(extensions)) return false;
    }
    if (DemoProtocolBit(TDemoFormat::NetQuake, protocol) == 0) {
      FInfo.Problem = "unknown protocol " + std::to_string(protocol);
      if (FInfo.Protocol == 0) FInfo.Protocol = protocol;
      FStopped = true;
      return false;
    }
    std::int32_t flags = 0;
    if (protocol == 999 && !cursor.Long(flags)) return false;
    int maxClients = 0;
    int gameType = 0;
    if (!cursor.Byte(maxClients) || !cursor.Byte(gameType)) return false;
    if (FInfo.Levels.empty()) {
      FInfo.Protocol = protocol;
      FDarkPlaces = IsDarkPlacesProtocol(protocol);
      FInfo.ProtocolFlags = static_cast<std::uint32_t>(flags);
      FInfo.MaxClients = maxClients;
      FInfo.GameKind = maxClients == 1 ? TGameKind::SinglePlayer
                       : gameType == 1 ? TGameKind::Deathmatch
                                       : TGameKind::Coop;
    }
    FLevels.StartLevel(cursor.String());
    for (bool first = true;; first = false) {
      if (cursor.AtEnd()) return false;
      const std::string model = cursor.String();
      if (model.empty()) break;
      if (first) FLevels.SetMapModel(model);
    }
    while (!cursor.AtEnd())
      if (cursor.String().empty()) return true;
    return false;
  }

  static constexpr const char* kNotADemo = "not a demo";

  TDemoBuffer FBuffer;
  TDemoInfo& FInfo;
  TDemoLevels FLevels;
  bool FDarkPlaces = false;  // looked up once: every block's length rule depends on it
  bool FStopped = false;
};

}  // namespace

void ReadNetQuakeDemo(TDemoSource& source, TDemoInfo& info) {
  TNetQuakeReader(source, info).Read();
}

}  // namespace fx
