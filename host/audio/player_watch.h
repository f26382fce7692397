// The desktop's media players, followed over MPRIS on the session bus: which
// one counts (as playerctld picks: the one playing, the one that started
// playing last when several are, else the one active last), and its track,
// position and state. All bus work happens on a thread of its own; reading
// what is known never waits for the bus.
#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace velmo {

enum class PlayerState { Stopped,
                         Playing,
                         Paused };

struct NowPlaying {
  bool present = false;  // false: no bus, or no player on it
  std::string player;    // its bus name, for messages
  int trackNumber = 1;   // in the player's track list, where it has one
  std::string artist;
  std::string title;
  PlayerState state = PlayerState::Stopped;
  int64_t lengthUs = -1;  // -1: unknown (a stream)
  // The position the player last gave, when it was given, and how fast it
  // moves from there while playing.
  int64_t positionUs = 0;
  std::chrono::steady_clock::time_point positionAt;
  double rate = 1.0;

  // The position now, moved on from the last one the player gave.
  int64_t positionNowUs(std::chrono::steady_clock::time_point now) const;
};

class PlayerWatch {
 public:
  virtual ~PlayerWatch() = default;
  virtual NowPlaying now() const = 0;
};

// Starts following the players on the session bus. With no bus it still
// returns a watch, which never sees a player.
std::unique_ptr<PlayerWatch> watchDesktopPlayers();

}  // namespace velmo
