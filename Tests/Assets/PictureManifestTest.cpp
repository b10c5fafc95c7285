// The manifest against the program's catalogue, and every picture it describes as the builder makes
// it: in the format its member name says, keyed cleanly where the program keys it, and the same
// bytes every time (the archive is compared byte for byte across builds).
#include "AssetBuilder/Pictures/Manifest.h"
#include "Assets/RenderedPictures.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <string>

namespace {

using rendered::Blue;
using rendered::Green;
using rendered::Red;

using assets::Encoding;
using assets::kManifest;
using assets::PictureRow;

bool IsKeyedEncoding(Encoding encoding) {
    return encoding == Encoding::kKeyedPng || encoding == Encoding::kKeyedJpeg;
}
bool IsJpegEncoding(Encoding encoding) {
    return encoding == Encoding::kJpeg || encoding == Encoding::kGreyJpeg || encoding == Encoding::kKeyedJpeg;
}

TEST(PictureManifest, EveryRowIsTheCataloguesPictureEncodedAsItsNameAndKindSay) {
    ASSERT_EQ(kManifest.size(), static_cast<size_t>(kCatalogueSize));
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        const PictureRow& row = kManifest[guid];
        SCOPED_TRACE(catalogue[guid].member);
        EXPECT_EQ(row.member, catalogue[guid].member)
            << "row " << guid << " is the picture with GUID " << guid;
        EXPECT_EQ(row.kind, catalogue[guid].kind);
        // the program picks the decoder by the member's extension, and keys only what it registers keyed
        EXPECT_EQ(IsJpegEncoding(row.encoding), row.member.ends_with(".jpg"));
        EXPECT_EQ(IsKeyedEncoding(row.encoding), row.kind == kKeyed);
        EXPECT_GT(row.size.width, 0);
        EXPECT_GT(row.size.height, 0);
        EXPECT_NE(row.draw, nullptr);
    }
}

TEST(PictureManifest, EveryPictureComesOutTheSameTwiceAtItsSizeInItsFormat) {
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        const PictureRow& row = kManifest[guid];
        SCOPED_TRACE(std::string(row.member));
        const std::vector<uint8_t>& bytes = rendered::Encoded(guid);
        EXPECT_EQ(rendered::IsJpeg(bytes), IsJpegEncoding(row.encoding));
        const rendered::Picture& picture = rendered::Decoded(guid);
        EXPECT_EQ(picture.width, row.size.width);
        EXPECT_EQ(picture.height, row.size.height);
        EXPECT_TRUE(assets::RenderPicture(row) == bytes) << "drawn again, the bytes differ";
    }
}

TEST(PictureManifest, KeyedPicturesShowTheSceneBehindWithoutAGreenFringeAndPlainOnesShowNoKey) {
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        const PictureRow& row = kManifest[guid];
        if (row.encoding != Encoding::kKeyedPng && row.encoding != Encoding::kPlainPng) continue;
        SCOPED_TRACE(std::string(row.member));
        const rendered::Picture& picture = rendered::Decoded(guid);
        size_t key = 0, nearKey = 0;
        for (uint32_t p : picture.pixels) {
            if (p == rendered::kKey) {
                ++key;
            } else if (Red(p) < 40 && Green(p) > 215 && Blue(p) < 40) {
                ++nearKey;  // an anti-aliased or nudged key colour: a green fringe once keyed
            }
        }
        EXPECT_EQ(nearKey, 0u);
        if (row.kind == kKeyed) {
            EXPECT_GT(key, picture.pixels.size() / 20) << "a keyed picture lets the scene behind show";
            EXPECT_LT(key, picture.pixels.size() * 39 / 40) << "and draws something itself";
        } else {
            EXPECT_EQ(key, 0u) << "key green in a plain picture would show as green";
        }
    }
}

// Where the machine's fontconfig asks for full hinting (a user's choice on Debian), the lettering's
// outlines would snap to other pixels: the builder sets its own.
TEST(PictureManifest, LetteringComesOutTheSameWhateverHintingTheMachineAsksFor) {
    int guid = 0;
    while (guid < kCatalogueSize && kManifest[guid].member != "texts/proudlypresent.png") ++guid;
    ASSERT_LT(guid, kCatalogueSize);
    const std::vector<uint8_t> asDrawn = assets::RenderPicture(kManifest[guid]);

    FcConfig* previous = FcConfigReference(nullptr);
    FcConfig* full = FcInitLoadConfigAndFonts();
    ASSERT_NE(full, nullptr);
    const char* rule = R"(<?xml version="1.0"?><fontconfig>
        <match target="pattern"><edit name="hintstyle" mode="assign"><const>hintfull</const></edit></match>
        <match target="font"><edit name="hintstyle" mode="assign"><const>hintfull</const></edit></match>
        </fontconfig>)";
    ASSERT_TRUE(FcConfigParseAndLoadFromMemory(full, reinterpret_cast<const FcChar8*>(rule), FcTrue));
    ASSERT_TRUE(FcConfigSetCurrent(full));
    // pango keeps the fonts it has loaded in its default font map: a fresh one asks fontconfig again
    PangoFontMap* previousMap = pango_cairo_font_map_get_default();
    g_object_ref(previousMap);
    pango_cairo_font_map_set_default(nullptr);
    const std::vector<uint8_t> underFullHinting = assets::RenderPicture(kManifest[guid]);
    pango_cairo_font_map_set_default(PANGO_CAIRO_FONT_MAP(previousMap));
    g_object_unref(previousMap);
    FcConfigSetCurrent(previous);
    FcConfigDestroy(previous);
    FcConfigDestroy(full);

    EXPECT_TRUE(underFullHinting == asDrawn);
}

}  // namespace
