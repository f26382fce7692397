// velmo_glide_recorder.h: collects recorded Glide calls for C++ tests.
//
//   vgl::CallRecorder calls;          // recording from here ...
//   drawSomething();
//   EXPECT_EQ(calls.named("grDrawTriangle").size(), 2u);
//                                     // ... to the end of the scope
#ifndef VELMO_GLIDE_RECORDER_H_
#define VELMO_GLIDE_RECORDER_H_

#include <string>
#include <vector>

#include "velmo_glide.h"

namespace vgl {

struct RecordedCall {
  std::string name;
  std::vector<double> args;
  std::vector<GrVertex> vertices;
  std::string text;
};

class CallRecorder {
 public:
  CallRecorder() { vglRecordBegin(&CallRecorder::receive, this); }
  ~CallRecorder() { vglRecordEnd(); }
  CallRecorder(const CallRecorder&) = delete;
  CallRecorder& operator=(const CallRecorder&) = delete;

  const std::vector<RecordedCall>& all() const { return calls_; }
  std::vector<RecordedCall> named(const std::string& name) const {
    std::vector<RecordedCall> out;
    for (const auto& call : calls_)
      if (call.name == name) out.push_back(call);
    return out;
  }
  // Call names in order, e.g. to compare a whole sequence at once.
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& call : calls_) out.push_back(call.name);
    return out;
  }
  void clear() { calls_.clear(); }

 private:
  static void FX_CALL receive(const VglCall* call, void* user) {
    RecordedCall copy;
    copy.name = call->name;
    copy.args.assign(call->args, call->args + call->argCount);
    copy.vertices.assign(call->vertices, call->vertices + call->vertexCount);
    if (call->text) copy.text = call->text;
    static_cast<CallRecorder*>(user)->calls_.push_back(std::move(copy));
  }
  std::vector<RecordedCall> calls_;
};

}  // namespace vgl

#endif  // VELMO_GLIDE_RECORDER_H_
