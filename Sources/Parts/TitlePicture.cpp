// The title composition.
#include "Parts/TitlePicture.h"

#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Render/Blitter.h"

void ComposeTitle(Bitmap* title) {
    Blitter blitter;
    blitter.target = title;
    blitter.Clear(0);  // the mountain's sky is transparent: keep what shows through it black
    blitter.CopyKeyed(GetBitmap(zembramountDarkGuid));
    blitter.Draw(GetBitmap(thezembramountpicturesGuid), 85, 208);
}
