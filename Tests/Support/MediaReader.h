// Reads video files back through libavformat and libavcodec: what streams a file holds, and every
// decoded frame of one stream. Each handle is owned by a small wrapper.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace media {

struct InputClose {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
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
using Input = std::unique_ptr<AVFormatContext, InputClose>;

inline Input OpenInput(const std::string& path) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0)
        throw std::runtime_error("cannot open " + path);
    Input input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0)
        throw std::runtime_error("no stream info in " + path);
    return input;
}

struct StreamInfo {
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    AVCodecID codec = AV_CODEC_ID_NONE;
    int width = 0, height = 0, sampleRate = 0, channels = 0;
    AVRational frameRate{0, 1};  // video: the average frame rate the container declares
    double seconds = 0;          // the stream's duration
};

inline std::vector<StreamInfo> Streams(const std::string& path) {
    const Input input = OpenInput(path);
    std::vector<StreamInfo> streams;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        const AVCodecParameters* p = stream->codecpar;
        StreamInfo info;
        info.type = p->codec_type;
        info.codec = p->codec_id;
        info.width = p->width;
        info.height = p->height;
        info.sampleRate = p->sample_rate;
        info.channels = p->ch_layout.nb_channels;
        info.frameRate = stream->avg_frame_rate;
        info.seconds = stream->duration != AV_NOPTS_VALUE
                           ? stream->duration * av_q2d(stream->time_base)
                           : static_cast<double>(input->duration) / AV_TIME_BASE;
        streams.push_back(info);
    }
    return streams;
}

// Decodes the first stream of `type` from start to end, handing each frame over in order with the
// time base of its timestamps.
inline void Decode(const std::string& path, AVMediaType type,
                   const std::function<void(const AVFrame&, AVRational timeBase)>& onFrame) {
    const Input input = OpenInput(path);
    const int index = av_find_best_stream(input.get(), type, -1, -1, nullptr, 0);
    if (index < 0) throw std::runtime_error("no such stream in " + path);
    const AVCodecParameters* parameters = input->streams[index]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (codec == nullptr) throw std::runtime_error("no decoder");
    std::unique_ptr<AVCodecContext, CodecFree> decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), parameters) < 0)
        throw std::runtime_error("no decoder");
    decoder->pkt_timebase = input->streams[index]->time_base;
    decoder->thread_count = 1;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0) throw std::runtime_error("decoder does not open");
    std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            onFrame(*frame, decoder->pkt_timebase);
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == index) {
            avcodec_send_packet(decoder.get(), packet.get());
            drain();
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
}

}  // namespace media
