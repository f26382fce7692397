// MPRIS through GDBus, on a thread with a GMainContext of its own. Every call
// to a player is asynchronous, with a time limit, so a player that hangs holds
// up nothing; the picture reads a copy of what is known under a lock.
#include "audio/player_watch.h"

#include <gio/gio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

namespace velmo {

int64_t NowPlaying::positionNowUs(std::chrono::steady_clock::time_point now) const {
  int64_t position = positionUs;
  if (state == PlayerState::Playing && now > positionAt) {
    const double moved = std::chrono::duration<double, std::micro>(now - positionAt).count() * rate;
    position += static_cast<int64_t>(moved);
  }
  if (lengthUs > 0) position = std::min(position, lengthUs);
  return std::max<int64_t>(0, position);
}

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPlayerPrefix = "org.mpris.MediaPlayer2.";
constexpr const char* kPlayerPath = "/org/mpris/MediaPlayer2";
constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char* kTrackListInterface = "org.mpris.MediaPlayer2.TrackList";
constexpr const char* kBusName = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";
// Players send no signal as the position moves; it is asked for this often
// and moved on by the clock in between.
constexpr guint kPositionPollMs = 1000;
constexpr int kCallTimeoutMs = 2000;

// With no bus address, GIO would try to start a bus through X11; we want the
// user's bus or none.
bool sessionBusKnown() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address) return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime && access((std::string(runtime) + "/bus").c_str(), F_OK) == 0;
}

std::string stringIn(GVariant* dict, const char* key) {
  GVariant* value = g_variant_lookup_value(dict, key, nullptr);
  std::string text;
  if (value && (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING) ||
                g_variant_is_of_type(value, G_VARIANT_TYPE_OBJECT_PATH)))
    text = g_variant_get_string(value, nullptr);
  if (value && g_variant_is_of_type(value, G_VARIANT_TYPE_STRING_ARRAY)) {
    const gchar** names = g_variant_get_strv(value, nullptr);
    for (const gchar** name = names; *name; ++name) text += (text.empty() ? "" : ", ") + std::string(*name);
    g_free(names);
  }
  if (value) g_variant_unref(value);
  return text;
}

// A number players send as any integer type (MPRIS says int64;
// some send uint64 or double). `fallback` when absent.
int64_t numberIn(GVariant* dict, const char* key, int64_t fallback) {
  GVariant* value = g_variant_lookup_value(dict, key, nullptr);
  if (!value) return fallback;
  int64_t number = fallback;
  if (g_variant_is_of_type(value, G_VARIANT_TYPE_INT64)) number = g_variant_get_int64(value);
  if (g_variant_is_of_type(value, G_VARIANT_TYPE_UINT64)) number = static_cast<int64_t>(g_variant_get_uint64(value));
  if (g_variant_is_of_type(value, G_VARIANT_TYPE_INT32)) number = g_variant_get_int32(value);
  if (g_variant_is_of_type(value, G_VARIANT_TYPE_UINT32)) number = g_variant_get_uint32(value);
  if (g_variant_is_of_type(value, G_VARIANT_TYPE_DOUBLE)) number = static_cast<int64_t>(g_variant_get_double(value));
  g_variant_unref(value);
  return number;
}

struct Player {
  NowPlaying shown;
  std::string trackId;
  bool read = false;  // its properties have arrived
  bool hasTrackList = false;
  uint64_t startedPlaying = 0;  // order of the last start of play, 0: never
  uint64_t lastChange = 0;      // order of its last change of state
};

class MprisWatch : public PlayerWatch {
 public:
  MprisWatch() : context_(g_main_context_new()), cancellable_(g_cancellable_new()) {
    thread_ = std::thread([this] { run(); });
  }
  ~MprisWatch() override {
    stopping_ = true;
    g_cancellable_cancel(cancellable_);
    g_main_context_wakeup(context_);
    thread_.join();
    g_object_unref(cancellable_);
    g_main_context_unref(context_);
  }

  NowPlaying now() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
  }

 private:
  using ReplyHandler = void (MprisWatch::*)(const std::string& owner, const std::string& subject, GVariant* reply);
  struct Pending {
    MprisWatch* self;
    std::string destination;
    std::string subject;
    ReplyHandler handler;
  };
  using SignalHandler = void (MprisWatch::*)(const std::string& sender, GVariant* parameters);
  struct Subscription {
    MprisWatch* self;
    SignalHandler handler;
  };

  void run() {
    g_main_context_push_thread_default(context_);
    if (connect()) {
      while (!stopping_) g_main_context_iteration(context_, TRUE);
      disconnect();
    }
    g_main_context_pop_thread_default(context_);
  }

  bool connect() {
    if (!sessionBusKnown()) return false;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, cancellable_, nullptr);
    if (address) {
      const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                           G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
      bus_ = g_dbus_connection_new_for_address_sync(address, flags, nullptr, cancellable_, nullptr);
      g_free(address);
    }
    if (!bus_) return false;
    subscribe(kBusName, kBusName, "NameOwnerChanged", kBusPath, &MprisWatch::ownerChanged);
    subscribe(nullptr, "org.freedesktop.DBus.Properties", "PropertiesChanged", kPlayerPath,
              &MprisWatch::propertiesChanged);
    subscribe(nullptr, kPlayerInterface, "Seeked", kPlayerPath, &MprisWatch::seeked);
    call(kBusName, kBusPath, kBusName, "ListNames", nullptr, "(as)", &MprisWatch::namesListed);
    poll_ = g_timeout_source_new(kPositionPollMs);
    g_source_set_callback(poll_, &MprisWatch::pollPositions, this, nullptr);
    g_source_attach(poll_, context_);
    return true;
  }

  void disconnect() {
    g_source_destroy(poll_);
    g_source_unref(poll_);
    for (guint id : subscriptions_) g_dbus_connection_signal_unsubscribe(bus_, id);
    // Cancelled calls still answer, with an error; each frees what it holds.
    g_cancellable_cancel(cancellable_);
    while (pending_ > 0) g_main_context_iteration(context_, TRUE);
    g_dbus_connection_close_sync(bus_, nullptr, nullptr);
    g_object_unref(bus_);
  }

  void subscribe(const char* sender, const char* interface, const char* member, const char* path,
                 SignalHandler handler) {
    subscriptions_.push_back(g_dbus_connection_signal_subscribe(
        bus_, sender, interface, member, path, nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &MprisWatch::signalled,
        new Subscription{this, handler}, [](gpointer data) { delete static_cast<Subscription*>(data); }));
  }

  static void signalled(GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar*,
                        GVariant* parameters, gpointer data) {
    Subscription* subscription = static_cast<Subscription*>(data);
    (subscription->self->*subscription->handler)(sender ? sender : "", parameters);
  }

  void call(const std::string& destination, const char* path, const char* interface, const char* method,
            GVariant* arguments, const char* replyType, ReplyHandler handler, const std::string& subject = "") {
    ++pending_;
    g_dbus_connection_call(bus_, destination.c_str(), path, interface, method, arguments,
                           G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, cancellable_,
                           &MprisWatch::replied, new Pending{this, destination, subject, handler});
  }

  // A property of a player: its reply is "(v)".
  void getProperty(const std::string& owner, const char* interface, const char* name, ReplyHandler handler) {
    call(owner, kPlayerPath, "org.freedesktop.DBus.Properties", "Get", g_variant_new("(ss)", interface, name), "(v)",
         handler);
  }

  static void replied(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
    MprisWatch* self = pending->self;
    --self->pending_;
    if (!reply) return;  // gone, hung or cancelled: the other signals tell
    if (!self->stopping_) (self->*pending->handler)(pending->destination, pending->subject, reply);
    g_variant_unref(reply);
  }

  void namesListed(const std::string&, const std::string&, GVariant* reply) {
    GVariant* names = g_variant_get_child_value(reply, 0);
    GVariantIter iter;
    g_variant_iter_init(&iter, names);
    const gchar* name = nullptr;
    while (g_variant_iter_next(&iter, "&s", &name)) {
      if (g_str_has_prefix(name, kPlayerPrefix))
        call(kBusName, kBusPath, kBusName, "GetNameOwner", g_variant_new("(s)", name), "(s)", &MprisWatch::ownerFound,
             name);
    }
    g_variant_unref(names);
  }

  void ownerFound(const std::string&, const std::string& name, GVariant* reply) {
    const gchar* owner = nullptr;
    g_variant_get(reply, "(&s)", &owner);
    addPlayer(owner, name);
  }

  void ownerChanged(const std::string&, GVariant* parameters) {
    const gchar *name = nullptr, *before = nullptr, *after = nullptr;
    g_variant_get(parameters, "(&s&s&s)", &name, &before, &after);
    if (!g_str_has_prefix(name, kPlayerPrefix)) return;
    if (*before && players_.erase(before)) publish();
    if (*after) addPlayer(after, name);
  }

  void addPlayer(const std::string& owner, const std::string& name) {
    Player& player = players_[owner];
    player.shown.player = name;
    readPlayer(owner);
    getProperty(owner, kRootInterface, "HasTrackList", &MprisWatch::trackListKnown);
  }

  void readPlayer(const std::string& owner) {
    call(owner, kPlayerPath, "org.freedesktop.DBus.Properties", "GetAll", g_variant_new("(s)", kPlayerInterface),
         "(a{sv})", &MprisWatch::playerRead);
  }

  void playerRead(const std::string& owner, const std::string&, GVariant* reply) {
    auto found = players_.find(owner);
    if (found == players_.end()) return;
    GVariant* properties = g_variant_get_child_value(reply, 0);
    Player& player = found->second;
    const bool first = !player.read;
    player.read = true;
    apply(owner, player, properties, first);
    setPosition(player, numberIn(properties, "Position", player.shown.positionUs));
    g_variant_unref(properties);
    publish();
  }

  void trackListKnown(const std::string& owner, const std::string&, GVariant* reply) {
    auto found = players_.find(owner);
    if (found == players_.end()) return;
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    found->second.hasTrackList = g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN) && g_variant_get_boolean(value);
    g_variant_unref(value);
    readTrackNumber(owner, found->second);
  }

  void readTrackNumber(const std::string& owner, const Player& player) {
    if (player.hasTrackList && !player.trackId.empty())
      getProperty(owner, kTrackListInterface, "Tracks", &MprisWatch::tracksRead);
  }

  void tracksRead(const std::string& owner, const std::string&, GVariant* reply) {
    auto found = players_.find(owner);
    if (found == players_.end()) return;
    GVariant* tracks = nullptr;
    g_variant_get(reply, "(v)", &tracks);
    if (g_variant_is_of_type(tracks, G_VARIANT_TYPE("ao"))) {
      gsize count = 0;
      const gchar** ids = g_variant_get_objv(tracks, &count);
      for (gsize i = 0; i < count; ++i)
        if (found->second.trackId == ids[i]) found->second.shown.trackNumber = static_cast<int>(i) + 1;
      g_free(ids);
    }
    g_variant_unref(tracks);
    publish();
  }

  void propertiesChanged(const std::string& sender, GVariant* parameters) {
    auto found = players_.find(sender);
    if (found == players_.end()) return;
    const gchar* interface = nullptr;
    GVariant *changed = nullptr, *invalidated = nullptr;
    g_variant_get(parameters, "(&s@a{sv}@as)", &interface, &changed, &invalidated);
    if (g_strcmp0(interface, kPlayerInterface) == 0) {
      apply(sender, found->second, changed, false);
      if (g_variant_n_children(invalidated) > 0) readPlayer(sender);
      publish();
    }
    g_variant_unref(changed);
    g_variant_unref(invalidated);
  }

  void seeked(const std::string& sender, GVariant* parameters) {
    auto found = players_.find(sender);
    if (found == players_.end() || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(x)"))) return;
    gint64 position = 0;
    g_variant_get(parameters, "(x)", &position);
    setPosition(found->second, position);
    publish();
  }

  // Takes in what changed: state, track, rate.
  void apply(const std::string& owner, Player& player, GVariant* properties, bool first) {
    NowPlaying& shown = player.shown;
    const Clock::time_point now = Clock::now();
    const std::string status = stringIn(properties, "PlaybackStatus");
    if (!status.empty()) {
      const PlayerState state = status == "Playing"  ? PlayerState::Playing
                                : status == "Paused" ? PlayerState::Paused
                                                     : PlayerState::Stopped;
      if (state != shown.state || first) {
        // The clock moved the position until now; from here the new state holds.
        shown.positionUs = shown.positionNowUs(now);
        shown.positionAt = now;
        shown.state = state;
        player.lastChange = ++order_;
        if (state == PlayerState::Playing) player.startedPlaying = player.lastChange;
        if (!first) getProperty(owner, kPlayerInterface, "Position", &MprisWatch::positionRead);
      }
    }
    GVariant* rate = g_variant_lookup_value(properties, "Rate", G_VARIANT_TYPE_DOUBLE);
    if (rate) {
      shown.positionUs = shown.positionNowUs(now);
      shown.positionAt = now;
      shown.rate = g_variant_get_double(rate);
      g_variant_unref(rate);
    }
    GVariant* metadata = g_variant_lookup_value(properties, "Metadata", G_VARIANT_TYPE_VARDICT);
    if (metadata) {
      const std::string trackId = stringIn(metadata, "mpris:trackid");
      const std::string title = stringIn(metadata, "xesam:title");
      shown.artist = stringIn(metadata, "xesam:artist");
      shown.lengthUs = numberIn(metadata, "mpris:length", -1);
      // A stream changes its title, not its track: its position goes on.
      const bool newTrack = trackId != player.trackId;
      if (newTrack && !first) getProperty(owner, kPlayerInterface, "Position", &MprisWatch::positionRead);
      player.trackId = trackId;
      shown.title = title;
      if (newTrack) readTrackNumber(owner, player);
      g_variant_unref(metadata);
    }
  }

  void setPosition(Player& player, int64_t positionUs) {
    player.shown.positionUs = positionUs;
    player.shown.positionAt = Clock::now();
  }

  void positionRead(const std::string& owner, const std::string&, GVariant* reply) {
    auto found = players_.find(owner);
    if (found == players_.end()) return;
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_INT64)) setPosition(found->second, g_variant_get_int64(value));
    g_variant_unref(value);
    publish();
  }

  static gboolean pollPositions(gpointer data) {
    MprisWatch* self = static_cast<MprisWatch*>(data);
    for (const auto& [owner, player] : self->players_)
      if (player.read && player.shown.state == PlayerState::Playing)
        self->getProperty(owner, kPlayerInterface, "Position", &MprisWatch::positionRead);
    return G_SOURCE_CONTINUE;
  }

  // The player that counts: the one that started playing last among those
  // playing; with none playing, the one whose state changed last.
  void publish() {
    const Player* chosen = nullptr;
    auto rank = [](const Player& player) {
      const bool playing = player.shown.state == PlayerState::Playing;
      return std::make_tuple(playing, playing ? player.startedPlaying : player.lastChange);
    };
    for (const auto& [owner, player] : players_)
      if (player.read && (!chosen || rank(player) > rank(*chosen))) chosen = &player;
    NowPlaying shown;
    if (chosen) {
      shown = chosen->shown;
      shown.present = true;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    shown_ = shown;
  }

  GMainContext* context_;
  GCancellable* cancellable_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  // Owned by the thread:
  GDBusConnection* bus_ = nullptr;
  GSource* poll_ = nullptr;
  std::vector<guint> subscriptions_;
  int pending_ = 0;
  std::map<std::string, Player> players_;  // by unique bus name
  uint64_t order_ = 0;
  // Shared with the picture:
  mutable std::mutex mutex_;
  NowPlaying shown_;
};

}  // namespace

std::unique_ptr<PlayerWatch> watchDesktopPlayers() { return std::make_unique<MprisWatch>(); }

}  // namespace velmo
