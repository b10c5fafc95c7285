// The scene pictures come in three themed groups, each filling its GUIDs of the picture map; the
// encoders here pick the file format each catalogue member needs.
#pragma once

#include "AssetBuilder/Pictures/PictureKit.h"
#include "AssetBuilder/Pictures/Pictures.h"

namespace assets::scene {

// Mountain story: title overlay, frescoes, mountain family and its light maps, agent, villains,
// the figure crying for help, the diving car, the dancers.
void BuildMountainScenes(PictureMap& out);
// Casino, lighthouse, beam, walking figure, slot machine, evil machine, worker, pliers, western
// set and its figures, the explosion.
void BuildCasinoScenes(PictureMap& out);
// Credits, the six movie stills and the closing pictures.
void BuildStills(PictureMap& out);

void PutKeyedPng(PictureMap& out, int guid, const Canvas& canvas);
void PutPlainPng(PictureMap& out, int guid, const Canvas& canvas);
void PutJpeg(PictureMap& out, int guid, const Canvas& canvas);
// Light maps: one grey channel (what the scenes read as blue), coded finely enough to stay smooth.
void PutGreyJpeg(PictureMap& out, int guid, const Canvas& canvas);
void PutKeyedJpeg(PictureMap& out, int guid, const Canvas& canvas);

}  // namespace assets::scene
