// The sound server's sources through libpulse, on a private main loop that is
// driven here with a deadline, so a server that never answers cannot hold the
// player up.
#include "audio/sound_server.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <map>

namespace velmo {
namespace {

constexpr auto kPatience = std::chrono::seconds(2);

struct Answers {
  bool serverInfo = false;
  bool sourceList = false;
  std::string defaultSink, defaultSource;
  std::map<std::string, std::string> descriptions;  // source name -> description
  std::map<std::string, std::string> monitorOf;     // monitor's name -> sink's name
};

void serverInfoArrived(pa_context*, const pa_server_info* info, void* user) {
  Answers* answers = static_cast<Answers*>(user);
  if (info && info->default_sink_name) answers->defaultSink = info->default_sink_name;
  if (info && info->default_source_name) answers->defaultSource = info->default_source_name;
  answers->serverInfo = true;
}

void sourceArrived(pa_context*, const pa_source_info* info, int last, void* user) {
  Answers* answers = static_cast<Answers*>(user);
  if (last) {
    answers->sourceList = true;
    return;
  }
  if (!info || !info->name) return;
  answers->descriptions[info->name] = info->description ? info->description : info->name;
  if (info->monitor_of_sink != PA_INVALID_INDEX && info->monitor_of_sink_name)
    answers->monitorOf[info->name] = info->monitor_of_sink_name;
}

// Runs the loop until `done` holds, the connection fails or time is up.
template <typename Condition>
bool runUntil(pa_mainloop* loop, pa_context* context, std::chrono::steady_clock::time_point deadline, Condition done) {
  while (!done()) {
    const pa_context_state_t state = pa_context_get_state(context);
    if (!PA_CONTEXT_IS_GOOD(state) || std::chrono::steady_clock::now() >= deadline) return false;
    if (pa_mainloop_prepare(loop, 100000) < 0 || pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
      return false;
  }
  return true;
}

bool ask(pa_mainloop* loop, pa_context* context, Answers* answers) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
  if (!runUntil(loop, context, deadline, [&] { return pa_context_get_state(context) == PA_CONTEXT_READY; }))
    return false;
  pa_operation* info = pa_context_get_server_info(context, serverInfoArrived, answers);
  pa_operation* list = pa_context_get_source_info_list(context, sourceArrived, answers);
  const bool answered =
      info && list && runUntil(loop, context, deadline, [&] { return answers->serverInfo && answers->sourceList; });
  for (pa_operation* operation : {info, list}) {
    if (!operation) continue;
    pa_operation_cancel(operation);
    pa_operation_unref(operation);
  }
  return answered;
}

}  // namespace

bool askSoundServer(SoundServerSources* sources) {
  *sources = SoundServerSources();
  pa_mainloop* loop = pa_mainloop_new();
  if (!loop) return false;
  pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "velmo");
  Answers answers;
  const bool answered = context && ask(loop, context, &answers);
  if (context) {
    pa_context_disconnect(context);
    pa_context_unref(context);
  }
  pa_mainloop_free(loop);
  if (!answered) return false;

  for (const auto& [name, sink] : answers.monitorOf) {
    const std::string& description = answers.descriptions[name];
    sources->monitors.insert(description);
    if (sink == answers.defaultSink) sources->defaultOutputMonitor = description;
  }
  auto input = answers.descriptions.find(answers.defaultSource);
  if (input != answers.descriptions.end()) sources->defaultInput = input->second;
  return true;
}

}  // namespace velmo
