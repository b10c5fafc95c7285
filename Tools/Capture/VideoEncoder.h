// Turns rendered frames and the music into one video file through the ffmpeg libraries: H.264
// (libx264, yuv420p) with AAC in .mp4 or .mkv, or, lossless, FFV1 in RGB with FLAC in .mkv.
//
// Frames are handed in order from the rendering thread; conversion, encoding and writing run on
// one worker thread, so the next frame renders while the last one encodes. The music follows the
// frames: after frame k the file holds the music up to frame k's end.
//
// The file is written as PATH.part and renamed to PATH only once it is complete; a failed or
// abandoned export removes PATH.part. The same frames, music and settings give the same bytes:
// the encoders run with a fixed number of threads and bit-exact flags, and no clock time goes into
// the file.
#pragma once

#include "Production/OfflineRenderer.h"
#include "Render/Bitmap.h"

#include <cstdint>
#include <memory>
#include <string>

enum class Container { kMp4, kMatroska };

// The container a file name asks for by its extension (".mp4", ".mkv", in any case).
bool ContainerFromPath(const std::string& path, Container* container);

struct VideoSettings {
    std::string path;
    Container container = Container::kMp4;
    int32_t sourceWidth = kScreenWidth;  // size of the frames handed in
    int32_t sourceHeight = kScreenHeight;
    int scale = 1;  // each source pixel becomes scale x scale pixels
    FrameRate rate;
    int quality = 18;  // x264's constant rate factor
    std::string preset = "veryfast";
    bool lossless = false;
};

// The music that goes with the frames: interleaved stereo 16-bit at 44100 Hz. Sample frame
// `firstFrame` of the track plays with the first video frame; outside the track is silence.
struct MusicSpan {
    const int16_t* track = nullptr;  // stays valid until Finish
    int64_t trackFrames = 0;
    int64_t firstFrame = 0;
};

inline constexpr int kMusicRate = 44100;

class VideoEncoder {
public:
    VideoEncoder();
    ~VideoEncoder();  // an unfinished file is removed
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Creates PATH.part, sets up both streams and starts the worker. `frameCount` frames will be
    // handed in; the music lasts exactly as long as they do.
    bool Open(const VideoSettings& settings, const MusicSpan& music, int64_t frameCount, std::string* error);
    // Copies the next frame and queues it; waits while the worker is a few frames behind. False
    // (with the reason) once writing has failed.
    bool AddFrame(const Bitmap& frame, std::string* error);
    // Drains the encoders, writes the index, closes PATH.part and renames it to PATH.
    bool Finish(std::string* error);

private:
    struct State;
    std::unique_ptr<State> state;
};
