// The video export of a build without the video encoders (Windows): every export is refused with
// the reason, and the tool writes PNG frames only. Elsewhere VideoEncoder.cpp is built instead.
#ifdef ZV_PNG_ONLY
#include "Capture/VideoEncoder.h"

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
