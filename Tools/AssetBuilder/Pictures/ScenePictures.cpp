// Entry point of the scene pictures and the encoders shared by their groups.
#include "AssetBuilder/Pictures/Pictures.h"
#include "AssetBuilder/Pictures/SceneGroups.h"

namespace assets {

namespace scene {

void PutKeyedPng(PictureMap& out, int guid, const Canvas& canvas) { out[guid] = EncodeKeyedPng(canvas); }
void PutPlainPng(PictureMap& out, int guid, const Canvas& canvas) { out[guid] = EncodePlainPng(canvas); }
// 92 keeps full chroma resolution (the kit switches to it from 90): neon edges stay crisp.
void PutJpeg(PictureMap& out, int guid, const Canvas& canvas) { out[guid] = EncodeJpeg(canvas, 92); }
void PutGreyJpeg(PictureMap& out, int guid, const Canvas& canvas) { out[guid] = EncodeJpeg(canvas, 95, true); }
void PutKeyedJpeg(PictureMap& out, int guid, const Canvas& canvas) { out[guid] = EncodeKeyedJpeg(canvas, 95); }

}  // namespace scene

void BuildScenePictures(PictureMap& out) {
    scene::BuildMountainScenes(out);
    scene::BuildCasinoScenes(out);
    scene::BuildStills(out);
}

}  // namespace assets
