#include "actions/ActionRunner.h"

#include "actions/ActionMessages.h"
#include "config/NumberText.h"
#include "text/Cp1251.h"

namespace vireo {

namespace {
constexpr char kProgramStep[] = "PROGRAM";
constexpr char kPowerOff[] = "POWER_OFF";
}  // namespace

// In the order the actions are compared; matches are exact, letter case too.
const ActionRunner::Keyword ActionRunner::kKeywords[] = {
    {kPowerOff, false, &ActionRunner::PowerOff},
    {"VOL_UP", false, &ActionRunner::VolumeUp},
    {"VOL_DOWN", false, &ActionRunner::VolumeDown},
    {"KEY_DOWN", true, &ActionRunner::KeyDown},
    {"PAUSE", true, &ActionRunner::Pause},
    {"SYSCOMMAND", true, &ActionRunner::SysCommand},
    {"COMMAND", true, &ActionRunner::WmCommand},
    {"PROGRAM", true, &ActionRunner::Program},
    {"HIDEMOUSE", true, &ActionRunner::HideMouse},
    {"CLOSE", true, &ActionRunner::Close},
    {"OPEN", true, &ActionRunner::Open},
};

ActionRunner::ActionRunner(CaptureEngine& engine, const ActionSeams& seams)
    : engine_(engine),
      clock_(seams.clock),
      desktop_(seams.desktop),
      caption_(seams.caption),
      windows_(seams.desktop, engine.Log()),
      countdown_(seams.clock, seams.shutdown, seams.caption, engine.Log()),
      volume_(seams.volume) {}

void ActionRunner::Start() {
  clock_.StampTime(lastActionTime_);
  countdown_.Reset();
}

void ActionRunner::Tick() {
  caption_.SetRunLamp(engine_.State().Get() != kStopped);
  for (int run = 0;; ++run) {
    if (run == kMaxCommandsPerTick) {
      if (!engine_.Queue().Empty()) engine_.Log().AppendLog(msg::kDrainCut);
      break;
    }
    const std::string name = engine_.Queue().Pop();
    if (name.empty()) break;
    engine_.Log().AppendLog("(" + name + ")");
    RunCommand(name);
  }
  if (countdown_.Pending()) {
    countdown_.ShutdownTick();
  } else if (ElapsedMs(clock_, lastActionTime_) > kHoldMs && caption_.CaptionShown()) {
    caption_.HideCaption();
  }
}

void ActionRunner::RunCommand(const std::string& name) {
  const std::string section = "COMMAND" + name;
  SharedConfig& config = engine_.Config();
  Command c;
  // All six keys, always in this order.
  c.descr = config.GetString(section, "Descr");
  c.action = config.GetString(section, "Action");
  c.param1 = config.GetString(section, "Param1");
  c.param2 = config.GetString(section, "Param2");
  c.param3 = config.GetString(section, "Param3");
  const std::string value = UpperCase1251(config.GetString(section, "Value"));

  // Program steps pass the hold; handset commands meet it.
  if (caption_.CaptionShown() && value != kProgramStep) {
    if (countdown_.Pending() && c.action != kPowerOff) {
      countdown_.CancelShutdown();
    } else {
      engine_.Log().AppendLog(msg::kSkip);
    }
    return;
  }
  clock_.StampTime(lastActionTime_);
  for (const Keyword& keyword : kKeywords) {
    if (c.action != keyword.action) continue;
    if (keyword.descrCaption) caption_.SetCaptionText(c.descr);
    (this->*keyword.work)(c);
    caption_.ShowCaption();
    return;
  }
  engine_.Log().AppendLog(msg::kUnknownCommandPrefix + c.action);
}

void ActionRunner::PowerOff(const Command&) { countdown_.RequestShutdown(); }

void ActionRunner::VolumeUp(const Command&) {
  caption_.SetCaptionText(MasterVolume::VolumeCaption(volume_.VolumeUp(), '+'));
}

void ActionRunner::VolumeDown(const Command&) {
  caption_.SetCaptionText(MasterVolume::VolumeCaption(volume_.VolumeDown(), '-'));
}

void ActionRunner::Pause(const Command& c) { windows_.PauseFor(ParseDecimal(c.param1)); }

void ActionRunner::Program(const Command& c) {
  // The configuration's own SLEEP_TIMESMALL: the engine's copy belongs to the
  // worker, which may be reading it in at this moment.
  const std::int32_t pauseMs = engine_.Config().GetInt("CONFIG", "SLEEP_TIMESMALL");
  engine_.Queue().Push(c.param1, pauseMs, desktop_);
}

void ActionRunner::Close(const Command& c) { windows_.PostToWindows(c.param1, {kWmClose, 0, 0}); }

void ActionRunner::Open(const Command& c) { windows_.LaunchProgram(c.param1, c.param2, c.param3); }

void ActionRunner::Post(const std::string& pattern, std::uint32_t message, const Command& c) {
  windows_.PostToWindows(pattern, {message, ParseHex(c.param1), ParseHex(c.param2)});
}

}  // namespace vireo
