// Video files through libavformat / libavcodec / libswresample; the picture
// goes to YUV 4:2:0 through libyuv, whose converters are written for the
// processor (swscale's general path took a millisecond a frame at 640x480,
// on the writer thread that feeds the encoder).
#include "output/video_encoder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}
#include <libyuv/convert.h>

#include "audio/library_log.h"

namespace velmo {
namespace {

constexpr const char* kUsableNames = "use .mp4, .mkv or .mov";

std::string avError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// The rate the AAC encoder takes nearest to `rate` (the higher of two as near).
int aacRate(const AVCodec* aac, int rate) {
  if (!aac->supported_samplerates) return rate;
  int best = 0;
  for (const int* candidate = aac->supported_samplerates; *candidate; ++candidate) {
    const int64_t distance = std::abs(int64_t{*candidate} - rate), bestDistance = std::abs(int64_t{best} - rate);
    if (best == 0 || distance < bestDistance || (distance == bestDistance && *candidate > best)) best = *candidate;
  }
  return best;
}

}  // namespace

bool videoFormatUsable(const std::string& path, std::string* error) {
  const AVOutputFormat* format = av_guess_format(nullptr, path.c_str(), nullptr);
  if (!format) {
    *error = path + ": cannot tell the video format from the file name (" + kUsableNames + ")";
    return false;
  }
  if (avformat_query_codec(format, AV_CODEC_ID_H264, FF_COMPLIANCE_NORMAL) != 1 ||
      avformat_query_codec(format, AV_CODEC_ID_AAC, FF_COMPLIANCE_NORMAL) != 1) {
    *error = path + ": the " + format->name + " format cannot hold H.264 video with AAC sound (" + kUsableNames + ")";
    return false;
  }
  return true;
}

struct VideoEncoder::State {
  std::string path;
  VideoSettings settings;
  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  AVStream* videoStream = nullptr;
  AVStream* audioStream = nullptr;
  SwrContext* resampler = nullptr;
  AVAudioFifo* fifo = nullptr;
  AVFrame* picture = nullptr;
  AVFrame* sound = nullptr;
  AVPacket* packet = nullptr;
  std::vector<float> left, right;  // planar audio on its way to the FIFO
  int64_t videoPts = 0;
  int64_t audioPts = 0;
  bool headerWritten = false;
  bool finished = false;

  ~State() {
    if (format && headerWritten && !finished) av_write_trailer(format);
    if (format && format->pb) avio_closep(&format->pb);
    avformat_free_context(format);
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    swr_free(&resampler);
    if (fifo) av_audio_fifo_free(fifo);
    av_frame_free(&picture);
    av_frame_free(&sound);
    av_packet_free(&packet);
  }

  // `code`: the library's negative error code, or 0 when it gave none.
  bool fail(const std::string& what, int code, std::string* error) {
    *error = path + ": " + what + (code < 0 ? " (" + avError(code) + ")" : "");
    return false;
  }

  // Sends `frame` (null: flush) to `codec` and writes every packet it gives.
  bool encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string* error) {
    int result = avcodec_send_frame(codec, frame);
    if (result < 0) return fail("encoding failed", result, error);
    for (;;) {
      result = avcodec_receive_packet(codec, packet);
      if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
      if (result < 0) return fail("encoding failed", result, error);
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      result = av_interleaved_write_frame(format, packet);
      if (result < 0) return fail("cannot write", result, error);
      if (format->pb && format->pb->error < 0) return fail("cannot write", format->pb->error, error);
    }
  }

  // Interleaved stereo into the FIFO, converted to the encoder's layout and
  // rate; null flushes what the resampler holds back.
  bool resample(const float* stereo, size_t frames, std::string* error) {
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(stereo)};
    const int outCount = swr_get_out_samples(resampler, static_cast<int>(frames));
    if (outCount < 0) return fail("cannot convert the audio", outCount, error);
    if (left.size() < static_cast<size_t>(outCount)) {
      left.resize(outCount);
      right.resize(outCount);
    }
    uint8_t* planes[2] = {reinterpret_cast<uint8_t*>(left.data()), reinterpret_cast<uint8_t*>(right.data())};
    const int converted = swr_convert(resampler, planes, outCount, stereo ? in : nullptr, static_cast<int>(frames));
    if (converted < 0) return fail("cannot convert the audio", converted, error);
    if (av_audio_fifo_write(fifo, reinterpret_cast<void**>(planes), converted) < converted) {
      return fail("out of memory", 0, error);
    }
    return true;
  }

  bool drainAudio(bool all, std::string* error) {
    while (av_audio_fifo_size(fifo) >= audio->frame_size ||
           (all && av_audio_fifo_size(fifo) > 0)) {
      int count = std::min(av_audio_fifo_size(fifo), audio->frame_size);
      int result = av_frame_make_writable(sound);
      if (result < 0) return fail("out of memory", result, error);
      sound->nb_samples = count;
      av_audio_fifo_read(fifo, reinterpret_cast<void**>(sound->data), count);
      sound->pts = audioPts;
      audioPts += count;
      if (!encode(audio, audioStream, sound, error)) return false;
    }
    return true;
  }
};

VideoEncoder::VideoEncoder() = default;
VideoEncoder::~VideoEncoder() = default;

bool VideoEncoder::open(const std::string& name, const std::string& file, const VideoSettings& settings,
                        std::string* error) {
  av_log_set_level(libraryMessagesShown() ? AV_LOG_INFO : AV_LOG_QUIET);
  if (!videoFormatUsable(name, error)) return false;
  state_ = std::make_unique<State>();
  State& s = *state_;
  s.path = name;
  s.settings = settings;
  const AVOutputFormat* container = av_guess_format(nullptr, name.c_str(), nullptr);
  int result = avformat_alloc_output_context2(&s.format, container, nullptr, file.c_str());
  if (result < 0 || !s.format) return s.fail("out of memory", result, error);

  const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
  if (!h264) h264 = avcodec_find_encoder(AV_CODEC_ID_H264);
  if (!h264) return s.fail("this FFmpeg build has no H.264 encoder", 0, error);
  s.videoStream = avformat_new_stream(s.format, nullptr);
  s.video = avcodec_alloc_context3(h264);
  if (!s.videoStream || !s.video) return s.fail("out of memory", 0, error);
  s.video->width = settings.width;
  s.video->height = settings.height;
  s.video->pix_fmt = AV_PIX_FMT_YUV420P;
  s.video->time_base = AVRational{1, settings.fps};
  s.video->framerate = AVRational{settings.fps, 1};
  s.video->gop_size = settings.fps * 2;
  if (s.format->oformat->flags & AVFMT_GLOBALHEADER) s.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  av_opt_set(s.video->priv_data, "preset", settings.preset.c_str(), 0);
  av_opt_set_int(s.video->priv_data, "crf", settings.crf, 0);
  result = avcodec_open2(s.video, h264, nullptr);
  if (result < 0) return s.fail("cannot start the H.264 encoder", result, error);
  avcodec_parameters_from_context(s.videoStream->codecpar, s.video);
  s.videoStream->time_base = s.video->time_base;
  s.videoStream->avg_frame_rate = s.video->framerate;

  if (settings.sampleRate > 0) {
    const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!aac) return s.fail("this FFmpeg build has no AAC encoder", 0, error);
    s.audioStream = avformat_new_stream(s.format, nullptr);
    s.audio = avcodec_alloc_context3(aac);
    if (!s.audioStream || !s.audio) return s.fail("out of memory", 0, error);
    // The spectrum is taken from the sound as read; only the video's copy is resampled.
    const int rate = aacRate(aac, settings.sampleRate);
    s.audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
    s.audio->sample_rate = rate;
    s.audio->bit_rate = 192000;
    av_channel_layout_default(&s.audio->ch_layout, 2);
    s.audio->time_base = AVRational{1, rate};
    if (s.format->oformat->flags & AVFMT_GLOBALHEADER) s.audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    result = avcodec_open2(s.audio, aac, nullptr);
    if (result < 0) return s.fail("cannot start the AAC encoder", result, error);
    avcodec_parameters_from_context(s.audioStream->codecpar, s.audio);
    s.audioStream->time_base = s.audio->time_base;
    result = swr_alloc_set_opts2(&s.resampler, &s.audio->ch_layout, AV_SAMPLE_FMT_FLTP, rate,
                                 &s.audio->ch_layout, AV_SAMPLE_FMT_FLT, settings.sampleRate, 0, nullptr);
    if (result < 0 || swr_init(s.resampler) < 0) return s.fail("cannot convert the audio", result, error);
    s.fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, 2, s.audio->frame_size * 4);
    s.sound = av_frame_alloc();
    if (!s.fifo || !s.sound) return s.fail("out of memory", 0, error);
    s.sound->format = AV_SAMPLE_FMT_FLTP;
    av_channel_layout_copy(&s.sound->ch_layout, &s.audio->ch_layout);
    s.sound->sample_rate = rate;
    s.sound->nb_samples = s.audio->frame_size;
    if (av_frame_get_buffer(s.sound, 0) < 0) return s.fail("out of memory", 0, error);
  }

  s.picture = av_frame_alloc();
  s.packet = av_packet_alloc();
  if (!s.picture || !s.packet) return s.fail("out of memory", 0, error);
  s.picture->format = AV_PIX_FMT_YUV420P;
  s.picture->width = settings.width;
  s.picture->height = settings.height;
  if (av_frame_get_buffer(s.picture, 0) < 0) return s.fail("out of memory", 0, error);

  if (!(s.format->oformat->flags & AVFMT_NOFILE)) {
    result = avio_open(&s.format->pb, file.c_str(), AVIO_FLAG_WRITE);
    if (result < 0) return s.fail("cannot create the file", result, error);
  }
  // MP4 and MOV in fragments, one from each key frame: a render killed
  // outright (SIGKILL, power loss) leaves a file that plays up to its last
  // whole fragment, where a plain MP4 keeps its index for the end and
  // without it plays nothing. The index of fragments at the end keeps
  // seeking quick; browsers and FFmpeg open such files as any other.
  AVDictionary* muxerOptions = nullptr;
  const std::string muxer = s.format->oformat->name;
  if (muxer == "mp4" || muxer == "mov") {
    av_dict_set(&muxerOptions, "movflags", "+frag_keyframe+empty_moov+default_base_moof", 0);
  }
  result = avformat_write_header(s.format, &muxerOptions);
  av_dict_free(&muxerOptions);
  if (result < 0) return s.fail("cannot write", result, error);
  s.headerWritten = true;
  return true;
}

bool VideoEncoder::addFrame(const uint32_t* pixels, int stride, std::string* error) {
  State& s = *state_;
  int result = av_frame_make_writable(s.picture);
  if (result < 0) return s.fail("out of memory", result, error);
  // libyuv's ARGB is B, G, R, A in memory: 0x00RRGGBB as a 32-bit word. It
  // writes BT.601 studio range, the matrix players assume for this size.
  AVFrame& p = *s.picture;
  if (libyuv::ARGBToI420(reinterpret_cast<const uint8_t*>(pixels), stride * 4, p.data[0], p.linesize[0],
                         p.data[1], p.linesize[1], p.data[2], p.linesize[2], s.settings.width,
                         s.settings.height) != 0)
    return s.fail("cannot convert the picture", 0, error);
  s.picture->pts = s.videoPts++;
  return s.encode(s.video, s.videoStream, s.picture, error);
}

bool VideoEncoder::addAudio(const float* stereo, size_t frames, std::string* error) {
  State& s = *state_;
  if (!s.audio || frames == 0) return true;
  return s.resample(stereo, frames, error) && s.drainAudio(false, error);
}

bool VideoEncoder::finish(std::string* error) {
  State& s = *state_;
  if (s.audio && !(s.resample(nullptr, 0, error) && s.drainAudio(true, error))) return false;
  if (s.audio && !s.encode(s.audio, s.audioStream, nullptr, error)) return false;
  if (!s.encode(s.video, s.videoStream, nullptr, error)) return false;
  s.finished = true;
  int result = av_write_trailer(s.format);
  if (result < 0) return s.fail("cannot write", result, error);
  if (s.format->pb) {
    avio_flush(s.format->pb);
    if (s.format->pb->error < 0) return s.fail("cannot write", s.format->pb->error, error);
    result = avio_closep(&s.format->pb);
    if (result < 0) return s.fail("cannot write", result, error);
  }
  return true;
}

}  // namespace velmo
