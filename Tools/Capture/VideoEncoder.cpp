// The export's ffmpeg side: one muxer, one video and one audio encoder, each behind its own
// handle, fed from a worker thread.
#include "Capture/VideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// x264 decides some things per thread (frame-thread lookahead), so its output depends on the
// thread count: a fixed count keeps the bytes the same on every machine.
constexpr int kVideoThreads = 2;
constexpr int kSlots = 3;  // frames in flight between the renderer and the worker
constexpr int64_t kAacBitRate = 192000;

struct OutputFree {
    void operator()(AVFormatContext* context) const {
        if (context->pb != nullptr) avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
struct CodecFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFree {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};
class Dictionary {
public:
    Dictionary() = default;
    ~Dictionary() { av_dict_free(&entries); }
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;
    AVDictionary** Address() { return &entries; }

private:
    AVDictionary* entries = nullptr;
};

std::string AvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// d[y * scale + j][x * scale + i] = s[y][x] & 0xFFFFFF for i, j < scale: the key byte is dropped
// so the unused fourth byte of every output pixel is 0.
void Upscale(const uint32_t* source, int32_t width, int32_t height, int scale, uint8_t* target, int stride) {
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* in = source + static_cast<int64_t>(y) * width;
        auto* first = reinterpret_cast<uint32_t*>(target + static_cast<int64_t>(y) * scale * stride);
        uint32_t* out = first;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t pixel = in[x] & 0xFFFFFF;
            for (int i = 0; i < scale; ++i) *out++ = pixel;
        }
        for (int j = 1; j < scale; ++j) {
            std::memcpy(target + (static_cast<int64_t>(y) * scale + j) * stride, first,
                        static_cast<size_t>(width) * scale * 4);
        }
    }
}

}  // namespace

struct VideoEncoder::State {
    VideoSettings settings;
    MusicSpan music;
    int64_t frameCount = 0;
    int64_t musicFrames = 0;  // sample frames in the file: the frames' duration at 44100 Hz
    int64_t musicWritten = 0;
    int64_t framesEncoded = 0;
    AVRational frameRate{60, 1};
    std::string partPath;
    bool fileCreated = false;
    bool finished = false;

    std::unique_ptr<AVFormatContext, OutputFree> output;
    std::unique_ptr<AVCodecContext, CodecFree> video;
    std::unique_ptr<AVCodecContext, CodecFree> audio;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    std::unique_ptr<AVFrame, FrameFree> picture;   // what the video encoder gets
    std::unique_ptr<AVFrame, FrameFree> upscaled;  // RGB at the output size, before colour conversion
    std::unique_ptr<AVFrame, FrameFree> sound;
    std::unique_ptr<SwsContext, ScalerFree> scaler;
    std::unique_ptr<AVPacket, PacketFree> packet;

    // Hand-over between the rendering thread and the worker.
    std::vector<std::vector<uint32_t>> slots;
    std::vector<int> freeSlots;
    std::deque<int> readySlots;
    std::mutex mutex;
    std::condition_variable changed;
    bool closing = false;
    bool failed = false;
    std::string failure;
    std::thread worker;

    ~State() {
        StopWorker();
        if (fileCreated && !finished) {
            output.reset();
            std::error_code ignored;
            std::filesystem::remove(partPath, ignored);
        }
    }

    int OutputWidth() const { return settings.sourceWidth * settings.scale; }
    int OutputHeight() const { return settings.sourceHeight * settings.scale; }

    // Music sample frames that belong to the first `frames` video frames, rounded to the nearest.
    int64_t MusicEnd(int64_t frames) const {
        const int64_t num = frameRate.num, den = frameRate.den;
        return (2 * frames * den * kMusicRate + num) / (2 * num);
    }

    bool OpenVideo(std::string* error) {
        const char* name = settings.lossless ? "ffv1" : "libx264";
        const AVCodec* codec = avcodec_find_encoder_by_name(name);
        if (codec == nullptr) {
            *error = std::string("this ffmpeg has no ") + name + " encoder";
            return false;
        }
        video.reset(avcodec_alloc_context3(codec));
        if (!video) {
            *error = "out of memory";
            return false;
        }
        AVCodecContext& c = *video;
        c.width = OutputWidth();
        c.height = OutputHeight();
        c.framerate = frameRate;
        c.time_base = av_inv_q(frameRate);
        c.thread_count = kVideoThreads;
        c.flags |= AV_CODEC_FLAG_BITEXACT;
        if ((output->oformat->flags & AVFMT_GLOBALHEADER) != 0) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (settings.lossless) {
            c.pix_fmt = AV_PIX_FMT_BGR0;  // the canvas's own byte order: B, G, R, key
            c.level = 3;                  // slices, so the encoder can use its threads
            c.slices = 4;
            c.thread_type = FF_THREAD_SLICE;
            av_opt_set_int(c.priv_data, "slicecrc", 1, 0);
        } else {
            c.pix_fmt = AV_PIX_FMT_YUV420P;
            // The conversion below uses the BT.601 matrix into limited range; say so, or players
            // guess BT.709 for the larger sizes and shift every colour.
            c.colorspace = AVCOL_SPC_SMPTE170M;
            c.color_range = AVCOL_RANGE_MPEG;
            c.color_primaries = AVCOL_PRI_BT709;
            c.color_trc = AVCOL_TRC_IEC61966_2_1;
            if (av_opt_set(c.priv_data, "preset", settings.preset.c_str(), 0) < 0) {
                *error = "unknown x264 preset: " + settings.preset;
                return false;
            }
            av_opt_set_double(c.priv_data, "crf", settings.quality, 0);
        }
        const int opened = avcodec_open2(&c, codec, nullptr);
        if (opened < 0) {
            *error = std::string("the ") + name + " encoder cannot start: " + AvError(opened);
            return false;
        }
        videoStream = avformat_new_stream(output.get(), nullptr);
        if (videoStream == nullptr || avcodec_parameters_from_context(videoStream->codecpar, &c) < 0) {
            *error = "cannot add the video stream";
            return false;
        }
        videoStream->time_base = c.time_base;
        videoStream->avg_frame_rate = frameRate;

        picture.reset(av_frame_alloc());
        if (!picture) return OutOfMemory(error);
        picture->format = c.pix_fmt;
        picture->width = c.width;
        picture->height = c.height;
        if (av_frame_get_buffer(picture.get(), 0) < 0) return OutOfMemory(error);
        if (!settings.lossless) {
            if (settings.scale > 1) {
                upscaled.reset(av_frame_alloc());
                if (!upscaled) return OutOfMemory(error);
                upscaled->format = AV_PIX_FMT_BGR0;
                upscaled->width = c.width;
                upscaled->height = c.height;
                if (av_frame_get_buffer(upscaled.get(), 0) < 0) return OutOfMemory(error);
            }
            // Same size in and out: only the colours are converted. Point sampling takes each
            // 2 x 2 chroma block from the pixels inside it, so upscaled pixels keep their colour.
            scaler.reset(sws_getContext(c.width, c.height, AV_PIX_FMT_BGR0, c.width, c.height,
                                        AV_PIX_FMT_YUV420P, SWS_POINT | SWS_ACCURATE_RND | SWS_BITEXACT,
                                        nullptr, nullptr, nullptr));
            if (!scaler) {
                *error = "cannot set up the colour conversion";
                return false;
            }
        }
        return true;
    }

    bool OpenAudio(std::string* error) {
        const char* name = settings.lossless ? "flac" : "aac";
        const AVCodec* codec = avcodec_find_encoder_by_name(name);
        if (codec == nullptr) {
            *error = std::string("this ffmpeg has no ") + name + " encoder";
            return false;
        }
        audio.reset(avcodec_alloc_context3(codec));
        if (!audio) return OutOfMemory(error);
        AVCodecContext& c = *audio;
        c.sample_fmt = settings.lossless ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLTP;
        c.sample_rate = kMusicRate;
        av_channel_layout_default(&c.ch_layout, 2);
        c.time_base = AVRational{1, kMusicRate};
        if (!settings.lossless) c.bit_rate = kAacBitRate;
        c.thread_count = 1;
        c.flags |= AV_CODEC_FLAG_BITEXACT;
        if ((output->oformat->flags & AVFMT_GLOBALHEADER) != 0) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        const int opened = avcodec_open2(&c, codec, nullptr);
        if (opened < 0) {
            *error = std::string("the ") + name + " encoder cannot start: " + AvError(opened);
            return false;
        }
        audioStream = avformat_new_stream(output.get(), nullptr);
        if (audioStream == nullptr || avcodec_parameters_from_context(audioStream->codecpar, &c) < 0) {
            *error = "cannot add the audio stream";
            return false;
        }
        audioStream->time_base = c.time_base;

        sound.reset(av_frame_alloc());
        if (!sound) return OutOfMemory(error);
        sound->format = c.sample_fmt;
        sound->sample_rate = c.sample_rate;
        av_channel_layout_copy(&sound->ch_layout, &c.ch_layout);
        sound->nb_samples = c.frame_size > 0 ? c.frame_size : 1024;
        if (av_frame_get_buffer(sound.get(), 0) < 0) return OutOfMemory(error);
        return true;
    }

    static bool OutOfMemory(std::string* error) {
        *error = "out of memory";
        return false;
    }

    // Writes every packet the encoder has ready.
    bool Drain(AVCodecContext* encoder, AVStream* stream, std::string* error) {
        for (;;) {
            const int received = avcodec_receive_packet(encoder, packet.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
            if (received < 0) {
                *error = "encoding failed: " + AvError(received);
                return false;
            }
            av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
            packet->stream_index = stream->index;
            const int written = av_interleaved_write_frame(output.get(), packet.get());
            if (written < 0 || output->pb->error < 0) {
                *error = "cannot write " + settings.path + ": " +
                         AvError(written < 0 ? written : output->pb->error);
                return false;
            }
        }
    }

    // Encodes the music up to sample frame `end`. Encoders take whole frames except the very last,
    // so short of the end only whole frames go in.
    bool WriteMusicUntil(int64_t end, std::string* error) {
        const int64_t frameSize = sound->nb_samples;
        while (musicWritten < end) {
            const int64_t count = std::min(frameSize, end - musicWritten);
            if (count < frameSize && end < musicFrames) return true;
            if (av_frame_make_writable(sound.get()) < 0) return OutOfMemory(error);
            const int64_t first = music.firstFrame + musicWritten;
            auto sample = [&](int64_t frame, int channel) -> int16_t {
                return frame >= 0 && frame < music.trackFrames ? music.track[frame * 2 + channel] : 0;
            };
            if (settings.lossless) {
                auto* out = reinterpret_cast<int16_t*>(sound->data[0]);
                for (int64_t i = 0; i < count; ++i) {
                    out[2 * i] = sample(first + i, 0);
                    out[2 * i + 1] = sample(first + i, 1);
                }
            } else {
                auto* left = reinterpret_cast<float*>(sound->data[0]);
                auto* right = reinterpret_cast<float*>(sound->data[1]);
                for (int64_t i = 0; i < count; ++i) {
                    left[i] = sample(first + i, 0) * (1.0f / 32768.0f);
                    right[i] = sample(first + i, 1) * (1.0f / 32768.0f);
                }
            }
            sound->nb_samples = static_cast<int>(count);
            sound->pts = musicWritten;
            musicWritten += count;
            const int sent = avcodec_send_frame(audio.get(), sound.get());
            sound->nb_samples = static_cast<int>(frameSize);
            if (sent < 0) {
                *error = "audio encoding failed: " + AvError(sent);
                return false;
            }
            if (!Drain(audio.get(), audioStream, error)) return false;
        }
        return true;
    }

    // Converts one rendered frame, encodes it and the music that plays during it.
    bool EncodeFrame(const uint32_t* pixels, std::string* error) {
        if (av_frame_make_writable(picture.get()) < 0) return OutOfMemory(error);
        const int32_t w = settings.sourceWidth, h = settings.sourceHeight;
        if (settings.lossless) {
            Upscale(pixels, w, h, settings.scale, picture->data[0], picture->linesize[0]);
        } else {
            const uint8_t* rgb = reinterpret_cast<const uint8_t*>(pixels);
            int rgbStride = w * 4;
            if (upscaled) {
                Upscale(pixels, w, h, settings.scale, upscaled->data[0], upscaled->linesize[0]);
                rgb = upscaled->data[0];
                rgbStride = upscaled->linesize[0];
            }
            const uint8_t* const planes[1] = {rgb};
            const int strides[1] = {rgbStride};
            sws_scale(scaler.get(), planes, strides, 0, OutputHeight(), picture->data, picture->linesize);
        }
        picture->pts = framesEncoded;
        const int sent = avcodec_send_frame(video.get(), picture.get());
        if (sent < 0) {
            *error = "video encoding failed: " + AvError(sent);
            return false;
        }
        if (!Drain(video.get(), videoStream, error)) return false;
        ++framesEncoded;
        return WriteMusicUntil(MusicEnd(framesEncoded), error);
    }

    void Work() {
        for (;;) {
            int slot = -1;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return closing || !readySlots.empty(); });
                if (readySlots.empty()) return;
                slot = readySlots.front();
                readySlots.pop_front();
            }
            std::string error;
            const bool ok = failed || EncodeFrame(slots[slot].data(), &error);
            std::lock_guard lock(mutex);
            freeSlots.push_back(slot);
            if (!ok && !failed) {
                failed = true;
                failure = error;
            }
            changed.notify_all();
        }
    }

    void StopWorker() {
        if (!worker.joinable()) return;
        {
            std::lock_guard lock(mutex);
            closing = true;
        }
        changed.notify_all();
        worker.join();
    }
};

VideoEncoder::VideoEncoder() = default;
VideoEncoder::~VideoEncoder() = default;

bool VideoEncoder::Open(const VideoSettings& settings, const MusicSpan& music, int64_t frameCount,
                        std::string* error) {
    av_log_set_level(AV_LOG_ERROR);  // the encoders' own chatter would break the progress line
    state = std::make_unique<State>();
    State& s = *state;
    s.settings = settings;
    s.music = music;
    s.frameCount = frameCount;
    av_reduce(&s.frameRate.num, &s.frameRate.den, settings.rate.numerator, settings.rate.denominator,
              INT32_MAX);
    s.musicFrames = s.MusicEnd(frameCount);
    s.partPath = settings.path + ".part";

    AVFormatContext* raw = nullptr;
    const char* format = settings.container == Container::kMp4 ? "mp4" : "matroska";
    if (avformat_alloc_output_context2(&raw, nullptr, format, s.partPath.c_str()) < 0 || raw == nullptr) {
        *error = std::string("cannot set up the ") + format + " container";
        return false;
    }
    s.output.reset(raw);
    s.output->flags |= AVFMT_FLAG_BITEXACT;  // no version strings, no creation time
    s.packet.reset(av_packet_alloc());
    if (!s.packet) return State::OutOfMemory(error);
    if (!s.OpenVideo(error) || !s.OpenAudio(error)) return false;

    const int opened = avio_open(&s.output->pb, s.partPath.c_str(), AVIO_FLAG_WRITE);
    if (opened < 0) {
        *error = "cannot write " + s.partPath + ": " + AvError(opened);
        return false;
    }
    s.fileCreated = true;
    Dictionary options;
    // The index goes to the front of an .mp4 so it plays while it downloads.
    if (settings.container == Container::kMp4) av_dict_set(options.Address(), "movflags", "+faststart", 0);
    const int header = avformat_write_header(s.output.get(), options.Address());
    if (header < 0 || s.output->pb->error < 0) {
        *error = "cannot write " + s.partPath + ": " + AvError(header < 0 ? header : s.output->pb->error);
        return false;
    }

    const size_t pixels = static_cast<size_t>(settings.sourceWidth) * settings.sourceHeight;
    s.slots.assign(kSlots, std::vector<uint32_t>(pixels));
    for (int i = 0; i < kSlots; ++i) s.freeSlots.push_back(i);
    s.worker = std::thread([&s] { s.Work(); });
    return true;
}

bool VideoEncoder::AddFrame(const Bitmap& frame, std::string* error) {
    State& s = *state;
    if (frame.width != s.settings.sourceWidth || frame.height != s.settings.sourceHeight) {
        *error = "the frame does not have the size the video was opened with";
        return false;
    }
    int slot = -1;
    {
        std::unique_lock lock(s.mutex);
        s.changed.wait(lock, [&] { return s.failed || !s.freeSlots.empty(); });
        if (s.failed) {
            *error = s.failure;
            return false;
        }
        slot = s.freeSlots.back();
        s.freeSlots.pop_back();
    }
    std::memcpy(s.slots[slot].data(), frame.pixels, s.slots[slot].size() * sizeof(uint32_t));
    {
        std::lock_guard lock(s.mutex);
        s.readySlots.push_back(slot);
    }
    s.changed.notify_all();
    return true;
}

bool VideoEncoder::Finish(std::string* error) {
    State& s = *state;
    s.StopWorker();
    if (s.failed) {
        *error = s.failure;
        return false;
    }
    const int flushed = avcodec_send_frame(s.video.get(), nullptr);
    if (flushed < 0) {
        *error = "video encoding failed: " + AvError(flushed);
        return false;
    }
    if (!s.Drain(s.video.get(), s.videoStream, error)) return false;
    if (!s.WriteMusicUntil(s.musicFrames, error)) return false;
    if (avcodec_send_frame(s.audio.get(), nullptr) < 0 || !s.Drain(s.audio.get(), s.audioStream, error)) {
        if (error->empty()) *error = "audio encoding failed";
        return false;
    }
    const int trailer = av_write_trailer(s.output.get());
    if (trailer < 0 || s.output->pb->error < 0) {
        *error = "cannot write " + s.partPath + ": " + AvError(trailer < 0 ? trailer : s.output->pb->error);
        return false;
    }
    const int closed = avio_closep(&s.output->pb);
    if (closed < 0) {
        *error = "cannot write " + s.partPath + ": " + AvError(closed);
        return false;
    }
    std::error_code renamed;
    std::filesystem::rename(s.partPath, s.settings.path, renamed);
    if (renamed) {
        *error = "cannot rename " + s.partPath + " to " + s.settings.path + ": " + renamed.message();
        return false;
    }
    s.finished = true;
    return true;
}
