// A one-line progress bar on standard error for long renders: one track, or
// a batch of them on the same line.
#pragma once
#include <chrono>
#include <string>

namespace velmo {

class ProgressBar {
 public:
  // `totalSeconds` of sound to render, or -1 when unknown (then only what is
  // done is shown). The bar of a batch (`ofParts`) never takes a part's
  // length as the whole.
  ProgressBar(bool enabled, double totalSeconds, bool ofParts = false);
  // The next part of a batch: `label` ("song 2 of 3") shown on the line, its
  // seconds counted after `secondsBefore` of the whole.
  void beginPart(const std::string& label, double secondsBefore);
  // The current part lasts `seconds` (-1: unknown); a bar made without a
  // total (one track, opened later) takes it as the whole.
  void partLength(double seconds);
  // `seconds` of the current part rendered.
  void update(double seconds);
  // Shows the last state and ends the line, before a message or at the end.
  void finish();

 private:
  void draw(std::chrono::steady_clock::time_point now);

  bool enabled_;
  bool totalGiven_;
  double total_;
  std::string label_;
  double before_ = 0;
  double done_ = 0;       // of the whole
  bool pending_ = false;  // updated since the line was last drawn
  bool drawn_ = false;    // something is on the line
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace velmo
