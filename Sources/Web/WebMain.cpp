// The program in a browser tab: the same production on the offline renderer, its music time read
// from the page's audio clock once per frame, its frames handed to the page's canvas. The page
// (page.js) fetches the archive into the in-memory file system, plays the decoded track through
// WebAudio and calls the functions below; between two frames the program yields to the browser.
// Work that would keep the page from answering (decoding the music, the spectra a seek needs) is
// done a piece per call, so the page can show its progress and go on drawing in between.
//
// Everything runs on the page's one thread: no locks, no threads. The wall clock the scenes read is
// the music time, as in the capture tool and the preview, so a frame at a moment equals the frame
// zembravale-capture --at renders there, and a seek brings the timers along with the music.
#include "Production/OfflineRenderer.h"
#include "Production/PartTable.h"
#include "Production/Production.h"
#include "Render/Bitmap.h"
#include "Utils/Platform.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kSampleRate = 44100.0;
constexpr int64_t kFramesPerSecond = 60;
constexpr int64_t kDecodePiece = 16384;  // music frames, about 0.4 s
constexpr int64_t kPreparePiece = 16;    // video frames' spectra

// Every box goes to the page, which lists them; the box itself never blocks.
class PageMessages final : public platform::MessageSink {
public:
    void Show(const std::string& caption, const std::string& text) override {
        EM_ASM({ Module.page.box(UTF8ToString($0), UTF8ToString($1)); }, caption.c_str(), text.c_str());
    }
};

struct Session {
    std::unique_ptr<OfflineRenderer> renderer;
    std::string failure;
    std::vector<uint32_t> rgba;  // the canvas as the page's ImageData wants it: R, G, B, 255
    double startSeconds = 0.0;   // the music time shown last: the clock never shows less
    bool playing = false;
};

PageMessages messages;
Session session;

// 0xKKRRGGBB words (bytes B, G, R, K in memory) to bytes R, G, B, 255: the key byte is no colour.
void ToRgba(const Bitmap& canvas, uint32_t* out) {
    const uint32_t* in = canvas.pixels;
    for (int32_t i = 0; i < canvas.size; ++i) {
        const uint32_t word = in[i];
        out[i] = 0xFF000000u | ((word & 0xFFu) << 16) | (word & 0xFF00u) | ((word >> 16) & 0xFFu);
    }
}

void Present() {
    const Bitmap& canvas = session.renderer->Canvas();
    ToRgba(canvas, session.rgba.data());
    EM_ASM({ Module.page.present($0, $1, $2); }, session.rgba.data(), canvas.width, canvas.height);
}

void StopFrames() {
    if (!session.playing) return;
    session.playing = false;
    emscripten_cancel_main_loop();
}

// One animation frame: the audible position, the frame at that music time, the picture to the page.
void Frame() {
    const double frames = EM_ASM_DOUBLE({ return Module.page.audioFrames(); });
    // The clock never goes back, and never below the moment the run started or went on from.
    const double t = std::max(frames / kSampleRate, session.startSeconds);
    session.renderer->RenderAt(t);
    session.startSeconds = t;
    Present();
    EM_ASM({ Module.page.framePresented($0); }, t);
    if (t >= kEndTime) {
        StopFrames();
        EM_ASM({ Module.page.ended(); });
    }
}

}  // namespace

extern "C" {

// Starts the production on the archive at `path` in the in-memory file system. 1 when it can play;
// 0 after the boxes, with the reason in zv_failure.
EMSCRIPTEN_KEEPALIVE int zv_open(const char* path) {
    StopFrames();
    session.renderer.reset();
    session.renderer = std::make_unique<OfflineRenderer>();
    session.renderer->DecodeMusicInSteps();
    if (!session.renderer->Open(path, FrameRate{kFramesPerSecond, 1}, &session.failure)) {
        session.renderer.reset();
        return 0;
    }
    session.failure.clear();
    session.rgba.assign(static_cast<size_t>(session.renderer->Canvas().size), 0u);
    return 1;
}

EMSCRIPTEN_KEEPALIVE const char* zv_failure() {
    return session.failure.c_str();
}

// Decodes about `frames` more frames of the music. Returns how far the decoding is, from 0 to 1;
// exactly 1 once the whole track is in.
EMSCRIPTEN_KEEPALIVE double zv_decode_music(double frames) {
    if (session.renderer == nullptr) return 1.0;
    if (session.renderer->DecodeMusic(static_cast<int64_t>(frames))) return 1.0;
    return std::min(0.999, session.renderer->MusicDecodedShare());
}

// Decodes the music at least up to track frame `frame` (or to its end); returns the frames decoded.
EMSCRIPTEN_KEEPALIVE double zv_decode_music_to(double frame) {
    if (session.renderer == nullptr) return 0.0;
    while (session.renderer->MusicDecodedFrames() < static_cast<int64_t>(frame) &&
           !session.renderer->DecodeMusic(kDecodePiece)) {
    }
    return static_cast<double>(session.renderer->MusicDecodedFrames());
}

// Works for about `milliseconds` on what the first seek needs; 1 once it is all done.
EMSCRIPTEN_KEEPALIVE int zv_prepare(double milliseconds) {
    if (session.renderer == nullptr) return 1;
    const double until = emscripten_get_now() + milliseconds;
    do {
        if (session.renderer->PrepareSeeks(kPreparePiece)) return 1;
    } while (emscripten_get_now() < until);
    return 0;
}

// The parts in drawing order: their names and their windows of music time, for the scrubber.
EMSCRIPTEN_KEEPALIVE int zv_part_count() {
    return session.renderer != nullptr ? static_cast<int>(session.renderer->Parts().size()) : 0;
}

EMSCRIPTEN_KEEPALIVE const char* zv_part_name(int index) {
    const std::span<const PartKind> kinds = ProductionParts();
    return index >= 0 && static_cast<size_t>(index) < kinds.size() ? kinds[static_cast<size_t>(index)].name
                                                                   : "";
}

EMSCRIPTEN_KEEPALIVE double zv_part_start(int index) {
    return index >= 0 && index < zv_part_count()
               ? session.renderer->Parts()[static_cast<size_t>(index)]->windowStart
               : 0.0;
}

EMSCRIPTEN_KEEPALIVE double zv_part_end(int index) {
    return index >= 0 && index < zv_part_count()
               ? session.renderer->Parts()[static_cast<size_t>(index)]->windowEnd
               : 0.0;
}

// Brings the production to the first frame (of 60 a second) at or after `seconds`, as a run from
// the start would have it, and shows it. Returns that frame's music time.
EMSCRIPTEN_KEEPALIVE double zv_seek(double seconds) {
    if (session.renderer == nullptr) return 0.0;
    StopFrames();
    const FrameRate rate{kFramesPerSecond, 1};
    const int64_t frame = rate.FrameAt(seconds < 0.0 ? 0.0 : seconds);
    session.renderer->SeekTo(frame);
    Present();
    session.startSeconds = rate.Seconds(frame);
    return session.startSeconds;
}

// Starts the frame loop on the animation frames of the page, from the moment of the last seek; the
// page has started the music there.
EMSCRIPTEN_KEEPALIVE void zv_play() {
    if (session.renderer == nullptr || session.playing) return;
    session.playing = true;
    emscripten_set_main_loop(Frame, 0, 0);
}

// Goes on after a pause from music time `seconds`, where the page starts the music again: the
// production is where the pause left it, so nothing is sought.
EMSCRIPTEN_KEEPALIVE void zv_resume(double seconds) {
    session.startSeconds = std::max(session.startSeconds, seconds);
    zv_play();
}

EMSCRIPTEN_KEEPALIVE void zv_stop() {
    StopFrames();
}

// The canvas as the scenes drew it: 640 x 480 words 0xKKRRGGBB (for the page's tests).
EMSCRIPTEN_KEEPALIVE const uint32_t* zv_canvas_words() {
    return session.renderer != nullptr ? session.renderer->Canvas().pixels : nullptr;
}

// The decoded music, interleaved stereo 16-bit at 44100 Hz, for the page's audio.
EMSCRIPTEN_KEEPALIVE const int16_t* zv_track() {
    return session.renderer != nullptr ? session.renderer->Track().data() : nullptr;
}

// Frames of the track decoded so far; once the decoding is done, the whole track's.
EMSCRIPTEN_KEEPALIVE double zv_track_frames() {
    return session.renderer != nullptr ? static_cast<double>(session.renderer->MusicDecodedFrames()) : 0.0;
}

// Renders the frames of `fps` a second from `from` to before `to` as zembravale-capture does,
// without showing them, and returns the milliseconds it took (for the page's benchmark).
EMSCRIPTEN_KEEPALIVE double zv_render_range(double from, double to, int fps) {
    if (session.renderer == nullptr || fps <= 0) return -1.0;
    StopFrames();
    const FrameRate rate{fps, 1};
    const double start = emscripten_get_now();
    session.renderer->SeekTo(rate.FrameAt(from));
    const int64_t end = rate.FrameAt(to);
    while (session.renderer->FrameIndex() + 1 < end) session.renderer->RenderNextFrame();
    return emscripten_get_now() - start;
}

}  // extern "C"

int main() {
    platform::SetMessageSink(&messages);
    return 0;
}
