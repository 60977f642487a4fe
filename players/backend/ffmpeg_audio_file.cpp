#include "players/backend/ffmpeg_audio_file.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "saver/core/media_device_error.h"

namespace lumora {

namespace {

struct FormatCloser {
  void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct CodecFreer {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct SwrFreer {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};

std::string avError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// How many packets may be read without a decoded frame before the file
// counts as unplayable (a text file that the probe took for MP3, say).
constexpr int kMaxPacketsWithoutFrame = 2000;

}  // namespace

struct FfmpegAudioFile::Codec {
  std::unique_ptr<AVFormatContext, FormatCloser> format;
  std::unique_ptr<AVCodecContext, CodecFreer> decoder;
  std::unique_ptr<SwrContext, SwrFreer> resampler;
  std::unique_ptr<AVPacket, PacketFreer> packet{av_packet_alloc()};
  std::unique_ptr<AVFrame, FrameFreer> frame{av_frame_alloc()};
  int stream = -1;
  bool draining = false;  // the demuxer has ended; the decoder is flushed
  bool done = false;

  // Converts the frame in `frame` to interleaved stereo at kRate.
  void convert(std::vector<std::int16_t>& pcm) {
    AVFrame* f = frame.get();
    if (!resampler) {
      SwrContext* s = nullptr;
      AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
      AVChannelLayout in;
      if (f->ch_layout.nb_channels > 0)
        av_channel_layout_copy(&in, &f->ch_layout);
      else
        av_channel_layout_default(&in, decoder->ch_layout.nb_channels > 0 ? decoder->ch_layout.nb_channels : 1);
      const int rc = swr_alloc_set_opts2(&s, &out, AV_SAMPLE_FMT_S16, kRate, &in, AVSampleFormat(f->format),
                                         f->sample_rate, 0, nullptr);
      av_channel_layout_uninit(&in);
      if (rc < 0 || !s || swr_init(s) < 0) {
        swr_free(&s);
        throw MediaDeviceError("The audio of this file cannot be converted.");
      }
      resampler.reset(s);
    }
    const int capacity = swr_get_out_samples(resampler.get(), f->nb_samples);
    if (capacity <= 0) {
      pcm.clear();
      return;
    }
    pcm.resize(std::size_t(capacity) * kChannels);
    std::uint8_t* outData[1] = {reinterpret_cast<std::uint8_t*>(pcm.data())};
    const int got = swr_convert(resampler.get(), outData, capacity, const_cast<const std::uint8_t**>(f->extended_data),
                                f->nb_samples);
    pcm.resize(got > 0 ? std::size_t(got) * kChannels : 0);
  }

  // The next decoded piece; false at the end.
  bool decode(std::vector<std::int16_t>& pcm) {
    int packetsWithoutFrame = 0;
    while (!done) {
      const int rc = avcodec_receive_frame(decoder.get(), frame.get());
      if (rc == 0) {
        if (frame->nb_samples <= 0 || frame->sample_rate <= 0) continue;
        convert(pcm);
        av_frame_unref(frame.get());
        if (!pcm.empty()) return true;
        continue;
      }
      if (rc == AVERROR_EOF) {
        done = true;
        break;
      }
      if (rc != AVERROR(EAGAIN)) {
        done = true;
        break;
      }
      if (draining) {
        done = true;
        break;
      }
      if (++packetsWithoutFrame > kMaxPacketsWithoutFrame) {
        done = true;
        break;
      }
      const int read = av_read_frame(format.get(), packet.get());
      if (read < 0) {
        draining = true;
        avcodec_send_packet(decoder.get(), nullptr);
        continue;
      }
      if (packet->stream_index == stream) {
        // A damaged packet is skipped; the decoder goes on with the next.
        avcodec_send_packet(decoder.get(), packet.get());
      }
      av_packet_unref(packet.get());
    }
    // What the resampler still holds.
    if (resampler) {
      const int capacity = swr_get_out_samples(resampler.get(), 0);
      if (capacity > 0) {
        pcm.resize(std::size_t(capacity) * kChannels);
        std::uint8_t* outData[1] = {reinterpret_cast<std::uint8_t*>(pcm.data())};
        const int got = swr_convert(resampler.get(), outData, capacity, nullptr, 0);
        if (got > 0) {
          pcm.resize(std::size_t(got) * kChannels);
          return true;
        }
      }
    }
    pcm.clear();
    return false;
  }
};

FfmpegAudioFile::FfmpegAudioFile(const std::string& path) : codec_(std::make_unique<Codec>()) {
  av_log_set_level(AV_LOG_QUIET);
  if (!codec_->packet || !codec_->frame) throw MediaDeviceError("Out of memory.");
  AVFormatContext* f = nullptr;
  int rc = avformat_open_input(&f, path.c_str(), nullptr, nullptr);
  if (rc < 0) throw MediaDeviceError("Cannot open " + path + ": " + avError(rc));
  codec_->format.reset(f);
  rc = avformat_find_stream_info(f, nullptr);
  if (rc < 0) throw MediaDeviceError("Cannot read " + path + ": " + avError(rc));
  const AVCodec* decoder = nullptr;
  codec_->stream = av_find_best_stream(f, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (codec_->stream < 0 || !decoder) throw MediaDeviceError("No playable audio in " + path + ".");
  const AVStream* st = f->streams[codec_->stream];
  codec_->decoder.reset(avcodec_alloc_context3(decoder));
  if (!codec_->decoder) throw MediaDeviceError("Out of memory.");
  if (avcodec_parameters_to_context(codec_->decoder.get(), st->codecpar) < 0 ||
      avcodec_open2(codec_->decoder.get(), decoder, nullptr) < 0)
    throw MediaDeviceError("The audio of " + path + " cannot be decoded.");

  if (f->duration != AV_NOPTS_VALUE && f->duration > 0)
    lengthMs_ = f->duration / (AV_TIME_BASE / 1000);
  else if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
    lengthMs_ = av_rescale_q(st->duration, st->time_base, AVRational{1, 1000});

  if (!codec_->decode(first_)) throw MediaDeviceError("The audio of " + path + " cannot be decoded.");
}

std::int64_t FfmpegAudioFile::scanLengthMs(const std::string& path, const std::atomic<bool>& stop) {
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return 0;
  std::unique_ptr<AVFormatContext, FormatCloser> f(raw);
  if (avformat_find_stream_info(raw, nullptr) < 0) return 0;
  const int stream = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (stream < 0) return 0;
  std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
  if (!packet) return 0;
  // Some muxers leave every time stamp at 0 and give only durations: take
  // the larger of the last end and the sum of the durations.
  std::int64_t lastEnd = 0, sum = 0;
  while (!stop && av_read_frame(raw, packet.get()) >= 0) {
    if (packet->stream_index == stream && packet->duration > 0) {
      sum += packet->duration;
      if (packet->pts != AV_NOPTS_VALUE) lastEnd = std::max(lastEnd, packet->pts + packet->duration);
    }
    av_packet_unref(packet.get());
  }
  if (stop) return 0;
  return av_rescale_q(std::max(lastEnd, sum), raw->streams[stream]->time_base, AVRational{1, 1000});
}

FfmpegAudioFile::~FfmpegAudioFile() = default;

bool FfmpegAudioFile::next(std::vector<std::int16_t>& pcm) {
  if (!firstTaken_) {
    firstTaken_ = true;
    pcm.swap(first_);
    first_.clear();
    return true;
  }
  try {
    return codec_->decode(pcm);
  } catch (const MediaDeviceError&) {
    pcm.clear();
    return false;
  }
}

}  // namespace lumora
