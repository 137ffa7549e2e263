#include "launcher/LaunchConfig.h"

#include "platform/Registry.h"

namespace fx {

namespace {

constexpr int kDemoPlaybackMode = 4;
constexpr int kClientMode = 3;
constexpr int kLastServerType = 2;

}  // namespace

void WriteLaunchConfig(TRegistry& registry, const TLaunchConfig& config) {
  registry.WriteString("Gametype", config.Gametype);
  registry.WriteInteger("Skill", config.Skill);
  registry.WriteInteger("Playmode", config.Playmode);
  registry.WriteInteger("Teamplay", config.Teamplay);
  registry.WriteInteger("ClientExit", config.ClientExit);
  registry.WriteString("NewExe", config.NewExe);
  registry.WriteString("Map", config.Map);
  registry.WriteString("Patch", config.Patch);
  registry.WriteString("AddParms", JoinConfigLines(config.AddParms));
  registry.WriteInteger("QuakeMode", config.QuakeMode);
  registry.WriteInteger("MaxPlayers", config.MaxPlayers);
  registry.WriteFloat("FragLimit", config.FragLimit);
  registry.WriteFloat("TimeLimit", config.TimeLimit);
  registry.WriteString("ConnectTo", config.ConnectTo);
  registry.WriteBool("AutoAim", config.AutoAim);
  registry.WriteBool("ConLog", config.ConLog);
  registry.WriteString("Hostname", config.Hostname);
  registry.WriteBool("IgnoreGeneralCmds", config.IgnoreGeneralCmds);
  registry.WriteBool("EnableFragLimit", config.EnableFragLimit);
  registry.WriteBool("EnableTimeLimit", config.EnableTimeLimit);
}

std::string JoinConfigLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> SplitConfigLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

TOldPlayMode ReadOldPlayMode(const TRegistry& registry) {
  const int demo = registry.ReadInteger("Demo");
  const bool connectClient = registry.ReadBool("ConnectClient");
  const int serverType = registry.ReadInteger("ServerType");
  TOldPlayMode result;
  result.DemoName = registry.ReadString("DemoName");
  if (demo == 1) {
    result.DemoPlayback = true;
    result.Mode = kDemoPlaybackMode;
  } else if (connectClient) {
    result.Mode = kClientMode;
  } else if (serverType >= 0 && serverType <= kLastServerType) {
    result.Mode = serverType;
  }
  return result;
}

}  // namespace fx
