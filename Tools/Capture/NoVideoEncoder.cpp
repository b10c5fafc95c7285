// The video export of a build without the video encoders (Windows): every export is refused with
// the reason, and the tool writes PNG frames only. Elsewhere VideoEncoder.cpp is built instead.
#ifdef ZV_PNG_ONLY
#include "Capture/VideoEncoder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

bool ContainerFromPath(const std::string& path, Container* container) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".mp4") {
        *container = Container::kMp4;
    } else if (extension == ".mkv") {
        *container = Container::kMatroska;
    } else {
        return false;
    }
    return true;
}

struct VideoEncoder::State {};

VideoEncoder::VideoEncoder() = default;
VideoEncoder::~VideoEncoder() = default;

bool VideoEncoder::Open(const VideoSettings&, const MusicSpan&, int64_t, std::string* error) {
    if (error != nullptr) *error = "this build writes PNG frames only: it has no video encoders";
    return false;
}

bool VideoEncoder::AddFrame(const Bitmap&, std::string* error) {
    if (error != nullptr) *error = "this build writes PNG frames only";
    return false;
}

bool VideoEncoder::Finish(std::string* error) {
    if (error != nullptr) *error = "this build writes PNG frames only";
    return false;
}
#endif
