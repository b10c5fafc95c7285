// The browser build's picture library against DevIL itself: every picture of the generated archive
// and every PNG and JPEG layout must decode to the same size, orientation and RGBA bytes, and what
// one refuses the other refuses too.
#include "Data/Catalogue.h"
#include "Data/DataFile.h"
#include "PictureLibrary/PictureLibrary.h"
#include "Support/CapturingSinks.h"
#include "Support/ImageEncoders.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using encode::Bytes;

struct Decoded {
    bool loaded = false;
    int width = 0;
    int height = 0;
    int origin = 0;
    Bytes rgba;
    bool operator==(const Decoded&) const = default;
};

template <class Library>
Decoded DecodeWith(unsigned type, const Bytes& file) {
    Decoded out;
    unsigned name = 0;
    Library::GenImages(1, &name);
    Library::BindImage(name);
    out.loaded = Library::LoadL(type, file.data(), static_cast<unsigned>(file.size()));
    if (out.loaded && Library::ConvertToRgba()) {
        out.width = Library::GetInteger(IL_IMAGE_WIDTH);
        out.height = Library::GetInteger(IL_IMAGE_HEIGHT);
        out.origin = Library::GetInteger(IL_IMAGE_ORIGIN);
        const unsigned char* data = Library::GetData();
        out.rgba.assign(data, data + static_cast<size_t>(out.width) * out.height * 4);
    }
    Library::DeleteImages(1, &name);
    while (Library::GetError() != 0) {
    }
    return out;
}

struct Devil {
    static void GenImages(int n, unsigned* names) { ilGenImages(n, names); }
    static void BindImage(unsigned name) { ilBindImage(name); }
    static bool LoadL(unsigned type, const void* data, unsigned size) {
        return ilLoadL(type, data, size) == IL_TRUE;
    }
    static bool ConvertToRgba() { return ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) == IL_TRUE; }
    static int GetInteger(unsigned mode) { return ilGetInteger(mode); }
    static const unsigned char* GetData() { return ilGetData(); }
    static void DeleteImages(int n, const unsigned* names) { ilDeleteImages(n, names); }
    static unsigned GetError() { return ilGetError(); }
};

struct Ours {
    static void GenImages(int n, unsigned* names) { picturelib::ilGenImages(n, names); }
    static void BindImage(unsigned name) { picturelib::ilBindImage(name); }
    static bool LoadL(unsigned type, const void* data, unsigned size) {
        return picturelib::ilLoadL(type, data, size) != 0;
    }
    static bool ConvertToRgba() { return picturelib::ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) != 0; }
    static int GetInteger(unsigned mode) { return picturelib::ilGetInteger(mode); }
    static const unsigned char* GetData() { return picturelib::ilGetData(); }
    static void DeleteImages(int n, const unsigned* names) { picturelib::ilDeleteImages(n, names); }
    static unsigned GetError() { return picturelib::ilGetError(); }
};

class PictureLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ilInit();
        ilEnable(IL_CONV_PAL);
        picturelib::ilInit();
        picturelib::ilEnable(IL_CONV_PAL);
    }

    static void ExpectSame(const std::string& name, unsigned type, const Bytes& file) {
        SCOPED_TRACE(name);
        const Decoded devil = DecodeWith<Devil>(type, file);
        const Decoded ours = DecodeWith<Ours>(type, file);
        EXPECT_EQ(ours.loaded, devil.loaded);
        EXPECT_EQ(ours.width, devil.width);
        EXPECT_EQ(ours.height, devil.height);
        EXPECT_EQ(ours.origin, devil.origin);
        if (ours.rgba != devil.rgba) {
            size_t first = 0;
            while (first < ours.rgba.size() && first < devil.rgba.size() &&
                   ours.rgba[first] == devil.rgba[first])
                ++first;
            ADD_FAILURE() << "the RGBA bytes differ from byte " << first << " of " << devil.rgba.size();
        }
    }
};

Bytes RandomBytes(size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

// A smooth picture with edges, which JPEG's upsampling and rounding act on as on a real one.
Bytes Gradient(int w, int h, int channels) {
    Bytes bytes(static_cast<size_t>(w) * h * channels);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < channels; ++c) {
                const int v = (x * (3 + c) + y * (5 - c) + ((x / 7 + y / 5) % 2) * 90) & 255;
                bytes[(static_cast<size_t>(y) * w + x) * channels + c] = static_cast<uint8_t>(v);
            }
        }
    }
    return bytes;
}

}  // namespace

TEST_F(PictureLibraryTest, EveryLayoutDecodesAsWithDevil) {
    const Bytes rgb = RandomBytes(13 * 9 * 3, 1);
    std::vector<encode::PaletteEntry> palette;
    for (int i = 0; i < 20; ++i)
        palette.push_back(
            {static_cast<uint8_t>(i * 13), static_cast<uint8_t>(255 - i * 7), static_cast<uint8_t>(i * 3)});
    const Bytes indices = [] {
        Bytes b = RandomBytes(13 * 9, 2);
        for (uint8_t& v : b) v %= 20;
        return b;
    }();
    const struct {
        const char* name;
        unsigned type;
        Bytes file;
    } cases[] = {
        {"rgb", IL_PNG, encode::Png8(13, 9, 3, rgb)},
        {"rgba", IL_PNG, encode::Png8(13, 9, 4, RandomBytes(13 * 9 * 4, 3))},
        {"grey", IL_PNG, encode::Png8(13, 9, 1, RandomBytes(13 * 9, 4))},
        {"grey with alpha", IL_PNG, encode::Png8(13, 9, 2, RandomBytes(13 * 9 * 2, 5))},
        {"palette", IL_PNG, encode::Png(13, 9, PNG_COLOR_TYPE_PALETTE, 8, indices, palette)},
        {"16-bit rgb", IL_PNG, encode::Png(13, 9, PNG_COLOR_TYPE_RGB, 16, RandomBytes(13 * 9 * 6, 6))},
        {"16-bit grey", IL_PNG, encode::Png(13, 9, PNG_COLOR_TYPE_GRAY, 16, RandomBytes(13 * 9 * 2, 7))},
        {"2-bit grey", IL_PNG, encode::Png(13, 9, PNG_COLOR_TYPE_GRAY, 2, RandomBytes(4 * 9, 8))},
        {"colour jpeg", IL_JPG, encode::Jpeg(61, 43, 3, Gradient(61, 43, 3))},
        {"noisy jpeg", IL_JPG, encode::Jpeg(40, 24, 3, RandomBytes(40 * 24 * 3, 9), 70)},
        {"grey jpeg", IL_JPG, encode::Jpeg(33, 17, 1, Gradient(33, 17, 1))},
        {"png cut short", IL_PNG,
         [&] {
             Bytes png = encode::Png8(13, 9, 3, rgb);
             png.resize(png.size() / 2);
             return png;
         }()},
        {"not a jpeg", IL_JPG, Bytes(64, 0x41)},
        {"jpeg read as png", IL_PNG, encode::Jpeg(8, 8, 3, Gradient(8, 8, 3))},
    };
    for (const auto& c : cases) ExpectSame(c.name, c.type, c.file);
}

TEST_F(PictureLibraryTest, EveryPictureOfTheGeneratedArchiveDecodesAsWithDevil) {
    const std::string path = ZV_BINARY_DIR "/assets/tarnos.zip";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "the build did not generate " << path;
    CapturedBoxes boxes;
    ZipDataFile archive(path);
    int compared = 0;
    for (const CatalogueEntry& entry : catalogue) {
        const std::string member = entry.member;
        MemberBuffer buffer(archive.FLoadFile(member), MemberBufferDeleter{&archive});
        const int32_t length = archive.FileLength(member);
        ASSERT_NE(buffer, nullptr) << member;
        const Bytes file(buffer.get(), buffer.get() + length);
        ExpectSame(member, member.ends_with(".png") ? IL_PNG : IL_JPG, file);
        ++compared;
    }
    EXPECT_EQ(compared, kCatalogueSize);
}
